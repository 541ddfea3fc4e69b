// The header and the transfers end to end over JACK with the simulated
// Varno, driven through the host program's editor commands: the status,
// value and CC lines after each action, clicks that find the data thread
// busy, the 99-program request of the librarian's main menu, and MIDI port
// names fitted to their fields. What the window shows is read as the host
// reads the display lines and from the window's pixels. Each starts from a
// freshly installed data folder (its factory library the edited bank).
#include "tests/e2e/e2e_fixture.h"

namespace e2e {
namespace {

constexpr int kRequestX = 1356, kRequestY = 16;  // the header's REQUEST button
constexpr int kSendX = 1356, kSendY = 42;        // SEND
constexpr int kRandomX = 1356, kRandomY = 68;    // RANDOMISE
constexpr int kCutoffX = 988, kCutoffY = 152;    // kFilterCutoff's knob (controller 74)
constexpr int kFiltersX = 339, kFiltersY = 43;   // the MIDI filter settings switch
constexpr int kCloseFiltersX = 954, kCloseFiltersY = 110;
constexpr int kHostProgramX = 801, kHostProgramY = 226;  // "Host PC" in the filter settings
constexpr int kMainMenuX = 1160, kMainMenuY = 107;       // the librarian's main menu
constexpr int kHostProgramChanges = 100, kPatchName = 78, kMainTab = 194, kFilterCutoff = 39;
constexpr int kPrograms = 99;

std::string Click(int x, int y) { return "click " + std::to_string(x) + " " + std::to_string(y); }

// What a display line shows, without the blanks at its ends (a cleared line
// reads as one blank).
std::string Line(Host& host, int line) {
  std::string text = host.ParamText(line);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(text.begin());
  return text;
}

// Polls the host's lines until line shows text; what it showed last.
std::string WaitForLine(Host& host, int line, const std::string& text) {
  std::string shown;
  for (const auto deadline = steady_clock::now() + kDeadline; steady_clock::now() < deadline;) {
    shown = Line(host, line);
    if (shown == text) break;
    host.Command("wait 50");
  }
  return shown;
}

int Count(const std::vector<Record>& records, const std::string& kind, const std::string& outcome) {
  int count = 0;
  for (const Record& r : records)
    if (r.direction == "in" && r.kind == kind && r.outcome == outcome) ++count;
  return count;
}

TEST_F(EditorEndToEnd, EachActionWritesWordsAndClearsLinesThatNoLongerApply) {
  Simulator sim(m_dir);
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_NO_FATAL_FAILURE(OpenOnPorts(host, sim));
  EXPECT_EQ(WaitForLine(host, kStatusLine, "Plug-in is ready to go!"), "Plug-in is ready to go!");

  // A knob: its name, its value and the controller that left.
  EXPECT_EQ(host.Command("drag " + std::to_string(kCutoffX) + " " + std::to_string(kCutoffY) + " " +
                         std::to_string(kCutoffX) + " " + std::to_string(kCutoffY - 37) + " 7"),
            "dragged from " + std::to_string(kCutoffX) + " " + std::to_string(kCutoffY) + " to " +
                std::to_string(kCutoffX) + " " + std::to_string(kCutoffY - 37));
  EXPECT_EQ(Line(host, kStatusLine), "Cutoff");
  EXPECT_EQ(Line(host, kValueLine), std::to_string(static_cast<int>(host.Param(kFilterCutoff))));
  EXPECT_EQ(Line(host, kCCLine), "CC|74");

  // Each action's own lines, in words; the knob's CC line is gone.
  const struct {
    const char* what;
    int x, y;
    const char *status, *value;
  } kActions[] = {
      {"REQUEST", kRequestX, kRequestY, "Data request completed!", "Sound received from the Varno"},
      {"SEND", kSendX, kSendY, "Send Sound", "Sound sent to the Varno"},
      {"MIDI filters opened", kFiltersX, kFiltersY, "MIDI Filter Settings", ""},
      {"a filter switched", kHostProgramX, kHostProgramY, "Host program changes", "Passed on"},
      {"MIDI filters closed", kCloseFiltersX, kCloseFiltersY, "", ""},
  };
  for (const auto& action : kActions) {
    EXPECT_EQ(host.Command(Click(action.x, action.y)),
              "clicked " + std::to_string(action.x) + " " + std::to_string(action.y));
    EXPECT_EQ(WaitForLine(host, kValueLine, action.value), action.value) << action.what;
    EXPECT_EQ(WaitForLine(host, kStatusLine, action.status), action.status) << action.what;
    EXPECT_EQ(Line(host, kCCLine), "") << action.what;
  }
  EXPECT_EQ(host.Param(kHostProgramChanges), 1);
  const auto records = sim.Records();
  EXPECT_EQ(Count(records, "edit-buffer-request", "answered"), 1);
  EXPECT_EQ(Count(records, "sound-dump", "applied"), 1);

  // RANDOMISE: a new sound with a name of its own, sent and read back; the
  // name stays and no line shows a bare number.
  sim.Command("records clear");
  EXPECT_EQ(host.Command(Click(kRandomX, kRandomY)), "clicked 1356 68");
  const auto sent = sim.WaitFor([](const std::vector<Record>& r) {
    return Count(r, "sound-dump", "applied") == 1 && Count(r, "edit-buffer-request", "answered") == 1;
  });
  EXPECT_EQ(Count(sent, "sound-dump", "applied"), 1);
  EXPECT_EQ(WaitForLine(host, kStatusLine, "Data request completed!"), "Data request completed!");
  EXPECT_EQ(Line(host, kPatchName), "RANDOM PATCH");
  for (int line : {kStatusLine, kValueLine, kCCLine})
    for (const char* bare : {"0", "1"}) EXPECT_NE(Line(host, line), bare) << "line " << line;
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(EditorEndToEnd, SendClickedRightAfterARequestsAnswerFollowsIt) {
  Simulator sim(m_dir, {"--answer", "late:300"});
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_NO_FATAL_FAILURE(OpenOnPorts(host, sim));
  EXPECT_EQ(WaitForLine(host, kStatusLine, "Plug-in is ready to go!"), "Plug-in is ready to go!");
  sim.Command("records clear");

  // REQUEST, and SEND once as soon as the answer left the Varno: the data
  // thread still ends the request's job then.
  EXPECT_EQ(host.Command(Click(kRequestX, kRequestY)), "clicked 1356 16");
  const auto answered = sim.WaitFor(
      [](const std::vector<Record>& r) { return Count(r, "edit-buffer-request", "answered") == 1; });
  ASSERT_EQ(Count(answered, "edit-buffer-request", "answered"), 1);
  EXPECT_EQ(host.Command(Click(kSendX, kSendY)), "clicked 1356 42");

  // The one click is sent in its turn, or the window says why it was not.
  const auto records = sim.WaitFor([&](const std::vector<Record>& r) {
    return Count(r, "sound-dump", "applied") == 1 || Line(host, kStatusLine) == "Varno busy - please wait";
  });
  if (Count(records, "sound-dump", "applied") == 0) {
    EXPECT_EQ(Line(host, kStatusLine), "Varno busy - please wait") << "the SEND click was lost";
  } else {
    EXPECT_EQ(Count(records, "sound-dump", "applied"), 1);
    EXPECT_EQ(WaitForLine(host, kValueLine, "Sound sent to the Varno"), "Sound sent to the Varno");
  }
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(EditorEndToEnd, AllPatchesFromMemoryEndsWithTheLastAnswerAndShowsThePatches) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  CloseWelcomeNote(host);
  ASSERT_EQ(host.Command("set-param " + std::to_string(kMainTab) + " 1").rfind("parameter 194 set to", 0),
            0u);
  OpenPorts(host, sim);
  EXPECT_EQ(WaitForLine(host, kStatusLine, "Plug-in is ready to go!"), "Plug-in is ready to go!");
  host.Command("wait 300");  // the connection check's panel goes after its last text
  const Picture before = Snapshot(host, "before");
  EXPECT_EQ(host.Command(Click(kMainMenuX, kMainMenuY)), "clicked 1160 107: a menu is open");
  EXPECT_EQ(host.Command("menu Request Patch Data>All Patches from Memory"),
            "chose Request Patch Data>All Patches from Memory");

  const auto records = sim.WaitFor(
      [](const std::vector<Record>& r) { return Count(r, "program-request", "answered") == kPrograms; });
  ASSERT_EQ(Count(records, "program-request", "answered"), kPrograms);
  EXPECT_EQ(WaitForLine(host, kStatusLine, "Data request completed!"), "Data request completed!");
  EXPECT_EQ(Line(host, kValueLine), "99 of 99 patches received");

  // The panel is gone: the search panel's hints look as before; the edited
  // bank's column shows the received patches.
  const Picture after = Snapshot(host, "after");
  ASSERT_TRUE(after.Loaded() && before.Loaded());
  EXPECT_EQ(after.Differences(before, 1016, 500, 1490, 600), 0) << "the panel is still up";
  EXPECT_GT(after.Differences(before, 16, 97, 880, 356), 0) << "no received patch is shown";
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(EditorEndToEnd, LongPortNamesFitTheirFields) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  CloseWelcomeNote(host);
  const Picture off = Snapshot(host, "off");
  OpenPorts(host, sim);
  // The full name where the user sees it: the lines of the choice.
  EXPECT_EQ(WaitForLine(host, kStatusLine, "Plug-in is ready to go!"), "Plug-in is ready to go!");
  EXPECT_NE(Line(host, kValueLine).find(sim.inPort), std::string::npos);
  const Picture named = Snapshot(host, "named");

  // Each field (MIDI IN at y 12, MIDI OUT at 52, x 362 to 574) shows its
  // name, and nothing is drawn over the labels left of it or past its end.
  for (int top : {12, 52}) {
    EXPECT_GT(named.Differences(off, 362, top, 574, top + 22), 0) << "field at " << top;
    EXPECT_EQ(named.Differences(off, 280, top, 358, top + 22), 0) << "label at " << top;
    EXPECT_EQ(named.Differences(off, 576, top, 586, top + 22), 0) << "right of " << top;
  }
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
