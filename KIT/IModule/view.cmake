# The GUI's platform binding over the view layer: the factory road, the
# host-window road, resources from the plug-in's bundle.
target_sources(imodule PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsMac.h ${CMAKE_CURRENT_LIST_DIR}/IGraphicsMac.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsCocoa.h ${CMAKE_CURRENT_LIST_DIR}/IGraphicsCocoa.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsCarbon.h ${CMAKE_CURRENT_LIST_DIR}/IGraphicsCarbon.cpp
)
target_link_libraries(imodule PUBLIC view corefoundation winlwnd)
