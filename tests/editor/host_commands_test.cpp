// The host's editor commands on the real editor, headless: input at window
// coordinates reaches the controls, a popup menu opened by a click is walked
// by the titles of its entries, parameters are set by value or by the text
// they show, and every command answers one line (failures as "error: ...").
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/host_fixture.h"

namespace {

class HostCommandsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    mkdir((m_dir + "/data").c_str(), 0755);
  }

  // Runs the editor with the command lines on its input; the answers (the
  // host's own lines and its notices of parameter changes left out) and the
  // exit code.
  std::vector<std::string> Commands(const std::vector<std::string>& lines, int* exitCode) {
    ChildProcess::Streams streams;
    streams.pipeInput = streams.pipeOutput = true;
    streams.errorFile = m_dir + "/err.txt";
    ChildProcess host(HOST_PROGRAM, {"--fast", m_bundle, "open-editor", "window", "editor-commands"},
                      {"VIVIVI_VIEW=headless", "VIVIVI_DATA_DIR=" + m_dir + "/data"}, streams);
    for (const std::string& line : lines) host.Send(line);
    host.CloseInput();
    std::vector<std::string> answers;
    for (std::string line; host.ReadLine(line, std::chrono::seconds(60));)
      if (line.rfind("host heard:", 0) != 0 && line.rfind("loaded ", 0) != 0 &&
          line.rfind("editor open", 0) != 0)
        answers.push_back(line);
    *exitCode = host.Wait();
    return answers;
  }

  static double ValueIn(const std::string& answer) {
    const size_t colon = answer.rfind(": ");
    return colon == std::string::npos ? -1.0 : atof(answer.c_str() + colon + 2);
  }
};

// The filter's modulation-source menu (kFilterCutoffModSource, 43) and the
// cutoff knob (kFilterCutoff, 39) of the sound page.
const char kModSourceMenu[] = "1144 267";
const char kCutoffKnob[] = "988 152";

TEST_F(HostCommandsTest, APopupMenuOpenedByAClickIsChosenByTheTitlesOfItsEntries) {
  int exitCode = -1;
  const std::vector<std::string> answers = Commands(
      {"get-param 43", std::string("click ") + kModSourceMenu, "menu ENV 2", "get-param 43",
       "get-param-text 43", std::string("click ") + kModSourceMenu, "menu NOPE", "get-param 43", "menu ENV 1",
       std::string("click ") + kModSourceMenu, "menu OFF>deeper", "get-param 43", "quit"},
      &exitCode);
  ASSERT_EQ(answers.size(), 13u);
  EXPECT_EQ(answers[0], "parameter 43: 0");
  EXPECT_EQ(answers[1], std::string("clicked ") + kModSourceMenu + ": a menu is open");
  EXPECT_EQ(answers[2], "chose ENV 2");
  EXPECT_EQ(answers[3], "parameter 43: 3");
  EXPECT_EQ(answers[4], "parameter 43 shows: ENV 2");
  // An entry the menu does not show: the menu closes without a choice and
  // the answer lists what it shows.
  EXPECT_EQ(answers[5], std::string("clicked ") + kModSourceMenu + ": a menu is open");
  EXPECT_HAS(answers[6], "error: no entry \"NOPE\" in the menu");
  EXPECT_HAS(answers[6], "\"ENV 2\", \"VELOCITY\"");
  EXPECT_EQ(answers[7], "parameter 43: 3");
  // No menu open any more.
  EXPECT_HAS(answers[8], "error: no popup menu is open");
  // A path deeper than the menu: the entry opens no submenu.
  EXPECT_HAS(answers[10], "error: the entry \"OFF\" opens no submenu");
  EXPECT_EQ(answers[11], "parameter 43: 3");
  EXPECT_EQ(answers[12], "bye");
  EXPECT_EQ(exitCode, 1) << "a failed command fails the action";
}

TEST_F(HostCommandsTest, MouseInputAtWindowCoordinatesMovesTheControls) {
  int exitCode = -1;
  const std::string knob = kCutoffKnob;
  const std::vector<std::string> answers =
      Commands({"get-param 39", "drag " + knob + " 988 120 4", "get-param 39", "drag " + knob + " 988 200",
                "get-param 39", "wheel " + knob + " 3", "get-param 39", "wheel " + knob + " -3",
                "get-param 39", "quit"},
               &exitCode);
  ASSERT_EQ(answers.size(), 10u);
  const double start = ValueIn(answers[0]), up = ValueIn(answers[2]), down = ValueIn(answers[4]),
               wheelUp = ValueIn(answers[6]), wheelDown = ValueIn(answers[8]);
  EXPECT_EQ(answers[1], "dragged from 988 152 to 988 120");
  EXPECT_GT(up, start);
  EXPECT_LT(down, up);
  EXPECT_EQ(answers[5], "wheeled 3 at 988 152");
  EXPECT_GT(wheelUp, down);
  EXPECT_LT(wheelDown, wheelUp);
  EXPECT_EQ(exitCode, 0);
}

