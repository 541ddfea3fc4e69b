// Incoming MIDI and SysEx through the editor's gates (filters per source, the
// activity indicator, what reaches the protocol) and the render pass: tempo
// sync, the clock jobs on the transport's edges per route, one all notes off
// after a reset, the indicator's time-out, the read-back of a randomised
// sound and the MIDI out delay text.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/ITextControls.h"
#include "KIT/winl/winl-time.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "tests/editor/midi_test_env.h"

namespace {

using Bytes = MidiEditor::Bytes;

// A global dump of the synthesizer: the protocol takes it while the start-up
// enquiry is answered and reports an answer.
const Bytes kGlobalDump = {0xF0, 0x3E, 0x0B, 0x00, 0x08, 0x01, 0x00, 0x20, 0x02, 0x00, 0x00, 0xF7};

class MidiIn : public MidiEditorTest {
 protected:
  void SetUp() override {
    MidiEditorTest::SetUp();
    editor->flags.midiOutputOpen = true;
    editor->flags.globalAnswerExpected = true;
    editor->flags.trackIncomingMidi = true;
    editor->flags.transferHold = false;
    for (auto& flag : editor->flags.hostFilter) flag = false;
    for (auto& flag : editor->flags.deviceFilter) flag = false;
    editor->flags.localControl = true;
    editor->flags.indicatorLit = 0;
    setParam(kGlobalMidiChannel, 1);
  }
  void sysex(const Bytes& bytes, bool fromDevice) {
    ISysEx message(0, bytes.data(), static_cast<int32_t>(bytes.size()));
    editor->ProcessSysEx(&message, fromDevice);
  }
};

// ==== SysEx ==================================================================

struct SysExCase {
  const char* name;
  bool fromDevice;
  bool deviceFilter, hostFilter, track, hold;
  Bytes bytes;
  bool lights;   // the activity indicator goes on
  bool answers;  // the protocol took it as an answer
};

const Bytes kOtherModel = {0xF0, 0x3E, 0x16, 0x00, 0x08, 0x01, 0x00, 0x20, 0x02, 0x00, 0x00, 0xF7};

TEST_F(MidiIn, SysExPassesTheGatesOfItsSource) {
  const SysExCase cases[] = {
      {"FromDevice", true, false, false, true, false, kGlobalDump, true, true},
      {"DeviceFilterDropsDevice", true, true, false, true, false, kGlobalDump, false, false},
      {"HostFilterLeavesDevice", true, false, true, true, false, kGlobalDump, true, true},
      {"HostFilterDropsHost", false, false, true, true, false, kGlobalDump, false, false},
      {"FromHostLightsButIsNoAnswer", false, false, false, true, false, kGlobalDump, true, false},
      {"NotTrackingStaysDark", true, false, false, false, false, kGlobalDump, false, true},
      {"OtherModelStaysDark", true, false, false, true, false, kOtherModel, false, false},
      {"TransferHoldDropsAll", true, false, false, true, true, kGlobalDump, false, false},
      {"HostTwoBytes", false, false, false, true, false, {0xF0, 0x3E}, false, false},
      {"DeviceOneByte", true, false, false, true, false, {0xF0}, false, false},
  };
  for (const SysExCase& c : cases) {
    SCOPED_TRACE(c.name);
    editor->flags.indicatorLit = 0;
    editor->flags.responseReceived = false;
    editor->midiManager->slotStored = false;
    editor->flags.deviceFilter[kFilterSysEx] = c.deviceFilter;
    editor->flags.hostFilter[kFilterSysEx] = c.hostFilter;
    editor->flags.trackIncomingMidi = c.track;
    editor->flags.transferHold = c.hold;
    sysex(c.bytes, c.fromDevice);
    EXPECT_EQ(editor->flags.indicatorLit == 1, c.lights);
    EXPECT_EQ(editor->flags.responseReceived.load(), c.answers);
  }
}

TEST_F(MidiIn, EmptyAndNullSysExAreIgnored) {
  editor->ProcessSysEx(nullptr, true);
  ISysEx empty(0, nullptr, 12);
  editor->ProcessSysEx(&empty, false);
  EXPECT_EQ(editor->flags.indicatorLit, 0);
  EXPECT_FALSE(editor->flags.responseReceived);
}

TEST_F(MidiIn, TwoSysExInARowLightTheIndicatorOnce) {
  sysex(kGlobalDump, true);
  ASSERT_EQ(editor->flags.indicatorLit, 1);
  editor->flags.indicatorLitTicks = 12345;
  sysex(kGlobalDump, true);
  EXPECT_EQ(editor->flags.indicatorLitTicks, 12345u);
}

// ==== Channel messages =======================================================

TEST_F(MidiIn, HostChannelMessagesReachTheProtocolSystemMessagesDoNot) {
  IMidiMsg cc(0, 0xB0, 74, 9);
  editor->ProcessMidiMsg(&cc, false);  // passed on to the synthesizer by the protocol
  EXPECT_EQ(editor->shortMessages(), std::vector<Bytes>({{0xB0, 74, 9}}));

  editor->clearSent();
  for (uint8_t status : {0xF8, 0xFA, 0xFC, 0xF2, 0x7F}) {
    IMidiMsg system(0, status, 0, 0);
    editor->ProcessMidiMsg(&system, false);
    editor->ProcessMidiMsg(&system, true);
  }
  EXPECT_TRUE(editor->shortMessages().empty());
}

TEST_F(MidiIn, ChannelMessagesWaitWhileASoundIsOnItsWay) {
  IMidiMsg note(0, 0x90, 60, 100);
  editor->midiManager->soundDumpExpected = true;
  editor->ProcessMidiMsg(&note, false);
  editor->midiManager->soundDumpExpected = false;
  editor->flags.transferHold = true;
  editor->ProcessMidiMsg(&note, false);
  EXPECT_TRUE(editor->shortMessages().empty());
  // SysEx still passes while the sound dump is awaited.
  editor->flags.transferHold = false;
  editor->midiManager->soundDumpExpected = true;
  sysex(kGlobalDump, true);
  EXPECT_EQ(editor->flags.indicatorLit, 1);
}

TEST_F(MidiIn, DeviceMessagesGoBackOutOnlyWithoutLocalControl) {
  IMidiMsg cc(0, 0xB0, 74, 9);
  editor->ProcessMidiMsg(&cc, true);
  EXPECT_TRUE(editor->shortMessages().empty());
  editor->flags.localControl = false;
  editor->ProcessMidiMsg(&cc, true);
  EXPECT_EQ(editor->shortMessages(), std::vector<Bytes>({{0xB0, 74, 9}}));
}

// ==== The render pass ========================================================

class Render : public MidiEditorTest {
 protected:
  void SetUp() override {
    MidiEditorTest::SetUp();
    editor->flags.midiOutputOpen = true;
    editor->flags.routeMidiThroughAudioThread = false;
    editor->flags.clockLoopStarted = true;  // the running clock's own test posts it
    editor->flags.sendClockPointer = true;
    editor->midiManager->sender->setSleepFunction([](int) {});
    setParam(kGlobalMidiChannel, 1);
    setParam(kOverrideTempo, 0);
  }
  int postedOn(Poco::Thread& thread) {
    editor->midiManager->waitForJobs();
    return editor->midiManager->postedJob(thread).jobCode;
  }
  int allNotesOffCount() {
    int count = 0;
    for (const Bytes& msg : editor->shortMessages()) count += msg == Bytes{0xB0, 123, 0};
    return count;
  }
};

TEST_F(Render, TempoSyncSetsTheArpTempoOncePerHostTempo) {
  IParam* arpTempo = editor->GetParam(kArpTempo);
  ASSERT_NE(arpTempo, nullptr);
  if (arpTempo->GetMax() < 127) arpTempo->InitInt("Tempo", 0, 0, 127);
  setParam(kOverrideTempo, 1);
  editor->hostTempo = 120.0;
  editor->render();
  EXPECT_EQ(arpTempo->Value(), 55);

  // An unchanged tempo (120.9 truncates to 120) does nothing.
  arpTempo->Set(3);
  editor->hostTempo = 120.9;
  editor->render();
  EXPECT_EQ(arpTempo->Value(), 3);

  editor->hostTempo = 130.0;
  editor->render();
  EXPECT_EQ(arpTempo->Value(), 65);

  // Without the override the host tempo is not followed.
  setParam(kOverrideTempo, 0);
  editor->hostTempo = 100.0;
  editor->render();
  EXPECT_EQ(arpTempo->Value(), 65);
}

TEST_F(Render, DirectRouteStartsAndStopsTheClockOnTransportEdges) {
  editor->transportRunning = true;
  editor->render();
  EXPECT_EQ(postedOn(editor->midiManager->transportThread), kJobStartClock);
  editor->render();  // still running: no second start
  editor->transportRunning = false;
  editor->render();
  EXPECT_EQ(postedOn(editor->midiManager->transportThread), kJobStopClock);
  EXPECT_EQ(editor->rawMessages(), std::vector<Bytes>({{0xFA}, {0xFC}}));
  EXPECT_FALSE(editor->flags.transportWasRunning);
}

TEST_F(Render, AudioThreadRouteFollowsTheTransportWithoutClockJobs) {
  editor->flags.routeMidiThroughAudioThread = true;
  editor->transportRunning = true;
  editor->render();
  EXPECT_TRUE(editor->flags.transportWasRunning);
  editor->transportRunning = false;
  editor->render();
  EXPECT_FALSE(editor->flags.transportWasRunning);
  EXPECT_EQ(postedOn(editor->midiManager->transportThread), kJobNothing);
  EXPECT_TRUE(editor->rawMessages().empty());
}

TEST_F(Render, NothingHappensWithoutAnOutput) {
  editor->flags.midiOutputOpen = false;
  editor->transportRunning = true;
  editor->render();
  EXPECT_FALSE(editor->flags.transportWasRunning);
  EXPECT_EQ(postedOn(editor->midiManager->transportThread), kJobNothing);
}

TEST_F(Render, ResetOwesOneAllNotesOffSentAtTheFirstStoppedPass) {
  editor->Reset();
  editor->clearSent();
  editor->render();
  editor->render();
  EXPECT_EQ(allNotesOffCount(), 1);

  // While the transport runs it waits for the stop.
  editor->clearSent();
  editor->transportRunning = true;
  editor->render();  // the start of the transport
  editor->Reset();
  editor->render();
  EXPECT_EQ(allNotesOffCount(), 0);
  editor->transportRunning = false;
  editor->render();
  editor->render();
  EXPECT_EQ(allNotesOffCount(), 1);
}

TEST_F(Render, RoutedAllNotesOffAfterResetLeavesThroughTheQueue) {
  editor->flags.routeMidiThroughAudioThread = true;
  editor->Reset();
  editor->clearSent();
  for (int pass = 0; pass < 3; ++pass) editor->render();
  EXPECT_EQ(allNotesOffCount(), 1);
  EXPECT_TRUE(editor->midiQueue.Empty());
}

TEST_F(Render, DirectRouteDropsWhatIsLeftInTheQueue) {
  editor->flags.routeMidiThroughAudioThread = true;
  IMidiMsg msg(0, 0xB0, 7, 100);
  editor->MIDIOutRoutingSwitch(&msg);
  editor->flags.routeMidiThroughAudioThread = false;
  editor->render();
  EXPECT_TRUE(editor->shortMessages().empty());
  EXPECT_TRUE(editor->midiQueue.Empty());
}

TEST_F(Render, QueuedMessagesWaitWhileNoOutputIsOpen) {
  editor->flags.routeMidiThroughAudioThread = true;
  editor->flags.audioRouteDelay = 0;  // a pass still covers one frame
  IMidiMsg msg(0, 0xB0, 7, 100);
  editor->MIDIOutRoutingSwitch(&msg);
  editor->flags.midiOutputOpen = false;
  editor->render();
  EXPECT_EQ(editor->midiQueue.ToDo(), 1);
  editor->flags.midiOutputOpen = true;
  editor->render();
  EXPECT_EQ(editor->shortMessages(), std::vector<Bytes>({{0xB0, 7, 100}}));
}

TEST_F(Render, TheIndicatorStaysLitAHundredMillisecondsThenGoesOut) {
  if (!editor->GetGUI()) GTEST_SKIP() << "the editor has no GUI";
  editor->flags.indicatorLit = 1;
  const uint32_t litAt = GetTickCount();
  editor->flags.indicatorLitTicks = litAt;
  editor->render();
  // Seen only when the render call came soon enough after the lighting.
  if (GetTickCount() - litAt < 90) {
    EXPECT_EQ(editor->flags.indicatorLit, 1);
  }

  editor->flags.indicatorLitTicks = GetTickCount() - 101;
  editor->render();
  EXPECT_EQ(editor->flags.indicatorLit, 0);
}

TEST_F(Render, TheRunningClockIsPostedOnceAndAgainWhenReArmed) {
  editor->flags.clockLoopStarted = false;
  editor->render();
  EXPECT_TRUE(editor->flags.clockLoopStarted);
  editor->midiManager->sender->resetContinuousClock(true);  // ends the loop
  EXPECT_EQ(postedOn(editor->midiManager->clockThread), kJobContinuousClock);
}

TEST_F(Render, ARandomisedSoundIsReadBackWhenTheDataThreadIsFree) {
  editor->flags.readBackPending = true;
  editor->render();
  EXPECT_FALSE(editor->flags.readBackPending);
  EXPECT_EQ(postedOn(editor->midiManager->dataThread), kJobActiveArrangementRequest);
}

// ==== The MIDI out delay =====================================================

TEST(DelayText, ShowsTheMillisecondsOfAPassAndTheBlockSize) {
  const struct {
    double sampleRate;
    int frames;
    int blockSize;
    const char* text;
  } cases[] = {{44100.0, 512, 512, "11ms|512bfr"},
               {48000.0, 512, 512, "10ms|512bfr"},
               {48000.0, 1024 + 128, 128, "24ms|128bfr"},
               {44100.0, 1, 64, "0ms|64bfr"},
               {0.0, 512, 512, ""},
               {-48000.0, 512, 512, ""}};
  for (const auto& c : cases)
    EXPECT_EQ(VivivI::midiOutDelayText(c.sampleRate, c.frames, c.blockSize), c.text)
        << c.sampleRate << " Hz, " << c.frames << " frames";
}

// The display lines the render pass and Reset write, on a window of the
// test's own that holds them.
class Displays : public Render {
 protected:
  const char* UiDescription() const override {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<uiconfig>
  <display name="Status" paramId="kControlDisplayName" bounds="10,10,200,12" displaySize="3,9"/>
  <display name="Value" paramId="kControlDisplayValue" bounds="10,30,200,12" displaySize="3,9"/>
  <display name="CC" paramId="kControlDisplayCC" bounds="10,50,200,12" displaySize="3,9"/>
  <display name="Category" paramId="kControlDisplayCategory" bounds="10,70,200,12" displaySize="3,9"/>
  <display name="Delay" paramId="kControlDisplayMIDIOutDelay" bounds="10,90,200,12" displaySize="3,9"/>
</uiconfig>)";
  }
  std::string shown(int index) {
    if (!editor->GetGUI()) return "";
    IRECT area;
    editor->GetGUI()->IsDirty(&area);  // a GUI tick: waiting texts reach the controls
    ITextControl* display = dynamic_cast<ITextControl*>(editor->firstControlOf(index));
    if (!display) return "<no display>";
    KIT_String text;
    display->GetTextCopy(&text);
    return text.Get();
  }
};

