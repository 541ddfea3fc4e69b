// Tests over MIDI ports of a JACK server, which the test command starts (the
// dummy back end). Run without a server, such a test is skipped with one
// message, the same in every suite. A test, or its fixture's SetUp, begins
// with
//   SKIP_WITHOUT_JACK_SERVER();
// and a fixture's SetUp that calls a base SetUp which may skip returns at
// once when IsSkipped().
#pragma once

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <unistd.h>

#include <string>

constexpr const char* kNoJackServerMessage =
    "no JACK server is running; start one first (jackd -S --no-realtime -d dummy -r 48000 -p 128) "
    "or run the tests with tools/run-tests.sh, which does";

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

#define SKIP_WITHOUT_JACK_SERVER() \
  if (!JackServerRunning()) GTEST_SKIP() << kNoJackServerMessage
