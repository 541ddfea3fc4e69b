// The jobs against the simulated Varno over MIDI ports: the simulator at
// device ID 5 (../protocol/sim_process.h: its core on loop-back ports of the
// test process, or its own program over JACK in a SIM_OVER_JACK build), the
// real editor joined to its ports on the real clock with the shortest
// handshake wait (100 ms), and the simulator's record of what it received.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../protocol/sim_process.h"
#include "KIT/IModule/MidiApi.h"
#include "job_editor.h"
#include "src/MIDIMessageManager.h"

// One line of the simulator's record.
struct SimRecord {
  long long microseconds = 0;
  bool received = false;
  std::string kind;     // "program-request", "sound-store", "clock", ...
  std::string outcome;  // "applied", "answered", "ignored", "sent"
  std::string fault;    // "none" or why it was ignored
  Bytes bytes;
};

// The test runner knows tests by name: the JACK build's carry names of
// their own, so that the loop-back build's are free of the JACK lock.
#ifdef SIM_OVER_JACK
#define JobsOverPorts JobsOverJack
#endif

class JobsOverPorts : public ::testing::Test {
 protected:
  static constexpr int kSimDeviceId = 5;

  // Extra options of the simulator's command line.
  virtual std::vector<std::string> simOptions() const { return {}; }

  void SetUp() override {
    client = "jobs-sim-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    ASSERT_NO_FATAL_FAILURE(simtest::startSim(client, kSimDeviceId, simOptions(), sim));
    if (IsSkipped()) return;
    editor = std::make_unique<JobEditor>(false);
    int out = simtest::entryOf(editor->getExternalMIDIOutNames(), client, "Varno In");
    int in = simtest::entryOf(editor->getExternalMIDIInNames(), client, "Varno Out");
    ASSERT_GT(out, 0);
    ASSERT_GT(in, 0);
    ASSERT_GT(editor->setExternalMIDIOut(out, editor->getExternalMIDIOutNames()[out]), 0);
    ASSERT_GT(editor->setExternalMIDIIn(in, editor->getExternalMIDIInNames()[in]), 0);
    editor->set(kLibSyncTimer, 4);  // W = 100 ms
  }
  void TearDown() override {
    if (editor) {
      editor->sender().shutdown();
      editor->joinAll();
      editor->CloseMidiPorts();
    }
    if (sim) {
      EXPECT_EQ(sim->stop(), 0) << "the simulator did not end cleanly";
    }
  }

  MIDIMessageManager& manager() { return *editor->midiManager; }
  std::vector<std::string> statusTexts() { return editor->statusTexts(); }
  bool shown(const std::string& text) {
    const std::vector<std::string> texts = statusTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

  // What the simulator received, in order (of one kind, or all), once at
  // least `expected` records of it are there or after 5 s; always after a
  // pause that lets the last bytes on the way arrive.
  std::vector<SimRecord> received(const std::string& kind = "", size_t expected = 0) {
    std::vector<SimRecord> records;
    for (int attempt = 0; attempt < 100; ++attempt) {
      sim->command("wait 50");
      records = receivedNow(kind);
      if (records.size() >= expected) break;
    }
    return records;
  }
  std::vector<SimRecord> receivedNow(const std::string& kind) {
    std::vector<SimRecord> records;
    for (const std::string& line : sim->command("records")) {
      std::istringstream words(line);
      std::string word, direction;
      SimRecord record;
      if (!(words >> word) || word != "record") continue;
      words >> record.microseconds >> direction >> record.kind >> record.outcome >> record.fault;
      record.received = direction == "in";
      for (std::string hex; words >> hex;)
        record.bytes.push_back(static_cast<unsigned char>(std::stoul(hex, nullptr, 16)));
      if (record.received && (kind.empty() || record.kind == kind)) records.push_back(record);
    }
    return records;
  }
  // A dump the simulator would send, as bytes.
  Bytes simDump(const std::string& which) {
    const std::vector<std::string> lines = sim->command("show dump " + which);
    Bytes bytes;
    if (lines.empty()) return bytes;
    std::istringstream words(lines.front().substr(lines.front().find(' ') + 1));
    for (std::string hex; words >> hex;)
      bytes.push_back(static_cast<unsigned char>(std::stoul(hex, nullptr, 16)));
    return bytes;
  }

  static inline int counter = 0;
  std::string client;
  std::unique_ptr<simtest::Sim> sim;
  // Made once the simulator runs: the editor lists the ports at start-up.
  std::unique_ptr<JobEditor> editor;
};
