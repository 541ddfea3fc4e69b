// The init sound: the sound dump of an initialised sound, one table for the
// library, which fills short banks with it, and the sender, whose init job
// stores it into the selected library slot.
#pragma once

#include <array>

// The 76-byte sound dump: F0, header F0 3E 0B 00 00 00 (command 0, program
// 0), the sound parameter bytes, pad bytes, checksum byte 74 = 0x00, F7.
extern const unsigned char initSinglePatch[76];

// The 77-byte store message the init job hands to the receive path: bytes 0
// to 74 of initSinglePatch, the checksum place (byte 75, 0x00) and F7. The
// job writes device, command, program and checksum into it.
std::array<unsigned char, 77> initSoundStoreTemplate();
