// The simulator's control channel: one text command a line (from standard
// input or a script file), for tests and for trying the editor by hand. Each
// command answers with zero or more data lines and then one final line, "ok"
// or "error: <why>", so a caller can read up to that line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/varno-sim/TransmitSchedule.h"
#include "tools/varno-sim/VarnoSynth.h"

namespace varno {

struct CommandResult {
  std::vector<std::string> lines;  // data lines, then the final "ok" / "error: ..."
  std::vector<Bytes> messages;     // to send now, in order
  int64_t waitMicroseconds = 0;    // the caller pauses this long before the next command
  bool quit = false;
};

// The command list, as printed by "help" and by --help.
const char* commandHelpText();

// Runs one command line against the synthesizer and the output policy. Blank
// lines and lines starting with '#' do nothing and answer nothing. Numbers are
// decimal; send-raw takes hexadecimal bytes. A bad command or argument changes
// nothing and answers "error: ...".
CommandResult runCommand(const std::string& line, Synth& synth, OutputPolicy& policy);

// Hexadecimal bytes separated by blanks ("F0 3E 0B").
std::string hexText(const Bytes& bytes);

// Reads a whole text as a decimal number within [minimum, maximum]; false (value
// untouched) for an empty text, trailing characters or a number outside.
bool parseDecimal(const std::string& text, long minimum, long maximum, long& value);

}  // namespace varno
