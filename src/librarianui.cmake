# Librarian user interface: the popup menus over banks, programs, categories
# and search results, the librarian's main, slot and copy menus, the
# two-column slot list and the editor's UI configuration that builds it. They
# reach the editor through its services.
target_sources(vivivi_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControl.h
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlBankTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlFolders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlCategories.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlMainMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlSlotMenus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuControlFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuProgSelector.h
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenuProgSelector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CustomOverlayControl.h
  ${CMAKE_CURRENT_LIST_DIR}/EditorUIConfigManager.h
  ${CMAKE_CURRENT_LIST_DIR}/LibrarianViewControl.h
  ${CMAKE_CURRENT_LIST_DIR}/LibrarianViewControl.cpp
)
