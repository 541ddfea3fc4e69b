// The MIDI clock against the simulated Varno over real MIDI ports: start,
// timing clocks at the tempo, stop, and nothing after the stop.
#include <chrono>
#include <thread>

#include "sim_fixture.h"

namespace {

using namespace std::chrono_literals;

class ClockOverPorts : public JobsOverPorts {
protected:
  void SetUp() override {
    JobsOverPorts::SetUp();
    editor.clockOutput = true;
    editor.continuousClock = true;
    editor.set(kOverrideTempo, 1);
    editor.jobs().settings.tempo = kTempo;
    sim->command("records clear");
  }
  void post(int jobCode) {
    SenderJob job;
    job.jobCode = jobCode;
    ASSERT_TRUE(manager().postJob(job));
  }
  static constexpr int kTempo = 300;  // 8.33 ms between timing clocks
};

TEST_F(ClockOverPorts, startTicksAtTheTempoThenStopAndNothingAfter) {
  post(kJobStartClock);
  editor.joinAll();
  editor.sender().resetContinuousClock(false);
  post(kJobContinuousClock);
  std::this_thread::sleep_for(400ms);
  editor.sender().resetContinuousClock(true);
  editor.joinAll();
  post(kJobStopClock);
  editor.joinAll();

  const std::vector<SimRecord> records = received();
  std::vector<std::string> kinds;
  std::vector<long long> ticks;
  for (const SimRecord& record : records) {
    if (record.kind != "start" && record.kind != "clock" && record.kind != "stop") continue;
    kinds.push_back(record.kind);
    if (record.kind == "clock") ticks.push_back(record.microseconds);
  }
  ASSERT_GE(kinds.size(), 12u);
  EXPECT_EQ(kinds.front(), "start");
  EXPECT_EQ(kinds.back(), "stop");
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "start"), 1);
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "stop"), 1);
  // 24 per quarter note: the average spacing of the ticks is the tempo's
  // interval (the ticks lie on a fixed grid, so one late tick does not move
  // the average).
  ASSERT_GE(ticks.size(), 10u);
  const double interval = static_cast<double>(ticks.back() - ticks.front()) / static_cast<double>(ticks.size() - 1);
  EXPECT_NEAR(interval, MIDIMessageSender::clockIntervalFor(kTempo) / 1000.0, 1000.0);
  EXPECT_EQ(editor.sender().clockInterval, MIDIMessageSender::clockIntervalFor(kTempo));

  // Stopped means stopped: a later look finds no further tick.
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(received("clock").size(), ticks.size());
}

TEST_F(ClockOverPorts, withoutClockOutputStartAndStopSendNothing) {
  editor.clockOutput = false;
  post(kJobStartClock);
  editor.joinAll();
  post(kJobStopClock);
  editor.joinAll();
  for (const SimRecord& record : received()) {
    EXPECT_NE(record.kind, "start");
    EXPECT_NE(record.kind, "stop");
  }
}

}  // namespace
