// tools/install.sh on empty and lived-in folders: where the data folder and
// the bundle go, what a fresh data folder is seeded with, that nothing a user
// has is ever overwritten (and a second run changes nothing), that the host
// program finds the installed bundle by its name alone, and the faults it
// refuses with a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_folder_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::string kBundle = std::string(BUILD_DIR) + "/VivivI.bundle";
const std::string kDataTail = "/Harrow Creek Sound/Tarnwel VivivI Editor";
const std::string kInstalledSettings = "normal\nnormal\nno\n\n";

struct Outcome {
  int exitCode = ChildProcess::kNoStatus;
  std::string output;
};

class InstallStep : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    fs::create_directories(m_dir / "home");
    fs::create_directories(m_dir / "work");
  }

  // Runs a program in the folder "work" with HOME in the test's folder and
  // none of the editor's own variables but those given ("NAME=value", "%"
  // standing for the test's folder).
  Outcome Start(const std::vector<std::string>& environment, const std::vector<std::string>& command) {
    std::vector<std::string> arguments = {"-C",
                                          (m_dir / "work").string(),
                                          "-u",
                                          "VIVIVI_DATA_DIR",
                                          "-u",
                                          "VIVIVI_PLUGIN_PATH",
                                          "-u",
                                          "XDG_DATA_HOME",
                                          "HOME=" + (m_dir / "home").string()};
    for (std::string entry : environment) {
      for (size_t at; (at = entry.find('%')) != std::string::npos;) entry.replace(at, 1, m_dir.string());
      arguments.push_back(entry);
    }
    arguments.insert(arguments.end(), command.begin(), command.end());
    ChildProcess::Streams streams;
    streams.outputFile = (m_dir / "output.txt").string();
    streams.errorFile = (m_dir / "errors.txt").string();
    Outcome run;
    run.exitCode = ChildProcess("/usr/bin/env", arguments, {}, streams).Wait();
    run.output = ReadWholeFile(streams.outputFile) + ReadWholeFile(streams.errorFile);
    return run;
  }

  Outcome Install(const std::vector<std::string>& environment, const std::vector<std::string>& options) {
    std::vector<std::string> command = {"bash", INSTALL_SCRIPT, "--build", BUILD_DIR};
    command.insert(command.end(), options.begin(), options.end());
    return Start(environment, command);
  }

  // Every file and folder below root with its contents ("" for a folder).
  static std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    if (!fs::exists(root)) return tree;
    for (const auto& entry : fs::recursive_directory_iterator(root))
      tree[fs::relative(entry.path(), root).string()] =
          entry.is_directory() ? std::string() : ReadWholeFile(entry.path().string());
    return tree;
  }

  static std::string FactoryBank(const std::string& name) {
    return ReadWholeFile(kBundle + "/Resources/Factory Library/Factory/" + name);
  }

  // The data folder holds what a fresh install puts there.
  static void ExpectSeeded(const fs::path& data) {
    EXPECT_EQ(ReadWholeFile((data / "VivivI Editor UI.txt").string()), kInstalledSettings);
    for (const char* bank : {"Factory 1.vrn", "Factory 2.vrn"}) {
      const std::string installed = ReadWholeFile((data / "Patches" / "Factory" / bank).string());
      EXPECT_EQ(installed.size(), 99u * 92u) << bank;
      EXPECT_EQ(installed, FactoryBank(bank)) << bank;
    }
    EXPECT_TRUE(fs::is_directory(data / "Converted Banks"));
    // Nothing half made stays beside them.
    for (const auto& entry : fs::directory_iterator(data))
      EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
  }
};

struct Place {
  const char* name;
  const char* why;
  std::vector<std::string> environment;
  const char* dataFolder;  // below the test's folder
};
void PrintTo(const Place& place, std::ostream* out) { *out << place.why; }

class DataFolderPlace : public InstallStep, public ::testing::WithParamInterface<Place> {};

