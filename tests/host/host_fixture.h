// Runs the host program, as a user runs it, in a fresh temporary folder;
// makes bundle folders around the test plug-in's shared object.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/spawn_vectors.h"

struct Result {
  int exitCode = -1;
  std::string out, err;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vivivi-host-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

  // Runs the host with these arguments (and extra environment entries).
  Result Run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
    return Finish(Start(arguments, environment));
  }

  // Starts the host; returns its process id (0 when it could not start).
  pid_t Start(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
    const SpawnVectors vectors(HOST_PROGRAM, arguments, environment);
    const std::string outPath = m_dir + "/out.txt", errPath = m_dir + "/err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    if (posix_spawn(&pid, HOST_PROGRAM, &actions, nullptr, vectors.argv(), vectors.envp()) != 0) pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
  }

  // Waits for the host to end; its exit code and output.
  Result Finish(pid_t pid) {
    Result result;
    if (pid > 0) {
      int status = 0;
      waitpid(pid, &status, 0);
      result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    result.out = ReadFile(m_dir + "/out.txt");
    result.err = ReadFile(m_dir + "/err.txt");
    return result;
  }

  static bool Running(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

  // A bundle folder holding the test plug-in's shared object and this Info.plist.
  std::string MakeBundle(const std::string& name, const std::string& info, bool withObject = true) {
    const std::string folder = m_dir + "/" + name + ".bundle";
    mkdir(folder.c_str(), 0755);
    if (!info.empty()) WriteFile(folder + "/Info.plist", info);
    if (withObject) WriteFile(folder + "/AUTest.so", ReadFile(std::string(TEST_BUNDLE) + "/AUTest.so"));
    return folder;
  }

  static std::string Info(const std::string& entry, const std::string& subtype = "tstp",
                          const std::string& executable = "AUTest.so") {
    return "<plist><dict><key>Identifier</key><string>test.copy</string>"
           "<key>Executable</key><string>" +
           executable +
           "</string>"
           "<key>Entry</key><string>" +
           entry +
           "</string>"
           "<key>ComponentType</key><string>aumu</string>"
           "<key>ComponentSubtype</key><string>" +
           subtype +
           "</string>"
           "<key>ComponentManufacturer</key><string>HcS1</string></dict></plist>";
  }

  std::string m_dir;
  const std::string m_bundle = TEST_BUNDLE;
};

#define EXPECT_HAS(text, part) \
  EXPECT_NE((text).find(part), std::string::npos) << "missing: " << (part) << "\nin:\n" << (text)
