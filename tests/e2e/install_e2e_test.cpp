// The editor as a new user meets it, end to end from a data folder that the
// install step has just seeded: the first start shows the welcome note over
// both pages until GOT IT closes it, and the settings file remembers; the
// factory library fills the librarian and its sounds reach the Varno as they
// are; a size chosen takes effect when the editor opens again; a library the
// user emptied makes a bulk request, Save As and a store say what to do
// instead of failing silently.
//
// Places in the window design (scale 1.0): the LIBRARIAN button at (36,66),
// GOT IT at (958,433), the welcome note over (470,203)-(1030,463), the
// status and value lines over (656,12)-(1024,52), the librarian's main menu
// at (1160,107), the edited bank's first slot column from (16,97) in rows of
// 16, the filter's cutoff knob at (991,155).
#include <fstream>

#include "tests/e2e/e2e_fixture.h"
#include "tests/support/read_file.h"

namespace e2e {
namespace {

constexpr int kMainTab = 194, kUserInterfaceSize = 158, kPatchSelectionListUpper = 189;
constexpr int kFilterCutoff = 39;
constexpr int kCutoffByte = 61;  // of a sound dump and a library record
constexpr int kRecordSize = 92;

const std::string kSettingsName = "VivivI Editor UI.txt";
const std::string kLogName = "VivivI Editor LOG.txt";

struct Area {
  int left, top, right, bottom;
};
const Area kWelcomeNote = {480, 213, 1020, 453};  // inside the note's frame
const Area kStatusLines = {656, 12, 1024, 52};

// The share of the area's pixels that differ between two pictures of the
// same size (1 when the sizes differ or a picture is missing).
double Differing(const Picture& a, const Picture& b, const Area& area) {
  if (!a.Loaded() || !b.Loaded() || a.Width() != b.Width() || a.Height() != b.Height()) return 1.0;
  const int all = (area.right - area.left) * (area.bottom - area.top);
  return static_cast<double>(a.Differences(b, area.left, area.top, area.right, area.bottom)) / all;
}

class InstalledEditor : public EditorEndToEnd {
 protected:
  // A PNG of the window as the next redraws left it, read back.
  Picture Snapshot(Host& host, const std::string& name) {
    host.Command("wait 200");
    const std::string path = m_dir + "/" + name + ".png";
    EXPECT_EQ(host.Command("png " + path), "wrote " + path);
    return Picture(path);
  }

  void MainMenu(Host& host, const std::string& path) {
    EXPECT_TRUE(host.ChooseFromMenuAt(1160, 107, path)) << "the main menu has no " << path;
  }