TEST_P(DataFolderPlace, AFreshDataFolderIsSeeded) {
  const Place& place = GetParam();
  const Outcome run = Install(place.environment, {"--data-only"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  ExpectSeeded(m_dir / place.dataFolder);
  EXPECT_FALSE(fs::exists(m_dir / "home" / ".local" / "lib")) << "--data-only installed the bundle";
}

INSTANTIATE_TEST_SUITE_P(
    InstallStep, DataFolderPlace,
    ::testing::Values(Place{"OwnVariable",
                            "VIVIVI_DATA_DIR first",
                            {"VIVIVI_DATA_DIR=%/own/", "XDG_DATA_HOME=%/xdg"},
                            "own"},
                      Place{"XdgDataHome",
                            "XDG_DATA_HOME next",
                            {"XDG_DATA_HOME=%/xdg"},
                            "xdg/Harrow Creek Sound/Tarnwel VivivI Editor"},
                      Place{"HomeFolder",
                            "the home folder last",
                            {},
                            "home/.local/share/Harrow Creek Sound/Tarnwel VivivI Editor"},
                      Place{"RelativeXdgDataHome",
                            "a relative XDG_DATA_HOME is ignored",
                            {"XDG_DATA_HOME=xdg"},
                            "home/.local/share/Harrow Creek Sound/Tarnwel VivivI Editor"}),
    [](const ::testing::TestParamInfo<Place>& info) { return std::string(info.param.name); });

// What the user has before the install: files by path (a path ending in "/"
// is a folder).
struct Lived {
  const char* name;
  const char* why;
  std::map<std::string, std::string> files;
  bool factoryAdded;  // whether the factory library is to come
};
void PrintTo(const Lived& lived, std::ostream* out) { *out << lived.why; }

class UsersFiles : public InstallStep, public ::testing::WithParamInterface<Lived> {};

TEST_P(UsersFiles, StayAsTheyAreAndASecondRunChangesNothing) {
  const Lived& lived = GetParam();
  const fs::path data = m_dir / "data";
  for (const auto& [path, contents] : lived.files) {
    if (path.back() == '/') {
      fs::create_directories(data / path);
      continue;
    }
    fs::create_directories((data / path).parent_path());
    std::ofstream(data / path, std::ios::binary) << contents;
  }
  const std::vector<std::string> environment = {"VIVIVI_DATA_DIR=%/data"};
  Outcome run = Install(environment, {"--data-only"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const auto first = Tree(data);
  for (const auto& [path, contents] : lived.files) {
    const std::string key = path.back() == '/' ? path.substr(0, path.size() - 1) : path;
    ASSERT_TRUE(first.count(key)) << key << " is gone";
    EXPECT_EQ(first.at(key), contents) << key << " was overwritten";
  }
  EXPECT_EQ(first.count("Patches/Factory/Factory 2.vrn") == 1, lived.factoryAdded);
  EXPECT_TRUE(first.count("VivivI Editor UI.txt"));
  EXPECT_TRUE(first.count("Converted Banks"));

  run = Install(environment, {"--data-only"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Tree(data), first) << "the second run changed the data folder";
  EXPECT_NE(run.output.find("nothing changed"), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    InstallStep, UsersFiles,
    ::testing::Values(Lived{"OwnSettings",
                            "a settings file of the user's",
                            {{"VivivI Editor UI.txt", "black\nlarge\nyes\n\n"}},
                            true},
                      Lived{"EmptiedLibrary", "a library the user emptied", {{"Patches/", ""}}, false},
                      Lived{"OwnLibrary",
                            "a library of the user's own",
                            {{"Patches/Mine.syx", std::string(2300, '\x3E')}},
                            false},
                      Lived{"ChangedFactoryBank",
                            "a factory bank the user changed",
                            {{"Patches/Factory/Factory 1.vrn", "changed"}},
                            false},
                      Lived{"ConvertedBanks", "converted banks", {{"Converted Banks/Old.syx", "old"}}, true}),
    [](const ::testing::TestParamInfo<Lived>& info) { return std::string(info.param.name); });

TEST_F(InstallStep, TheHostFindsTheInstalledBundleByItsName) {
  // Not installed yet: the host says where it looked.
  Outcome host = Start({}, {HOST_PROGRAM, "VivivI.bundle", "version"});
  EXPECT_NE(host.exitCode, 0);
  const std::string plugins = (m_dir / "home" / ".local" / "lib" / "vivivi-host" / "plug-ins").string();
  EXPECT_NE(host.output.find("in the plug-in folders (" + plugins + ")"), std::string::npos) << host.output;

  Outcome run = Install({}, {});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::string installed = plugins + "/VivivI.bundle";
  EXPECT_EQ(ReadWholeFile(installed + "/Info.plist"), ReadWholeFile(kBundle + "/Info.plist"));
  EXPECT_EQ(fs::file_size(installed + "/VivivI.so"), fs::file_size(kBundle + "/VivivI.so"));
  ExpectSeeded(m_dir / "home" / ".local" / "share" / "Harrow Creek Sound" / "Tarnwel VivivI Editor");
  host = Start({}, {HOST_PROGRAM, "VivivI.bundle", "version"});
  EXPECT_EQ(host.exitCode, 0) << host.output;
  EXPECT_NE(host.output.find("from " + installed + "\n"), std::string::npos) << host.output;
  EXPECT_NE(host.output.find("version 0x00010105"), std::string::npos) << host.output;

  // Installing again replaces the bundle whole and leaves nothing beside it.
  std::ofstream(installed + "/stale") << "from an older bundle";
  run = Install({}, {});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_FALSE(fs::exists(installed + "/stale"));
  for (const auto& entry : fs::directory_iterator(plugins)) EXPECT_EQ(entry.path(), installed);
}

TEST_F(InstallStep, ThePluginPathNamesWhereTheBundleGoes) {
  const std::vector<std::string> environment = {"VIVIVI_PLUGIN_PATH=%/first:%/second"};
  const Outcome run = Install(environment, {});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(fs::exists(m_dir / "first" / "VivivI.bundle" / "Info.plist"));
  EXPECT_FALSE(fs::exists(m_dir / "second"));
  const Outcome host = Start(environment, {HOST_PROGRAM, "VivivI.bundle", "version"});
  EXPECT_EQ(host.exitCode, 0) << host.output;
  EXPECT_NE(host.output.find("from " + (m_dir / "first" / "VivivI.bundle").string() + "\n"),
            std::string::npos)
      << host.output;
}

TEST_F(InstallStep, RefusesWithAMessage) {
  std::ofstream(m_dir / "file") << "not a folder";
  const struct {
    const char* why;
    std::vector<std::string> environment, options;
    int exitCode;
    const char* says;
  } kCases[] = {
      {"a data folder that is a file", {"VIVIVI_DATA_DIR=%/file"}, {"--data-only"}, 1, "is a file"},
      {"a build without the bundle",
       {"VIVIVI_DATA_DIR=%/data"},
       {"--data-only", "--build", "%"},
       1,
       "no built VivivI.bundle"},
      {"an unknown option", {"VIVIVI_DATA_DIR=%/data"}, {"--everything"}, 2, "unknown option --everything"},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> command = {"bash", INSTALL_SCRIPT};
    for (std::string option : c.options) {
      if (option == "%") option = m_dir.string();
      command.push_back(option);
    }
    if (std::find(c.options.begin(), c.options.end(), "--build") == c.options.end()) {
      command.push_back("--build");
      command.push_back(BUILD_DIR);
    }
    const Outcome run = Start(c.environment, command);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.why << ": " << run.output;
    EXPECT_NE(run.output.find(c.says), std::string::npos) << c.why << ": " << run.output;
    EXPECT_FALSE(fs::exists(m_dir / "data" / "Patches")) << c.why;
  }
}

}  // namespace
