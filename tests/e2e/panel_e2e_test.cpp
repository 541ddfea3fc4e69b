// The Varno's panel and the editor together, end to end over JACK: while the
// Varno's local control is on (as it starts) what its panel sends moves the
// editor's controls and goes no further; turned off with the key of the
// global settings panel, the editor passes the panel's moves on to the
// Varno's sound, and a report of the Varno's own setting moves the key. A
// sound the editor receives is the Varno's: a choice the editor sent before
// reaches the Varno again when it is made again.
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace e2e {
namespace {

constexpr int kGlobalLocalControl = 75, kGlobalSettings = 196, kFilterCutoff = 39, kOscillator1Shape = 6;
constexpr int kGlobalsKeyX = 1107, kGlobalsKeyY = 43;  // the header's GLOBALS key
constexpr int kLocalKeyX = 1392, kLocalKeyY = 414;     // the panel's local control key
constexpr int kLocalKeyLeft = 1372, kLocalKeyTop = 404, kLocalKeyRight = 1412, kLocalKeyBottom = 424;
constexpr int kRequestX = 1356, kRequestY = 16;   // the header's REQUEST button
constexpr int kTriangleX = 84, kTriangleY = 276;  // Osc 1's TRIANGLE light

std::vector<int> Cutoff(int value) { return {0xB0, 74, value}; }

int Count(const std::vector<std::vector<int>>& messages, const std::vector<int>& message) {
  int n = 0;
  for (const auto& m : messages) n += m == message;
  return n;
}

class PanelEndToEnd : public EditorEndToEnd {
 protected:
  // Turns the cutoff on the Varno's panel until the editor follows: while
  // the editor still handles the answers to its start-up enquiry it drops
  // what the Varno sends. The value it came to.
  int TurnCutoffUntilFollowed(Host& host, Simulator& sim, int first) {
    for (auto [deadline, value] = std::make_pair(steady_clock::now() + kDeadline, first);
         steady_clock::now() < deadline; value = value == first ? first + 1 : first) {
      EXPECT_EQ(sim.Command("turn " + std::to_string(kFilterCutoff) + " " + std::to_string(value)).back(),
                "ok");
      host.Command("wait 200");
      if (host.Param(kFilterCutoff) == value) return value;
    }
    ADD_FAILURE() << "the editor never follows the Varno's cutoff";
    return -1;
  }
  // The control changes the Varno received from the editor, after a wait
  // long enough for an echo to arrive.
  std::vector<std::vector<int>> ReceivedAfterAWhile(Host& host, Simulator& sim) {
    host.Command("wait 500");
    return ControlChangesReceived(sim.Records());
  }
};

TEST_F(PanelEndToEnd, PanelMovesGoBackToTheVarnoOnlyWhileItsLocalControlIsOff) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  ASSERT_EQ(sim.GlobalValue(kGlobalLocalControl), 1) << "the Varno starts with local control on";
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  CloseWelcomeNote(host);
  OpenPorts(host, sim);
  EXPECT_EQ(host.Param(kGlobalLocalControl), 1) << "the editor starts as the Varno does";

  // Local control on: the knob follows the panel, nothing comes back.
  sim.Command("records clear");
  int cutoff = TurnCutoffUntilFollowed(host, sim, 20);
  EXPECT_EQ(Count(ReceivedAfterAWhile(host, sim), Cutoff(cutoff)), 0) << "the panel move came back";

  // The GLOBALS key, then the local control key: the Varno hears
  // controller 122 at 0 and turns local control off.
  ASSERT_TRUE(ClickUntilParamIs(host, kGlobalsKeyX, kGlobalsKeyY, kGlobalSettings, 1));
  const Picture on = Snapshot(host, "local-on");
  sim.Command("records clear");
  ASSERT_TRUE(ClickUntilParamIs(host, kLocalKeyX, kLocalKeyY, kGlobalLocalControl, 0));
  sim.WaitFor([](const std::vector<Record>& r) {
    return Count(ControlChangesReceived(r), {0xB0, 122, 0}) > 0;
  });
  EXPECT_EQ(Count(ControlChangesReceived(sim.Records()), {0xB0, 122, 0}), 1);
  EXPECT_EQ(sim.GlobalValue(kGlobalLocalControl), 0);
  const Picture off = Snapshot(host, "local-off");
  EXPECT_GT(off.Differences(on, kLocalKeyLeft, kLocalKeyTop, kLocalKeyRight, kLocalKeyBottom), 0)
      << "the key does not show the change";

  // Local control off: the panel's move reaches the sound through the editor.
  sim.Command("records clear");
  cutoff = TurnCutoffUntilFollowed(host, sim, 90);
  sim.WaitFor(
      [&](const std::vector<Record>& r) { return Count(ControlChangesReceived(r), Cutoff(cutoff)) > 0; });
  EXPECT_EQ(Count(ControlChangesReceived(sim.Records()), Cutoff(cutoff)), 1);

  // The Varno's own panel turns local control on again: the key follows
  // and the echo stops.
  ASSERT_EQ(sim.Command("turn " + std::to_string(kGlobalLocalControl) + " 1").back(), "ok");
  EXPECT_TRUE(host.WaitForParam(kGlobalLocalControl, 1)) << "the key did not follow the Varno";
  host.Command("wait 200");
  EXPECT_EQ(Snapshot(host, "local-on-again")
                .Differences(on, kLocalKeyLeft, kLocalKeyTop, kLocalKeyRight, kLocalKeyBottom),
            0);
  sim.Command("records clear");
  cutoff = TurnCutoffUntilFollowed(host, sim, 40);
  EXPECT_EQ(Count(ReceivedAfterAWhile(host, sim), Cutoff(cutoff)), 0) << "the panel move came back";
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(PanelEndToEnd, AfterAReceivedSoundAChoiceMadeBeforeReachesTheVarnoAgain) {
  Simulator sim(m_dir);
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_NO_FATAL_FAILURE(OpenOnPorts(host, sim));
  const std::vector<int> triangle = {0xB0, 34, 2};

  // Osc 1's TRIANGLE light: the Varno takes the shape.
  sim.Command("records clear");
  ASSERT_TRUE(ClickUntilParamIs(host, kTriangleX, kTriangleY, kOscillator1Shape, 2));
  sim.WaitFor([&](const std::vector<Record>& r) { return Count(ControlChangesReceived(r), triangle) > 0; });
  EXPECT_EQ(sim.EditValue(kOscillator1Shape), 2);

  // The Varno's sound changes (a program chosen on it, here set directly),
  // and REQUEST brings it into the editor: SAW lights.
  ASSERT_EQ(sim.Command("set " + std::to_string(kOscillator1Shape) + " 0").back(), "ok");
  ASSERT_TRUE(ClickUntilReceived(host, sim, kRequestX, kRequestY, "edit-buffer-request"));
  ASSERT_TRUE(host.WaitForParam(kOscillator1Shape, 0)) << "the requested sound did not arrive";

  // TRIANGLE again: it reaches the Varno, which holds SAW now.
  sim.Command("records clear");
  ASSERT_TRUE(ClickUntilParamIs(host, kTriangleX, kTriangleY, kOscillator1Shape, 2));
  sim.WaitFor([&](const std::vector<Record>& r) { return Count(ControlChangesReceived(r), triangle) > 0; });
  EXPECT_EQ(Count(ControlChangesReceived(sim.Records()), triangle), 1) << "the choice was not sent again";
  EXPECT_EQ(sim.EditValue(kOscillator1Shape), 2);
  EXPECT_EQ(host.Quit(), 0);
}

// What the host sets (automation, a script) is held whole within each
// setting's range, and local control set so reaches the Varno.
TEST_F(PanelEndToEnd, SettingsTheHostSetsAreHeldWithinTheirRanges) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, sim);
  constexpr int kLibSyncTimer = 81, kAdjustDAWOffset = 129;
  const struct {
    int id;
    const char* value;
    double held;
  } kCases[] = {
      {kLibSyncTimer, "3", 3},        {kLibSyncTimer, "4", 4},          {kLibSyncTimer, "9", 4},
      {kAdjustDAWOffset, "100", 100}, {kAdjustDAWOffset, "5000", 2048}, {kGlobalLocalControl, "0", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.id) + " " + c.value);
    host.Command("set-param " + std::to_string(c.id) + " " + c.value);
    EXPECT_EQ(host.Param(c.id), c.held);
  }
  sim.WaitFor([](const std::vector<Record>& r) {
    return Count(ControlChangesReceived(r), {0xB0, 122, 0}) > 0;
  });
  EXPECT_EQ(sim.GlobalValue(kGlobalLocalControl), 0);
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
