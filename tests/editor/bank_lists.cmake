# The bank lists' texts for the lower list's sources.
vivivi_test(editor_bank_lists_tests SOURCES bank_lists_test.cpp LIBS editor_fixture THREADED)