// What the render pass and Reset write into the log.
class RenderLog : public Displays {
 protected:
  bool WithLog() const override { return true; }
  // The log's lines that begin with topic, in order.
  std::vector<std::string> linesOf(const std::string& topic) const {
    std::vector<std::string> found;
    for (const std::string& line : LogLines())
      if (line.rfind(topic, 0) == 0) found.push_back(line);
    return found;
  }
};

TEST_F(RenderLog, TempoSyncLogsTheChangeOnceAndThenTheTempo) {
  IParam* arpTempo = editor->GetParam(kArpTempo);
  ASSERT_NE(arpTempo, nullptr);
  if (arpTempo->GetMax() < 127) arpTempo->InitInt("Tempo", 0, 0, 127);
  setParam(kOverrideTempo, 1);
  editor->hostTempo = 120.0;
  editor->render();
  editor->render();
  editor->render();
  EXPECT_EQ(linesOf("PROCESSOR: "), std::vector<std::string>({"PROCESSOR: Host tempo is out of sync!",
                                                              "PROCESSOR: Host tempo synced to 120BPM"}));
  EXPECT_EQ(arpTempo->Value(), 55);
}

TEST_F(RenderLog, ResetLogsTheSampleRateAndTheVersionAndShowsTheBuildDate) {
  const size_t before = linesOf("RESET: ").size();
  editor->SetSampleRate(48000.0);
  editor->Reset();
  editor->SetSampleRate(44100.5);
  editor->Reset();
  const std::vector<std::string> lines = linesOf("RESET: ");
  ASSERT_EQ(lines.size(), before + 4);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            std::vector<std::string>({"RESET: Host sample rate 48000Hz", "RESET: plug-in v1.1.5",
                                      "RESET: Host sample rate 44100.5Hz", "RESET: plug-in v1.1.5"}));
  EXPECT_EQ(shown(kControlDisplayValue), "v1.1.5 10-Oct-2020");
}

