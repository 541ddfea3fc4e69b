# The editor's MIDI: the queue between the producers and the render thread.
vivivi_test(midi_queue_tests
  SOURCES midi_queue_test.cpp
  LIBS imodule
  THREADED)

# The real editor object's MIDI output, incoming MIDI and render pass, with
# the framework's sends recorded.
vivivi_test(editor_midi_tests
  SOURCES midi_out_test.cpp midi_in_audio_test.cpp midi_port_events_test.cpp
  LIBS editor_fixture
  THREADED)

# The same object's output at a loop-back port of the test's own.
vivivi_test(editor_midi_port_tests
  SOURCES midi_port_test.cpp
  LIBS editor_fixture
  THREADED)
