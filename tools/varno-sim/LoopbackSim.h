// The simulated Varno inside the calling process, on in-process loop-back
// MIDI ports (KIT/IModule/LoopbackMidi.h) named as the program names its
// ports: "<client>:<in port>" and "<client>:<out port>". For tests of the
// editor's port code that need no MIDI server; only tests link it.
#pragma once

#include <string>
#include <vector>

#include "KIT/IModule/LoopbackMidi.h"
#include "tools/varno-sim/SimRunner.h"

namespace varno {

class LoopbackSim {
 public:
  // Opens both ports of options.clientName and starts sending.
  explicit LoopbackSim(const SimOptions& options);
  ~LoopbackSim();  // closes the ports once nothing is sent any more
  LoopbackSim(const LoopbackSim&) = delete;
  LoopbackSim& operator=(const LoopbackSim&) = delete;

  // Runs one command line, then pauses as it asks, as the program does
  // before it reads its next command.
  CommandResult command(const std::string& line);

 private:
  static void onInput(double deltaSeconds, std::vector<unsigned char>* message, void* self);

  SimRunner m_runner;
  LoopbackMidiIn m_input;
  LoopbackMidiOut m_output;
};

}  // namespace varno
