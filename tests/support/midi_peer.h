// A test's own JACK clients made with the MIDI library (or, given
// kLoopbackMIDIApi, loop-back clients of the test process): MidiPeerIn, one
// input port that keeps every message reaching it until the test takes it,
// and MidiPeerOut, one output port the test sends on. Each client's name is the
// caller's; name it after the process (and a counter) so that tests running
// side by side never meet each other's ports.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "KIT/IModule/MidiApi.h"
#include "KIT/IModule/MidiClients.h"

class MidiPeerIn {
 public:
  using Bytes = std::vector<unsigned char>;
  static constexpr std::chrono::milliseconds kWait{10000};

  // Opens the client with its port; with keepTimingAndSensing false, clock
  // and active sensing messages are dropped before they are kept.
  explicit MidiPeerIn(const std::string& client, const std::string& port = "in",
                      bool keepTimingAndSensing = true, RtMidi::Api api = RtMidi::UNIX_JACK);
  MidiPeerIn(const MidiPeerIn&) = delete;
  MidiPeerIn& operator=(const MidiPeerIn&) = delete;

  // The port's full name ("client:port").
  std::string PortName() const { return m_client + ":" + m_port; }
  // Connects the input to the first output port whose name ends with suffix
  // (in place of the port of its own).
  bool ConnectToOutputEndingWith(const std::string& suffix);

  // Waits until bytes arrived; true if they did, with everything kept so
  // far in *upToThen when given.
  bool WaitFor(const Bytes& bytes, std::vector<Bytes>* upToThen = nullptr,
               std::chrono::milliseconds timeout = kWait);
  // Waits until count messages are kept; what is kept by then.
  std::vector<Bytes> WaitForCount(size_t count, std::chrono::milliseconds timeout = kWait);
  // Waits until bytes arrived; true with what came before them in *before
  // (when given), forgetting all up to and with them. False when they never came.
  bool TakeUpTo(const Bytes& bytes, std::vector<Bytes>* before, std::chrono::milliseconds timeout = kWait);
  // Takes the first message kept, waiting for one; empty when none came.
  Bytes Next(std::chrono::milliseconds timeout = kWait);
  void Clear();

 private:
  static void Callback(double, std::vector<unsigned char>* message, void* self);
  // Whether bytes are kept; the caller holds m_mutex.
  bool Kept(const Bytes& bytes) const { return std::find(m_got.begin(), m_got.end(), bytes) != m_got.end(); }

  std::string m_client, m_port;
  // What the callback uses exists before the input's thread starts (making
  // m_in starts it) and outlives it.
  std::mutex m_mutex;
  std::condition_variable m_signal;
  std::vector<Bytes> m_got;
  MIDIInClient m_in;  // last, so it goes first: its thread calls Callback until then
};

class MidiPeerOut {
 public:
  explicit MidiPeerOut(const std::string& client, const std::string& port = "out",
                       RtMidi::Api api = RtMidi::UNIX_JACK)
      : m_client(client), m_port(port), m_out(api, client) {
    m_out.openVirtualPort(port);
  }
  std::string PortName() const { return m_client + ":" + m_port; }
  void Send(const std::vector<unsigned char>& bytes) { m_out.sendMessage(bytes.data(), bytes.size()); }

 private:
  std::string m_client, m_port;
  MIDIOutClient m_out;
};

// ---------------------------------------------------------------------------

inline MidiPeerIn::MidiPeerIn(const std::string& client, const std::string& port, bool keepTimingAndSensing,
                              RtMidi::Api api)
    : m_client(client), m_port(port), m_in(api, client) {
  m_in.setCallback(&MidiPeerIn::Callback, this);
  m_in.ignoreTypes(false, !keepTimingAndSensing, !keepTimingAndSensing);
  m_in.openVirtualPort(port);
}

inline bool MidiPeerIn::ConnectToOutputEndingWith(const std::string& suffix) {
  for (const std::string& name : GetMIDIPortNames(m_in.Ports())) {
    if (name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      m_in.closePort();
      return OpenMIDIPortByName(m_in.Ports(), name, m_port) == 1;
    }
  }
  return false;
}

inline bool MidiPeerIn::WaitFor(const Bytes& bytes, std::vector<Bytes>* upToThen,
                                std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  const bool came = m_signal.wait_for(lock, timeout, [&] { return Kept(bytes); });
  if (upToThen) *upToThen = m_got;
  return came;
}

inline std::vector<MidiPeerIn::Bytes> MidiPeerIn::WaitForCount(size_t count,
                                                               std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_signal.wait_for(lock, timeout, [&] { return m_got.size() >= count; });
  return m_got;
}

inline bool MidiPeerIn::TakeUpTo(const Bytes& bytes, std::vector<Bytes>* before,
                                 std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_signal.wait_for(lock, timeout, [&] { return Kept(bytes); })) return false;
  const auto at = std::find(m_got.begin(), m_got.end(), bytes);
  if (before) before->assign(m_got.begin(), at);
  m_got.erase(m_got.begin(), at + 1);
  return true;
}

inline MidiPeerIn::Bytes MidiPeerIn::Next(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_signal.wait_for(lock, timeout, [&] { return !m_got.empty(); })) return Bytes();
  Bytes first = m_got.front();
  m_got.erase(m_got.begin());
  return first;
}

inline void MidiPeerIn::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_got.clear();
}

inline void MidiPeerIn::Callback(double, std::vector<unsigned char>* message, void* self) {
  MidiPeerIn* peer = static_cast<MidiPeerIn*>(self);
  std::lock_guard<std::mutex> lock(peer->m_mutex);
  peer->m_got.push_back(*message);
  peer->m_signal.notify_all();
}
