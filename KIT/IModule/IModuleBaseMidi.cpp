// External MIDI ports: the name lists, opening ports by name, delivering
// incoming messages to the plug-in, sending through the output port.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/MidiApi.h"

namespace {

const char* const kOff = "OFF";

// Entry number of name in list, or -1.
int EntryOf(const std::vector<std::string>& list, const std::string& name, size_t limit) {
  const size_t n = std::min(limit, list.size());
  for (size_t i = 0; i < n; ++i)
    if (list[i] == name) return static_cast<int>(i);
  return -1;
}

// Appends one entry per port, so that entry p + 1 stays port p's. A port
// whose name cannot be read gets a placeholder no other entry carries, so a
// selection by name can never mistake it for another port.
void AppendPortNames(RtMidi* midi, std::vector<std::string>* list) {
  const std::vector<std::string> ports = GetMIDIPortNames(midi);
  for (size_t p = 0; p < ports.size(); ++p) {
    std::string name = ports[p];
    if (name.empty()) {
      name = "MIDI port " + std::to_string(p + 1) + " (name unreadable)";
      while (EntryOf(*list, name, list->size()) >= 0) name += "'";
    }
    list->push_back(name);
  }
}

// The number of the port that carries name now, or -1: ports come and go,
// so a port is found by its name at the moment it is opened.
int PortNow(RtMidi* midi, const std::string& name) {
  if (!midi || name.empty()) return -1;
  return EntryOf(GetMIDIPortNames(midi), name, SIZE_MAX);
}

}  // namespace

// ---- Name lists ----------------------------------------------------------------------

const std::vector<std::string>& IModuleBase::getExternalMIDIOutNames() {
  if (!mMidiOutNames.empty()) return mMidiOutNames;
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  mMidiOutSelection = 0;
  if (!mMidiOut) {
    try {
      mMidiOut = new RtMidiOut(GetExternalMIDIApi(), "RtMidi Output Client");
    } catch (RtMidiError& error) {
      error.printMessage();
      mMidiOut = nullptr;
    }
  }
  mMidiOutNames.push_back(kOff);
  if (mMidiOut) AppendPortNames(mMidiOut, &mMidiOutNames);
  return mMidiOutNames;
}

const std::vector<std::string>& IModuleBase::getExternalMIDIInNames() {
  if (!mMidiInNames.empty()) return mMidiInNames;
  mMidiInSelection = 0;
  if (!mMidiIn) {
    try {
      mMidiIn = new RtMidiIn(GetExternalMIDIApi(), "RtMidi Input Client", 100);
      mMidiIn->setCallback(MIDICallback, this);
      mMidiInCallbackSet = true;
      // SysEx is delivered; timing clock, time-code quarter frames and
      // active sensing are dropped.
      mMidiIn->ignoreTypes(false, true, true);
    } catch (RtMidiError& error) {
      error.printMessage();
      delete mMidiIn;
      mMidiIn = nullptr;
      mMidiInCallbackSet = false;
    }
  }
  mMidiInNames.push_back(kOff);
  if (mMidiIn) AppendPortNames(mMidiIn, &mMidiInNames);
  return mMidiInNames;
}

// ---- Selecting ports by name ------------------------------------------------------------

int IModuleBase::setExternalMIDIOut(int& index, const std::string& name) {
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  if (mMidiOut && mMidiOutPortOpen) {
    mMidiOut->closePort();
    mMidiOutPortOpen = false;
  }
  mMidiOutSelection = index;
  if (index == 0 || mMidiOutNames.empty()) return 0;

  const int entry = EntryOf(mMidiOutNames, name, mMidiOutNames.size());
  const int opened = entry > 0 && mMidiOut ? OpenMIDIPortByName(mMidiOut, name, "RtMidi Output") : 0;
  if (opened == 0) {  // "OFF", not listed, or no such port at present
    index = 0;
    return 0;
  }
  index = entry;
  mMidiOutPortOpen = opened > 0;
  return opened > 0 ? entry : 0;
}

int IModuleBase::setExternalMIDIIn(int& index, const std::string& name) {
  mMidiInAccepting.store(false, std::memory_order_release);
  if (mMidiIn && mMidiIn->isPortOpen()) mMidiIn->closePort();
  mMidiInSelection = index;
  if (index == 0) return 0;

  const int entry = EntryOf(mMidiInNames, name, mMidiInNames.size());
  const int opened = entry > 0 && mMidiIn ? OpenMIDIPortByName(mMidiIn, name, "RtMidi Input") : 0;
  if (opened == 0) {
    index = 0;
    return 0;
  }
  index = entry;
  if (opened < 0) return 0;
  try {
    if (!mMidiInCallbackSet) {  // installed with the client, and it stays
      mMidiIn->setCallback(MIDICallback, this);
      mMidiInCallbackSet = true;
    }
    mMidiIn->ignoreTypes(false, true, true);
  } catch (RtMidiError& error) {
    error.printMessage();
    return 0;
  }
  mMidiInAccepting.store(true, std::memory_order_release);
  return entry;
}

