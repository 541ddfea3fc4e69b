// The fixture of the journeys with MIDI ports that go away: the editor's log
// is on (its file exists before the host starts), the status line is read
// through the host, and the MIDI In field is compared as pixels.
#pragma once

#include <fstream>
#include <memory>

#include "tests/e2e/e2e_fixture.h"
#include "tests/support/read_file.h"

namespace e2e {

constexpr int kFilterCutoff = 39, kCutoffController = 74;

// The MIDI In field, where the window design puts it.
constexpr int kMidiInLeft = 362, kMidiInTop = 12, kMidiInRight = 574, kMidiInBottom = 34;

class MidiPortsEndToEnd : public EditorEndToEnd {
 protected:
  void SetUp() override {
    EditorEndToEnd::SetUp();
    if (IsSkipped()) return;
    std::ofstream file(LogPath());  // the editor writes its log when the file exists
  }

  std::string LogPath() const { return m_dir + "/data/VivivI Editor LOG.txt"; }
  std::string Log() const { return ReadWholeFile(LogPath()); }

  // The cutoff set as the host sets it reaches the Varno, and a control
  // change the Varno sends moves the editor's cutoff.
  void SendsAndReceives(Host& host, Simulator& sim, int value) {
    EXPECT_EQ(host.Command("set-param " + std::to_string(kFilterCutoff) + " " + std::to_string(value)),
              "parameter 39 set to " + std::to_string(value));
    for (const auto until = steady_clock::now() + kDeadline;
         sim.EditValue(kFilterCutoff) != value && steady_clock::now() < until;)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(sim.EditValue(kFilterCutoff), value) << "the Varno did not get the cutoff";
    // Sent again until it shows: the editor drops control changes while it
    // awaits a dump (the enquiry that opening the output sends).
    const int back = value + 1;
    double shown = -1;
    for (const auto until = steady_clock::now() + kDeadline; shown != back && steady_clock::now() < until;) {
      EXPECT_EQ(
          sim.Command("send-cc " + std::to_string(kCutoffController) + " " + std::to_string(back)).back(),
          "ok");
      for (int poll = 0; poll < 5 && shown != back; ++poll) {
        host.Command("wait 50");
        shown = host.Param(kFilterCutoff);
      }
    }
    EXPECT_EQ(shown, back) << "the editor did not get the Varno's cutoff";
  }

  // Polls the status line until it shows one of texts; what it showed last.
  std::string WaitForStatus(Host& host, const std::vector<std::string>& texts) {
    return host.WaitForText(kStatusLine, texts);
  }

  // Waits until both port choices show "OFF".
  void WaitForPortsOff(Host& host) {
    std::string in, out;
    for (const auto until = steady_clock::now() + kDeadline; steady_clock::now() < until;) {
      in = host.Command("get-param-text 166");
      out = host.Command("get-param-text 165");
      if (in == "parameter 166 shows: OFF" && out == "parameter 165 shows: OFF") return;
      host.Command("wait 100");
    }
    ADD_FAILURE() << "the lost ports still show: " << in << " / " << out;
  }
};

}  // namespace e2e
