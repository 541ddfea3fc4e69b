# What the core asks of the editor: the parameter names and constants they
# share, the flags shared between threads and the editor-services interface
# the plug-in implements.
target_sources(vivivi_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/EditorParams.h
  ${CMAKE_CURRENT_LIST_DIR}/EditorServices.h ${CMAKE_CURRENT_LIST_DIR}/EditorServices.cpp
)
target_link_libraries(vivivi_core PUBLIC imodule)
