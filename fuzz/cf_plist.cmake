# XML property lists (saved states, bundle Info.plist files).
vivivi_fuzz(cf_plist ${CMAKE_CURRENT_SOURCE_DIR}/cf_plist.cpp corefoundation)
