# Start-up, the data folder and settings file, the display lines and the
# teardown of the real editor.
vivivi_test(editor_startup_tests SOURCES startup_test.cpp LIBS editor_fixture THREADED)

# The teardown with the external MIDI input receiving: a loop-back port of
# the test's own.
vivivi_test(editor_ports_tests SOURCES ports_test.cpp LIBS editor_fixture THREADED)
