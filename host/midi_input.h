// Host MIDI from an input port of the computer, queued for the render loop,
// which hands each message to the unit before the next block (as a host
// passes its tracks' MIDI to an instrument).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class RtMidiIn;

class HostMidiInput {
 public:
  // Messages beyond this many waiting are dropped.
  static constexpr size_t kMaxQueued = 4096;

  HostMidiInput();
  // Stops the input (its MIDI thread ends) before the queue goes.
  ~HostMidiInput();
  // Opens the port with exactly this name; false with a message that lists
  // the ports there are when none has it or the port will not open.
  bool Open(const std::string& portName, std::string* error);
  // The messages received since the last call, oldest first.
  std::vector<std::vector<uint8_t>> Take();

 private:
  static void Received(double timeStamp, std::vector<unsigned char>* message, void* self);
  std::mutex m_lock;
  std::vector<std::vector<uint8_t>> m_queue;  // written by the MIDI thread under m_lock
  // Last, so that it also goes first: its thread writes the members above.
  std::unique_ptr<RtMidiIn> m_input;
};
