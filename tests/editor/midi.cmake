# The editor's MIDI: the queue between the producers and the render thread.
vivivi_test(midi_queue_tests
  SOURCES midi_queue_test.cpp
  LIBS imodule
  THREADED)
