// The library's files end to end, as a musician meets them: a library whose
// big bank is split (and whose old bank is converted) beside banks of the
// user's of the names the loader would write, a library of folders reached
// through many links, and a settings file that is a pipe. The host program
// shows the editor headless; banks are chosen in the librarian's menus and
// played by a double click into the simulated Varno, which records what it
// receives.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "tests/e2e/e2e_fixture.h"
#include "tests/support/read_file.h"

namespace e2e {
namespace {

constexpr int kFilterCutoff = 39;
constexpr int kUserInterfaceSize = 158;
// The first row of the edited bank's list: left, top, right, bottom.
constexpr int kFirstRow[4] = {16, 97, 116, 113};
// The sound bytes of a dump and of a library record: after the program
// number, up to the checksum.
constexpr size_t kSoundFirst = 6, kSoundEnd = 74;

// A header line's text without the blanks around it.
std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(text.begin());
  return text;
}

std::vector<int> SoundPart(const std::vector<int>& message) {
  if (message.size() < kSoundEnd) return {};
  return std::vector<int>(message.begin() + kSoundFirst, message.begin() + kSoundEnd);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Text(const std::vector<int>& bytes) {
  std::string text;
  for (int b : bytes) text.push_back(static_cast<char>(b));
  return text;
}

// A bank of 99 library records of the dump's sound named name: the bank a
// user keeps.
std::string UserBank(const std::vector<int>& dump, const std::string& name) {
  std::vector<int> record(dump.begin(), dump.begin() + 75);
  record.push_back(0x00);
  std::string padded = name;
  padded.resize(14, ' ');
  for (char c : padded) record.push_back(c);
  record.push_back(0x03);  // a category
  record.push_back(0xF7);
  std::string bank;
  for (int slot = 0; slot < 99; ++slot) bank += Text(record);
  return bank;
}

// count plain dumps of the sound: a raw SysEx file.
std::string Dumps(const std::vector<int>& dump, int count) {
  std::string file;
  for (int i = 0; i < count; ++i) file += Text(dump);
  return file;
}

// count second-generation sounds (model 0x16, 139 bytes) named name.
std::string SecondGenerationSounds(const std::string& name, int count) {
  std::vector<int> message = {0xF0, 0x3E, 0x16, 0x00, 0x01, 0x00};
  while (message.size() < 120) message.push_back(static_cast<int>(message.size()) & 0x3F);
  std::string padded = name;
  padded.resize(14, ' ');
  for (char c : padded) message.push_back(c);
  message.push_back(0x02);
  while (message.size() < 138) message.push_back(0x00);
  message.push_back(0xF7);
  std::string file;
  for (int i = 0; i < count; ++i) file += Text(message);
  return file;
}

class LibraryFilesEndToEnd : public EditorEndToEnd {
 protected:
  std::string Patches() const { return DataFolder() + "/Patches"; }
  std::string LogFile() const { return DataFolder() + "/VivivI Editor LOG.txt"; }

  // Plays the first slot of the edited bank into the Varno by a double
  // click; the sound dump it received. A double click while the processing
  // overlay covers the window plays nothing, so it is tried again.
  std::vector<int> PlayFirstSlot(Host& host, Simulator& sim) {
    const auto deadline = steady_clock::now() + kDeadline;
    while (steady_clock::now() < deadline) {
      sim.Command("records clear");
      host.Command("double-click " + librarian::RowCentre(0, 0));
      host.Command("wait 500");
      const auto dumps = Received(sim.Records(), "sound-dump");
      if (!dumps.empty()) return dumps.back().bytes;
    }
    return {};
  }
};

// A big bank is split and an old one converted beside the user's banks of
// the names the loader would write: those stay and still play their own
// sounds; the written banks take free names, show in the bank menu under
// them and play theirs; the log says which names were taken.
TEST_F(LibraryFilesEndToEnd, SplitAndConvertedBanksNeverReplaceTheUsersBanks) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  const std::vector<int> userSound = sim.ProgramDump(98), bigSound = sim.ProgramDump(5);
  ASSERT_EQ(userSound.size(), 76u);
  ASSERT_EQ(bigSound.size(), 76u);
  ASSERT_NE(SoundPart(userSound), SoundPart(bigSound));
  mkdir(Patches().c_str(), 0755);
  const std::string userSplitName = UserBank(userSound, "User Split"),
                    userOldName = UserBank(userSound, "User Old");
  WriteFile(Patches() + "/Big Singles 1.vrn", userSplitName);
  WriteFile(Patches() + "/Big.syx", Dumps(bigSound, 150));
  WriteFile(Patches() + "/Old.vrn", userOldName);
  WriteFile(Patches() + "/Old.syx", SecondGenerationSounds("Converted", 40));
  WriteFile(LogFile(), "");  // the log switched on

  {
    Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
    ASSERT_TRUE(host.Open());
    OpenPorts(host, sim);
    ASSERT_EQ(
        host.Command("set-param " + std::to_string(librarian::kMainTab) + " 1").rfind("parameter 194", 0),
        0u);
    // Each bank is listed in the edited bank's menu under its name, shows
    // its own patch names in the edited bank's list (the first row's
    // picture differs from bank to bank: USER SPLIT, SOUND 01, USER OLD,
    // CONVERTED), and its first slot plays its own sound.
    const struct {
      const char* bank;
      std::vector<int> sound;  // empty: the converted sound
    } kBanks[] = {
        {"Big Singles 1.vrn", userSound},
        {"Big Singles 1 2.vrn", bigSound},
        {"Old.vrn", userSound},
        {"Old 2.vrn", {}},
    };
    std::vector<Picture> firstRows;
    for (const auto& bank : kBanks) {
      SCOPED_TRACE(bank.bank);
      ASSERT_TRUE(host.ChooseFromMenuAt(librarian::kUpperBankMenuX, librarian::kUpperBankMenuY, bank.bank));
      firstRows.push_back(Snapshot(host, std::to_string(firstRows.size())));
      ASSERT_TRUE(firstRows.back().Loaded());
      for (size_t earlier = 0; earlier + 1 < firstRows.size(); ++earlier)
        EXPECT_GT(firstRows.back().Differences(firstRows[earlier], kFirstRow[0], kFirstRow[1], kFirstRow[2],
                                               kFirstRow[3]),
                  0)
            << "the first row shows what bank " << kBanks[earlier].bank << " showed";
      const std::vector<int> played = PlayFirstSlot(host, sim);
      ASSERT_FALSE(played.empty()) << "the Varno got no sound";
      if (bank.sound.empty()) {
        EXPECT_NE(SoundPart(played), SoundPart(userSound));
      } else {
        EXPECT_EQ(SoundPart(played), SoundPart(bank.sound));
      }
    }
    EXPECT_EQ(host.Quit(), 0);
  }

  EXPECT_EQ(ReadWholeFile(Patches() + "/Big Singles 1.vrn"), userSplitName) << "byte for byte";
  EXPECT_EQ(ReadWholeFile(Patches() + "/Old.vrn"), userOldName) << "byte for byte";
  EXPECT_EQ(ReadWholeFile(DataFolder() + "/Converted Banks/Big.syx"), Dumps(bigSound, 150));
  const std::string log = ReadWholeFile(LogFile());
  for (const char* line : {"wrote file Big Singles 1 2.vrn in place of Big Singles 1.vrn",
                           "wrote file Old 2.vrn in place of Old.vrn"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

// A library folder reached through 2^18 roads of links (18 folders, each
// holding two links to the next) starts as fast as any other: each folder is
// walked once. Its bank is chosen under the road that reached it first and
// plays into the Varno.
TEST_F(LibraryFilesEndToEnd, ALibraryOfManyLinkedRoadsLoadsEachFolderOnce) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  const std::vector<int> sound = sim.ProgramDump(7);
  ASSERT_EQ(sound.size(), 76u);
  const std::string levels = DataFolder() + "/Levels";
  mkdir(levels.c_str(), 0755);
  for (int level = 1; level <= 18; ++level) {
    const std::string folder = levels + "/" + std::to_string(level);
    mkdir(folder.c_str(), 0755);
    if (level == 18) continue;
    for (const char* name : {"/a", "/b"})
      ASSERT_EQ(symlink(("../" + std::to_string(level + 1)).c_str(), (folder + name).c_str()), 0);
  }
  mkdir(Patches().c_str(), 0755);
  for (const char* name : {"/a", "/b"})
    ASSERT_EQ(symlink((levels + "/1").c_str(), (Patches() + name).c_str()), 0);
  WriteFile(levels + "/1/Linked.syx", Dumps(sound, 40));
  WriteFile(LogFile(), "");

  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open()) << "the editor did not start";
  OpenPorts(host, sim);
  ASSERT_EQ(host.Command("set-param " + std::to_string(librarian::kMainTab) + " 1").rfind("parameter 194", 0),
            0u);
  ASSERT_TRUE(host.ChooseFromMenuAt(librarian::kUpperBankMenuX, librarian::kUpperBankMenuY, "a>Linked.syx"));
  EXPECT_EQ(SoundPart(PlayFirstSlot(host, sim)), SoundPart(sound));
  EXPECT_EQ(host.Quit(), 0);

  // Loaded once, by its first road; the installed factory banks beside it.
  const std::string log = ReadWholeFile(LogFile());
  size_t loaded = 0;
  for (size_t at = log.find("/Linked.syx\n"); at != std::string::npos; at = log.find("/Linked.syx\n", at + 1))
    ++loaded;
  EXPECT_EQ(loaded, 1u) << log;
  EXPECT_NE(log.find("loaded file " + Patches() + "/a/Linked.syx\n"), std::string::npos) << log;
  EXPECT_NE(log.find("skipped folder " + Patches() + "/b: it leads to a folder that is loaded already"),
            std::string::npos);
}

// A pipe under the settings file's name: the editor starts (a pipe is never
// waited on) in its default size, as without a settings file, plays its
// knobs into the Varno; a size chosen is not written to the pipe, and the
// status lines say so (the settings file is missing) instead of asking for a
// reload; the pipe stays as it was.
TEST_F(LibraryFilesEndToEnd, ASettingsFileThatIsAPipeNeitherHangsNorIsWritten) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  const std::string settings = DataFolder() + "/VivivI Editor UI.txt";
  std::remove(settings.c_str());  // the installed one
  ASSERT_EQ(mkfifo(settings.c_str(), 0600), 0);

  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open()) << "start-up waited on the pipe";
  EXPECT_NE(host.OpenLine().find(", 1500x667,"), std::string::npos) << host.OpenLine();
  OpenPorts(host, sim);
  EXPECT_EQ(
      host.Command("set-param " + std::to_string(kFilterCutoff) + " 100").rfind("parameter 39 set to", 0),
      0u);
  sim.WaitFor([](const std::vector<Record>& r) {
    for (const Record& x : Received(r, "control-change"))
      if (x.bytes == std::vector<int>{0xB0, 74, 100}) return true;
    return false;
  });
  EXPECT_EQ(sim.EditValue(kFilterCutoff), 100) << "the cutoff reached the Varno";

  EXPECT_EQ(host.Command("set-param " + std::to_string(kUserInterfaceSize) + " 2"), "parameter 158 set to 2");
  host.Command("wait 200");
  EXPECT_EQ(Trimmed(host.ParamText(kStatusLine)), "VivivI Editor UI.txt MISSING!");
  EXPECT_EQ(Trimmed(host.ParamText(kValueLine)), "Contact support");
  EXPECT_EQ(host.Quit(), 0);
  struct stat info {};
  ASSERT_EQ(lstat(settings.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe stays a pipe";

  // Opened again: still the default size, the choice went nowhere.
  Host again(m_dir, EDITOR_BUNDLE, {"open-editor", "window", "editor-commands"});
  ASSERT_TRUE(again.Open());
  EXPECT_NE(again.OpenLine().find(", 1500x667,"), std::string::npos) << again.OpenLine();
  EXPECT_EQ(again.Quit(), 0);
}

}  // namespace
}  // namespace e2e
