# UI configuration: the reader of the SysEx and UI descriptions, the
# parameter-name and image tables, the element walk and the attribute
# parsers.
target_sources(vivivi_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManager.h ${CMAKE_CURRENT_LIST_DIR}/UIConfigManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerSysEx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerParams.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerImages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerWalk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerAttributes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerTemplates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigFactoryPath.h ${CMAKE_CURRENT_LIST_DIR}/UIConfigFactoryPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerDisplays.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerSwitches.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerKnobs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerSliders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerMenus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigManagerFactories.cpp
)
target_link_libraries(vivivi_core PUBLIC imodule fileencrypt PkgConfig::TINYXML2)
