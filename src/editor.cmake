# The editor object: the VivivI plug-in, its start-up, change paths, MIDI
# routing, state and librarian glue. A library of its own, apart from
# vivivi_core, so that the protocol's tests can still stand in for it.
add_library(vivivi_editor STATIC
  ${CMAKE_CURRENT_LIST_DIR}/VivivI.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivIParamChanges.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivIProcessControlAction.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivITotalRecall.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivIControlLookups.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivIMidiOut.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivIMidiIn.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivIAudioThread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivILibrarian.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivILibrarianTransfers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VivivIBankMenus.cpp
)
target_link_libraries(vivivi_editor PUBLIC vivivi_core)
vivivi_warnings(vivivi_editor)
