# The Audio Unit binding of the plug-in base, its editor view entry and the
# factory-preset records.
target_sources(imodule PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/IModuleAU.h ${CMAKE_CURRENT_LIST_DIR}/IModuleAU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IModuleAUProperties.cpp ${CMAKE_CURRENT_LIST_DIR}/IModuleAURender.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IModuleAUState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IModuleAU_ViewFactory.h ${CMAKE_CURRENT_LIST_DIR}/IModuleAU_ViewFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/auutil/au-preset-utilities.h ${CMAKE_CURRENT_LIST_DIR}/auutil/au-preset-utilities.cpp
)
target_link_libraries(imodule PUBLIC audiounit corefoundation)
