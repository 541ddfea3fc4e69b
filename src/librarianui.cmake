# Librarian user interface: the popup menus over banks, programs, categories
# and search results, and the librarian's main, slot and copy menus. They
# call into the editor, so they belong to the editor's library.
target_sources(vivivi_editor PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControl.h
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlBankTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlFolders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlCategories.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlMainMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlSlotMenus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuProgSelector.h
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuProgSelector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivILibrarianMenus.cpp
)
