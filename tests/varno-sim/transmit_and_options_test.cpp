// Output timing (late answers, cable pace) and the program's options.
#include <gtest/gtest.h>

#include "tools/varno-sim/SimOptions.h"
#include "tools/varno-sim/TransmitSchedule.h"

namespace varno {
namespace {

TEST(VarnoSimTransmitSchedule, InstantPaceSendsWhenReadyInOrder) {
  TransmitSchedule schedule;
  EXPECT_EQ(schedule.schedule(76, 1000, Pace::Instant), 1000);
  EXPECT_EQ(schedule.schedule(3, 900, Pace::Instant), 1000) << "never before an earlier message";
  EXPECT_EQ(schedule.schedule(3, 2000, Pace::Instant), 2000);
}

TEST(VarnoSimTransmitSchedule, CablePaceTakes320MicrosecondsAByteAndQueuesOnTheLine) {
  TransmitSchedule schedule;
  EXPECT_EQ(schedule.schedule(76, 0, Pace::Cable), 24320);           // a sound dump
  EXPECT_EQ(schedule.schedule(12, 100, Pace::Cable), 24320 + 3840);  // waits for the line
  EXPECT_EQ(schedule.schedule(3, 100000, Pace::Cable), 100960);      // the line was free
}

TEST(VarnoSimTransmitSchedule, AnswerDelayOnlyWhenLate) {
  OutputPolicy policy;
  policy.lateMicroseconds = 250000;
  EXPECT_EQ(TransmitSchedule::answerDelay(policy), 0);
  policy.answerMode = AnswerMode::Late;
  EXPECT_EQ(TransmitSchedule::answerDelay(policy), 250000);
  policy.lateMicroseconds = -5;
  EXPECT_EQ(TransmitSchedule::answerDelay(policy), 0);
}

TEST(VarnoSimOptions, ReadsEveryOption) {
  SimOptions options;
  std::string error;
  ASSERT_TRUE(parseOptions(
      {"--client", "c", "--in-port", "i", "--out-port", "o", "--api", "jack", "--device-id", "15", "--answer",
       "late:250", "--pace", "cable", "--strict-checksum", "--script", "s.txt", "--no-stdin"},
      options, error))
      << error;
  EXPECT_EQ(options.clientName, "c");
  EXPECT_EQ(options.inPortName, "i");
  EXPECT_EQ(options.outPortName, "o");
  EXPECT_EQ(options.api, "jack");
  EXPECT_EQ(options.deviceId, 15);
  EXPECT_EQ(options.policy.answerMode, AnswerMode::Late);
  EXPECT_EQ(options.policy.lateMicroseconds, 250000);
  EXPECT_EQ(options.policy.pace, Pace::Cable);
  EXPECT_TRUE(options.strictChecksum);
  EXPECT_EQ(options.scriptPath, "s.txt");
  EXPECT_FALSE(options.readStandardInput);
  EXPECT_FALSE(options.showHelp);
}

TEST(VarnoSimOptions, RefusesBadInputWithAReason) {
  const struct {
    const char* why;
    std::vector<std::string> arguments;
  } kCases[] = {
      {"device ID above 15", {"--device-id", "16"}},
      {"device ID not a number", {"--device-id", "3x"}},
      {"negative device ID", {"--device-id", "-1"}},
      {"missing value", {"--client"}},
      {"empty name", {"--in-port", ""}},
      {"unknown answer mode", {"--answer", "sometimes"}},
      {"late without time", {"--answer", "late:"}},
      {"unknown pace", {"--pace", "fast"}},
      {"unknown system", {"--api", "coremidi"}},
      {"unknown option", {"--verbose"}},
      {"stray argument", {"extra"}},
  };
  for (const auto& c : kCases) {
    SimOptions options;
    std::string error;
    EXPECT_FALSE(parseOptions(c.arguments, options, error)) << c.why;
    EXPECT_FALSE(error.empty()) << c.why;
  }
}

TEST(VarnoSimOptions, UsageNamesEveryOptionAndCommand) {
  const std::string usage = usageText();
  for (const char* word :
       {"--client", "--in-port", "--out-port", "--api", "--device-id", "--answer", "--pace",
        "--strict-checksum", "--script", "--no-stdin", "send-param", "records", "quit"})
    EXPECT_NE(usage.find(word), std::string::npos) << word;
}

TEST(VarnoSimOptions, MidiSystemIsRequestedElseEnvironmentElseBySequencer) {
  EXPECT_EQ(chooseMidiSystem("jack", "alsa", true), "jack");
  EXPECT_EQ(chooseMidiSystem("", "jack", true), "jack");
  EXPECT_EQ(chooseMidiSystem("", "alsa", false), "alsa");
  EXPECT_EQ(chooseMidiSystem("", "pulse", true), "alsa");
  EXPECT_EQ(chooseMidiSystem("", nullptr, true), "alsa");
  EXPECT_EQ(chooseMidiSystem("", nullptr, false), "jack");
}

}  // namespace
}  // namespace varno
