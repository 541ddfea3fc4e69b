// SysEx templates of controls: a SysEx-mapped control carries, in its
// parameter's ControlAction, one complete message per value it can take,
// computed once while the window is built from a template of the SysEx
// description (blank-separated hexadecimal bytes, read into ints). The
// sending side only picks a stored message.
//
// Byte positions: the changing byte is counted from 1, as the UI
// description gives it; every other position here is counted from 0.
#pragma once

#include <cstdint>
#include <vector>

#include "src/ControlAction.h"
#include "src/UIConfigLog.h"

// Expands the template base into count messages and replaces *messages
// with them (on success only):
//   - startValue -1: the first message is base itself, and counting starts
//     at the template's own byte at changingByte; otherwise counting starts
//     at startValue;
//   - each further message is a copy of base whose changing byte holds the
//     running value modulo 128 (so 126, 127, 128, 129 give 126, 127, 0, 1,
//     and a start of 200 gives 72), the value going up by 1 per message;
//   - for instance 1 (the second timbre) each such copy also has byte 4
//     raised by 16 and byte 5 by 1, each modulo 128, before the changing
//     byte is written (the synthesizer's second timbre lies 16 addresses
//     on); every other instance leaves the bytes alone.
// Refused with a logged line, *messages untouched: a changing byte outside
// 1 .. base.size(), a startValue below -1, instance 1 with fewer than 6
// template bytes. A count below 1 gives no computed messages.
bool expandSysExTemplate(const std::vector<int>& base, int changingByte, int count, int startValue,
                         int instance, std::vector<ControlActionSysExMessage::Message>* messages,
                         const UIConfigLog& log);

// The four bytes under which a SysEx-mapped control is filed for incoming
// messages: bytes 3..6 of its first message, or 2..5 when the changing byte
// is 7 (a key never holds the value byte); each cut to its low 8 bits.
// False when the message is too short.
bool sysExLookupKey(const ControlActionSysExMessage::Message& message, int changingByte,
                    unsigned char key[4]);
