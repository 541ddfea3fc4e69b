// Watches the JACK server that carries the external MIDI ports, with a client
// of its own: the MIDI library's clients say nothing when the server goes
// away or a port they are connected to disappears. The watch learns both
// from the server (its shutdown and port-registration callbacks), and tells
// its owner on a thread of its own, where the owner may look ports up and
// close its own. It also counts the server's cycles, the clock by which the
// output pacer (IMidiOutPacer) keeps pace with what a port carries.
//
// Threads: the JACK callbacks only set flags and wake the watch's thread,
// which calls the notice; Connect, PortExists and the cycle readers may be
// called from any thread.
#pragma once

#include <jack/jack.h>
#include <semaphore.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/IMidiOutPacer.h"

class IMidiPortWatch : public IMidiOutPacer::Cycles {
 public:
  // Called on the watch's thread after the server went away or ports came
  // or went (possibly once for several changes).
  using Notice = std::function<void(IMidiPortWatch& watch)>;

  explicit IMidiPortWatch(Notice notice);
  IMidiPortWatch(const IMidiPortWatch&) = delete;
  IMidiPortWatch& operator=(const IMidiPortWatch&) = delete;
  ~IMidiPortWatch() override;  // Stop

  // Ends the thread (a running notice ends first) and closes the client;
  // the watch then tells nothing more. Stopping again does nothing.
  void Stop();

  // Opens a client on the server (the one JACK_DEFAULT_SERVER names) unless
  // one is open; true when the watch is connected. A server that went away
  // is followed to a new one by calling Connect again.
  bool Connect();
  bool Connected() const { return mConnected.load(); }
  // Counts the servers the watch connected to: a MIDI library client made
  // under another count belongs to a server that went away (or to none the
  // watch saw) and must be made anew before it is used.
  uint64_t Generation() const { return mGeneration.load(); }
  // True once for each time the server went away.
  bool TakeServerGone() { return mServerGone.exchange(false); }
  // Whether a port of that full name ("client:port") exists on the server
  // now; false without a connection.
  bool PortExists(const std::string& name);

  // The cycle clock (IMidiOutPacer::Cycles): cycles run since the watch was
  // made, and bytes of events a MIDI port carries per cycle (0 while not
  // connected).
  uint64_t CyclesRun() const override { return mCycles.load(std::memory_order_acquire); }
  size_t BytesPerCycle() const override { return mConnected.load() ? mBytesPerCycle.load() : 0; }
  // The server went away and no new one was connected since.
  bool Lost() const override { return mShutdownSeen.load(); }

 private:
  // What the callbacks of one client are given: the watch, and which of its
  // connections the client is (a client of a server that went away may be
  // told of it more than once, even after a new one was opened).
  struct Connection {
    IMidiPortWatch* watch;
    uint64_t generation;
  };
  static int Process(jack_nframes_t frames, void* self);
  static void Shutdown(jack_status_t code, const char* reason, void* connection);
  static void PortRegistered(jack_port_id_t port, int registered, void* self);
  void Run();
  void Disconnect();  // closes the client; mClientMutex held

  Notice mNotice;
  std::mutex mClientMutex;
  // One for each client opened, kept for the watch's life: a callback of
  // a client long closed still finds its own.
  std::vector<std::unique_ptr<Connection>> mConnections;
  jack_client_t* mClient = nullptr;
  std::atomic<bool> mConnected{false};
  std::atomic<bool> mServerGone{false};
  std::atomic<bool> mShutdownSeen{false};  // the client must be closed by the thread
  std::atomic<uint64_t> mCycles{0};
  std::atomic<uint64_t> mGeneration{0};
  std::atomic<size_t> mBytesPerCycle{0};
  std::atomic<bool> mStop{false};
  sem_t mWake;
  std::thread mThread;  // last: starts when everything above exists
};
