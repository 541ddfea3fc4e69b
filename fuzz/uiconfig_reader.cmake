# The UI configuration reader: the descriptions, the value lists and the walk.
vivivi_fuzz(uiconfig_reader ${CMAKE_CURRENT_SOURCE_DIR}/uiconfig_reader.cpp test_editor)
