// The clients of the external MIDI ports, one per direction, on the back
// end chosen (MidiApi.h): the MIDI library's own clients, or the in-process
// loop-back ones (LoopbackMidi.h). Both list, open and close ports through
// Ports(), so that the look-ups by name of MidiApi.h serve either.
#pragma once

#include <rtmidi/RtMidi.h>

#include <memory>
#include <string>

#include "KIT/IModule/LoopbackMidi.h"

class MIDIInClient {
 public:
  // Throws RtMidiError when the MIDI library's client cannot be made.
  MIDIInClient(RtMidi::Api api, const std::string& clientName, unsigned int queueSizeLimit = 100);

  RtMidi* Ports() { return mPorts; }
  void openVirtualPort(const std::string& portName) { mPorts->openVirtualPort(portName); }
  void closePort() { mPorts->closePort(); }
  bool isPortOpen() const { return mPorts->isPortOpen(); }
  void setCallback(RtMidiIn::RtMidiCallback callback, void* userData);
  void ignoreTypes(bool midiSysex, bool midiTime, bool midiSense);

 private:
  std::unique_ptr<RtMidiIn> mLibrary;
  std::unique_ptr<LoopbackMidiIn> mLoopback;
  RtMidi* mPorts;  // whichever of the two there is
};

class MIDIOutClient {
 public:
  // Throws RtMidiError when the MIDI library's client cannot be made.
  MIDIOutClient(RtMidi::Api api, const std::string& clientName);

  RtMidi* Ports() { return mPorts; }
  void openVirtualPort(const std::string& portName) { mPorts->openVirtualPort(portName); }
  void closePort() { mPorts->closePort(); }
  bool isPortOpen() const { return mPorts->isPortOpen(); }
  // Throws RtMidiError as the MIDI library does.
  void sendMessage(const unsigned char* message, size_t size);

 private:
  std::unique_ptr<RtMidiOut> mLibrary;
  std::unique_ptr<LoopbackMidiOut> mLoopback;
  RtMidi* mPorts;
};
