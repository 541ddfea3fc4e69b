# The patch-file reader and the bank-image writer.
vivivi_fuzz(library_files ${CMAKE_CURRENT_SOURCE_DIR}/library_files.cpp vivivi_editor)
