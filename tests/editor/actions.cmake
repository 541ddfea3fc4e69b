# The sound-parameter change path, the value display, the control lookups for
# incoming MIDI and the librarian display glue, on the real editor built
# from a small description of their own (actions_fixture).
vivivi_test(editor_actions_tests
  SOURCES actions_fixture.cpp value_display_test.cpp control_lookups_test.cpp librarian_glue_test.cpp
  LIBS editor_fixture)

# What the change path sends, observed at a loop-back port of the test's own.
vivivi_test(editor_change_path_tests
  SOURCES actions_fixture.cpp change_path_test.cpp
  LIBS editor_fixture)
