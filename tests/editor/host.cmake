# The host program opens the real editor's bundle: headless, and on the test
# display (taking turns with the other window tests).
set(editor_host_definitions
  HOST_PROGRAM="$<TARGET_FILE:vivivi-host>"
  TEST_BUNDLE="${PROJECT_BINARY_DIR}/VivivI.bundle")
vivivi_test(editor_host_tests SOURCES host_editor_test.cpp host_commands_test.cpp LIBS pix DEFINITIONS ${editor_host_definitions})
add_dependencies(editor_host_tests vivivi-host vivivi_plugin)
vivivi_test(editor_host_display_tests SOURCES host_editor_display_test.cpp LIBS X11::X11
  DEFINITIONS ${editor_host_definitions} LOCK x_display)
add_dependencies(editor_host_display_tests vivivi-host vivivi_plugin)
target_include_directories(editor_host_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_include_directories(editor_host_display_tests PRIVATE ${PROJECT_SOURCE_DIR})