TEST_F(Displays, MidiOutDelayAt44And48Kilohertz) {
  editor->flags.routeMidiThroughAudioThread = true;
  editor->SetBlockSize(512);
  editor->flags.audioRouteDelay = 512;
  for (const auto& [rate, text] :
       {std::pair<double, const char*>{44100.0, "11ms|512bfr"}, {48000.0, "10ms|512bfr"}}) {
    editor->SetSampleRate(rate);
    editor->Reset();
    editor->render(512);
    EXPECT_EQ(shown(kControlDisplayMIDIOutDelay), text) << rate;
  }
}

TEST_F(Displays, ResetShowsTheEditorAndItsVersionUnlessASoundIsOnItsWay) {
  editor->setDisplayText(kControlDisplayCC, "CC 74");
  editor->flags.transferHold = true;
  editor->Reset();
  EXPECT_EQ(shown(kControlDisplayCC), "CC 74");

  editor->flags.transferHold = false;
  editor->Reset();
  EXPECT_EQ(shown(kControlDisplayName), "Tarnwel VivivI Plug-in");
  EXPECT_EQ(shown(kControlDisplayValue), "v1.1.5");
  EXPECT_EQ(shown(kControlDisplayCategory), "NONE");
  EXPECT_EQ(shown(kControlDisplayCC), "---");
}

}  // namespace
