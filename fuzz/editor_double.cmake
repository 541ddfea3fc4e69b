# The editor object's stand-in of the protocol tests, for the fuzz targets
# whose code reaches the editor (the receive side, the patch library); an
# object library, so every stand-in body is linked whatever calls it.
add_library(fuzz_editor_double OBJECT ${PROJECT_SOURCE_DIR}/tests/protocol/editor_double.cpp
  ${PROJECT_SOURCE_DIR}/tests/protocol/sender_double.cpp)
target_link_libraries(fuzz_editor_double PUBLIC vivivi_core)
