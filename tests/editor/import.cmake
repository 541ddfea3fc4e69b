# Single sounds imported into the selected slot and the category of a slot.
vivivi_test(editor_import_tests SOURCES import_test.cpp LIBS editor_fixture THREADED)