  std::string Settings() { return ReadWholeFile(DataFolder() + "/" + kSettingsName); }
};

TEST_F(InstalledEditor, FirstStartWelcomesUntilGotItClosesTheNoteOverBothPages) {
  EXPECT_EQ(Settings(), "normal\nnormal\nno\n\n") << "the settings file as installed";
  Simulator sim(m_dir, {"--strict-checksum"});
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  EXPECT_NE(host.OpenLine().find(", 1500x667,"), std::string::npos) << host.OpenLine();

  // The note stands over the sound page and over the librarian page alike.
  const Picture soundWithNote = Snapshot(host, "sound-with-note");
  EXPECT_EQ(host.Command("click 36 66"), "clicked 36 66");
  EXPECT_EQ(host.Param(kMainTab), 1) << "LIBRARIAN did not open the librarian page";
  const Picture librarianWithNote = Snapshot(host, "librarian-with-note");
  EXPECT_LT(Differing(soundWithNote, librarianWithNote, kWelcomeNote), 0.01)
      << "the welcome note is not over the librarian page";
  EXPECT_EQ(host.Command("click 36 66"), "clicked 36 66");
  EXPECT_EQ(host.Param(kMainTab), 2);

  // GOT IT closes it at once, and the settings file remembers.
  EXPECT_EQ(host.Command("click 958 433"), "clicked 958 433");
  EXPECT_EQ(Settings(), "normal\nnormal\nyes\n\n");
  EXPECT_GT(Differing(soundWithNote, Snapshot(host, "sound-closed"), kWelcomeNote), 0.3)
      << "the welcome note still covers the sound page";
  EXPECT_EQ(host.Command("click 36 66"), "clicked 36 66");
  EXPECT_GT(Differing(librarianWithNote, Snapshot(host, "librarian-closed"), kWelcomeNote), 0.3)
      << "the welcome note still covers the librarian page";

  // The factory library is the edited bank; a double click on its sixth
  // slot sends that sound to the Varno, which takes it as it stands, and the
  // editor's controls show it.
  EXPECT_EQ(host.ParamText(kPatchSelectionListUpper), "Factory 1.vrn");
  const std::string bank = ReadWholeFile(DataFolder() + "/Patches/Factory/Factory 1.vrn");
  ASSERT_EQ(bank.size(), 99u * kRecordSize);
  const size_t slot = 5;
  const std::string record = bank.substr(slot * kRecordSize, kRecordSize);
  OpenPorts(host, sim);
  auto sent = [](const std::vector<Record>& r) { return !Received(r, "sound-dump").empty(); };
  for (const auto deadline = steady_clock::now() + kDeadline;
       !sent(sim.Records()) && steady_clock::now() < deadline;) {
    EXPECT_EQ(host.Command("double-click 66 185"), "double-clicked 66 185");
    host.Command("wait 700");
  }
  const auto dumps = Received(sim.WaitFor(sent), "sound-dump");
  ASSERT_FALSE(dumps.empty()) << "the double click sent no sound";
  EXPECT_EQ(dumps[0].outcome, "applied");
  EXPECT_EQ(dumps[0].fault, "none");
  ASSERT_EQ(dumps[0].bytes.size(), 76u);
  for (size_t b = 6; b <= 70; ++b)
    EXPECT_EQ(dumps[0].bytes[b], static_cast<uint8_t>(record[b])) << "dump byte " << b;
  const int cutoff = static_cast<uint8_t>(record[kCutoffByte]);
  EXPECT_EQ(sim.EditValue(kFilterCutoff), cutoff);
  EXPECT_TRUE(host.WaitForParam(kFilterCutoff, cutoff)) << "the editor does not show the sent sound";
  EXPECT_EQ(host.Quit(), 0);

  // Opened again, the editor does not welcome again.
  Host again(m_dir, EDITOR_BUNDLE, {"open-editor", "window", "editor-commands"});
  ASSERT_TRUE(again.Open());
  EXPECT_GT(Differing(soundWithNote, Snapshot(again, "reopened"), kWelcomeNote), 0.3);
  EXPECT_EQ(again.Quit(), 0);
}

TEST_F(InstalledEditor, ASizeChosenTakesEffectWhenTheEditorOpensAgain) {
  {
    Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
    ASSERT_TRUE(host.Open());
    EXPECT_NE(host.OpenLine().find(", 1500x667,"), std::string::npos) << host.OpenLine();
    const Picture before = Snapshot(host, "before");
    EXPECT_EQ(host.Command("set-param " + std::to_string(kUserInterfaceSize) + " 2"),
              "parameter 158 set to 2");
    EXPECT_EQ(Settings(), "normal\nlarge\nno\n\n");
    // "Size changes applied..." and "Reload project!" in place of the start texts.
    EXPECT_GT(Differing(before, Snapshot(host, "after"), kStatusLines), 0.02);
    EXPECT_EQ(host.Quit(), 0);
  }
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  EXPECT_NE(host.OpenLine().find(", 1875x833,"), std::string::npos) << host.OpenLine();
  const Picture large = Snapshot(host, "large");
  EXPECT_EQ(large.Width(), 1875);
  EXPECT_EQ(large.Height(), 833);
  EXPECT_EQ(host.Param(kUserInterfaceSize), 2);
  // The controls are where the larger window draws them: the cutoff knob,
  // turned by the wheel at 1.25 times its place, moves the Varno's cutoff.
  OpenPorts(host, sim);
  const int cutoffBefore = sim.EditValue(kFilterCutoff);
  auto moved = [&] { return sim.EditValue(kFilterCutoff) != cutoffBefore; };
  for (const auto deadline = steady_clock::now() + kDeadline; !moved() && steady_clock::now() < deadline;) {
    EXPECT_EQ(host.Command("wheel 1238 193 5"), "wheeled 5 at 1238 193");
    host.Command("wait 300");
  }
  EXPECT_TRUE(moved()) << "the cutoff knob of the large window sent nothing";
  EXPECT_EQ(sim.EditValue(kFilterCutoff), static_cast<int>(host.Param(kFilterCutoff)));
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(InstalledEditor, AnEmptiedLibraryMakesABulkRequestSaveAsAndAStoreSayWhatToDo) {
  // The user has emptied the library folder; installing again leaves it so.
  const std::string patches = DataFolder() + "/Patches";
  ASSERT_EQ(std::system(("rm -rf '" + patches + "/Factory'").c_str()), 0);
  ASSERT_EQ(InstallDataFolder(), 0);
  EXPECT_EQ(std::system(("test -z \"$(ls -A '" + patches + "')\"").c_str()), 0) << "the library was refilled";
  std::ofstream(DataFolder() + "/" + kLogName).flush();  // the editor logs when its log file is there

  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  CloseWelcomeNote(host);
  EXPECT_EQ(host.Command("click 36 66"), "clicked 36 66");
  EXPECT_EQ(host.Param(kMainTab), 1);
  OpenPorts(host, sim);
  // The connection ends before the user asks: its own words would take the
  // status line over again.
  const std::string ready = "Plug-in is ready to go!";
  EXPECT_NE(host.WaitForText(kStatusLine, {ready}).find(ready), std::string::npos);
  const Picture before = Snapshot(host, "before");

  // A bulk request asks the Varno for nothing and says what to do.
  MainMenu(host, "Request Patch Data>All Patches from Memory");
  const std::string status = "The library holds no bank!";
  EXPECT_NE(host.WaitForText(kStatusLine, {status}).find(status), std::string::npos);
  const Picture afterRequest = Snapshot(host, "after-request");
  EXPECT_GT(Differing(before, afterRequest, kStatusLines), 0.02) << "the status lines say nothing";
  host.Command("wait 1000");
  EXPECT_TRUE(Received(sim.Records(), "program-request").empty()) << "programs were requested into no bank";

  // Save As opens no dialog, and storing the bank into the Varno sends
  // nothing; both say the same.
  MainMenu(host, "Save As...>VivivI Format (*.vrn)");
  EXPECT_LT(Differing(afterRequest, Snapshot(host, "after-save-as"), kStatusLines), 0.001)
      << "Save As does not say what the bulk request said";
  MainMenu(host, "Store Patch Data>All Current Patches to Hardware");
  EXPECT_LT(Differing(afterRequest, Snapshot(host, "after-store"), kStatusLines), 0.001)
      << "the store does not say what the bulk request said";
  host.Command("wait 1000");
  const auto records = sim.Records();
  EXPECT_TRUE(Received(records, "sound-store").empty() && Received(records, "sound-dump").empty())
      << "an empty library sent sounds";
  EXPECT_EQ(host.Quit(), 0);

  // The log says which words the status lines showed, once for each.
  const std::string log = ReadWholeFile(DataFolder() + "/" + kLogName);
  const std::string said = status + " Import a bank file first";
  size_t times = 0;
  for (size_t at = log.find(said); at != std::string::npos; at = log.find(said, at + 1)) ++times;
  EXPECT_EQ(times, 3u) << log;
  EXPECT_EQ(std::system(("test -z \"$(ls -A '" + patches + "')\"").c_str()), 0) << "a file was written";
}

}  // namespace
}  // namespace e2e
