// The MIDI clock against the simulated Varno over MIDI ports: start, timing
// clocks at the tempo, stop, and nothing after the stop. Over JACK the
// ticking clock alone runs.
#include <chrono>
#include <thread>

#include "sim_fixture.h"

namespace {

using namespace std::chrono_literals;

// The test runner knows tests by name: the JACK build's carry names of
// their own, so that the loop-back build's are free of the JACK lock.
#ifdef SIM_OVER_JACK
#define ClockOverPorts ClockOverJack
#endif

class ClockOverPorts : public JobsOverPorts {
 protected:
  void SetUp() override {
    JobsOverPorts::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    editor->flags.sendClockPointer = true;
    editor->flags.continuousClock = true;
    editor->set(kOverrideTempo, 1);
    editor->flags.hostTempo = kTempo;
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
  editor->joinAll();
  editor->sender().resetContinuousClock(false);
  post(kJobContinuousClock);
  std::this_thread::sleep_for(400ms);
  editor->sender().resetContinuousClock(true);
  editor->joinAll();
  post(kJobStopClock);
  editor->joinAll();

  received("stop", 1);
  const std::vector<SimRecord> records = received();
  std::vector<std::string> kinds;
  for (const SimRecord& record : records)
    if (record.kind == "start" || record.kind == "clock" || record.kind == "stop")
      kinds.push_back(record.kind);
  ASSERT_GE(kinds.size(), 12u);
  EXPECT_EQ(kinds.front(), "start");
  EXPECT_EQ(kinds.back(), "stop");
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "start"), 1);
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "stop"), 1);
  // Every tick sent arrived.
  const std::vector<std::chrono::steady_clock::time_point> sent = editor->clockTickTimes();
  const size_t ticks = static_cast<size_t>(std::count(kinds.begin(), kinds.end(), "clock"));
  EXPECT_EQ(ticks, sent.size());
  // 24 per quarter note: the ticks leave on the tempo's grid. The transport
  // may bunch them on arrival, so their spacing is taken where they leave;
  // a stalled machine can only stretch it (the grid restarts after a stall
  // instead of bursting), hence the wide upper bound.
  EXPECT_EQ(editor->sender().clockInterval, MIDIMessageSender::clockIntervalFor(kTempo));
  ASSERT_GE(sent.size(), 10u);
  const double spacing = std::chrono::duration<double, std::micro>(sent.back() - sent.front()).count() /
                         static_cast<double>(sent.size() - 1);
  const double ideal = MIDIMessageSender::clockIntervalFor(kTempo) / 1000.0;
  EXPECT_GT(spacing, 0.9 * ideal);
  EXPECT_LT(spacing, 2.0 * ideal);

  // Stopped means stopped: a later look finds no further tick.
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(received("clock").size(), ticks);
}

#ifndef SIM_OVER_JACK
TEST_F(ClockOverPorts, withoutClockOutputStartAndStopSendNothing) {
  editor->flags.sendClockPointer = false;
  post(kJobStartClock);
  editor->joinAll();
  post(kJobStopClock);
  editor->joinAll();
  for (const SimRecord& record : received()) {
    EXPECT_NE(record.kind, "start");
    EXPECT_NE(record.kind, "stop");
  }
}

#endif

}  // namespace
