// The simulator's two MIDI ports over RtMidi: a virtual input on which every
// complete message is handed to a handler (on RtMidi's thread), and a virtual
// output. Only the program links this; the core works without ports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class RtMidiIn;
class RtMidiOut;

namespace varno {

class MidiPorts {
 public:
  using Handler = std::function<void(const uint8_t* data, size_t size)>;

  // Opens both ports on the MIDI system "alsa" or "jack". Throws
  // std::runtime_error with a readable text when a port cannot be opened.
  MidiPorts(const std::string& system, const std::string& client, const std::string& inPort,
            const std::string& outPort, Handler handler);
  ~MidiPorts();
  MidiPorts(const MidiPorts&) = delete;
  MidiPorts& operator=(const MidiPorts&) = delete;

  // Sends one message; false when the MIDI system refused it. Call from one
  // thread only.
  bool send(const std::vector<uint8_t>& bytes);

 private:
  static void onInput(double deltaSeconds, std::vector<unsigned char>* message, void* self);

  Handler m_handler;
  std::unique_ptr<RtMidiIn> m_input;
  std::unique_ptr<RtMidiOut> m_output;
};

}  // namespace varno
