# vivivi_au_bundle(<target> BUNDLE <name> IDENTIFIER <id> SUBTYPE <four chars>
#                  MANUFACTURER <four chars> NAME <text> [DESTINATION <folder>]
#                  [RESOURCES <files>...])
# Lays out the MODULE library <target> as the bundle folder
# <folder>/<name>.bundle/ (folder: the current binary dir unless given)
# holding <name>.so, Info.plist and Resources/.
# The module gets the exported entries (KIT/IModule/IModuleAU_Exports.cpp:
# VivivI_Entry, VivivI_ViewEntry and the view factory's call); every other
# symbol, those of the static libraries included, stays hidden.
function(vivivi_au_bundle target)
  cmake_parse_arguments(B "" "BUNDLE;IDENTIFIER;SUBTYPE;MANUFACTURER;NAME;DESTINATION" "RESOURCES" ${ARGN})
  if(NOT B_DESTINATION)
    set(B_DESTINATION ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(folder ${B_DESTINATION}/${B_BUNDLE}.bundle)
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${B_BUNDLE} SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${folder}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/KIT/IModule/IModuleAU_Exports.cpp)
  file(MAKE_DIRECTORY ${folder}/Resources)
  file(CONFIGURE OUTPUT ${folder}/Info.plist @ONLY CONTENT [[<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>Identifier</key>
	<string>@B_IDENTIFIER@</string>
	<key>Executable</key>
	<string>@B_BUNDLE@.so</string>
	<key>Entry</key>
	<string>VivivI_Entry</string>
	<key>ViewEntry</key>
	<string>VivivI_ViewEntry</string>
	<key>ComponentType</key>
	<string>aumu</string>
	<key>ComponentSubtype</key>
	<string>@B_SUBTYPE@</string>
	<key>ComponentManufacturer</key>
	<string>@B_MANUFACTURER@</string>
	<key>ComponentName</key>
	<string>@B_NAME@</string>
</dict>
</plist>
]])
  foreach(resource ${B_RESOURCES})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${resource} ${folder}/Resources/)
  endforeach()
endfunction()
