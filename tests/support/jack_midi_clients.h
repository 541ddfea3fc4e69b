// JACK clients of the tests' own, written straight on the JACK library so that
// they keep the pace of the server's cycle exactly: a flood source that puts
// a given number of MIDI messages a second on an output port, spread evenly
// over the frames, and a counter that takes every event arriving at an input
// port. Both work in the JACK process callback without locks or allocation,
// and both report what the server did to them (a cycle in which the source
// could not write, events the counter saw out of order).
#pragma once

#include <errno.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace jacktest {

// The bytes of the i-th message of a flood (at most three).
using FloodMessage = std::function<std::vector<uint8_t>(uint64_t index)>;

// One JACK client with one MIDI port. Not copyable; the client closes with it.
class MidiClient {
 public:
  MidiClient(const std::string& name, bool output) : m_output(output) {
    jack_status_t status{};
    m_client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (!m_client) return;
    m_port = jack_port_register(m_client, output ? "out" : "in", JACK_DEFAULT_MIDI_TYPE,
                                output ? JackPortIsOutput : JackPortIsInput, 0);
    jack_set_process_callback(m_client, &MidiClient::Process, this);
  }
  virtual ~MidiClient() { Close(); }
  MidiClient(const MidiClient&) = delete;
  MidiClient& operator=(const MidiClient&) = delete;

  // True once the client runs with its port.
  bool Activate() { return m_client && m_port && jack_activate(m_client) == 0; }
  bool Ok() const { return m_client && m_port; }
  // The port's full name ("client:port").
  std::string PortName() const { return m_port ? jack_port_name(m_port) : ""; }
  // Connects this port with another port (either direction by kind).
  bool ConnectWith(const std::string& other) {
    if (!m_client) return false;
    const std::string mine = PortName();
    const int result = m_output ? jack_connect(m_client, mine.c_str(), other.c_str())
                                : jack_connect(m_client, other.c_str(), mine.c_str());
    return result == 0 || result == EEXIST;
  }
  jack_nframes_t SampleRate() const { return m_client ? jack_get_sample_rate(m_client) : 0; }
  // The full name of the first port whose name ends with ":" + portName,
  // or "" when there is none.
  std::string FindPort(const std::string& portName) const {
    if (!m_client) return "";
    std::string found;
    if (const char** names = jack_get_ports(m_client, nullptr, JACK_DEFAULT_MIDI_TYPE, 0)) {
      for (const char** name = names; *name && found.empty(); ++name) {
        const std::string full = *name;
        const std::string tail = ":" + portName;
        if (full.size() > tail.size() && full.compare(full.size() - tail.size(), tail.size(), tail) == 0)
          found = full;
      }
      jack_free(names);
    }
    return found;
  }
  // The full names of the ports connected to a port.
  std::vector<std::string> ConnectionsOf(const std::string& portName) const {
    std::vector<std::string> connections;
    jack_port_t* port = m_client ? jack_port_by_name(m_client, portName.c_str()) : nullptr;
    if (!port) return connections;
    if (const char** names = jack_port_get_all_connections(m_client, port)) {
      for (const char** name = names; *name; ++name) connections.push_back(*name);
      jack_free(names);
    }
    return connections;
  }
  // Closes the client; the process callback has ended when this returns. A
  // derived class calls it first in its destructor, so that no cycle runs on
  // a half-destroyed object.
  void Close() {
    if (m_client) jack_client_close(m_client);
    m_client = nullptr;
    m_port = nullptr;
  }

 protected:
  virtual void Cycle(void* buffer, jack_nframes_t frames) = 0;

 private:
  static int Process(jack_nframes_t frames, void* self) {
    MidiClient* client = static_cast<MidiClient*>(self);
    client->Cycle(jack_port_get_buffer(client->m_port, frames), frames);
    return 0;
  }

  bool m_output;
  jack_client_t* m_client = nullptr;
  jack_port_t* m_port = nullptr;
};

// Puts count messages on its output port at rate messages a second, message i
// at frame i * sampleRate / rate after the start, once Start is called. The
// messages are made before the start, so the process callback only copies.
class MidiFlood : public MidiClient {
 public:
  explicit MidiFlood(const std::string& name) : MidiClient(name, true) {}
  ~MidiFlood() override { Close(); }