// A drag by hand, one event a command: the knob follows the moves while the
// button is down and stops when it comes up; moves without the button only
// pass over. A release needs a press before it, a press a release.
TEST_F(HostCommandsTest, PressMoveAndReleaseDragByHand) {
  int exitCode = -1;
  const std::string knob = kCutoffKnob;
  const std::vector<std::string> answers =
      Commands({"get-param 39", "press " + knob, "move 988 140", "move 989 130", "get-param 39", "press 1 1",
                "release 989 130", "move 988 100", "get-param 39", "release 1 1", "quit"},
               &exitCode);
  ASSERT_EQ(answers.size(), 11u);
  EXPECT_EQ(answers[1], "pressed at " + knob);
  EXPECT_EQ(answers[2], "moved to 988 140");
  EXPECT_GT(ValueIn(answers[4]), ValueIn(answers[0]));
  EXPECT_EQ(answers[5], "error: the button is down already");
  EXPECT_EQ(answers[6], "released at 989 130");
  EXPECT_EQ(ValueIn(answers[8]), ValueIn(answers[4]));
  EXPECT_EQ(answers[9], "error: the button is not down");
  EXPECT_EQ(exitCode, 1);
}

TEST_F(HostCommandsTest, ParametersAreSetByValueOrByTheTextTheyShow) {
  int exitCode = -1;
  const std::vector<std::string> answers = Commands(
      {"set-param-text 43 NOISE", "get-param 43", "get-param-text 43", "set-param 43 2", "get-param-text 43",
       "set-param-text 43 nothing", "get-param 43", "set-param 43", "get-param x", "quit"},
      &exitCode);
  ASSERT_EQ(answers.size(), 10u);
  EXPECT_EQ(answers[0], "parameter 43 set to 11 (NOISE)");
  EXPECT_EQ(answers[1], "parameter 43: 11");
  EXPECT_EQ(answers[2], "parameter 43 shows: NOISE");
  EXPECT_EQ(answers[3], "parameter 43 set to 2");
  EXPECT_EQ(answers[4], "parameter 43 shows: ENV 1");
  EXPECT_HAS(answers[5], "error: parameter 43 shows no \"nothing\"");
  EXPECT_EQ(answers[6], "parameter 43: 2");
  EXPECT_HAS(answers[7], "error: set-param takes ID VALUE");
  EXPECT_HAS(answers[8], "error: get-param takes a parameter ID");
  EXPECT_EQ(exitCode, 1);
}

TEST_F(HostCommandsTest, BadCommandsAnswerWithAnErrorAndTheRestRuns) {
  int exitCode = -1;
  const std::vector<std::string> answers =
      Commands({"bogus", "click 1", "drag 1 2 3", "wheel 10 10 0", "key nokey", "type ab", "key escape",
                "wait -5", "wait 10", "sync", "play", "stop"},
               &exitCode);
  // The end of input ends the commands like "quit".
  const std::vector<std::string> expected = {
      "error: unknown editor command \"bogus\" (see vivivi-host --help)",
      "error: click takes X Y and modifiers",
      "error: drag takes X1 Y1 X2 Y2 [STEPS] [MODS]",
      "error: wheel takes X Y STEPS (not 0) and modifiers",
      "error: unknown key \"nokey\"",
      "typed 2 characters",
      "pressed escape",
      "error: wait takes 0 to 600000 milliseconds",
      "waited 10 ms",
      "synced",
      "playing",
      "stopped"};
  EXPECT_EQ(answers, expected);
  EXPECT_EQ(exitCode, 1);
}

TEST_F(HostCommandsTest, TheHelpListsTheEditorCommands) {
  const Result r = Run({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  for (const char* command :
       {"click X Y", "right-click X Y", "double-click X Y", "drag X1 Y1 X2 Y2", "wheel X Y STEPS", "key NAME",
        "type TEXT", "menu PATH", "set-param ID VALUE", "set-param-text ID TEXT", "get-param ID",
        "get-param-text ID", "wait MS", "play, stop"})
    EXPECT_HAS(r.out, command);
}

}  // namespace
