// External MIDI ports: the name lists, opening ports by name, delivering
// incoming messages to the plug-in, sending through the output port, and
// the watch of the JACK server (or of the loop-back ports).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <future>
#include <string>
#include <system_error>

#include "KIT/IModule/IMidiOutPacer.h"
#include "KIT/IModule/IMidiPortWatch.h"
#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/MidiApi.h"
#include "KIT/IModule/MidiClients.h"

namespace {

const char* const kOff = "OFF";
// Messages the input's thread takes in one go, and the backlog above which
// it thins out repeated changes of one controller (a flood): below it every
// message is handled as it came.
constexpr size_t kInputBatch = 65536;
constexpr size_t kCoalesceAbove = 32;
// How long a port change waits for the messages posted to the old port.
constexpr int kOutputDrainMs = 1000;

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
void AppendPortNames(const std::vector<std::string>& ports, std::vector<std::string>* list) {
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

bool IModuleBase::MakeMidiOutClient() {
  delete mMidiOut;
  mMidiOut = nullptr;
  mMidiOutPortOpen = false;
  try {
    mMidiOut = new MIDIOutClient(GetExternalMIDIApi(), "RtMidi Output Client");
  } catch (RtMidiError& error) {
    error.printMessage();
    mMidiOut = nullptr;
    return false;
  }
  if (!mMidiOutPacer.load()) {
    IMidiOutPacer* pacer = new IMidiOutPacer([this](const uint8_t* bytes, size_t size) {
      std::lock_guard<std::mutex> hold(mMidiOutMutex);
      if (!mMidiOut || !mMidiOutPortOpen) return true;  // closed meanwhile: nowhere to send
      try {
        mMidiOut->sendMessage(bytes, size);
      } catch (RtMidiError& error) {
        error.printMessage();
        return false;
      }
      return true;
    });
    pacer->SetDropReport(
        [this](uint64_t dropped) { OnExternalMIDIPortEvent(kMidiOutDropped, std::to_string(dropped)); });
    mMidiOutPacerOwned.reset(pacer);
    mMidiOutPacer = pacer;
  }
  return true;
}

bool IModuleBase::MakeMidiInClient() {
  mMidiInAccepting.store(false, std::memory_order_release);
  if (mMidiIn) {
    try {
      mMidiIn->closePort();
    } catch (RtMidiError& error) {
      error.printMessage();
    }
  }
  delete mMidiIn;  // its thread ends with its client: no callback comes after this
  mMidiIn = nullptr;
  mMidiInCallbackSet = false;
  try {
    mMidiIn = new MIDIInClient(GetExternalMIDIApi(), "RtMidi Input Client", 100);
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
    return false;
  }
  if (!mMidiInThread.joinable()) {
    mMidiInStop = false;
    mMidiInThread = std::thread([this] { RunMidiInput(); });
  }
  return true;
}

const std::vector<std::string>& IModuleBase::getExternalMIDIOutNames() {
  ListMidiPorts();
  return mMidiOutNames;
}

const std::vector<std::string>& IModuleBase::getExternalMIDIInNames() {
  ListMidiPorts();
  return mMidiInNames;
}

// The thread hands the lists over as soon as they are read and closes its
// client after that; it is joined when the object goes.
struct IModuleBase::MidiPortReading {
  std::promise<MIDIPortLists> promise;
  std::future<MIDIPortLists> lists = promise.get_future();
  std::thread thread;
  ~MidiPortReading() {
    if (thread.joinable()) thread.join();
  }
};

void IModuleBase::ReadMidiPortsAhead() {
  if (!mMidiOutNames.empty() || mMidiPortsAhead) return;
  auto reading = std::make_shared<MidiPortReading>();
  std::promise<MIDIPortLists>* promise = &reading->promise;  // lives as long as the thread
  const RtMidi::Api api = GetExternalMIDIApi();
  try {
    reading->thread = std::thread([promise, api] {
      try {
        GetMIDIPortLists(api, [promise](const MIDIPortLists& lists) { promise->set_value(lists); });
      } catch (...) {
        try {
          promise->set_exception(std::current_exception());
        } catch (...) {
          // The lists were handed over already.
        }
      }
    });
  } catch (const std::system_error&) {
    return;  // no thread to be had: the lists read the ports themselves
  }
  mMidiPortsAhead = std::move(reading);
}

void IModuleBase::ListMidiPorts() {
  if (!mMidiOutNames.empty()) return;  // both lists are built together
  // One reading serves both directions; the clients that open ports are
  // made when a port is chosen.
  MIDIPortLists ports;
  if (mMidiPortsAhead) {
    try {
      ports = mMidiPortsAhead->lists.get();
    } catch (...) {
      // Only "OFF" then, as when no client can be made.
    }
  } else {
    ports = GetMIDIPortLists(GetExternalMIDIApi());
  }
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  mMidiOutSelection = 0;
  mMidiInSelection = 0;
  mMidiOutNames.push_back(kOff);
  AppendPortNames(ports.outputs, &mMidiOutNames);
  mMidiInNames.push_back(kOff);
  AppendPortNames(ports.inputs, &mMidiInNames);
}

// ---- Selecting ports by name ------------------------------------------------------------

int IModuleBase::setExternalMIDIOut(int& index, const std::string& name) {
  // The callers hold it already (the watch drops dead clients under it).
  KIT_MutexLock hold(&mMutex);
  // What was posted for the port open now goes there before it closes.
  if (IMidiOutPacer* pacer = mMidiOutPacer.load()) pacer->Drain(kOutputDrainMs);
  RememberMidiPort(false, "");
  // The list is built once, before any selection: read without the lock.
  const int entry = index != 0 ? EntryOf(mMidiOutNames, name, mMidiOutNames.size()) : -1;
  const int64_t generation = entry > 0 ? ConnectMidiWatch() : -1;  // may drop dead clients
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  if (mMidiOut && mMidiOutPortOpen) {
    try {
      mMidiOut->closePort();
    } catch (RtMidiError& error) {
      error.printMessage();
    }
    mMidiOutPortOpen = false;
  }
  mMidiOutSelection = index;
  if (index == 0 || mMidiOutNames.empty()) return 0;

  if (entry > 0) FreshMidiOut(generation);
  if (entry > 0 && !mMidiOut) MakeMidiOutClient();
  const int opened = entry > 0 && mMidiOut ? OpenMIDIPortByName(mMidiOut->Ports(), name, "RtMidi Output") : 0;
  if (opened == 0) {  // "OFF", not listed, or no such port at present
    index = 0;
    return 0;
  }
  index = entry;
  mMidiOutPortOpen = opened > 0;
  if (opened < 0) return 0;
  RememberMidiPort(false, name);
  PaceMidiOut();
  return entry;
}

int IModuleBase::setExternalMIDIIn(int& index, const std::string& name) {
  KIT_MutexLock hold(&mMutex);
  mMidiInAccepting.store(false, std::memory_order_release);
  RememberMidiPort(true, "");
  if (mMidiIn && mMidiIn->isPortOpen()) {
    try {
      mMidiIn->closePort();
    } catch (RtMidiError& error) {
      error.printMessage();
    }
  }
  mMidiInSelection = index;
  if (index == 0) return 0;

  const int entry = EntryOf(mMidiInNames, name, mMidiInNames.size());
  if (entry > 0) FreshMidiIn(ConnectMidiWatch());
  if (entry > 0 && !mMidiIn) MakeMidiInClient();
  const int opened = entry > 0 && mMidiIn ? OpenMIDIPortByName(mMidiIn->Ports(), name, "RtMidi Input") : 0;
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
  RememberMidiPort(true, name);
  return entry;
}

bool IModuleBase::initializeVirtualOutput(const std::string& name) {
  KIT_MutexLock hold(&mMutex);
  if (IMidiOutPacer* pacer = mMidiOutPacer.load()) pacer->Drain(kOutputDrainMs);
  RememberMidiPort(false, "");
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  if (!MakeMidiOutClient()) return false;
  try {
    mMidiOut->openVirtualPort("From " + name);
    mMidiOutPortOpen = true;
  } catch (RtMidiError& error) {
    error.printMessage();
    return false;
  }
  return true;
}

// ---- Look-ups by name -------------------------------------------------------------------------

// These ask the clients for the ports present now: a client not made yet
// is made here.

int IModuleBase::getExternalMIDIOutDevice(const std::string& name) {
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  if (!mMidiOut) MakeMidiOutClient();
  return EntryOf(mMidiOutNames, name, GetMIDIPortNames(mMidiOut ? mMidiOut->Ports() : nullptr).size() + 1);
}

int IModuleBase::getExternalMIDIInDevice(const std::string& name) {
  if (!mMidiIn) MakeMidiInClient();
  return EntryOf(mMidiInNames, name, GetMIDIPortNames(mMidiIn ? mMidiIn->Ports() : nullptr).size() + 1);
}

int IModuleBase::GetMIDIOutPortNumber(const std::string& name) {
  if (name == kOff) return 0;
  if (name == "virtual output") return 1;
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  if (!mMidiOut) MakeMidiOutClient();
  const int port = PortNow(mMidiOut ? mMidiOut->Ports() : nullptr, name);
  return port < 0 ? -1 : port + 1;
}

int IModuleBase::GetMIDIInPortNumber(const std::string& name) {
  if (name == kOff) return 0;
  if (name == "virtual input") return 1;
  if (!mMidiIn) MakeMidiInClient();
  const int port = PortNow(mMidiIn ? mMidiIn->Ports() : nullptr, name);
  return port < 0 ? -1 : port + 1;
}

// ---- Receiving -----------------------------------------------------------------------------------

void IModuleBase::MIDICallback(double, std::vector<unsigned char>* message, void* userData) {
  IModuleBase* plug = static_cast<IModuleBase*>(userData);
  if (!plug || !message || message->empty()) return;
  if (!plug->mMidiInAccepting.load(std::memory_order_acquire)) return;  // no port open now
  plug->mMidiInQueue.Push(message->data(), message->size());            // dropped (and counted) when full
}

void IModuleBase::RunMidiInput() {
  std::vector<std::vector<unsigned char>> batch;
  while (!mMidiInStop.load()) {
    if (mMidiInQueue.Wait(100)) {
      batch.clear();
      mMidiInQueue.Take(batch, kInputBatch);
      // A backlog this long is a flood: of one controller's changes only the
      // last is still worth handling.
      if (batch.size() > kCoalesceAbove) CoalesceRepeatedChanges(batch);
      for (std::vector<unsigned char>& message : batch) {
        if (mMidiInStop.load()) break;
        processMIDIInput(0.0, &message, this);
      }
    }
    if (const uint64_t dropped = mMidiInQueue.TakeDropped())
      OnExternalMIDIPortEvent(kMidiInDropped, std::to_string(dropped));
  }
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
  if (!bytes || size < 1 || !mMidiOutPortOpen.load()) return false;
  IMidiOutPacer* pacer = mMidiOutPacer.load();
  const bool realTime = mRealTimeThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
  return pacer && pacer->Post(bytes, static_cast<size_t>(size), realTime);
}

bool IModuleBase::IsExternalMIDIOutOpen() { return mMidiOutPortOpen.load(); }

// ---- Ports that go away ----------------------------------------------------------------

void IModuleBase::RememberMidiPort(bool input, const std::string& name) {
  std::lock_guard<std::mutex> lock(mMidiPortNamesMutex);
  (input ? mMidiInPortName : mMidiOutPortName) = name;
}

int64_t IModuleBase::ConnectMidiWatch() {
  const RtMidi::Api api = GetExternalMIDIApi();
  if (api == kLoopbackMIDIApi && mLoopbackWatch.load() == 0)
    mLoopbackWatch = WatchLoopbackMidiPorts([this] { TellLostMidiPorts(false, &LoopbackMidiPortExists); });
  if (api != RtMidi::UNIX_JACK) return -1;
  if (!mMidiWatch)
    mMidiWatch =
        std::make_shared<IMidiPortWatch>([this](IMidiPortWatch& watch) { OnMidiPortsChanged(&watch); });
  // The watch's thread may not have dropped them yet.
  if (mMidiWatch->Lost()) DropDeadMidiClients();
  return mMidiWatch->Connect() ? static_cast<int64_t>(mMidiWatch->Generation()) : -1;
}

void IModuleBase::DropDeadMidiClients() {
  mMidiInAccepting.store(false, std::memory_order_release);
  delete mMidiIn;  // a dead client: its thread is gone already
  mMidiIn = nullptr;
  mMidiInCallbackSet = false;
  mMidiInGeneration = -1;
  std::lock_guard<std::mutex> lock(mMidiOutMutex);
  delete mMidiOut;
  mMidiOut = nullptr;
  mMidiOutPortOpen = false;
  mMidiOutGeneration = -1;
}

// A client that the watch did not see made on the server running now may
// belong to one that went away: any call on it but closing could crash or
// hang. It is made anew, once per server.
void IModuleBase::FreshMidiIn(int64_t generation) {
  if (generation < 0 || generation == mMidiInGeneration) return;
  if (MakeMidiInClient()) mMidiInGeneration = generation;
}

void IModuleBase::FreshMidiOut(int64_t generation) {
  if (generation < 0 || generation == mMidiOutGeneration) return;
  if (MakeMidiOutClient()) mMidiOutGeneration = generation;
}

void IModuleBase::PaceMidiOut() {
  IMidiOutPacer* pacer = mMidiOutPacer.load();
  if (pacer && mMidiWatch && mMidiWatch->Connected()) pacer->SetCycles(mMidiWatch);
}

void IModuleBase::OnMidiPortsChanged(IMidiPortWatch* watch) {
  if (!watch) return;
  const bool serverGone = watch->TakeServerGone();
  if (serverGone) {
    KIT_MutexLock lock(&mMutex);  // as every selection holds it
    if (watch->Lost()) DropDeadMidiClients();
  }
  // Looked up without the names' lock: the server is asked.
  TellLostMidiPorts(serverGone, [watch](const std::string& name) { return watch->PortExists(name); });
}

void IModuleBase::TellLostMidiPorts(bool serverGone, const std::function<bool(const std::string&)>& exists) {
  std::string input, output;
  {
    std::lock_guard<std::mutex> lock(mMidiPortNamesMutex);
    input = mMidiInPortName;
    output = mMidiOutPortName;
  }
  const bool inputGone = !input.empty() && (serverGone || !exists(input));
  const bool outputGone = !output.empty() && (serverGone || !exists(output));
  {
    // Each loss is told once: a port chosen again meanwhile is not forgotten.
    std::lock_guard<std::mutex> lock(mMidiPortNamesMutex);
    if (inputGone && mMidiInPortName == input) mMidiInPortName.clear();
    if (outputGone && mMidiOutPortName == output) mMidiOutPortName.clear();
  }
  if (inputGone) OnExternalMIDIPortEvent(kMidiInPortGone, input);
  if (outputGone) OnExternalMIDIPortEvent(kMidiOutPortGone, output);
  if (serverGone) OnExternalMIDIPortEvent(kMidiServerGone, "");
}

// ---- Closing -------------------------------------------------------------------------------------

void IModuleBase::CloseExternalMIDIIn() {
  // The watch first: its notices reach into the plug-in and both ports.
  if (mMidiWatch) mMidiWatch->Stop();
  if (const uint64_t watch = mLoopbackWatch.exchange(0)) StopWatchingLoopbackMidiPorts(watch);
  mMidiInAccepting.store(false, std::memory_order_release);
  RememberMidiPort(true, "");
  if (mMidiIn) {
    try {
      mMidiIn->closePort();
    } catch (RtMidiError& error) {
      error.printMessage();
    }
    delete mMidiIn;  // stops the library's thread: no callback comes after this
    mMidiIn = nullptr;
    mMidiInCallbackSet = false;
  }
  // Then our own: no message reaches the plug-in after this.
  mMidiInStop = true;
  mMidiInQueue.Wake();
  if (mMidiInThread.joinable()) mMidiInThread.join();
  mMidiInQueue.Clear();
}

void IModuleBase::CloseExternalMIDIOut() {
  RememberMidiPort(false, "");
  // The pacer sends what waits, then stops; what is posted after this is
  // dropped.
  if (IMidiOutPacer* pacer = mMidiOutPacer.load()) pacer->Stop();
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
