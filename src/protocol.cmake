# Synthesizer protocol: the SysEx message set and dump table, the receive
# side (SysEx dispatch and parsers, library transfers, channel messages), the
# randomiser and job posting; the patch records and the init sound they share
# with the library.
target_sources(vivivi_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageSysEx.h ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageSysEx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LibrarianPatch.h ${CMAKE_CURRENT_LIST_DIR}/LibrarianPatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InitSound.h ${CMAKE_CURRENT_LIST_DIR}/InitSound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LibraryPatchRequest.h ${CMAKE_CURRENT_LIST_DIR}/LibraryPatchRequest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageSender.h ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageSender.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageManager.h ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageManagerSysEx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageManagerChannel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageRandomizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageManagerJobs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageSenderRequests.cpp ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageSenderSends.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MIDIMessageSenderClock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchLibrarian.h
)
target_link_libraries(vivivi_core PUBLIC imodule winl Poco::Foundation)
