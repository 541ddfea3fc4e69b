# The project state: the chunk written and read back, cut and damaged.
vivivi_test(editor_recall_tests SOURCES recall_test.cpp LIBS editor_fixture THREADED)
