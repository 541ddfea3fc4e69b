// Command-line options of varno-sim, read without side effects so that tests
// can check them.
#pragma once

#include <string>
#include <vector>

#include "tools/varno-sim/TransmitSchedule.h"

namespace varno {

struct SimOptions {
  std::string clientName = "varno-sim";   // MIDI client name of both ports
  std::string inPortName = "Varno In";    // the port the Varno receives on
  std::string outPortName = "Varno Out";  // the port the Varno sends on
  std::string api;                        // "alsa", "jack" or empty: VIVIVI_MIDI_API, else by system
  int deviceId = 0;
  OutputPolicy policy;
  bool strictChecksum = false;
  std::string scriptPath;  // commands run before standard input
  bool readStandardInput = true;
  bool showHelp = false;
};

// Reads the arguments (without the program name). Returns false and sets error
// for an unknown option, a missing or bad value.
bool parseOptions(const std::vector<std::string>& arguments, SimOptions& options, std::string& error);

// The usage text of --help, including the command list.
std::string usageText();

// "alsa" or "jack": the requested system when it is one of them, else the
// environment's choice (VIVIVI_MIDI_API; other values ignored, null allowed),
// else ALSA when its sequencer exists, else JACK.
std::string chooseMidiSystem(const std::string& requested, const char* environment, bool alsaSequencerExists);

}  // namespace varno
