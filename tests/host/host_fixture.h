// Runs the host program, as a user runs it, in a fresh temporary folder;
// makes bundle folders around the test plug-in's shared object.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_folder.h"

struct Result {
  int exitCode = -1;
  std::string out, err;
};

inline std::string ReadFile(const std::string& path) { return ReadWholeFile(path); }

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_temp.Made());
    m_dir = m_temp.Name();
  }

  // Runs the host with these arguments (and extra environment entries).
  Result Run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
    const std::unique_ptr<ChildProcess> host = Start(arguments, environment);
    return Finish(*host);
  }

  // Starts the host, its output and errors going to files of the test's
  // folder; Started() tells whether it did.
  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& arguments,
                                      const std::vector<std::string>& environment = {}) {
    ChildProcess::Streams streams;
    streams.outputFile = m_dir + "/out.txt";
    streams.errorFile = m_dir + "/err.txt";
    return std::make_unique<ChildProcess>(HOST_PROGRAM, arguments, environment, streams);
  }

  // Waits for the host to end; its exit code (also when a poll of Running()
  // saw it end) and output.
  Result Finish(ChildProcess& host) {
    Result result;
    result.exitCode = host.Wait();
    result.out = ReadFile(m_dir + "/out.txt");
    result.err = ReadFile(m_dir + "/err.txt");
    return result;
  }

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

  TempFolder m_temp{"vivivi-host-test-"};
  std::string m_dir;
  const std::string m_bundle = TEST_BUNDLE;
};

#define EXPECT_HAS(text, part) \
  EXPECT_NE((text).find(part), std::string::npos) << "missing: " << (part) << "\nin:\n" << (text)
