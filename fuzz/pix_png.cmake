# PNG loading from memory.
vivivi_fuzz(pix_png ${CMAKE_CURRENT_SOURCE_DIR}/pix_png.cpp pix)
