vivivi_fuzz(pix_png ${CMAKE_CURRENT_SOURCE_DIR}/pix_png.cpp pix)
# The raster library carries the fuzzer's coverage too, so that the search
# follows its branches (configure the fuzz build with VIVIVI_SANITIZE=ON).
target_compile_options(pix PRIVATE -fsanitize=fuzzer-no-link)
