# The real editor for tests, fuzz targets and benchmarks driven without a host
# (tests/support/test_editor.h). Included from each of those folders; the
# first defines the library.
include_guard(GLOBAL)
add_library(test_editor STATIC ${CMAKE_CURRENT_LIST_DIR}/test_editor.h ${CMAKE_CURRENT_LIST_DIR}/test_editor.cpp)
target_include_directories(test_editor PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(test_editor PUBLIC vivivi_editor)
target_compile_definitions(test_editor PRIVATE VIVIVI_BUNDLE_DIR="${PROJECT_BINARY_DIR}/VivivI.bundle")
vivivi_warnings(test_editor)
# The editor finds its descriptions and images in the built bundle.
add_dependencies(test_editor vivivi_plugin)