  void Start(uint64_t count, double rate, const FloodMessage& message) {
    // A flood still under way finishes first: its messages are read by the
    // process callback until it ends.
    while (m_running.load(std::memory_order_acquire))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_messages.clear();
    for (uint64_t i = 0; i < count; ++i) {
      std::vector<uint8_t> bytes = message(i);
      Packed packed;
      packed.size = static_cast<uint8_t>(bytes.size() > 3 ? 3 : bytes.size());
      for (uint8_t b = 0; b < packed.size; ++b) packed.bytes[b] = bytes[b];
      m_messages.push_back(packed);
    }
    m_framesPerMessage = SampleRate() / rate;
    m_next = 0;
    m_frame = 0;
    m_written = 0;
    m_lost = 0;
    m_running.store(true, std::memory_order_release);
  }
  // Messages written so far, and those the port had no room for (lost).
  uint64_t Written() const { return m_written.load(); }
  uint64_t Lost() const { return m_lost.load(); }
  bool Done() const { return m_written.load() + m_lost.load() >= m_messages.size() && !m_messages.empty(); }

 protected:
  void Cycle(void* buffer, jack_nframes_t frames) override {
    jack_midi_clear_buffer(buffer);
    if (!m_running.load(std::memory_order_acquire)) return;
    for (jack_nframes_t f = 0; f < frames; ++f, ++m_frame) {
      while (m_next < m_messages.size() && static_cast<double>(m_next) * m_framesPerMessage <= m_frame) {
        const Packed& message = m_messages[m_next++];
        if (jack_midi_event_write(buffer, f, message.bytes, message.size) == 0)
          m_written.fetch_add(1);
        else
          m_lost.fetch_add(1);
      }
    }
    if (m_next >= m_messages.size()) m_running.store(false, std::memory_order_release);
  }

 private:
  struct Packed {
    uint8_t bytes[3] = {0, 0, 0};
    uint8_t size = 0;
  };
  std::vector<Packed> m_messages;
  double m_framesPerMessage = 1.0;
  uint64_t m_next = 0;
  uint64_t m_frame = 0;
  std::atomic<bool> m_running{false};
  std::atomic<uint64_t> m_written{0};
  std::atomic<uint64_t> m_lost{0};
};

// Counts the events reaching its input port, checks each against the
// message the flood made under the same number, and keeps the last one.
class MidiCounter : public MidiClient {
 public:
  MidiCounter(const std::string& name, FloodMessage expected)
      : MidiClient(name, false), m_expected(std::move(expected)) {}
  ~MidiCounter() override { Close(); }

  // Must be called once, before events arrive: the expected messages are
  // made here, so that the process callback does not allocate.
  void Expect(uint64_t count) {
    m_table.clear();
    for (uint64_t i = 0; i < count; ++i) {
      const std::vector<uint8_t> bytes = m_expected(i);
      uint32_t word = static_cast<uint32_t>(bytes.size());
      for (size_t b = 0; b < bytes.size() && b < 3; ++b)
        word |= static_cast<uint32_t>(bytes[b]) << (8 * (b + 1));
      m_table.push_back(word);
    }
    m_armed.store(true, std::memory_order_release);
  }
  uint64_t Received() const { return m_received.load(); }
  // Events that were not the next message the flood made.
  uint64_t OutOfOrder() const { return m_outOfOrder.load(); }

 protected:
  void Cycle(void* buffer, jack_nframes_t) override {
    if (!m_armed.load(std::memory_order_acquire)) return;
    const uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t e = 0; e < count; ++e) {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, buffer, e) != 0) continue;
      uint32_t word = static_cast<uint32_t>(event.size);
      for (size_t b = 0; b < event.size && b < 3; ++b)
        word |= static_cast<uint32_t>(event.buffer[b]) << (8 * (b + 1));
      const uint64_t index = m_received.load();
      if (index >= m_table.size() || m_table[index] != word) m_outOfOrder.fetch_add(1);
      m_received.store(index + 1);
    }
  }

 private:
  FloodMessage m_expected;
  std::vector<uint32_t> m_table;
  std::atomic<bool> m_armed{false};
  std::atomic<uint64_t> m_received{0};
  std::atomic<uint64_t> m_outOfOrder{0};
};

// A client of the graph whose process callback, once armed, takes a long
// time over one cycle: with the server synchronous, every client's cycle
// waits, as when a server is held up. Its port is never used.
class CycleStaller : public MidiClient {
 public:
  explicit CycleStaller(const std::string& name) : MidiClient(name, false) {}
  ~CycleStaller() override { Close(); }

  // The next cycle takes that long.
  void StallNextCycle(std::chrono::milliseconds length) {
    m_length = length;
    m_armed.store(true, std::memory_order_release);
  }
  // Whether the stalled cycle is under way.
  bool Stalling() const { return m_stalling.load(); }

 protected:
  void Cycle(void*, jack_nframes_t) override {
    if (!m_armed.exchange(false, std::memory_order_acq_rel)) return;
    m_stalling = true;
    std::this_thread::sleep_for(m_length);  // the point of this client
    m_stalling = false;
  }

 private:
  std::chrono::milliseconds m_length{0};
  std::atomic<bool> m_armed{false};
  std::atomic<bool> m_stalling{false};
};

}  // namespace jacktest
