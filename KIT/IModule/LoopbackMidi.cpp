#include "KIT/IModule/LoopbackMidi.h"

#include <iostream>
#include <map>
#include <mutex>

namespace {

// A virtual port of a client. Sources are outputs' ports (inputs listen to
// them); the others are inputs' ports (outputs send to them), with the
// input that takes what arrives.
struct Port {
  uint64_t id;
  std::string name;
  bool source;
  LoopbackMidiIn* taker;
};

struct Registry {
  // Ports, connections and deliveries. Recursive: a sender reached again
  // from a callback on its own thread does not lock itself out.
  std::recursive_mutex mutex;
  std::vector<Port> ports;                        // in the order they were made
  std::map<LoopbackMidiIn*, uint64_t> listening;  // input -> source it opened
  uint64_t nextId = 1;
  // Watchers; their notices run under noticeMutex, never under mutex.
  std::mutex noticeMutex;
  std::map<uint64_t, std::function<void()>> watchers;
  uint64_t nextWatch = 1;
};

// Never destroyed: clients deleted during exit still find it.
Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

std::vector<const Port*> PortsOf(Registry& r, bool source) {
  std::vector<const Port*> found;
  for (const Port& port : r.ports)
    if (port.source == source) found.push_back(&port);
  return found;
}

// The id of the number-th port of the kind; throws when there is none.
uint64_t PortNumbered(Registry& r, bool source, unsigned int number, const char* who) {
  const std::vector<const Port*> ports = PortsOf(r, source);
  if (number >= ports.size())
    throw RtMidiError(std::string(who) + ": the port number is out of range.",
                      RtMidiError::INVALID_PARAMETER);
  return ports[number]->id;
}

std::string PortName(bool source, unsigned int number) {
  Registry& r = TheRegistry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  const std::vector<const Port*> ports = PortsOf(r, source);
  return number < ports.size() ? ports[number]->name : std::string();
}

unsigned int PortCount(bool source) {
  Registry& r = TheRegistry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  return static_cast<unsigned int>(PortsOf(r, source).size());
}

// Makes a virtual port; a full name already taken is refused.
uint64_t AddPort(const std::string& name, bool source, LoopbackMidiIn* taker, const char* who) {
  Registry& r = TheRegistry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  for (const Port& port : r.ports)
    if (port.name == name)
      throw RtMidiError(std::string(who) + ": a port named \"" + name + "\" exists already.",
                        RtMidiError::DRIVER_ERROR);
  r.ports.push_back(Port{r.nextId, name, source, taker});
  return r.nextId++;
}

void TellWatchers() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.noticeMutex);
  for (auto& watcher : r.watchers) watcher.second();
}

// Removes the port (0: none); the watchers are told outside the lock.
void RemovePort(uint64_t id) {
  if (id == 0) return;
  Registry& r = TheRegistry();
  {
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    for (auto port = r.ports.begin(); port != r.ports.end(); ++port) {
      if (port->id == id) {
        r.ports.erase(port);
        break;
      }
    }
  }
  TellWatchers();
}

void Warn(const std::string& text) { std::cerr << '\n' << text << "\n\n"; }

}  // namespace

// ---- Both directions ----------------------------------------------------------------------

LoopbackMidiPort::LoopbackMidiPort(const std::string& clientName, bool input)
    : mClient(clientName), mInput(input) {}

unsigned int LoopbackMidiPort::getPortCount() { return PortCount(mInput); }

std::string LoopbackMidiPort::getPortName(unsigned int portNumber) { return PortName(mInput, portNumber); }

void LoopbackMidiPort::openPort(unsigned int portNumber, const std::string&) {
  Registry& r = TheRegistry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  const std::string who = mInput ? "LoopbackMidiIn::openPort" : "LoopbackMidiOut::openPort";
  if (mOpened != 0) {
    Warn(who + ": a port is open already.");
    return;
  }
  mOpened = PortNumbered(r, mInput, portNumber, who.c_str());
}

void LoopbackMidiPort::openVirtualPort(const std::string& portName) {
  const std::string who = mInput ? "LoopbackMidiIn::openVirtualPort" : "LoopbackMidiOut::openVirtualPort";
  Registry& r = TheRegistry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  if (mVirtual != 0) {
    Warn(who + ": a virtual port is open already.");
    return;
  }
  // An input's virtual port takes what arrives; an output's is a source.
  LoopbackMidiIn* taker = mInput ? static_cast<LoopbackMidiIn*>(this) : nullptr;
  mVirtual = AddPort(mClient + ":" + portName, !mInput, taker, who.c_str());
}

bool LoopbackMidiPort::isPortOpen() const {
  std::lock_guard<std::recursive_mutex> lock(TheRegistry().mutex);
  return mOpened != 0;
}

