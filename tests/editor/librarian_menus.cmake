# The librarian's popup menus on the real editor with its headless window:
# bank menus (folder tree, categories, search) and command menus (main, slot,
# copy, program and bank numbers).
add_library(librarian_menus_fixture STATIC librarian_menus_fixture.h librarian_menus_fixture.cpp)
target_link_libraries(librarian_menus_fixture PUBLIC editor_fixture)
vivivi_warnings(librarian_menus_fixture)
vivivi_test(editor_librarian_bank_menus_tests SOURCES librarian_bank_menus_test.cpp LIBS librarian_menus_fixture)
vivivi_test(editor_librarian_command_menus_tests SOURCES librarian_command_menus_test.cpp
  LIBS librarian_menus_fixture THREADED)
# The librarian put together: clicks on the window open each menu from its
# field, and the slot menu's choices act on the editor's slot list.
vivivi_test(editor_librarian_wiring_tests SOURCES librarian_wiring_test.cpp LIBS librarian_menus_fixture)