bool IModuleBase::initializeVirtualOutput(const std::string& name) {
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  delete mMidiOut;
  mMidiOut = nullptr;
  mMidiOutPortOpen = false;
  try {
    mMidiOut = new RtMidiOut(GetExternalMIDIApi(), "RtMidi Output Client");
    mMidiOut->openVirtualPort("From " + name);
    mMidiOutPortOpen = true;
  } catch (RtMidiError& error) {
    error.printMessage();
    return false;
  }
  return true;
}

// ---- Look-ups by name -------------------------------------------------------------------------

int IModuleBase::getExternalMIDIOutDevice(const std::string& name) {
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  return EntryOf(mMidiOutNames, name, GetMIDIPortNames(mMidiOut).size() + 1);
}

int IModuleBase::getExternalMIDIInDevice(const std::string& name) {
  return EntryOf(mMidiInNames, name, GetMIDIPortNames(mMidiIn).size() + 1);
}

int IModuleBase::GetMIDIOutPortNumber(const std::string& name) {
  if (name == kOff) return 0;
  if (name == "virtual output") return 1;
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  const int port = PortNow(mMidiOut, name);
  return port < 0 ? -1 : port + 1;
}

int IModuleBase::GetMIDIInPortNumber(const std::string& name) {
  if (name == kOff) return 0;
  if (name == "virtual input") return 1;
  const int port = PortNow(mMidiIn, name);
  return port < 0 ? -1 : port + 1;
}

// ---- Receiving -----------------------------------------------------------------------------------

void IModuleBase::MIDICallback(double timeStamp, std::vector<unsigned char>* message, void* userData) {
  processMIDIInput(timeStamp, message, userData);
}

void IModuleBase::processMIDIInput(double, std::vector<unsigned char>* message, void* userData) {
  IModuleBase* plug = static_cast<IModuleBase*>(userData);
  if (!plug || !message || message->empty()) return;
  if (!plug->mMidiInAccepting.load(std::memory_order_acquire)) return;  // no port open now
  // Timing is filtered out by the input; the ALSA back end counts the timing
  // tick (0xF9) as timing, the JACK back end passes it: drop it here so both agree.
  if (message->size() == 1 && (*message)[0] == 0xF9) return;
  // The split is by length alone: a message of up to three bytes is a short
  // message whatever its status, a longer one is SysEx.
  try {
    const std::vector<unsigned char>& bytes = *message;
    if (bytes.size() <= 3) {
      IMidiMsg msg(0, bytes[0], bytes.size() > 1 ? bytes[1] : 0, bytes.size() > 2 ? bytes[2] : 0);
      plug->ProcessMidiMsg(&msg, true);
    } else {
      const std::vector<unsigned char> copy(bytes);  // lives for the call only
      ISysEx sysex(0, copy.data(), static_cast<int32_t>(copy.size()));
      plug->ProcessSysEx(&sysex, true);
    }
  } catch (...) {
    // No exception may leave for the MIDI library's thread; the message is dropped.
  }
}

// ---- Sending -------------------------------------------------------------------------------------

bool IModuleBase::SendMidiMsgs(const KIT_TypedBuf<IMidiMsg>* messages) {
  bool ok = true;
  for (int i = 0; messages && i < messages->GetSize(); ++i) {
    IMidiMsg msg = messages->Get()[i];
    ok = SendMidiMsg(&msg) && ok;
  }
  return ok;
}

bool IModuleBase::SendToExternalMIDIOut(const uint8_t* bytes, int size) {
  if (!bytes || size < 1) return false;
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  if (!mMidiOut || !mMidiOutPortOpen) return false;
  try {
    mMidiOut->sendMessage(bytes, static_cast<size_t>(size));
  } catch (RtMidiError& error) {
    error.printMessage();
    return false;
  }
  return true;
}

bool IModuleBase::IsExternalMIDIOutOpen() {
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  return mMidiOut && mMidiOutPortOpen;
}

// ---- Closing -------------------------------------------------------------------------------------

void IModuleBase::CloseExternalMIDIIn() {
  mMidiInAccepting.store(false, std::memory_order_release);
  if (!mMidiIn) return;
  try {
    mMidiIn->closePort();
  } catch (RtMidiError& error) {
    error.printMessage();
  }
  delete mMidiIn;  // stops the input thread: no callback comes after this
  mMidiIn = nullptr;
  mMidiInCallbackSet = false;
}

void IModuleBase::CloseExternalMIDIOut() {
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  if (!mMidiOut) return;
  try {
    mMidiOut->closePort();
  } catch (RtMidiError& error) {
    error.printMessage();
  }
  delete mMidiOut;
  mMidiOut = nullptr;
  mMidiOutPortOpen = false;
}

void IModuleBase::CloseExternalMIDIPorts() {
  CloseExternalMIDIIn();
  CloseExternalMIDIOut();
}
