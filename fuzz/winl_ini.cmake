# Private-profile (settings) files as the windowing layer reads them.
vivivi_fuzz(winl_ini ${CMAKE_CURRENT_SOURCE_DIR}/winl_ini.cpp winl)
