// The command channel: what each command answers and sends, and that a bad
// command changes nothing.
#include <gtest/gtest.h>

#include "tools/varno-sim/CommandInterpreter.h"

namespace varno {
namespace {

class VarnoSimCommand : public ::testing::Test {
 protected:
  CommandResult run(const std::string& line) { return runCommand(line, synth, policy); }

  Synth synth{SynthSettings{2, false, 100}};
  OutputPolicy policy;
};

TEST_F(VarnoSimCommand, EveryAnswerEndsWithOkOrError) {
  for (const char* line :
       {"help",           "show edit",   "show program 98", "show globals",      "show dump edit",
        "show dump 4",    "set 39 5",    "turn 39 6",       "select 2",          "send-param 0",
        "send-param 0 3", "send-cc 1 2", "send-pc 5",       "send-raw F0 7E F7", "answer late 10",
        "answer now",     "pace cable",  "records",         "records clear",     "wait 0"}) {
    const CommandResult result = run(line);
    ASSERT_FALSE(result.lines.empty()) << line;
    EXPECT_EQ(result.lines.back(), "ok") << line;
  }
  for (const char* line :
       {"show",          "show program 99", "show dump -1",   "set 72 1",    "set 999 1",
        "set 39",        "set 39 x",        "turn 140 1",     "select 99",   "send-param 24",
        "send-param 72", "send-cc 128 0",   "send-cc 1 200",  "send-pc 128", "send-raw F0 XYZ",
        "send-raw 100",  "answer later",    "answer late -1", "pace slow",   "records all",
        "wait -5",       "frobnicate"}) {
    const CommandResult result = run(line);
    ASSERT_EQ(result.lines.size(), 1u) << line;
    EXPECT_EQ(result.lines.back().rfind("error: ", 0), 0u) << line << ": " << result.lines.back();
    EXPECT_TRUE(result.messages.empty()) << line;
  }
  EXPECT_TRUE(run("").lines.empty());
  EXPECT_TRUE(run("  # a comment").lines.empty());
}

TEST_F(VarnoSimCommand, FailedCommandsChangeNothing) {
  const Sound before = synth.editBuffer();
  run("set 39 x");
  run("send-param 39 abc");
  run("send-param 24 5");
  EXPECT_EQ(synth.editBuffer(), before);
}

TEST_F(VarnoSimCommand, ShowProgramListsTheClockCodeAndDumpValues) {
  const CommandResult result = run("show program 5");
  ASSERT_EQ(result.lines.size(), 2u);
  const std::string& text = result.lines[0];
  EXPECT_EQ(text.rfind("program 5 clock-code=5 0=", 0), 0u) << text;
  EXPECT_NE(text.find(" 39=" + std::to_string(factoryProgram(5).value(39)) + " "), std::string::npos);
  EXPECT_EQ(text.find(" 24="), std::string::npos) << "performance settings are not in a program";
}

TEST_F(VarnoSimCommand, ShowDumpIsTheDumpTheVarnoSends) {
  EXPECT_EQ(run("show dump 7").lines[0], "dump " + hexText(synth.programDump(7)));
  EXPECT_EQ(run("show dump edit").lines[0], "dump " + hexText(synth.editBufferDump()));
}

TEST_F(VarnoSimCommand, SendCommandsHandOverTheirMessages) {
  EXPECT_EQ(run("send-cc 74 9").messages, (std::vector<Bytes>{{0xB0, 74, 9}}));
  EXPECT_EQ(run("send-pc 12").messages, (std::vector<Bytes>{{0xC0, 12}}));
  EXPECT_EQ(run("send-raw f0 3e 0b 58 41 29 00 05 00 f7").messages,
            (std::vector<Bytes>{{0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x29, 0x00, 0x05, 0x00, 0xF7}}));
  EXPECT_EQ(run("send-param 55 108").messages,
            (std::vector<Bytes>{{0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3A, 0x01, 0x00, 0x01, 0xF7}}));
  EXPECT_EQ(synth.value(55), 108);
  EXPECT_EQ(run("select 3").messages, (std::vector<Bytes>{{0xC0, 3}}));
  EXPECT_EQ(run("turn 39 77").messages, (std::vector<Bytes>{{0xB0, 74, 77}}));
}

TEST_F(VarnoSimCommand, AnswerAndPaceSetThePolicy) {
  run("answer never");
  EXPECT_EQ(policy.answerMode, AnswerMode::Never);
  EXPECT_FALSE(synth.answering());
  run("answer late 250");
  EXPECT_EQ(policy.answerMode, AnswerMode::Late);
  EXPECT_EQ(policy.lateMicroseconds, 250000);
  EXPECT_TRUE(synth.answering());
  run("pace cable");
  EXPECT_EQ(policy.pace, Pace::Cable);
  EXPECT_EQ(run("wait 15").waitMicroseconds, 15000);
  EXPECT_TRUE(run("quit").quit);
}

TEST_F(VarnoSimCommand, RecordsArePrintedOneALineThenCounted) {
  const Bytes request = {0xF0, 0x3E, 0x0B, 0x05, 0x48, 0xF7};
  synth.receive(request.data(), request.size(), 1234);
  const CommandResult result = run("records");
  ASSERT_EQ(result.lines.size(), 3u);
  EXPECT_EQ(result.lines[0], "record 1234 in enquiry ignored other-device F0 3E 0B 05 48 F7");
  EXPECT_EQ(result.lines[1], "records 1 dropped 0");
  run("records clear");
  EXPECT_EQ(run("records").lines[0], "records 0 dropped 0");
}

}  // namespace
}  // namespace varno
