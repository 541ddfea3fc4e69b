# The editor object: the VivivI plug-in, its start-up, change paths, MIDI
# routing, state and librarian glue. A library of its own above vivivi_core,
# which reaches it only through the editor-services interface.
add_library(vivivi_editor STATIC
  ${CMAKE_CURRENT_LIST_DIR}/VivivI.h ${CMAKE_CURRENT_LIST_DIR}/VivivI.cpp
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
  ${CMAKE_CURRENT_LIST_DIR}/VivivILibrarianMenus.cpp
)
target_link_libraries(vivivi_editor PUBLIC vivivi_core)
vivivi_warnings(vivivi_editor)
# The framework's entries make the plug-in through MakePlug (VivivI.cpp):
# whatever links the editor takes it, whether or not its own code calls it.
target_link_options(vivivi_editor INTERFACE LINKER:--undefined=_Z8MakePlugv)

# The plug-in bundle <build>/VivivI.bundle/: VivivI.so with the editor in
# it, its
# Info.plist, and Resources/ holding the enciphered descriptions
# (resources/CMakeLists.txt) and the images the picture generator draws
# (tools/imggen). Only the entries and the view factory's call are exported.
add_library(vivivi_plugin MODULE)
target_link_libraries(vivivi_plugin PRIVATE vivivi_editor)
# Every symbol resolved at link time; clang's sanitizer runtimes live in the
# program that loads the module, so a clang sanitizer build leaves theirs open.
if(NOT (VIVIVI_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
  target_link_options(vivivi_plugin PRIVATE LINKER:--no-undefined)
endif()
vivivi_warnings(vivivi_plugin)
set(VIVIVI_BUNDLE_DIR ${PROJECT_BINARY_DIR}/VivivI.bundle)
vivivi_au_bundle(vivivi_plugin BUNDLE VivivI DESTINATION ${PROJECT_BINARY_DIR}
  IDENTIFIER "com.Harrow Creek Sound.audiounit.VivivI Editor" SUBTYPE kzrn MANUFACTURER HcS1
  NAME "Harrow Creek Sound: VivivI Editor")

# Resources/ follows the descriptions and the images whenever either changes.
set(vivivi_resource_dir ${PROJECT_BINARY_DIR}/resources)
set(vivivi_bundle_stamp ${CMAKE_CURRENT_BINARY_DIR}/vivivi_bundle_resources.stamp)
add_custom_command(OUTPUT ${vivivi_bundle_stamp}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VIVIVI_BUNDLE_DIR}/Resources
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${vivivi_resource_dir}/img ${VIVIVI_BUNDLE_DIR}/Resources
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VIVIVI_BUNDLE_DIR}/Resources/.stamp
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${vivivi_resource_dir}/uiconfig.tea
          ${vivivi_resource_dir}/sysex.tea ${VIVIVI_BUNDLE_DIR}/Resources
  COMMAND ${CMAKE_COMMAND} -E touch ${vivivi_bundle_stamp}
  DEPENDS ${vivivi_resource_dir}/img/.stamp ${vivivi_resource_dir}/uiconfig.tea ${vivivi_resource_dir}/sysex.tea
  COMMENT "Copying the editor's resources into VivivI.bundle"
  VERBATIM)
add_custom_target(vivivi_bundle_resources DEPENDS ${vivivi_bundle_stamp})
add_dependencies(vivivi_bundle_resources vivivi-images vivivi-descriptions)
add_dependencies(vivivi_plugin vivivi_bundle_resources)
