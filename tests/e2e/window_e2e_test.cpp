// The editor's window as a musician handles it, end to end: the window size
// chosen in the about card is the size of the window the next time the
// editor opens; a badge that a choice takes away leaves the page as it was
// beneath it at once; the LEDs are lamps that a click leaves alone, while
// the arpeggiator's key turns the arpeggiator on and off on the Varno.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace e2e {
namespace {

constexpr int kUserInterfaceSize = 158, kEditPage2Switch = 153, kOscillator2Shape = 7;
constexpr int kArpOnOff = 53, kArpOnOffIndicator = 157, kArpSyncIndicator = 155, kMIDILed = 98;
constexpr int kOscillator1OctaveIndicator = 147;

// A rectangle of the window at scale 1.0.
struct Box {
  int l, t, r, b;
  int X() const { return (l + r) / 2; }
  int Y() const { return (t + b) / 2; }
};
constexpr Box kLogo{16, 10, 164, 42};              // opens the about card
constexpr Box kDisplay{656, 12, 1024, 52};         // the status and value lines
constexpr Box kSizeMenu{870, 387, 998, 411};       // the about card's window size
constexpr Box kCrossModBadge{136, 310, 232, 328};  // under Osc 2's shapes
constexpr Box kOsc2Saw{316, 236, 332, 252};        // Osc 2's first shape light
constexpr Box kOsc2CrossMod{316, 284, 332, 300};   // ... and its fourth, X-MOD
constexpr Box kOctaveLed{80, 132, 96, 148};        // Osc 1's octave lamp
constexpr Box kEnvArpKey{370, 350, 410, 370};      // envelopes / arpeggiator
constexpr Box kArpKey{28, 394, 68, 414};           // the arpeggiator's ON key
constexpr Box kArpSyncLed{312, 526, 328, 542};     // the arpeggiator's sync lamp
constexpr Box kMidiInLed{588, 15, 604, 31};        // MIDI activity lamps
constexpr Box kMidiOutLed{588, 55, 604, 71};

std::string At(const Box& box, double scale = 1.0) {
  return std::to_string(static_cast<int>(box.X() * scale)) + " " +
         std::to_string(static_cast<int>(box.Y() * scale));
}

class WindowEndToEnd : public EditorEndToEnd {
 protected:
  std::string SettingsFile() {
    std::ifstream file(DataFolder() + "/VivivI Editor UI.txt");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  // Opens the about card and chooses a window size from its menu.
  void ChooseWindowSize(Host& host, double scale, const std::string& size) {
    EXPECT_EQ(host.Command("click " + At(kLogo, scale)), "clicked " + At(kLogo, scale));
    const Box menu = kSizeMenu;
    EXPECT_TRUE(
        host.ChooseFromMenuAt(static_cast<int>(menu.X() * scale), static_cast<int>(menu.Y() * scale), size))
        << "no " << size << " in the about card's size menu";
  }
};

TEST_F(WindowEndToEnd, AWindowSizeChosenInTheAboutCardTakesEffectWhenTheEditorOpensAgain) {
  {
    Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
    ASSERT_TRUE(host.Open());
    EXPECT_NE(host.OpenLine().find(", 1500x667,"), std::string::npos) << host.OpenLine();
    CloseWelcomeNote(host);
    const Picture before = Snapshot(host, "before");
    ChooseWindowSize(host, 1.0, "LARGE");
    EXPECT_EQ(host.Param(kUserInterfaceSize), 2);
    EXPECT_EQ(host.ParamText(kUserInterfaceSize), "LARGE");
    // "Size changes applied..." and "Reload project!" in the display.
    EXPECT_GT(Snapshot(host, "after").Differences(before, kDisplay.l, kDisplay.t, kDisplay.r, kDisplay.b), 0);
    EXPECT_EQ(SettingsFile(), "normal\nlarge\nyes\n\n");
    EXPECT_EQ(host.Quit(), 0);
  }
  // Opened again: the large window, its about card naming the size; the
  // menu, where the larger window draws it, goes back to normal.
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  EXPECT_NE(host.OpenLine().find(", 1875x833,"), std::string::npos) << host.OpenLine();
  EXPECT_EQ(Snapshot(host, "large").Width(), 1875);
  EXPECT_EQ(host.ParamText(kUserInterfaceSize), "LARGE");
  ChooseWindowSize(host, 1.25, "NORMAL");
  EXPECT_EQ(host.Param(kUserInterfaceSize), 1);
  EXPECT_EQ(SettingsFile(), "normal\nnormal\nyes\n\n");
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(WindowEndToEnd, ABadgeTakenAwayByAChoiceLeavesThePageAsItWasBeneath) {
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  CloseWelcomeNote(host);
  const Picture idle = Snapshot(host, "idle");
  // The fourth shape of Osc 2 shows its cross-modulation badge; the first,
  // chosen at its light, takes it away.
  EXPECT_EQ(host.Command("click " + At(kOsc2CrossMod)), "clicked " + At(kOsc2CrossMod));
  ASSERT_EQ(host.Param(kOscillator2Shape), 3);
  const Picture badge = Snapshot(host, "badge");
  EXPECT_GT(badge.Differences(idle, kCrossModBadge.l, kCrossModBadge.t, kCrossModBadge.r, kCrossModBadge.b),
            0);
  EXPECT_EQ(host.Command("click " + At(kOsc2Saw)), "clicked " + At(kOsc2Saw));
  ASSERT_EQ(host.Param(kOscillator2Shape), 0);
  const Picture gone = Snapshot(host, "gone");
  EXPECT_EQ(gone.Differences(idle, kCrossModBadge.l, kCrossModBadge.t, kCrossModBadge.r, kCrossModBadge.b), 0)
      << "the badge stays drawn where the page is";
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(WindowEndToEnd, LampsTakeNoClicksAndTheArpeggiatorKeySwitchesTheArpeggiator) {
  Simulator sim(m_dir);
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_NO_FATAL_FAILURE(OpenOnPorts(host, sim));
  // The arpeggiator's half of the page (clicked until the processing
  // overlay of the port's enquiry has gone).
  ASSERT_TRUE(ClickUntilParamIs(host, kEnvArpKey.X(), kEnvArpKey.Y(), kEditPage2Switch, 1));
  host.Command("wait 300");

  // A click, a double click and the wheel on each lamp: nothing changes,
  // nothing is sent, the window stays as it was.
  const struct {
    const char* what;
    Box lamp;
    int param;
  } kLamps[] = {
      {"octave", kOctaveLed, kOscillator1OctaveIndicator},
      {"arpeggiator sync", kArpSyncLed, kArpSyncIndicator},
      {"MIDI in", kMidiInLed, kMIDILed},
      {"MIDI out", kMidiOutLed, kMIDILed},
  };
  for (const auto& lamp : kLamps) {
    SCOPED_TRACE(lamp.what);
    host.Command("wait 300");  // the activity lamps go out
    sim.Command("records clear");
    const double value = host.Param(lamp.param);
    const Picture before = Snapshot(host, "lamp-before");
    const std::string at = At(lamp.lamp);
    for (const std::string& gesture :
         {"click " + at, "double-click " + at, "wheel " + at + " 1", "wheel " + at + " -1"}) {
      host.Command(gesture);
      EXPECT_EQ(host.Param(lamp.param), value) << gesture;
    }
    const Picture after = Snapshot(host, "lamp-after");
    EXPECT_EQ(after.Differences(before, lamp.lamp.l, lamp.lamp.t, lamp.lamp.r, lamp.lamp.b), 0);
    host.Command("wait 300");
    EXPECT_TRUE(Received(sim.Records(), "control-change").empty()) << "a lamp sent something";
  }

  // The arpeggiator's key: on sends controller 102 with ON and lights; off
  // sends OFF and goes out.
  const struct {
    const char* what;
    int arp;
  } kPresses[] = {{"on", 1}, {"off", 0}};
  for (const auto& press : kPresses) {
    SCOPED_TRACE(press.what);
    sim.Command("records clear");
    EXPECT_EQ(host.Command("click " + At(kArpKey)), "clicked " + At(kArpKey));
    EXPECT_EQ(host.Param(kArpOnOff), press.arp);
    EXPECT_EQ(host.Param(kArpOnOffIndicator), press.arp);
    const std::vector<int> sent = {0xB0, 102, press.arp};
    sim.WaitFor([&](const std::vector<Record>& r) { return !ControlChangesReceived(r).empty(); });
    EXPECT_EQ(ControlChangesReceived(sim.Records()), std::vector<std::vector<int>>{sent});
    EXPECT_EQ(sim.EditValue(kArpOnOff), press.arp);
  }
  // From LATCH, chosen at its light, the key turns the arpeggiator off.
  EXPECT_EQ(host.Command("click 84 420"), "clicked 84 420");
  ASSERT_EQ(host.Param(kArpOnOff), 2);
  EXPECT_EQ(host.Param(kArpOnOffIndicator), 1);
  EXPECT_EQ(host.Command("click " + At(kArpKey)), "clicked " + At(kArpKey));
  EXPECT_EQ(host.Param(kArpOnOff), 0);
  EXPECT_EQ(host.Param(kArpOnOffIndicator), 0);
  sim.WaitFor([](const std::vector<Record>& r) {
    const auto sent = ControlChangesReceived(r);
    return !sent.empty() && sent.back() == std::vector<int>{0xB0, 102, 0};
  });
  EXPECT_EQ(sim.EditValue(kArpOnOff), 0);
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
