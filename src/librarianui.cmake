# Librarian user interface: the two-column slot list and the editor's UI
# configuration that builds it. Part of the editor: the list calls the
# editor object's librarian operations.
target_sources(vivivi_editor PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CustomOverlayControl.h
  ${CMAKE_CURRENT_LIST_DIR}/EditorUIConfigManager.h
  ${CMAKE_CURRENT_LIST_DIR}/LibrarianViewControl.h ${CMAKE_CURRENT_LIST_DIR}/LibrarianViewControl.cpp
)
