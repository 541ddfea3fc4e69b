# The librarian's slot list on the real editor: geometry, columns, mouse,
# keys, copy and paste, drag and drop, rename, and the receive path shared
# with the MIDI input thread.
vivivi_test(editor_librarian_view_tests SOURCES librarian_view_test.cpp LIBS editor_fixture THREADED)
