# The SysEx receive side.
vivivi_fuzz(protocol_sysex ${CMAKE_CURRENT_SOURCE_DIR}/protocol_sysex.cpp test_editor)
