// Private-profile files: reading by the file's rules, the exact text
// written, the cache (no rewrite of an equal value, eviction of the least
// used file, changes seen to the nanosecond), writes that cannot reach
// the disk, temporaries that a writer which died left behind, and pipes
// under a profile file's name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "KIT/winl/winl-ini.h"
#include "tests/support/pipe_watchdog.h"
#include "tests/support/temp_folder.h"

namespace {

class IniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WINL_PrivateProfileFlushCache();
    ASSERT_TRUE(m_temp.Made());
    m_dir = m_temp.Name();
  }
  void TearDown() override {
    WINL_PrivateProfileFlushCache();
    ASSERT_TRUE(m_temp.Remove());
  }
  std::string Path(const std::string& name) const { return m_dir + "/" + name; }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
  static std::string Get(const char* section, const char* key, const char* def, const std::string& file,
                         int size = 256, int* result = nullptr) {
    char out[256];
    memset(out, '#', sizeof out);
    const int n = GetPrivateProfileString(section, key, def, out, size, file.c_str());
    if (result) *result = n;
    return std::string(out, static_cast<size_t>(n));
  }
  TempFolder m_temp{"winl-ini-"};
  std::string m_dir;
};

const char kSample[] =
    "; a comment line\n"
    "top=ignored before any section\n"
    "\n"
    "  [Main]  trailing text\n"
    "key = value\n"
    "Quoted='abc'\n"
    "DoubleQuoted=\"x y\"\n"
    "OneQuote='abc\n"
    "Empty=''\n"
    "Padded=\t  spaced out  \t\r\n"
    ";semi=colon\n"
    "no equals sign\n"
    "=empty key\n"
    "[broken header\n"
    "AfterBroken=still main\n"
    "[]\n"
    "Closed=ignored\n"
    "[Repeat]\n"
    "Old=1\n"
    "[Other]\n"
    "b=2\n"
    "A=1\n"
    "a=3\n"
    "[REPEAT]\n"
    "New=2\n";

