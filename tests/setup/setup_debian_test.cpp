// tools/setup-debian.sh run with stand-ins for dpkg-query, apt-get and sudo
// first on the PATH: the stand-in query reports the packages named in
// STUB_MISSING as not installed, and the stand-in apt-get and sudo write the
// command lines they were run with to a log instead of installing anything.
// The user id comes from VIVIVI_SETUP_UID, so both roads run as any user.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_folder.h"

namespace {

class SetupScript : public ::testing::Test {
 protected:
  struct Run {
    int exitCode;
    std::string out, err, ran;  // ran: the log of the stand-ins
  };

  void SetUp() override {
    ASSERT_TRUE(m_temp.Made());
    m_dir = m_temp.Name();
    mkdir((m_dir + "/tools").c_str(), 0755);
    mkdir((m_dir + "/sudo").c_str(), 0755);
    // The last argument is the package asked about.
    Stub("tools/dpkg-query",
         "for p; do :; done\n"
         "case \" $STUB_MISSING \" in *\" $p \"*) exit 1 ;; esac\n"
         "printf 'install ok installed'\n");
    Stub("tools/apt-get",
         "echo \"apt-get $* (DEBIAN_FRONTEND=$DEBIAN_FRONTEND)\" >>\"$STUB_LOG\"\n"
         "[ -z \"$STUB_APT_FAILS\" ]\n");
    Stub("sudo/sudo", "echo \"sudo $*\" >>\"$STUB_LOG\"\n[ \"$1\" = -E ] && shift\nexec \"$@\"\n");
  }

  void Stub(const std::string& name, const std::string& body) {
    const std::string path = m_dir + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0755);
  }

  // Runs the script with the arguments as this user id, with these packages
  // missing; sudo is on the PATH only when withSudo.
  Run RunScript(const std::vector<std::string>& arguments, const std::string& uid, const std::string& missing,
                bool withSudo = true, bool aptFails = false) {
    std::remove((m_dir + "/ran.txt").c_str());
    std::vector<std::string> all = {SETUP_SCRIPT};
    all.insert(all.end(), arguments.begin(), arguments.end());
    ChildProcess::Streams files;
    files.outputFile = m_dir + "/out.txt";
    files.errorFile = m_dir + "/err.txt";
    const std::string path = m_dir + "/tools" + (withSudo ? ":" + m_dir + "/sudo" : std::string());
    ChildProcess script(
        "/bin/bash", all,
        {"PATH=" + path, "VIVIVI_SETUP_UID=" + uid, "STUB_MISSING=" + missing,
         "STUB_LOG=" + m_dir + "/ran.txt", std::string("STUB_APT_FAILS=") + (aptFails ? "1" : "")},
        files);
    Run run;
    run.exitCode = script.Wait();
    run.out = ReadWholeFile(files.outputFile);
    run.err = ReadWholeFile(files.errorFile);
    run.ran = ReadWholeFile(m_dir + "/ran.txt");
    return run;
  }

  TempFolder m_temp{"vivivi-setup-test-"};
  std::string m_dir;
};

TEST_F(SetupScript, InstallsWhatIsMissingAsRootDirectlyAndOtherwiseThroughSudo) {
  const std::string install = "install -y -qq --no-install-recommends libpoco-dev xvfb";
  const struct {
    const char* why;
    const char* uid;
    std::string ran;
  } kCases[] = {
      {"root", "0",
       "apt-get update -qq (DEBIAN_FRONTEND=noninteractive)\n"
       "apt-get " +
           install + " (DEBIAN_FRONTEND=noninteractive)\n"},
      {"user with sudo", "1000",
       "sudo -E apt-get update -qq\n"
       "apt-get update -qq (DEBIAN_FRONTEND=noninteractive)\n"
       "sudo -E apt-get " +
           install +
           "\n"
           "apt-get " +
           install + " (DEBIAN_FRONTEND=noninteractive)\n"},
  };
  for (const auto& c : kCases) {
    const Run run = RunScript({}, c.uid, "xvfb libpoco-dev");
    EXPECT_EQ(run.exitCode, 0) << c.why << "\n" << run.err;
    EXPECT_EQ(run.out, "setup: installing libpoco-dev xvfb\n") << c.why;
    EXPECT_EQ(run.ran, c.ran) << c.why;
  }
}

TEST_F(SetupScript, DryRunPrintsTheCommandsItWouldRunAndRunsNone) {
  const struct {
    const char* uid;
    std::vector<std::string> arguments;
    const char* printed;
  } kCases[] = {
      {"0",
       {"--dry-run"},
       "apt-get update -qq\n"
       "apt-get install -y -qq --no-install-recommends jackd2\n"},
      {"1000",
       {"--dry-run"},
       "sudo -E apt-get update -qq\n"
       "sudo -E apt-get install -y -qq --no-install-recommends jackd2\n"},
      {"0",
       {"--fuzz", "--dry-run"},
       "apt-get update -qq\n"
       "apt-get install -y -qq --no-install-recommends jackd2 clang\n"},
  };
  for (const auto& c : kCases) {
    const Run run = RunScript(c.arguments, c.uid, "jackd2 clang");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, c.printed) << "as " << c.uid;
    EXPECT_EQ(run.ran, "") << "as " << c.uid;
  }
}

TEST_F(SetupScript, NothingRunsWhenEveryPackageIsThere) {
  for (const char* uid : {"0", "1000"}) {
    const Run run = RunScript({}, uid, "");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.ran, "");
  }
  // clang is only wanted with --fuzz.
  const Run run = RunScript({}, "0", "clang");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.ran, "");
}

TEST_F(SetupScript, FailuresStopTheScriptWithAReason) {
  const Run noSudo = RunScript({}, "1000", "xvfb", false);
  EXPECT_EQ(noSudo.exitCode, 1);
  EXPECT_NE(noSudo.err.find("missing xvfb; installing them needs root"), std::string::npos) << noSudo.err;
  EXPECT_EQ(noSudo.ran, "");

  const Run aptFails = RunScript({}, "0", "xvfb", true, true);
  EXPECT_NE(aptFails.exitCode, 0);
  EXPECT_EQ(aptFails.ran, "apt-get update -qq (DEBIAN_FRONTEND=noninteractive)\n")
      << "stops at the first failure";

  const Run unknown = RunScript({"--force"}, "0", "xvfb");
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("unknown option --force"), std::string::npos) << unknown.err;
  EXPECT_EQ(unknown.ran, "");
}

}  // namespace