void LoopbackMidiPort::setErrorCallback(RtMidiErrorCallback, void*) {}

RtMidi::Api LoopbackMidiPort::getCurrentApi() throw() { return RtMidi::RTMIDI_DUMMY; }

uint64_t LoopbackMidiPort::Forget() {
  const uint64_t gone = mVirtual;
  mOpened = 0;
  mVirtual = 0;
  return gone;
}

// ---- Input -----------------------------------------------------------------------------

LoopbackMidiIn::LoopbackMidiIn(const std::string& clientName) : LoopbackMidiPort(clientName, true) {}

LoopbackMidiIn::~LoopbackMidiIn() { closePort(); }

void LoopbackMidiIn::openPort(unsigned int portNumber, const std::string& portName) {
  Registry& r = TheRegistry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  const bool wasOpen = mOpened != 0;
  LoopbackMidiPort::openPort(portNumber, portName);
  if (wasOpen) return;
  r.listening[this] = mOpened;
  mFirst = true;
}

void LoopbackMidiIn::closePort() {
  uint64_t gone = 0;
  {
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    r.listening.erase(this);
    gone = Forget();
    for (Port& port : r.ports)
      if (port.id == gone) port.taker = nullptr;  // takes nothing from now on
  }
  RemovePort(gone);
}

void LoopbackMidiIn::setCallback(RtMidiIn::RtMidiCallback callback, void* userData) {
  std::lock_guard<std::recursive_mutex> lock(TheRegistry().mutex);
  mCallback = callback;
  mUserData = userData;
}

void LoopbackMidiIn::ignoreTypes(bool midiSysex, bool midiTime, bool midiSense) {
  std::lock_guard<std::recursive_mutex> lock(TheRegistry().mutex);
  mIgnoreSysex = midiSysex;
  mIgnoreTime = midiTime;
  mIgnoreSense = midiSense;
}

void LoopbackMidiIn::Deliver(const unsigned char* bytes, size_t size) {
  if (!mCallback || size == 0) return;
  const unsigned char status = bytes[0];
  if (mIgnoreSysex && status == 0xF0) return;
  if (mIgnoreTime && (status == 0xF1 || status == 0xF8)) return;
  if (mIgnoreSense && status == 0xFE) return;
  const auto now = std::chrono::steady_clock::now();
  const double delta = mFirst ? 0.0 : std::chrono::duration<double>(now - mLast).count();
  mFirst = false;
  mLast = now;
  std::vector<unsigned char> message(bytes, bytes + size);
  mCallback(delta, &message, mUserData);
}

// ---- Output ----------------------------------------------------------------------------

LoopbackMidiOut::LoopbackMidiOut(const std::string& clientName) : LoopbackMidiPort(clientName, false) {}

LoopbackMidiOut::~LoopbackMidiOut() { closePort(); }

void LoopbackMidiOut::closePort() {
  uint64_t gone = 0;
  {
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    gone = Forget();
    // Inputs that listened to it hear nothing more.
    for (auto input = r.listening.begin(); input != r.listening.end(); ++input)
      if (input->second == gone) input->second = 0;
  }
  RemovePort(gone);
}

void LoopbackMidiOut::sendMessage(const unsigned char* message, size_t size) {
  if (!message || size == 0)
    throw RtMidiError("LoopbackMidiOut::sendMessage: no data in message argument!", RtMidiError::WARNING);
  Registry& r = TheRegistry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  std::vector<LoopbackMidiIn*> takers;
  for (const Port& port : r.ports)
    if (port.id == mOpened && port.taker) takers.push_back(port.taker);
  if (mVirtual != 0)
    for (const auto& input : r.listening)
      if (input.second == mVirtual) takers.push_back(input.first);
  for (LoopbackMidiIn* taker : takers) taker->Deliver(message, size);
}

// ---- Lists and watchers ------------------------------------------------------------------

void ListLoopbackMidiPorts(std::vector<std::string>* inputs, std::vector<std::string>* outputs) {
  Registry& r = TheRegistry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  for (const Port& port : r.ports) {
    std::vector<std::string>* list = port.source ? inputs : outputs;
    if (list) list->push_back(port.name);
  }
}

bool LoopbackMidiPortExists(const std::string& name) {
  Registry& r = TheRegistry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  for (const Port& port : r.ports)
    if (port.name == name) return true;
  return false;
}

uint64_t WatchLoopbackMidiPorts(std::function<void()> notice) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.noticeMutex);
  r.watchers[r.nextWatch] = std::move(notice);
  return r.nextWatch++;
}

void StopWatchingLoopbackMidiPorts(uint64_t watch) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.noticeMutex);
  r.watchers.erase(watch);
}