TEST_F(IniTest, ReadsValuesByTheFileRules) {
  const std::string file = Path("sample.ini");
  Write(file, kSample);
  const struct {
    const char* why;
    const char* section;
    const char* key;
    const char* def;
    const char* expected;
  } kCases[] = {
      {"blank before = is part of the key", "Main", "key", "d", "d"},
      {"key spelled with its blank, value trimmed", "Main", "key ", "d", "value"},
      {"apostrophes removed", "Main", "Quoted", "", "abc"},
      {"double quotes removed", "Main", "DoubleQuoted", "", "x y"},
      {"one apostrophe stays", "Main", "OneQuote", "", "'abc"},
      {"two apostrophes read empty", "Main", "Empty", "d", ""},
      {"blanks and tabs trimmed", "Main", "Padded", "", "spaced out"},
      {"no comment syntax", "Main", ";semi", "", "colon"},
      {"a header without ] keeps the section", "Main", "AfterBroken", "", "still main"},
      {"case ignored for section and key", "mAIN", "QUOTED", "", "abc"},
      {"[] closes the section", "Main", "Closed", "d", "d"},
      {"keys before a section ignored", "", "top", "d", "d"},
      {"a repeated header starts the section anew", "Repeat", "Old", "d", "d"},
      {"the repeated section's new key", "repeat", "New", "", "2"},
      {"of repeated keys the last stays", "Other", "a", "", "3"},
      {"missing key: default untrimmed", "Main", "missing", "  d  ", "  d  "},
      {"missing section: null default is empty", "Nope", "key", nullptr, ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(Get(c.section, c.key, c.def, file), c.expected) << c.why;

  int n = 0;
  EXPECT_EQ(Get("Main", "Quoted", "", file, 3, &n), "ab") << "cut to size - 1";
  EXPECT_EQ(n, 2);
  EXPECT_EQ(Get("Main", "nothing", "default", file, 4, &n), "def");
  EXPECT_EQ(Get("Main", "Quoted", "", file, 0, &n), "") << "size 0 writes nothing";
}

TEST_F(IniTest, ListsSectionAndKeyNames) {
  const std::string file = Path("lists.ini");
  Write(file, "[b]\nz=1\ny=2\n[A]\nk=v\n[c]\n");
  const struct {
    const char* why;
    const char* section;
    int size;
    std::string expected;  // the bytes written, both final NULs included
    int result;
  } kCases[] = {
      {"sections sorted, case ignored", nullptr, 100, std::string("A\0b\0c\0\0", 7), 5},
      {"keys of a section sorted", "B", 100, std::string("y\0z\0\0", 5), 3},
      {"a cut list may end inside a name", nullptr, 5, std::string("A\0b\0\0", 5), 3},
      {"an empty section lists nothing", "c", 100, std::string("\0\0", 2), 0},
      {"an unknown section lists nothing", "none", 100, std::string("\0\0", 2), 0},
  };
  for (const auto& c : kCases) {
    char out[100];
    memset(out, '#', sizeof out);
    const int n = GetPrivateProfileString(c.section, nullptr, "def", out, c.size, file.c_str());
    EXPECT_EQ(n, c.result) << c.why;
    EXPECT_EQ(std::string(out, c.expected.size()), c.expected) << c.why;
  }
}

TEST_F(IniTest, ReadsIntegers) {
  const std::string file = Path("ints.ini");
  Write(file, "[n]\ndigits=12abc\nhex=0x1F\nletters=abc\nzero=0\nminuszero=-0\nnegative=-5\nquoted=' 7'\n");
  const struct {
    const char* key;
    int expected;
  } kCases[] = {{"digits", 12},    {"hex", 0},       {"letters", 99}, {"zero", 0},
                {"minuszero", 99}, {"negative", -5}, {"quoted", 7},   {"missing", 99}};
  for (const auto& c : kCases)
    EXPECT_EQ(GetPrivateProfileInt("n", c.key, 99, file.c_str()), c.expected) << c.key;
}

TEST_F(IniTest, WritesTheWholeFileSorted) {
  const std::string file = Path("settings.ini");
  Write(file, "; comment\n\n[zeta]\nb=2\nnoequals\na=1\n\n[Alpha]\nKey=old\n  x = y \n[zeta]\nc=3\nc=4\n");
  EXPECT_EQ(WritePrivateProfileString("alpha", "KEY", "new", file.c_str()), 1);
  EXPECT_EQ(Read(file), "[Alpha]\nKey=new\nx = y\n\n[zeta]\nc=4\n\n")
      << "comments and blank lines dropped, the stored key's spelling kept, repeated keys once";
  EXPECT_FALSE(Exists(Path(".settings.ini.new")));

  EXPECT_EQ(WritePrivateProfileString("New", "k", "v", file.c_str()), 1);
  EXPECT_EQ(WritePrivateProfileString("zeta", "c", nullptr, file.c_str()), 1)
      << "a null value deletes the key";
  EXPECT_EQ(WritePrivateProfileString("Alpha", nullptr, nullptr, file.c_str()), 1)
      << "a null key the section";
  EXPECT_EQ(Read(file), "[New]\nk=v\n\n[zeta]\n\n");

  EXPECT_EQ(WritePrivateProfileString(nullptr, "k", "v", file.c_str()), 0);
  EXPECT_EQ(WritePrivateProfileString("New", "", "v", file.c_str()), 0);

  // A missing file reads empty and the first write creates it.
  const std::string fresh = Path("fresh.ini");
  EXPECT_EQ(Get("s", "k", "none", fresh), "none");
  EXPECT_EQ(WritePrivateProfileString("s", "k", "1", fresh.c_str()), 1);
  EXPECT_EQ(Read(fresh), "[s]\nk=1\n\n");
}

TEST_F(IniTest, AnEqualValueIsNotWrittenAgain) {
  const std::string file = Path("same.ini");
  ASSERT_EQ(WritePrivateProfileString("s", "k", "v", file.c_str()), 1);
  struct stat before;
  ASSERT_EQ(stat(file.c_str(), &before), 0);
  EXPECT_EQ(WritePrivateProfileString("S", "K", "v", file.c_str()), 1);
  struct stat after;
  ASSERT_EQ(stat(file.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino) << "a rewrite would have renamed a new file into place";
  EXPECT_EQ(WritePrivateProfileString("s", "k", "V", file.c_str()), 1);
  ASSERT_EQ(stat(file.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino) << "case matters in values";
}

TEST_F(IniTest, Sections) {
  const std::string file = Path("sections.ini");
  Write(file, "[s]\nold=1\n");
  const char list[] = "b= two \0a=1\0noequals\0a=later\0\0";
  EXPECT_EQ(WritePrivateProfileSection("S", list, file.c_str()), 1);
  EXPECT_EQ(Read(file), "[s]\na=later\nb= two \n\n");

  char out[64];
  int n = GetPrivateProfileSection("s", out, sizeof out, file.c_str());
  EXPECT_EQ(std::string(out, static_cast<size_t>(n) + 1), std::string("a=later\0b=two\0\0", 15));
  EXPECT_EQ(n, 14);
  memset(out, '#', sizeof out);
  n = GetPrivateProfileSection("s", out, 6, file.c_str());
  EXPECT_EQ(n, 4) << "cut: size - 2";
  EXPECT_EQ(out[5], 0);
  n = GetPrivateProfileSection("none", out, sizeof out, file.c_str());
  EXPECT_EQ(n, 0);
  EXPECT_EQ(std::string(out, 2), std::string("\0\0", 2));

  // An empty list for a missing section writes nothing; for an existing one
  // it leaves the header alone.
  EXPECT_EQ(WritePrivateProfileSection("missing", "\0", file.c_str()), 1);
  EXPECT_EQ(WritePrivateProfileSection("s", "\0", file.c_str()), 1);
  EXPECT_EQ(Read(file), "[s]\n\n");
  EXPECT_EQ(WritePrivateProfileSection(nullptr, "\0", file.c_str()), 0);
}

TEST_F(IniTest, StructsCarryAChecksum) {
  const std::string file = Path("struct.ini");
  const unsigned char bytes[3] = {0x01, 0x02, 0xFF};
  ASSERT_EQ(WritePrivateProfileStruct("s", "data", bytes, 3, file.c_str()), 1);
  EXPECT_EQ(Read(file), "[s]\ndata=0102FF02\n\n") << "sum 0x102 gives the checksum 02";
  unsigned char back[3] = {};
  EXPECT_EQ(GetPrivateProfileStruct("s", "data", back, 3, file.c_str()), 1);
  EXPECT_EQ(memcmp(back, bytes, 3), 0);

  const struct {
    const char* why;
    const char* text;
  } kBad[] = {{"one digit too many", "0102FF021"},
              {"one digit too few", "0102FF0"},
              {"wrong checksum", "0102FF03"},
              {"not a digit", "01G2FF02"}};
  for (const auto& c : kBad) {
    ASSERT_EQ(WritePrivateProfileString("s", "bad", c.text, file.c_str()), 1);
    EXPECT_EQ(GetPrivateProfileStruct("s", "bad", back, 3, file.c_str()), 0) << c.why;
  }
  EXPECT_EQ(GetPrivateProfileStruct("s", nullptr, back, 3, file.c_str()), 0);
  EXPECT_EQ(WritePrivateProfileStruct("s", "data", nullptr, 3, file.c_str()), 1) << "a null buffer deletes";
  EXPECT_EQ(Get("s", "data", "gone", file), "gone");
}

// Rewrites a file in place with text of the same length, then puts back
// its old modification time: a change the cache cannot see.
void ChangeUnseen(const std::string& path, const std::string& text) {
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  FILE* f = fopen(path.c_str(), "r+");
  ASSERT_TRUE(f);
  ASSERT_EQ(fwrite(text.data(), 1, text.size(), f), text.size());
  fclose(f);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(IniTest, TheThirtyThirdFileEvictsTheLeastUsed) {
  for (int i = 0; i < 33; ++i) Write(Path(std::to_string(i) + ".ini"), "[s]\nk=a\n");
  for (int i = 0; i < 32; ++i) EXPECT_EQ(Get("s", "k", "", Path(std::to_string(i) + ".ini")), "a");
  for (int i = 1; i < 32; ++i) Get("s", "k", "", Path(std::to_string(i) + ".ini"));  // file 0 least used
  ChangeUnseen(Path("0.ini"), "[s]\nk=b\n");
  ChangeUnseen(Path("1.ini"), "[s]\nk=b\n");
  EXPECT_EQ(Get("s", "k", "", Path("0.ini")), "a") << "still cached";
  for (int i = 1; i < 32; ++i) Get("s", "k", "", Path(std::to_string(i) + ".ini"));
  EXPECT_EQ(Get("s", "k", "", Path("32.ini")), "a");
  EXPECT_EQ(Get("s", "k", "", Path("1.ini")), "a") << "still cached";
  EXPECT_EQ(Get("s", "k", "", Path("0.ini")), "b") << "evicted, then parsed anew";
}

TEST_F(IniTest, AChangeWithinTheSameSecondAndSizeIsSeen) {
  const std::string file = Path("ns.ini");
  Write(file, "[s]\nk=1\n");
  EXPECT_EQ(Get("s", "k", "", file), "1");
  struct stat st;
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  ChangeUnseen(file, "[s]\nk=2\n");
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;  // the same second
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  EXPECT_EQ(Get("s", "k", "", file), "2");

  // A file replaced by another of the same size and time: a new inode.
  const std::string other = Path("other.ini");
  Write(other, "[s]\nk=3\n");
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  const struct timespec same[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, other.c_str(), same, 0), 0);
  ASSERT_EQ(rename(other.c_str(), file.c_str()), 0);
  EXPECT_EQ(Get("s", "k", "", file), "3");
}

TEST_F(IniTest, AWriteThatCannotReachTheDiskReportsFailure) {
  // The temporary file is held by a writer at work (its lock is taken): the
  // write fails, leaves that file alone and the cache reads the disk again.
  const std::string file = Path("busy.ini");
  Write(file, "[s]\nk=disk\n");
  Write(Path(".busy.ini.new"), "someone else's");
  const int writer = open(Path(".busy.ini.new").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(flock(writer, LOCK_EX), 0);
  EXPECT_EQ(WritePrivateProfileString("s", "k", "cache", file.c_str()), 0);
  close(writer);
  EXPECT_EQ(Read(Path(".busy.ini.new")), "someone else's");
  EXPECT_EQ(Get("s", "k", "", file), "disk");
  EXPECT_EQ(Read(file), "[s]\nk=disk\n");

  // A folder stands at the file's name: it is never replaced; false, and
  // no temporary file is left behind.
  const std::string folder = Path("folder.ini");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  Write(folder + "/inside", "x");
  EXPECT_EQ(WritePrivateProfileString("s", "k", "v", folder.c_str()), 0);
  EXPECT_FALSE(Exists(Path(".folder.ini.new")));
  EXPECT_EQ(Get("s", "k", "none", folder), "none");
}

TEST_F(IniTest, AFileTooLargeBeforeItsFirstSectionIsNeverReplaced) {
  const std::string file = Path("large.ini");
  const std::string text = std::string(262145, 'x') + "\n[s]\nk=v\n";
  Write(file, text);
  EXPECT_EQ(Get("s", "k", "default", file), "default") << "no sections are read";
  EXPECT_EQ(WritePrivateProfileString("s", "k", "w", file.c_str()), 0);
  EXPECT_EQ(WritePrivateProfileSection("s", "a=1\0", file.c_str()), 0);
  EXPECT_EQ(Read(file), text);

  // Just under the limit the section is read.
  const std::string fits = Path("fits.ini");
  Write(fits, std::string(262143, 'x') + "\n[s]\nk=v\n");
  EXPECT_EQ(Get("s", "k", "default", fits), "v");
}

TEST_F(IniTest, TheWholePathIsKept) {
  // A path longer than 1015 characters: the temporary file stays beside
  // the file and the file is written where its name says.
  std::string folder = m_dir;
  for (int i = 0; i < 6; ++i) {
    folder += "/" + std::string(200, static_cast<char>('a' + i));
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  }
  const std::string file = folder + "/settings.ini";
  ASSERT_GT(file.size(), 1100u);
  EXPECT_EQ(WritePrivateProfileString("s", "k", "v", file.c_str()), 1);
  EXPECT_EQ(Read(file), "[s]\nk=v\n\n");
  EXPECT_FALSE(Exists(folder + "/.settings.ini.new"));
}

TEST_F(IniTest, FileNamesDifferingInCaseAreDifferentFiles) {
  EXPECT_EQ(WritePrivateProfileString("s", "k", "lower", Path("a.ini").c_str()), 1);
  EXPECT_EQ(WritePrivateProfileString("s", "k", "upper", Path("A.ini").c_str()), 1);
  EXPECT_EQ(Read(Path("a.ini")), "[s]\nk=lower\n\n");
  EXPECT_EQ(Read(Path("A.ini")), "[s]\nk=upper\n\n");
}

// A writer that died mid-write left its temporary: the next write removes
// it (whatever it is: a file, a link, a pipe; a link is never followed) and
// the value reaches the file.
TEST_F(IniTest, AStaleTemporaryNeverBlocksLaterWrites) {
  const std::string victim = Path("victim.txt");
  const struct {
    const char* why;
    std::function<void(const std::string& temporary)> leave;
  } kCases[] = {
      {"a half-written file", [](const std::string& t) { Write(t, "[s]\nk=hal"); }},
      {"an empty file nobody may write",
       [](const std::string& t) {
         Write(t, "");
         chmod(t.c_str(), 0400);
       }},
      {"a link to another file",
       [&](const std::string& t) { ASSERT_EQ(symlink(victim.c_str(), t.c_str()), 0); }},
      {"a link to nothing",
       [&](const std::string& t) { ASSERT_EQ(symlink(Path("nothing").c_str(), t.c_str()), 0); }},
      {"a pipe", [](const std::string& t) { ASSERT_EQ(mkfifo(t.c_str(), 0600), 0); }},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    WINL_PrivateProfileFlushCache();
    const std::string file = Path("profile.ini");
    const std::string temporary = Path(".profile.ini.new");
    Write(file, "[s]\nk=old\n");
    Write(victim, "not a profile");
    c.leave(temporary);
    PipeWatchdog watchdog(temporary);
    EXPECT_EQ(WritePrivateProfileString("s", "k", "new", file.c_str()), 1);
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(Read(file), "[s]\nk=new\n\n");
    struct stat st;
    EXPECT_NE(lstat(temporary.c_str(), &st), 0) << "the temporary is gone";
    EXPECT_EQ(Read(victim), "not a profile");
    EXPECT_FALSE(Exists(Path("nothing")));
    WINL_PrivateProfileFlushCache();
    EXPECT_EQ(Get("s", "k", "", file), "new");
  }
}

// A pipe under a profile file's name reads as a missing file and is never
// waited on, nor replaced by a write.
TEST_F(IniTest, APipeAsTheProfileFileReadsAsMissingWithoutWaiting) {
  const std::string file = Path("pipe.ini");
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  PipeWatchdog watchdog(file);
  EXPECT_EQ(Get("s", "k", "default", file), "default");
  EXPECT_EQ(GetPrivateProfileInt("s", "n", 7, file.c_str()), 7);
  EXPECT_EQ(WritePrivateProfileString("s", "k", "v", file.c_str()), 0);
  EXPECT_FALSE(watchdog.Fired());
  struct stat st;
  ASSERT_EQ(lstat(file.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe stays";
  EXPECT_FALSE(Exists(Path(".pipe.ini.new")));
}

}  // namespace
