// The editor's MIDI output: checksum and send of dumps, program and bank
// changes with their limits, the device channel, the handshake wait, the
// routing through the audio thread's queue, the controller values a dump
// leaves out and the sound sent back after a program change.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "KIT/IModule/IParam.h"
#include "src/ControlAction.h"
#include "src/MIDIMessageSysEx.h"
#include "tests/editor/midi_editor.h"
#include "tests/editor/midi_test_env.h"

namespace {

using Bytes = MidiEditor::Bytes;

class MidiOut : public MidiEditorTest {
 protected:
  void SetUp() override {
    MidiEditorTest::SetUp();
    editor->flags.midiOutputOpen = true;
    editor->flags.routeMidiThroughAudioThread = false;
    setParam(kGlobalMidiChannel, 1);
    setParam(kLibSyncTimer, 4);  // the shortest handshake wait, 100 ms
  }
};

// ==== Checksum and send ======================================================

struct ChecksumCase {
  const char* name;
  int length;
  bool framed;       // begins with F0 (and ends with F7)
  int first, last;   // bytes summed
  int checksumByte;  // -1: the message is sent unchanged
};

TEST_F(MidiOut, ChecksumIsTheSevenBitSumBeforeTheEndAndTheWholeMessageIsSent) {
  const ChecksumCase cases[] = {
      {"SoundDump", 76, true, 4, 73, 74},        {"SoundDumpWithoutFrame", 74, false, 3, 72, 73},
      {"Framed71", 71, true, 4, 68, 69},         {"Unframed71", 71, false, 3, 69, 70},
      {"Framed70Unchanged", 70, true, 0, 0, -1}, {"ShortRequestUnchanged", 9, true, 0, 0, -1},
  };
  for (const ChecksumCase& c : cases) {
    SCOPED_TRACE(c.name);
    editor->clearSent();
    Bytes message(static_cast<size_t>(c.length));
    for (int i = 0; i < c.length; ++i)
      message[static_cast<size_t>(i)] = static_cast<unsigned char>((i * 37 + 11) & 0x7F);
    if (c.framed) {
      message.front() = 0xF0;
      message[1] = 0x3E;
      message[2] = 0x0B;
      message.back() = 0xF7;
    } else {
      message[0] = 0x3E;
      message[1] = 0x0B;
    }
    Bytes expected = message;
    if (c.checksumByte >= 0) {
      const unsigned sum = std::accumulate(expected.begin() + c.first, expected.begin() + c.last + 1, 0u);
      expected[static_cast<size_t>(c.checksumByte)] = static_cast<unsigned char>(sum & 0x7F);
    }

    editor->checksumCheckAndSend(message.data(), c.length);

    EXPECT_EQ(message, expected) << "the caller's buffer carries the checksum";
    EXPECT_EQ(editor->sysexMessages(), std::vector<Bytes>{expected});
  }
}

TEST_F(MidiOut, ChecksumSendRefusesNullShortAndAClosedOutput) {
  editor->checksumCheckAndSend(nullptr, 76);
  unsigned char one = 0xF0;
  editor->checksumCheckAndSend(&one, 0);
  editor->checksumCheckAndSend(&one, -5);
  EXPECT_TRUE(editor->sysexMessages().empty());

  // Two bytes: sent as they are, no header read past them.
  unsigned char two[2] = {0xF0, 0x3E};
  editor->checksumCheckAndSend(two, 2);
  EXPECT_EQ(editor->sysexMessages().size(), 1u);

  editor->clearSent();
  editor->flags.midiOutputOpen = false;
  Bytes dump(76, 0x01);
  dump.front() = 0xF0;
  dump.back() = 0xF7;
  const Bytes before = dump;
  editor->checksumCheckAndSend(dump.data(), 76);
  EXPECT_TRUE(editor->sysexMessages().empty());
  EXPECT_EQ(dump, before);
}

// ==== Program change, bank change, all notes off =============================

struct ProgramCase {
  int program;
  int channelSetting;  // kGlobalMidiChannel
  Bytes expected;
};

TEST_F(MidiOut, ProgramChangeIsLimitedToZeroTo99OnTheDeviceChannel) {
  const ProgramCase cases[] = {{120, 1, {0xC0, 99}}, {99, 1, {0xC0, 99}},  {5, 1, {0xC0, 5}},
                               {-3, 1, {0xC0, 0}},   {64, 16, {0xCF, 64}}, {1, 0, {0xC0, 1}}};
  for (const ProgramCase& c : cases) {
    SCOPED_TRACE("program " + std::to_string(c.program) + " channel " + std::to_string(c.channelSetting));
    editor->clearSent();
    setParam(kGlobalMidiChannel, c.channelSetting);
    editor->SendProgramChangeCommand(c.program, 7);
    EXPECT_EQ(editor->shortMessages(), std::vector<Bytes>{c.expected});
  }
}

TEST_F(MidiOut, ProgramChangeWithoutOutputSendsNothing) {
  editor->flags.midiOutputOpen = false;
  editor->SendProgramChangeCommand(3, 0);
  EXPECT_TRUE(editor->shortMessages().empty());
}

struct ChannelCase {
  int setting;
  unsigned char status;
};

TEST_F(MidiOut, AllNotesOffGoesOutOnTheDeviceChannel) {
  const ChannelCase cases[] = {{1, 0xB0}, {16, 0xBF}, {0, 0xB0}, {-2, 0xB0}, {10, 0xB9}};
  for (const ChannelCase& c : cases) {
    SCOPED_TRACE("channel setting " + std::to_string(c.setting));
    editor->clearSent();
    setParam(kGlobalMidiChannel, c.setting);
    editor->AllSoundsOff();
    EXPECT_EQ(editor->shortMessages(), std::vector<Bytes>({{c.status, 123, 0}}));
  }
}

TEST_F(MidiOut, BankChangeSelectsTheCurrentPatchAndReportsWhetherItWentOut) {
  setParam(kGlobalMidiChannel, 3);
  setParam(kCurrentPatch, 42);
  EXPECT_TRUE(editor->BankChangeMessage());
  EXPECT_EQ(editor->shortMessages(),
            std::vector<Bytes>({{0xB2, 123, 0}, {0xB2, 0, 0}, {0xB2, 32, 64}, {0xC2, 42}}));
  EXPECT_EQ(editor->currentProgram, 42);
  EXPECT_EQ(editor->partProgram[0], 42);

  editor->clearSent();
  editor->flags.midiOutputOpen = false;
  EXPECT_FALSE(editor->BankChangeMessage());
  EXPECT_TRUE(editor->shortMessages().empty());
}

TEST_F(MidiOut, BankChangeSendsANegativeProgramAsZero) {
  setParam(kCurrentPatch, -4);
  EXPECT_TRUE(editor->BankChangeMessage());
  const std::vector<Bytes> sent = editor->shortMessages();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), (Bytes{0xC0, 0}));
}

