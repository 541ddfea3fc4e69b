// Tests over MIDI ports of a JACK server, which the test command starts (the
// dummy back end). Run without a server, such a test is skipped with one
// message, the same in every suite. A test, or its fixture's SetUp, begins
// with
//   SKIP_WITHOUT_JACK_SERVER();
// and a fixture's SetUp that calls a base SetUp which may skip returns at
// once when IsSkipped().
#pragma once

#include <gtest/gtest.h>

#include "tests/support/jack_probe.h"

constexpr const char* kNoJackServerMessage =
    "no JACK server is running; start one first (jackd -S --no-realtime -d dummy -r 48000 -p 128) "
    "or run the tests with tools/run-tests.sh, which does";

#define SKIP_WITHOUT_JACK_SERVER() \
  if (!JackServerRunning()) GTEST_SKIP() << kNoJackServerMessage
