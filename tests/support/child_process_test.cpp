// Child programs as the test helper starts and stops them: how each ended is
// reported, also after a poll saw it end; lines go both ways over pipes;
// streams go to files; a program that does not quit is killed.
#include "tests/support/child_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/read_file.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(ChildProcess, ReportsHowTheProgramEndedWhetherWaitedForOrSeenByAPoll) {
  const struct {
    const char* script;
    int exitCode;
  } kCases[] = {
      {"exit 0", 0},
      {"exit 3", 3},
      {"exit 66", 66},  // what a sanitizer's report ends a program with
      {"kill -KILL $$", 128 + SIGKILL},
      {"kill -ABRT $$", 128 + SIGABRT},
  };
  for (const auto& c : kCases) {
    for (const bool polled : {false, true}) {
      ChildProcess child("/bin/sh", {"-c", c.script});
      ASSERT_TRUE(child.Started()) << c.script;
      if (polled)
        while (child.Running()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      EXPECT_EQ(child.Wait(), c.exitCode) << c.script << (polled ? " (polled)" : "");
      EXPECT_TRUE(child.Ended());
      EXPECT_FALSE(child.Running()) << "an ended program does not run again";
      EXPECT_EQ(child.Wait(), c.exitCode) << "asked twice";
      EXPECT_EQ(child.Stop(), c.exitCode) << "stopping an ended program keeps its code";
    }
  }
}

TEST(ChildProcess, AProgramThatCannotStartHasNoStatus) {
  ChildProcess child("/nonexistent/program", {});
  EXPECT_FALSE(child.Started());
  EXPECT_FALSE(child.Running());
  EXPECT_EQ(child.Wait(), ChildProcess::kNoStatus);
  EXPECT_FALSE(child.Send("hello"));
  std::string line;
  EXPECT_FALSE(child.ReadLine(line, std::chrono::milliseconds(1)));
}

TEST(ChildProcess, LinesGoBothWaysOverPipes) {
  ChildProcess::Streams pipes;
  pipes.pipeInput = pipes.pipeOutput = true;
  ChildProcess child("/bin/sh", {"-c", "while read line; do echo \"got $line\"; done; echo end; exit 4"}, {},
                     pipes);
  ASSERT_TRUE(child.Started());
  std::string line;
  for (const char* text : {"one", "two words", ""}) {
    ASSERT_TRUE(child.Send(text));
    ASSERT_TRUE(child.ReadLine(line));
    EXPECT_EQ(line, std::string("got ") + text);
  }
  child.CloseInput();  // the end of its input ends the loop
  ASSERT_TRUE(child.ReadLine(line));
  EXPECT_EQ(line, "end");
  EXPECT_FALSE(child.ReadLine(line)) << "the end of its output";
  EXPECT_EQ(child.Wait(), 4);
  EXPECT_FALSE(child.Send("late")) << "a line for an ended program fails, without a signal";
}

TEST(ChildProcess, StreamsAndEnvironmentEntriesReachTheProgram) {
  const TempFolder temp("vivivi-child-");
  ASSERT_TRUE(temp.Made());
  const std::string folder = temp.Name();
  ChildProcess::Streams files;
  files.outputFile = folder + "/out.txt";
  files.errorFile = folder + "/err.txt";
  // An extra entry replaces the inherited one of its name (a shell takes the
  // last of two entries, getenv the first).
  setenv("VIVIVI_CHILD_TEST", "inherited", 1);
  ChildProcess child("/bin/bash", {"-c", "echo \"$VIVIVI_CHILD_TEST\"; echo oops >&2"},
                     {"VIVIVI_CHILD_TEST=seven"}, files);
  ASSERT_TRUE(child.Started());
  EXPECT_EQ(child.Wait(), 0);
  EXPECT_EQ(ReadWholeFile(files.outputFile), "seven\n");
  EXPECT_EQ(ReadWholeFile(files.errorFile), "oops\n");
  unsetenv("VIVIVI_CHILD_TEST");
}

TEST(ChildProcess, StopAsksWithTheQuitLineThenKills) {
  ChildProcess::Streams pipes;
  pipes.pipeInput = pipes.pipeOutput = true;
  // Quits cleanly on "quit".
  ChildProcess polite("/bin/sh", {"-c", "read line; [ \"$line\" = quit ] && exit 0; exit 9"}, {}, pipes);
  ASSERT_TRUE(polite.Started());
  EXPECT_EQ(polite.Stop("quit"), 0);
  // Ignores its input and would run for a minute: killed after the grace.
  ChildProcess stubborn("/bin/sh", {"-c", "trap '' TERM; exec sleep 60"}, {}, pipes);
  ASSERT_TRUE(stubborn.Started());
  EXPECT_EQ(stubborn.Stop("quit", std::chrono::milliseconds(50)), 128 + SIGKILL);
  EXPECT_TRUE(stubborn.Ended());
}

}  // namespace
