// Opening files by name without waiting: only regular files are opened, for
// any access; a folder, a pipe (either way), a link to nothing are refused at
// once with their error, and truncation never reaches what is refused.
#include "KIT/regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/pipe_watchdog.h"
#include "tests/support/temp_folder_fixture.h"

namespace {

class RegularFileTest : public TempFolderTest {};

TEST_F(RegularFileTest, OnlyRegularFilesOpenAndNothingIsWaitedOn) {
  writeFile(path("bank.syx"), "bytes");
  ASSERT_EQ(::symlink(path("bank.syx").c_str(), path("link.syx").c_str()), 0);
  ASSERT_EQ(::symlink(path("none").c_str(), path("dangling").c_str()), 0);
  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
  ASSERT_EQ(::mkdir(path("folder").c_str(), 0755), 0);
  const struct {
    const char* why;
    const char* name;
    int flags;
    int error;  // 0: opens
  } kCases[] = {
      {"a file for reading", "bank.syx", O_RDONLY, 0},
      {"a file for appending", "bank.syx", O_WRONLY | O_APPEND, 0},
      {"a link to a file", "link.syx", O_RDONLY, 0},
      {"a new file", "new.txt", O_WRONLY | O_CREAT, 0},
      {"a link to nothing", "dangling", O_RDONLY, ENOENT},
      {"a folder", "folder", O_RDONLY, EISDIR},
      {"a pipe for reading", "pipe", O_RDONLY, ENXIO},
      {"a pipe for writing", "pipe", O_WRONLY, ENXIO},
      {"a pipe for writing with truncation", "pipe", O_WRONLY | O_TRUNC, ENXIO},
      {"a pipe for both", "pipe", O_RDWR, ENXIO},
  };
  PipeWatchdog watchdog(path("pipe").string());
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    errno = 0;
    const int fd = KIT_OpenRegularFile(path(c.name).c_str(), c.flags);
    if (c.error == 0) {
      ASSERT_GE(fd, 0) << strerror(errno);
      EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << "blocking again";
      EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
      ::close(fd);
    } else {
      EXPECT_EQ(fd, -1);
      EXPECT_EQ(errno, c.error);
    }
  }
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_TRUE(std::filesystem::exists(path("new.txt")));
}

TEST_F(RegularFileTest, StreamsAndWholeReads) {
  writeFile(path("data"), "0123456789");
  FILE* truncated = KIT_FOpenRegularFile(path("data").c_str(), "w");
  ASSERT_NE(truncated, nullptr);
  fputs("ab", truncated);
  fclose(truncated);
  EXPECT_EQ(readFile(path("data")), "ab");
  FILE* appended = KIT_FOpenRegularFile(path("data").c_str(), "ae");
  ASSERT_NE(appended, nullptr);
  fputs("cd", appended);
  fclose(appended);
  EXPECT_EQ(readFile(path("data")), "abcd");
  EXPECT_EQ(KIT_FOpenRegularFile(path("data").c_str(), "x"), nullptr) << "an unknown mode";

  std::vector<uint8_t> bytes = {9};
  EXPECT_TRUE(KIT_ReadRegularFile(path("data").c_str(), &bytes, 4));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{'a', 'b', 'c', 'd'})) << "up to the limit";
  EXPECT_FALSE(KIT_ReadRegularFile(path("data").c_str(), &bytes, 3));
  EXPECT_TRUE(bytes.empty()) << "over the limit: nothing";
  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
  PipeWatchdog watchdog(path("pipe").string());
  EXPECT_FALSE(KIT_ReadRegularFile(path("pipe").c_str(), &bytes, 100));
  EXPECT_EQ(KIT_FOpenRegularFile(path("pipe").c_str(), "w"), nullptr);
  EXPECT_FALSE(watchdog.Fired());
}

}  // namespace
