#include "host/midi_input.h"

#include <rtmidi/RtMidi.h>

#include "KIT/IModule/MidiApi.h"

HostMidiInput::HostMidiInput() = default;

HostMidiInput::~HostMidiInput() {
  // The MIDI thread writes the queue until the input is gone: closing the
  // port is not enough (on JACK the client's process thread runs on until
  // the client closes). Deleting the input closes the port and its client,
  // which ends that thread, before the queue and its lock go away.
  m_input.reset();
}

bool HostMidiInput::Open(const std::string& portName, std::string* error) {
  try {
    m_input.reset(new RtMidiIn(GetExternalMIDIApi(), "vivivi-host", 1024));
    std::string names;
    for (unsigned p = 0; p < m_input->getPortCount(); ++p) {
      const std::string name = m_input->getPortName(p);
      if (name == portName) {
        m_input->setCallback(Received, this);
        m_input->ignoreTypes(false, true, true);
        m_input->openPort(p, "host MIDI in");
        return true;
      }
      names += "\n  " + name;
    }
    *error = "no MIDI input port \"" + portName + "\"; the ports are:" + (names.empty() ? " none" : names);
  } catch (const RtMidiError& e) {
    *error = "cannot open MIDI input \"" + portName + "\": " + e.getMessage();
  }
  m_input.reset();
  return false;
}

void HostMidiInput::Received(double, std::vector<unsigned char>* message, void* self) {
  HostMidiInput* input = static_cast<HostMidiInput*>(self);
  if (!message || message->empty()) return;
  std::lock_guard<std::mutex> hold(input->m_lock);
  if (input->m_queue.size() < kMaxQueued) input->m_queue.emplace_back(message->begin(), message->end());
}

std::vector<std::vector<uint8_t>> HostMidiInput::Take() {
  std::lock_guard<std::mutex> hold(m_lock);
  std::vector<std::vector<uint8_t>> taken;
  taken.swap(m_queue);
  return taken;
}
