# The SysEx receive side against the editor's stand-in of the protocol tests.
add_library(protocol_editor_double STATIC ${PROJECT_SOURCE_DIR}/tests/protocol/editor_double.cpp)
target_link_libraries(protocol_editor_double PUBLIC vivivi_core)
vivivi_fuzz(protocol_sysex ${CMAKE_CURRENT_SOURCE_DIR}/protocol_sysex.cpp protocol_editor_double)
# The product library carries the fuzzer's coverage too.
target_compile_options(vivivi_core PRIVATE -fsanitize=fuzzer-no-link)