TEST_F(MidiOut, DeviceEnquiryIsPostedOnlyWithAnOutputAndNoSoundOnItsWay) {
  MIDIMessageManager& manager = *editor->midiManager;
  manager.sender->setSleepFunction([](int) {});
  editor->flags.transferHold = true;
  editor->flags.knownGlobalSettings = VarnoSysEx::kAllGlobalSettings;
  editor->sendSysExInitialization();
  EXPECT_TRUE(editor->flags.globalAnswerExpected);
  // The output may lead to another Varno: its settings are read anew.
  EXPECT_EQ(editor->flags.knownGlobalSettings, 0u);
  manager.waitForJobs();
  EXPECT_EQ(manager.postedJob(manager.dataThread).jobCode, kJobNothing);

  editor->flags.transferHold = false;
  editor->sendSysExInitialization();
  manager.waitForJobs();
  EXPECT_EQ(manager.postedJob(manager.dataThread).jobCode, kJobDeviceIdEnquiry);
  EXPECT_FALSE(editor->sysexMessages().empty()) << "the enquiry went out";
}

// ==== The handshake wait =====================================================

TEST_F(MidiOut, TimerValueFollowsTheLibrarySyncSetting) {
  const std::vector<std::pair<int, int>> cases = {{-1, 100}, {0, 200}, {1, 300},
                                                  {2, 400},  {3, 500}, {4, 100}};
  for (const auto& [setting, ms] : cases) {
    setParam(kLibSyncTimer, setting);
    EXPECT_EQ(editor->getTimerValue(), ms) << "setting " << setting;
  }
}

// ==== Routing ================================================================

