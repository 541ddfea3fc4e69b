// What reached a test plug-in's MIDI handlers, in order: short messages as
// their three bytes, SysEx whole, each with where it came from and its
// offset. The handlers add from whatever thread calls them; tests read, take
// or wait from theirs.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "KIT/IModule/IModuleStructs.h"

struct ReceivedMidi {
  std::vector<uint8_t> bytes;
  bool isSysEx;
  bool fromDevice;
  int offset;

  static ReceivedMidi Of(const IMidiMsg& msg, bool fromDevice);
  // A SysEx without data gives no bytes.
  static ReceivedMidi Of(const ISysEx& msg, bool fromDevice);
};

class MidiRecord {
 public:
  void Add(ReceivedMidi received);
  // All that arrived so far; Take also forgets it.
  std::vector<ReceivedMidi> SoFar() const;
  std::vector<ReceivedMidi> Take();
  void Clear();
  // Waits until a message with these bytes arrived; false when the time ran
  // out. *upToThen (when given) gets all that arrived up to then.
  bool WaitFor(const std::vector<uint8_t>& bytes, std::vector<ReceivedMidi>* upToThen,
               std::chrono::milliseconds timeout);

 private:
  mutable std::mutex m_lock;
  std::condition_variable m_arrived;
  std::vector<ReceivedMidi> m_received;
};

// ---------------------------------------------------------------------------

inline ReceivedMidi ReceivedMidi::Of(const IMidiMsg& msg, bool fromDevice) {
  return {{msg.mStatus, msg.mData1, msg.mData2}, false, fromDevice, msg.mOffset};
}

inline ReceivedMidi ReceivedMidi::Of(const ISysEx& msg, bool fromDevice) {
  std::vector<uint8_t> bytes;
  if (msg.mData && msg.mSize > 0) bytes.assign(msg.mData, msg.mData + msg.mSize);
  return {std::move(bytes), true, fromDevice, msg.mOffset};
}

inline void MidiRecord::Add(ReceivedMidi received) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_received.push_back(std::move(received));
  m_arrived.notify_all();
}

inline std::vector<ReceivedMidi> MidiRecord::SoFar() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_received;
}

inline std::vector<ReceivedMidi> MidiRecord::Take() {
  std::lock_guard<std::mutex> hold(m_lock);
  return std::exchange(m_received, {});
}

inline void MidiRecord::Clear() { Take(); }

inline bool MidiRecord::WaitFor(const std::vector<uint8_t>& bytes, std::vector<ReceivedMidi>* upToThen,
                                std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> hold(m_lock);
  const bool arrived = m_arrived.wait_for(hold, timeout, [&] {
    return std::any_of(m_received.begin(), m_received.end(),
                       [&](const ReceivedMidi& r) { return r.bytes == bytes; });
  });
  if (upToThen) *upToThen = m_received;
  return arrived;
}
