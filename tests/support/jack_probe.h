// Whether the JACK server of the environment answers: for tests and
// benchmarks that need one.
#pragma once

#include <jack/jack.h>
#include <unistd.h>

#include <string>

// Whether a JACK server answers (a client opened without starting a server
// and closed again). Asked once per process.
inline bool JackServerRunning() {
  static const bool running = [] {
    const std::string name = "vivivi-probe-" + std::to_string(getpid());
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (!client) return false;
    jack_client_close(client);
    return true;
  }();
  return running;
}