TEST_F(MidiOut, RoutedMessagesWaitForTheAudioThreadAndLeaveInOffsetOrder) {
  editor->flags.routeMidiThroughAudioThread = true;
  editor->flags.audioRouteDelay = 64;
  IMidiMsg late(5, 0xB0, 1, 1), early(2, 0xB0, 2, 2), sameAsEarly(2, 0xB0, 3, 3);
  editor->MIDIOutRoutingSwitch(&late);
  editor->MIDIOutRoutingSwitch(&early);
  editor->MIDIOutRoutingSwitch(&sameAsEarly);
  EXPECT_TRUE(editor->shortMessages().empty());

  editor->flags.clockLoopStarted = true;  // no clock job in this test
  editor->render();
  EXPECT_EQ(editor->shortMessages(), std::vector<Bytes>({{0xB0, 2, 2}, {0xB0, 3, 3}, {0xB0, 1, 1}}));
  EXPECT_TRUE(editor->midiQueue.Empty());
}

TEST_F(MidiOut, DirectRouteSendsAtOnceAndClosedOutputSendsNothing) {
  IMidiMsg msg(0, 0xB0, 74, 100);
  editor->MIDIOutRoutingSwitch(&msg);
  EXPECT_EQ(editor->shortMessages(), std::vector<Bytes>({{0xB0, 74, 100}}));
  EXPECT_TRUE(editor->midiQueue.Empty());

  editor->clearSent();
  editor->flags.midiOutputOpen = false;
  editor->MIDIOutRoutingSwitch(&msg);
  editor->sendMidiMsgAndLog(&msg);
  EXPECT_TRUE(editor->shortMessages().empty());
}

// ==== Controller values a sound dump leaves out ===============================

// Gives a parameter a mapping record of the test's own for the life of the
// object, and puts the one it had back afterwards.
class ScopedAction {
 public:
  ScopedAction(IParam* param, int ccNumber) : param(param), previous(param->GetControlAction()) {
    action.ccNumber = ccNumber;
    param->SetControlAction(ccNumber == kNoAction ? nullptr : &action);
  }
  ~ScopedAction() { param->SetControlAction(previous); }
  static constexpr int kNoAction = -1000;

 private:
  IParam* param;
  ControlAction* previous;
  ControlAction action{kActionCC};
};

TEST_F(MidiOut, MissingControllerValuesSkipParametersWithoutAMapping) {
  setParam(kGlobalMidiChannel, 2);
  setParam(kOscillator1Shape, 2);
  setParam(kOscillator2Shape, 3);
  setParam(kOscillator3Shape, 1);
  setParam(kOscillator2Sync, 1);
  setParam(kOscillator2Keytrack, 0);
  ScopedAction shape1(editor->GetParam(kOscillator1Shape), 20);
  ScopedAction shape2(editor->GetParam(kOscillator2Shape), ScopedAction::kNoAction);
  ScopedAction shape3(editor->GetParam(kOscillator3Shape), 22);
  ScopedAction sync(editor->GetParam(kOscillator2Sync), -1);  // a record without a controller
  ScopedAction keytrack(editor->GetParam(kOscillator2Keytrack), 25);

  editor->sendMissingCCValues();

  EXPECT_EQ(editor->shortMessages(), std::vector<Bytes>({{0xB1, 20, 2}, {0xB1, 22, 1}, {0xB1, 25, 0}}));
}

// ==== The sound sent back after a program change ==============================

TEST_F(MidiOut, SoundGoesBackOnlyWhenASwitchThatKeepsItIsOn) {
  editor->midiManager->sender->setSleepFunction([](int) {});
  for (int lock = kSectionLockOsc1; lock <= kSectionLockArp; ++lock) setParam(lock, 0);
  setParam(kOverrideTempo, 0);
  setParam(kSectionLockPorta, 1);
  setParam(kSectionLockPitchMod, 1);
  editor->sendPartDataBackToHardware(0);
  editor->midiManager->waitForJobs();
  EXPECT_EQ(editor->midiManager->postedJob(editor->midiManager->dataThread).jobCode, kJobNothing);

  setParam(kSectionLockFilter, 1);
  editor->sendPartDataBackToHardware(0);
  editor->midiManager->waitForJobs();
  EXPECT_EQ(editor->midiManager->postedJob(editor->midiManager->dataThread).jobCode, kJobSendArrangement);
  // The job sent the sound dump: 76 bytes, F0 3E 0B first.
  bool dumpSent = false;
  for (const Bytes& sysex : editor->sysexMessages())
    dumpSent = dumpSent || (sysex.size() == 76 && sysex[0] == 0xF0 && sysex[1] == 0x3E && sysex[2] == 0x0B);
  EXPECT_TRUE(dumpSent);
}

}  // namespace
