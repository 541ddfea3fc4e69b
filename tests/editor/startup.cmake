# Start-up, the data folder and settings file, the display lines and the
# teardown of the real editor.
vivivi_test(editor_startup_tests SOURCES startup_test.cpp LIBS editor_fixture THREADED)
