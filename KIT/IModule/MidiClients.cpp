#include "KIT/IModule/MidiClients.h"

#include "KIT/IModule/MidiApi.h"

MIDIInClient::MIDIInClient(RtMidi::Api api, const std::string& clientName, unsigned int queueSizeLimit) {
  if (api == kLoopbackMIDIApi) {
    mLoopback = std::make_unique<LoopbackMidiIn>(clientName);
    mPorts = mLoopback.get();
  } else {
    mLibrary = std::make_unique<RtMidiIn>(api, clientName, queueSizeLimit);
    mPorts = mLibrary.get();
  }
}

void MIDIInClient::setCallback(RtMidiIn::RtMidiCallback callback, void* userData) {
  if (mLoopback)
    mLoopback->setCallback(callback, userData);
  else
    mLibrary->setCallback(callback, userData);
}

void MIDIInClient::ignoreTypes(bool midiSysex, bool midiTime, bool midiSense) {
  if (mLoopback)
    mLoopback->ignoreTypes(midiSysex, midiTime, midiSense);
  else
    mLibrary->ignoreTypes(midiSysex, midiTime, midiSense);
}

MIDIOutClient::MIDIOutClient(RtMidi::Api api, const std::string& clientName) {
  if (api == kLoopbackMIDIApi) {
    mLoopback = std::make_unique<LoopbackMidiOut>(clientName);
    mPorts = mLoopback.get();
  } else {
    mLibrary = std::make_unique<RtMidiOut>(api, clientName);
    mPorts = mLibrary.get();
  }
}

void MIDIOutClient::sendMessage(const unsigned char* message, size_t size) {
  if (mLoopback)
    mLoopback->sendMessage(message, size);
  else
    mLibrary->sendMessage(message, size);
}
