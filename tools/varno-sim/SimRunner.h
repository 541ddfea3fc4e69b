// The simulated Varno at work, apart from its ports: the core (Synth) handles
// every message and command under one lock; answers and commanded messages
// go through one output queue, sent by one thread at their scheduled times,
// so late answers and cable pace hold for everything the Varno sends. The
// program runs it on MIDI ports of the system, tests also on ports of their
// own process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "tools/varno-sim/CommandInterpreter.h"
#include "tools/varno-sim/SimOptions.h"

namespace varno {

class SimRunner {
 public:
  // Sends one message on the output port; false when it was refused.
  using Send = std::function<bool(const Bytes& bytes)>;

  explicit SimRunner(const SimOptions& options);
  ~SimRunner();  // stop
  SimRunner(const SimRunner&) = delete;
  SimRunner& operator=(const SimRunner&) = delete;

  // Starts the thread that sends each queued message once it is due. Once
  // only; send must work until stop returned.
  void start(Send send);
  // Ends the sending thread (what still waits is not sent) and waits for it.
  void stop();

  // One complete message from the input port; any thread.
  void receive(const uint8_t* data, size_t size);
  // Runs one command line (CommandInterpreter.h); its messages are queued.
  // The caller pauses for the result's waitMicroseconds.
  CommandResult command(const std::string& line);

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace varno
