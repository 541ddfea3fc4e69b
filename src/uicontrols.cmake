# UI configuration, the parts that stand without the reader: the control
# action record and its send contract, SysEx template expansion, the
# reverse lookup containers, the custom radio buttons, the value and name
# displays and the progress overlay.
target_sources(vivivi_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UIConfigLog.h
  ${CMAKE_CURRENT_LIST_DIR}/ControlAction.h ${CMAKE_CURRENT_LIST_DIR}/ControlAction.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControlActionSend.h ${CMAKE_CURRENT_LIST_DIR}/ControlActionSend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControlActionSysEx.h ${CMAKE_CURRENT_LIST_DIR}/ControlActionSysEx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControlMaps.h ${CMAKE_CURRENT_LIST_DIR}/ControlMaps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SysExControlContainer.h ${CMAKE_CURRENT_LIST_DIR}/SysExControlContainer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NRPNControlContainer.h ${CMAKE_CURRENT_LIST_DIR}/NRPNControlContainer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ICustomRadioButtonsControl.h ${CMAKE_CURRENT_LIST_DIR}/ICustomRadioButtonsControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ValueDisplays.h ${CMAKE_CURRENT_LIST_DIR}/ValueDisplays.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressIndicator.h ${CMAKE_CURRENT_LIST_DIR}/ProgressIndicator.cpp
)
target_link_libraries(vivivi_core PUBLIC imodule)
