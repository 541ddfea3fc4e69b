# The patch-file reader and the bank-image writer.
vivivi_fuzz(library_files ${CMAKE_CURRENT_SOURCE_DIR}/library_files.cpp vivivi_core)
# The library reaches its owner's fields: the editor's type information.
target_sources(library_files PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/library_owner.cpp)
target_sources(library_files_replay PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/library_owner.cpp)
