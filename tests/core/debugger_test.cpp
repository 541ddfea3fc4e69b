#include "src/debugger.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/pipe_watchdog.h"
#include "tests/support/temp_folder_fixture.h"

namespace {

namespace fs = std::filesystem;

// The test's folder stands in for the data folder.
class LogFile : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    m_log = path("VivivI Editor LOG.txt").string();
  }

  void createLog(const std::string& content) { writeFile(m_log, content); }
  std::string readLog() const { return readFile(m_log); }

  std::vector<std::string> logLines() const {
    std::vector<std::string> lines;
    std::istringstream in(readLog());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string m_log;
};

// "%Y-%m-%d.%X" in the C locale, then a tab and a blank: 21 characters.
constexpr size_t kStampBytes = 21;
const std::regex kStamp(R"(\d{4}-\d{2}-\d{2}\.\d{2}:\d{2}:\d{2}\t )");

// True when line starts with the stamp; message gets the rest.
bool splitStampedLine(const std::string& line, std::string& message) {
  if (line.size() < kStampBytes || !std::regex_match(line.substr(0, kStampBytes), kStamp)) return false;
  message = line.substr(kStampBytes);
  return true;
}

TEST_F(LogFile, existingLogIsEmptiedAndSwitchesLoggingOn) {
  createLog("old run\nmore\n");
  EXPECT_TRUE(DebuggerOutput::openDebugFile(m_log));
  EXPECT_EQ("", readLog());
}

TEST_F(LogFile, missingLogLeavesLoggingOffAndCreatesNothing) {
  EXPECT_FALSE(DebuggerOutput::openDebugFile(m_log));
  EXPECT_FALSE(fs::exists(m_log));
}

TEST_F(LogFile, onlyARegularFileSwitchesLoggingOn) {
  fs::create_directory(m_log);
  EXPECT_FALSE(DebuggerOutput::openDebugFile(m_log)) << "a folder under the log's name";
  fs::remove(m_log);

  ASSERT_EQ(0, ::mkfifo(m_log.c_str(), 0600));
  EXPECT_FALSE(DebuggerOutput::openDebugFile(m_log)) << "a pipe, which must not block start-up either";
}

// A pipe put in the log's place after start-up: a line for it is lost, and
// never waited on (the open of a pipe for writing waits for a reader).
TEST_F(LogFile, aPipeInTheLogsPlaceIsNeverWaitedOn) {
  ASSERT_EQ(0, ::mkfifo(m_log.c_str(), 0600));
  PipeWatchdog watchdog(m_log);
  DebuggerOutput::printDebugInfo(m_log, "PATCH LIBRARIAN: lost");
  EXPECT_FALSE(DebuggerOutput::openDebugFile(m_log));
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(LogFile, linesCarryTheTimeStampThenTabAndBlank) {
  createLog("");
  ASSERT_TRUE(DebuggerOutput::openDebugFile(m_log));
  DebuggerOutput::printDebugInfo(m_log, "CONFIG READER: started");
  DebuggerOutput::printDebugInfo(m_log, "PATCH LIBRARIAN: 3 banks");
  DebuggerOutput::printDebugInfo(m_log, "");

  const std::string log = readLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ('\n', log.back());
  const std::vector<std::string> lines = logLines();
  const std::vector<std::string> messages = {"CONFIG READER: started", "PATCH LIBRARIAN: 3 banks", ""};
  ASSERT_EQ(messages.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string message;
    ASSERT_TRUE(splitStampedLine(lines[i], message)) << lines[i];
    EXPECT_EQ(messages[i], message);
  }
}

TEST_F(LogFile, lineThatCannotBeWrittenIsLostSilently) {
  const std::string unreachable = path("no-such-folder/log.txt").string();
  DebuggerOutput::printDebugInfo(unreachable, "RESET: lost");
  EXPECT_FALSE(fs::exists(unreachable));
}

// Long lines from many threads at once: each must arrive whole, none split
// by another thread's bytes.
TEST_F(LogFile, linesFromSeveralThreadsNeverInterleave) {
  createLog("");
  ASSERT_TRUE(DebuggerOutput::openDebugFile(m_log));
  constexpr int kThreads = 8, kLinesPerThread = 40, kMessageBytes = 20000;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([this, t] {
      const std::string message = "PROCESSOR: " + std::string(kMessageBytes, static_cast<char>('a' + t));
      for (int i = 0; i < kLinesPerThread; ++i) DebuggerOutput::printDebugInfo(m_log, message);
    });
  }
  for (std::thread& w : writers) w.join();

  const std::vector<std::string> lines = logLines();
  ASSERT_EQ(size_t{kThreads * kLinesPerThread}, lines.size());
  std::vector<int> perThread(kThreads, 0);
  for (const std::string& line : lines) {
    std::string message;
    ASSERT_TRUE(splitStampedLine(line, message)) << line.substr(0, 60);
    ASSERT_EQ(11u + kMessageBytes, message.size());
    const char fill = message.back();
    ASSERT_EQ(std::string::npos, message.find_first_not_of(fill, 11)) << "line mixed from two threads";
    ++perThread[fill - 'a'];
  }
  for (int count : perThread) EXPECT_EQ(kLinesPerThread, count);
}

}  // namespace
