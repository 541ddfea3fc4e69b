// Writing bank files safely: links, permissions and read-only files kept as
// they were; a save stopped by a file-size limit or killed mid-write never
// damages the old file, and the next load removes what a killed save left.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/library/library_editor.h"

namespace {

namespace fs = std::filesystem;

class SaveSafety : public LibraryFolderTest {
 protected:
  void SetUp() override {
    LibraryFolderTest::SetUp();
    PatchFile* bank = new PatchFile();
    bank->fileName = "edited.vrn";
    for (int i = 0; i < 99; ++i) bank->patches.push_back(recordPatch(i, "Safe " + std::to_string(i), 3));
    library().fileBanks.push_back(bank);
  }
  // Temporary files of saves in folder.
  static std::vector<std::string> temporaries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      if (PatchLibrarian::isTemporaryFileName(entry.path().filename().string()))
        names.push_back(entry.path().filename().string());
    return names;
  }
  static fs::perms modeOf(const fs::path& file) { return fs::status(file).permissions() & fs::perms::mask; }
};

// A bank file reached through a link is written where the link points and
// the link stays; the file keeps its permission bits; a file that nobody may
// write is refused with a log line and left as it was.
TEST_F(SaveSafety, overwriteKeepsLinksPermissionsAndReadOnlyFiles) {
  using fs::perms;
  const struct {
    const char* why;
    perms mode;
    bool throughLink;
    bool saved;
  } kCases[] = {
      {"a linked bank file", perms::owner_read | perms::owner_write | perms::group_read | perms::others_read,
       true, true},
      {"a group-writable bank file",
       perms::owner_read | perms::owner_write | perms::group_read | perms::group_write | perms::others_read,
       false, true},
      {"a private bank file", perms::owner_read | perms::owner_write, false, true},
      {"a read-only bank file", perms::owner_read | perms::group_read | perms::others_read, false, false},
      {"a read-only bank file through a link", perms::owner_read, true, false},
  };
  const Bytes old = {1, 2, 3};
  int number = 0;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    const std::string name = "bank " + std::to_string(++number) + ".vrn";
    const fs::path real = m_dir / "Shared" / name;
    writeBytes(real, old);
    fs::permissions(real, c.mode);
    fs::path given = real;
    if (c.throughLink) {
      given = patches() / name;
      fs::create_symlink(real, given);
    }
    editor->currentBankFileName = "before.vrn";

    EXPECT_EQ(library().saveEditedPatch(given.string(), name), c.saved);
    EXPECT_EQ(fs::is_symlink(given), c.throughLink) << "a link stays a link";
    EXPECT_EQ(modeOf(real), c.mode);
    if (c.saved) {
      EXPECT_EQ(fs::file_size(real), 9108u);
      EXPECT_EQ(editor->currentBankFileName, name);
    } else {
      EXPECT_EQ(readBytes(real), old);
      EXPECT_EQ(editor->currentBankFileName, "before.vrn");
      EXPECT_NE(logText().find("could not write file " + given.string() + ": the file is read-only"),
                std::string::npos);
    }
    EXPECT_TRUE(temporaries(real.parent_path()).empty());
    EXPECT_TRUE(temporaries(patches()).empty());
  }
}

// Under a file-size limit smaller than the bank the write fails: the save
// reports it, the old file stays whole and no temporary is left. The save
// runs in a child process, whose limit it is; the child would be killed by
// the limit's signal if the save let it through.
TEST_F(SaveSafety, aFileSizeLimitFailsTheSaveInsteadOfEndingTheProgram) {
  const fs::path target = patches() / "bank.vrn";
  const Bytes old(3000, 0x11);
  writeBytes(target, old);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit = {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool saved = library().saveEditedPatch(target.string(), "bank.vrn");
    _exit(saved ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the save must report the failure";
  EXPECT_EQ(readBytes(target), old);
  EXPECT_TRUE(temporaries(patches()).empty());
  EXPECT_NE(logText().find("could not write file " + target.string()), std::string::npos);
}

// A save killed while it writes leaves its temporary file; the next load
// removes it, logs that, and loads the bank file that was there before.
TEST_F(SaveSafety, aSaveKilledMidWriteLeavesNoTemporaryAfterTheNextLoad) {
  std::vector<Bytes> sounds;
  for (int i = 0; i < 30; ++i) sounds.push_back(plainDump(i));
  const fs::path kept = patches() / "kept.syx";
  writeBytes(kept, join(sounds));
  const fs::path target = patches() / "big.vrn";

  // The child writes a large file; it is killed as soon as its temporary
  // shows. Should it ever finish first, it is tried again.
  bool killedMidWrite = false;
  for (int attempt = 0; attempt < 20 && !killedMidWrite; ++attempt) {
    fs::remove(target);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const Bytes large(64u << 20, 0x22);
      PatchLibrarian::writeFileSafely(target.string(), large.data(), static_cast<int>(large.size()));
      _exit(0);
    }
    bool ended = false;
    while (temporaries(patches()).empty() && !ended) {
      ended = waitpid(child, nullptr, WNOHANG) == child;
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    if (!ended) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    killedMidWrite = !temporaries(patches()).empty() && !fs::exists(target);
  }
  ASSERT_TRUE(killedMidWrite);

  library().initBankFilesOnDiscard(patches().string());
  EXPECT_TRUE(temporaries(patches()).empty());
  EXPECT_EQ(bankNames(), std::vector<std::string>{"kept.syx"});
  EXPECT_EQ(readBytes(kept), join(sounds));
  EXPECT_NE(logText().find("removed the temporary file"), std::string::npos);
}

// Only our own temporaries are removed, and only once no save holds them: a
// user's hidden files stay, and so does the temporary of a save in progress
// (here held by this process).
TEST_F(SaveSafety, theLoadRemovesOnlyTemporariesNobodyHolds) {
  const struct {
    const char* name;
    bool removed;
  } kCases[] = {
      {".bank.vrn.saving-Ab12Cd", true}, {"Sub/.Other Bank.SYX.saving-09zzAA", true},
      {".song.mid.saving-xxxxxx", true}, {".bank.vrn.saving-held00", false},  // held below
      {".bank.vrn.saving-Ab12C", false},                                      // not ours: five characters
      {".bank.vrn.backup", false},       {".notes.txt.saving-Ab12Cd", false},
      {"bank.vrn.saving-Ab12Cd", false},  // not hidden
  };
  for (const auto& c : kCases) writeBytes(patches() / c.name, Bytes(5000, 0x33));
  const int held = ::open((patches() / ".bank.vrn.saving-held00").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);  // the loader opens the file anew: the lock holds it off
  load();
  ::close(held);
  for (const auto& c : kCases) EXPECT_EQ(fs::exists(patches() / c.name), !c.removed) << c.name;
}

}  // namespace
