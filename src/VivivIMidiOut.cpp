#include "src/VivivI.h"

// Not built yet: each body below is replaced by its operation.
void VivivI::ProcessSysEx(ISysEx*, bool) {}
void VivivI::sendMidiMsgAndLog(IMidiMsg*) {}
void VivivI::sendSysExInitialization() {}
void VivivI::AllSoundsOff() {}
bool VivivI::BankChangeMessage() { return false; }
void VivivI::sendPartDataBackToHardware(int) {}
void VivivI::sendPatchAndPatternToDevice(int, bool, bool, bool, bool) {}
void VivivI::sendPatchToDeviceFromLibrarian(int, int) {}
void VivivI::SendProgramChangeCommand(int, int) {}
void VivivI::MIDIOutRoutingSwitch(IMidiMsg*) {}
void VivivI::checksumCheckAndSend(unsigned char*, int) {}
void VivivI::sendMissingCCValues() {}
int VivivI::getTimerValue() { return 0; }
int VivivI::getTempoValue() { return 0; }
std::string VivivI::getTempoValueText(int) { return {}; }
