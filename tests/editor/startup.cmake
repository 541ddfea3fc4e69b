# Start-up, the data folder and settings file, the display lines and the
# teardown of the real editor.
vivivi_test(editor_startup_tests SOURCES startup_test.cpp LIBS editor_fixture THREADED)

# The teardown with the external MIDI input receiving: a port of the test's
# JACK server, taking turns with the other port tests.
vivivi_test(editor_ports_tests SOURCES ports_test.cpp LIBS editor_fixture PkgConfig::RTMIDI PkgConfig::JACK
  LOCK jack_midi_ports THREADED)
