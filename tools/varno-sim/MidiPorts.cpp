#include "tools/varno-sim/MidiPorts.h"

#include <rtmidi/RtMidi.h>

#include <cstdio>
#include <stdexcept>

namespace varno {
namespace {

void reportMidiWarning(RtMidiError::Type type, const std::string& text, void*) {
  // Warnings (a dropped message, a busy port) must not end the program; they
  // go to standard error, away from the command answers.
  std::fprintf(stderr, "varno-sim: MIDI %s: %s\n", type == RtMidiError::WARNING ? "warning" : "error",
               text.c_str());
}

}  // namespace

MidiPorts::MidiPorts(const std::string& system, const std::string& client, const std::string& inPort,
                     const std::string& outPort, Handler handler)
    : m_handler(std::move(handler)) {
  const RtMidi::Api api = system == "jack" ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
  try {
    m_input = std::make_unique<RtMidiIn>(api, client);
    m_output = std::make_unique<RtMidiOut>(api, client);
    if (m_input->getCurrentApi() != api || m_output->getCurrentApi() != api)
      throw std::runtime_error("MIDI system " + system + " is not available");
    m_input->ignoreTypes(false, false, true);  // SysEx and timing in, active sensing out
    m_input->setCallback(&MidiPorts::onInput, this);
    m_input->openVirtualPort(inPort);
    m_output->openVirtualPort(outPort);
    m_input->setErrorCallback(&reportMidiWarning, nullptr);
    m_output->setErrorCallback(&reportMidiWarning, nullptr);
  } catch (const RtMidiError& error) {
    throw std::runtime_error("cannot open the MIDI ports on " + system + ": " + error.getMessage());
  }
}

MidiPorts::~MidiPorts() {
  if (m_input) {
    m_input->cancelCallback();
    m_input->closePort();
  }
  if (m_output) m_output->closePort();
}

bool MidiPorts::send(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return false;
  try {
    m_output->sendMessage(&bytes);
  } catch (const RtMidiError& error) {
    reportMidiWarning(error.getType(), error.getMessage(), nullptr);
    return false;
  }
  return true;
}

void MidiPorts::onInput(double, std::vector<unsigned char>* message, void* self) {
  if (message == nullptr || message->empty()) return;
  static_cast<MidiPorts*>(self)->m_handler(message->data(), message->size());
}

}  // namespace varno
