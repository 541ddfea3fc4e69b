# The editor window of the host program and its commands: X windows through Xlib, PNG files
# through the shared PNG writer (tools/pngwrite).
target_sources(vivivi-host PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/window_editor.h ${CMAKE_CURRENT_LIST_DIR}/window_editor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_png.h ${CMAKE_CURRENT_LIST_DIR}/window_png.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor_commands.h ${CMAKE_CURRENT_LIST_DIR}/editor_commands.cpp)
target_link_libraries(vivivi-host PRIVATE X11::X11 vivivi_pngwrite)
