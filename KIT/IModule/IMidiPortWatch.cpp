#include "KIT/IModule/IMidiPortWatch.h"

#include <errno.h>
#include <time.h>

namespace {

// The watch's client has no ports: other programs' port lists never show it.
constexpr const char* kClientName = "MIDI port watch";
// How often the thread looks whether it should stop.
constexpr long kStopPollNs = 200 * 1000000L;

}  // namespace

IMidiPortWatch::IMidiPortWatch(Notice notice) : mNotice(std::move(notice)) {
  sem_init(&mWake, 0, 0);
  mThread = std::thread([this] { Run(); });
}

IMidiPortWatch::~IMidiPortWatch() {
  Stop();
  sem_destroy(&mWake);
}

void IMidiPortWatch::Stop() {
  mStop = true;
  sem_post(&mWake);
  if (mThread.joinable()) mThread.join();
  std::lock_guard<std::mutex> lock(mClientMutex);
  Disconnect();
}

bool IMidiPortWatch::Connect() {
  std::lock_guard<std::mutex> lock(mClientMutex);
  if (mStop) return false;
  if (mClient && !mShutdownSeen) return true;
  Disconnect();  // a client of a server that went away
  jack_status_t status{};
  jack_client_t* client = jack_client_open(kClientName, JackNoStartServer, &status);
  if (!client) return false;
  mConnections.push_back(std::unique_ptr<Connection>(new Connection{this, mGeneration.load() + 1}));
  jack_set_process_callback(client, &IMidiPortWatch::Process, this);
  jack_on_info_shutdown(client, &IMidiPortWatch::Shutdown, mConnections.back().get());
  jack_set_port_registration_callback(client, &IMidiPortWatch::PortRegistered, this);
  if (jack_activate(client) != 0) {
    jack_client_close(client);
    return false;
  }
  mBytesPerCycle = jack_port_type_get_buffer_size(client, JACK_DEFAULT_MIDI_TYPE);
  mClient = client;
  mShutdownSeen = false;
  mConnected = true;
  ++mGeneration;
  return true;
}

void IMidiPortWatch::Disconnect() {
  if (!mClient) return;
  mConnected = false;
  // After a shutdown the client only needs its resources freed; the server
  // is not asked anything.
  jack_client_close(mClient);
  mClient = nullptr;
}

bool IMidiPortWatch::PortExists(const std::string& name) {
  std::lock_guard<std::mutex> lock(mClientMutex);
  if (!mClient || mShutdownSeen || name.empty()) return false;
  return jack_port_by_name(mClient, name.c_str()) != nullptr;
}

// ---- JACK's threads: flags and a wake-up only --------------------------------------

int IMidiPortWatch::Process(jack_nframes_t, void* self) {
  static_cast<IMidiPortWatch*>(self)->mCycles.fetch_add(1, std::memory_order_acq_rel);
  return 0;
}

void IMidiPortWatch::Shutdown(jack_status_t, const char*, void* connection) {
  const Connection* told = static_cast<const Connection*>(connection);
  IMidiPortWatch* watch = told->watch;
  if (told->generation != watch->mGeneration.load()) return;  // of a client closed before
  watch->mShutdownSeen = true;
  watch->mConnected = false;
  sem_post(&watch->mWake);
}

void IMidiPortWatch::PortRegistered(jack_port_id_t, int, void* self) {
  sem_post(&static_cast<IMidiPortWatch*>(self)->mWake);
}

// ---- The watch's thread ----------------------------------------------------------------

void IMidiPortWatch::Run() {
  while (!mStop) {
    timespec until{};
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_nsec += kStopPollNs;
    if (until.tv_nsec >= 1000000000L) {
      until.tv_nsec -= 1000000000L;
      ++until.tv_sec;
    }
    int waited = sem_timedwait(&mWake, &until);
    while (waited != 0 && errno == EINTR) waited = sem_timedwait(&mWake, &until);
    if (waited != 0 || mStop) continue;
    while (sem_trywait(&mWake) == 0) {  // several changes, one look
    }
    if (mShutdownSeen) {
      std::lock_guard<std::mutex> lock(mClientMutex);
      if (mClient && mShutdownSeen) {
        Disconnect();  // the server is gone: stays lost until a new Connect
        mServerGone = true;
      }
    }
    if (mNotice) mNotice(*this);
  }
}
