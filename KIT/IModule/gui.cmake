# The GUI framework: the GUI object with its dispatch, caches and drawing
# operations, control layers, the control base and the standard controls,
# popup menus and bitmap text.
target_sources(imodule PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsStructs.h ${CMAKE_CURRENT_LIST_DIR}/IGraphicsStructs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsDispatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsCaches.h ${CMAKE_CURRENT_LIST_DIR}/IGraphicsCaches.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsDrawing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControlLayer.h ${CMAKE_CURRENT_LIST_DIR}/ControlLayer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IControl.h ${CMAKE_CURRENT_LIST_DIR}/IControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IBitmapControls.h ${CMAKE_CURRENT_LIST_DIR}/IBitmapControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IFaderControl.h ${CMAKE_CURRENT_LIST_DIR}/IFaderControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IKnobControls.h ${CMAKE_CURRENT_LIST_DIR}/IKnobControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ITextControls.h ${CMAKE_CURRENT_LIST_DIR}/ITextControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ILinkControls.h ${CMAKE_CURRENT_LIST_DIR}/ILinkControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenu.h ${CMAKE_CURRENT_LIST_DIR}/IPopupMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IBitmapMonoText.h ${CMAKE_CURRENT_LIST_DIR}/IBitmapMonoText.cpp
)
target_link_libraries(imodule PUBLIC pix winl)
