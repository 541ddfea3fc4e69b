// Channel messages from the synthesizer and the host: filters, control
// changes to controls with the synthesizer's codings, program changes to the
// librarian or to a sound request, the activity indicator and pass-through.
#include <Poco/Event.h>
#include <Poco/Runnable.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "src/MIDIMessageSender.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"
#include "tests/protocol/protocol_editor.h"

namespace {

IMidiMsg channelMessage(int status, int channel, int data1, int data2 = 0) {
  return IMidiMsg(0, static_cast<uint8_t>((status << 4) | channel), static_cast<uint8_t>(data1),
                  static_cast<uint8_t>(data2));
}

std::array<uint8_t, 3> bytesOf(const IMidiMsg& msg) { return {msg.mStatus, msg.mData1, msg.mData2}; }

// A job that holds the data thread until released.
class BlockingJob : public Poco::Runnable {
 public:
  void run() override { release.wait(); }
  Poco::Event release;
};

class ChannelMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    editor.flags.midiOutputOpen = true;
    editor.flags.localControl = false;
    // Every kind passes from both sources unless a test filters it.
    for (int kind = 0; kind < kNumMidiFilterKinds; ++kind)
      editor.flags.hostFilter[kind] = editor.flags.deviceFilter[kind] = false;
    // Jobs run on a clock that never waits: an unanswered request ends at once.
    manager().sender->setSleepFunction([](int) {});
  }
  void fromDevice(IMidiMsg msg) { manager().ProcessMidiMsgFromDevice(&msg); }
  void fromHost(IMidiMsg msg, int argument = 0) { manager().ProcessMidiMsgFromDAW(&msg, argument); }
  MIDIMessageManager& manager() { return *editor.midiManager; }
  // Waits for the posted job to end, so that its record can be read.
  void joinData() {
    while (manager().dataThread.isRunning()) Poco::Thread::yield();
  }
  // The short messages that went out to the synthesizer, in order.
  std::vector<std::array<uint8_t, 3>> routed() const {
    std::vector<std::array<uint8_t, 3>> messages;
    for (const Bytes& raw : editor.rawSends())
      if (raw.size() == 3) messages.push_back({raw[0], raw[1], raw[2]});
    return messages;
  }
  ProtocolEditor editor;
};

// ---- Filters and pass-through ----

TEST_F(ChannelMessages, filtersDropTheirKindFromTheirSource) {
  const struct {
    const char* why;
    int status;
    EMidiFilterKind kind;
  } kCases[] = {
      {"note on", IMidiMsg::kNoteOn, kFilterNotes},
      {"note off", IMidiMsg::kNoteOff, kFilterNotes},
      {"poly pressure", IMidiMsg::kPolyAftertouch, kFilterPolyPressure},
      {"channel pressure", IMidiMsg::kChannelAftertouch, kFilterChannelPressure},
      {"pitch bend", IMidiMsg::kPitchWheel, kFilterPitchBend},
      {"control change", IMidiMsg::kControlChange, kFilterControlChange},
  };
  for (const auto& c : kCases) {
    const IMidiMsg msg = channelMessage(c.status, 0, 60, 100);
    for (bool host : {false, true}) {
      editor.clearCalls();
      const size_t before = routed().size();
      (host ? editor.flags.hostFilter : editor.flags.deviceFilter)[c.kind] = true;
      host ? fromHost(msg) : fromDevice(msg);
      EXPECT_EQ(routed().size(), before) << c.why << (host ? " from the host" : " from the device");
      (host ? editor.flags.hostFilter : editor.flags.deviceFilter)[c.kind] = false;
      host ? fromHost(msg) : fromDevice(msg);
      EXPECT_EQ(routed().size(), before + 1) << c.why << (host ? " from the host" : " from the device");
      EXPECT_EQ(manager().messageFromHost, host) << c.why;
    }
  }
}

TEST_F(ChannelMessages, deviceInputPassesOnOnlyWhileLocalControlIsClear) {
  editor.flags.localControl = true;
  fromDevice(channelMessage(IMidiMsg::kNoteOn, 0, 60, 100));
  EXPECT_TRUE(routed().empty());
  editor.flags.localControl = false;
  fromDevice(channelMessage(IMidiMsg::kNoteOn, 0, 60, 100));
  EXPECT_EQ(routed().size(), 1u);
}

TEST_F(ChannelMessages, hostMidiIsIgnoredWithoutAnOutput) {
  editor.flags.midiOutputOpen = false;
  fromHost(channelMessage(IMidiMsg::kNoteOn, 0, 60, 100));
  fromHost(channelMessage(IMidiMsg::kProgramChange, 0, 5));
  EXPECT_TRUE(editor.rawSends().empty()) << "neither passed on nor sent as a program change";
  EXPECT_EQ(editor.value(kCurrentPatch), 0);
}

TEST_F(ChannelMessages, hostControlChangeWithoutControlIsStillPassedOn) {
  const IMidiMsg msg = channelMessage(IMidiMsg::kControlChange, 2, 74, 90);
  fromHost(msg);
  EXPECT_EQ(routed(), (std::vector<std::array<uint8_t, 3>>{bytesOf(msg)}));
}

TEST_F(ChannelMessages, systemMessagesAreNotChannelMessages) {
  fromDevice(IMidiMsg(0, 0xF8, 0, 0));
  fromHost(IMidiMsg(0, 0xFE, 0, 0));
  EXPECT_TRUE(routed().empty());
}

// ---- Control changes ----

TEST_F(ChannelMessages, semitoneControllersSetTheValueAndTheOctaveIndicator) {
  editor.addCCControl(kOscillator1Semitone, 0, 32, 0);
  fromDevice(channelMessage(IMidiMsg::kControlChange, 0, 32, 28));
  EXPECT_EQ(editor.value(kOscillator1Semitone), 12);
  EXPECT_EQ(editor.value(kOscillator1OctaveIndicator), 1);
  fromDevice(channelMessage(IMidiMsg::kControlChange, 0, 32, 29));
  EXPECT_EQ(editor.value(kOscillator1Semitone), 13);
  EXPECT_EQ(editor.value(kOscillator1OctaveIndicator), 0);
  EXPECT_EQ(editor.calls().hardwareFlagAtChange2, (std::vector<bool>{true, true}));
  EXPECT_FALSE(manager().valueFromHardware);
}

TEST_F(ChannelMessages, deviceCodingsOfControllers) {
  editor.addCCControl(kArpClock, 0, 105, 0);
  editor.addCCControl(kOscillator2Shape, 0, 38, 0);
  editor.addCCControl(kFilterCutoff, 0, 74, 0);
  fromDevice(channelMessage(IMidiMsg::kControlChange, 3, 105, 5));
  fromDevice(channelMessage(IMidiMsg::kControlChange, 3, 38, 2));
  fromDevice(channelMessage(IMidiMsg::kControlChange, 3, 74, 77));
  EXPECT_EQ(editor.value(kArpClock), 4) << "clock code 5 is division 4";
  EXPECT_EQ(editor.value(kOscillator2Shape), 2);
  EXPECT_EQ(editor.value(kFilterCutoff), 77);
  EXPECT_EQ(editor.calls().paramChanges, std::vector<int>{kMainTab})
      << "only controller 38 refreshes the main tab";
}

TEST_F(ChannelMessages, hostValuesAreNotDecoded) {
  editor.addCCControl(kArpClock, 0, 105, 0);
  fromHost(channelMessage(IMidiMsg::kControlChange, 0, 105, 5));
  EXPECT_EQ(editor.value(kArpClock), 5);
  EXPECT_EQ(editor.calls().hardwareFlagAtChange2, std::vector<bool>{false});
}

// The editor starts as the Varno does, with local control ALLOWED: what the
// Varno's own panel sends moves the editor's controls and goes no further.
TEST_F(ChannelMessages, aFreshEditorHoldsLocalControlOnAndEchoesNoPanelMove) {
  ProtocolEditor fresh;
  EXPECT_EQ(fresh.value(kGlobalLocalControl), 1);
  EXPECT_TRUE(fresh.flags.localControl);
  fresh.flags.midiOutputOpen = true;
  for (int kind = 0; kind < kNumMidiFilterKinds; ++kind) fresh.flags.deviceFilter[kind] = false;
  IMidiMsg cutoff = channelMessage(IMidiMsg::kControlChange, 0, 74, 100);
  fresh.midiManager->ProcessMidiMsgFromDevice(&cutoff);
  IMidiMsg note = channelMessage(IMidiMsg::kNoteOn, 0, 60, 100);
  fresh.midiManager->ProcessMidiMsgFromDevice(&note);
  EXPECT_EQ(fresh.value(kFilterCutoff), 100);
  EXPECT_TRUE(fresh.rawSends().empty()) << "nothing goes back to the Varno";
}

TEST_F(ChannelMessages, localControlFollowsItsController) {
  editor.addCCControl(kGlobalLocalControl, 0, 122, 0);
  editor.flags.localControl = true;
  fromDevice(channelMessage(IMidiMsg::kControlChange, 0, 122, 0));
  EXPECT_FALSE(editor.flags.localControl);
  EXPECT_EQ(editor.value(kGlobalLocalControl), 0);
  fromDevice(channelMessage(IMidiMsg::kControlChange, 0, 122, 127));
  EXPECT_TRUE(editor.flags.localControl);
  EXPECT_EQ(editor.value(kGlobalLocalControl), 1);
}

TEST_F(ChannelMessages, controlLookupOrder) {
  // From the host on MIDI channel 3 (channel key 3): table 0 under key 0 first,
  // then table 1 under key 3, then table 2 under key 3. Controller 119 is one
  // the description leaves free.
  editor.addCCControl(kVolume, 3, 119, 2);
  fromHost(channelMessage(IMidiMsg::kControlChange, 2, 119, 10));
  EXPECT_EQ(editor.value(kVolume), 10);
  editor.addCCControl(kPanning, 3, 119, 1);
  fromHost(channelMessage(IMidiMsg::kControlChange, 2, 119, 20));
  EXPECT_EQ(editor.value(kPanning), 20);
  EXPECT_EQ(editor.value(kVolume), 10);
  editor.addCCControl(kFilterCutoff, 0, 119, 0);
  fromHost(channelMessage(IMidiMsg::kControlChange, 2, 119, 30));
  EXPECT_EQ(editor.value(kFilterCutoff), 30);
  EXPECT_EQ(editor.value(kPanning), 20);
  // From the synthesizer the channel key is 0 whatever the channel.
  fromDevice(channelMessage(IMidiMsg::kControlChange, 9, 119, 40));
  EXPECT_EQ(editor.value(kFilterCutoff), 40);
}

// ---- Program changes ----

TEST_F(ChannelMessages, deviceProgramChangeRequestsTheSound) {
  fromDevice(channelMessage(IMidiMsg::kProgramChange, 0, 120));
  joinData();
  EXPECT_EQ(editor.value(kCurrentPatch), 98) << "program 120 selects program 98";
  EXPECT_FALSE(manager().libraryPatchRequest.requestActive);
  EXPECT_EQ(manager().postedJob(manager().dataThread).jobCode, kJobPartRequest);
  EXPECT_EQ(manager().postedJob(manager().dataThread).partProgram, 98);
  EXPECT_TRUE(manager().postedJob(manager().dataThread).requestEnabled);
  EXPECT_EQ(editor.sent().front(), (std::vector<unsigned char>{0xF0, 0x3E, 0x0B, 0x00, 0x41, 98, 0xF7}));
  EXPECT_EQ(editor.patchLibrarian->selectedUpperSlot, 98);
  EXPECT_TRUE(routed().empty()) << "the program change is not passed on";
  EXPECT_NE(manager().lastProgramChangeTime, 0u);

  // The data thread can be posted again once the job ended.
  fromDevice(channelMessage(IMidiMsg::kProgramChange, 0, 7));
  joinData();
  EXPECT_EQ(manager().postedJob(manager().dataThread).partProgram, 7);
}

TEST_F(ChannelMessages, partLockOnlyUpdatesTheProgramValue) {
  editor.set(kPartLock, 1.0);
  editor.patchLibrarian->selectedUpperSlot = 3;
  fromDevice(channelMessage(IMidiMsg::kProgramChange, 0, 12));
  EXPECT_EQ(editor.value(kCurrentPatch), 12);
  EXPECT_FALSE(manager().soundDumpExpected);
  EXPECT_FALSE(manager().dataThread.isRunning());
  EXPECT_EQ(editor.patchLibrarian->selectedUpperSlot, 3) << "the librarian selects nothing";
  EXPECT_EQ(manager().lastProgramChangeTime, 0u);
}

TEST_F(ChannelMessages, filteredProgramChangeOnlyUpdatesTheProgramValue) {
  editor.flags.deviceFilter[kFilterProgramChange] = true;
  editor.patchLibrarian->selectedUpperSlot = 3;
  fromDevice(channelMessage(IMidiMsg::kProgramChange, 0, 12));
  EXPECT_EQ(editor.value(kCurrentPatch), 12);
  EXPECT_EQ(editor.patchLibrarian->selectedUpperSlot, 3);
}

TEST_F(ChannelMessages, busyDataThreadDropsTheRequestButSelects) {
  BlockingJob job;
  manager().dataThread.start(job);
  fromDevice(channelMessage(IMidiMsg::kProgramChange, 0, 33));
  EXPECT_EQ(editor.patchLibrarian->selectedUpperSlot, 33);
  EXPECT_EQ(manager().postedJob(manager().dataThread).jobCode, kJobNothing) << "nothing was posted";
  job.release.set();
  manager().dataThread.join();
}

// The patch of that slot of the librarian's active column (the upper one
// while the list has none active) goes out instead of a sound request.
TEST_F(ChannelMessages, programChangeInLibrarianModeSendsTheLibrarianPatch) {
  Bytes record(VarnoSysEx::kSoundDumpTemplate.begin(), VarnoSysEx::kSoundDumpTemplate.end());
  record[20] = 0x33;
  record.resize(92, 0x20);
  record[91] = 0xF7;
  editor.bank(0)[4].messages.push_back(record);
  editor.flags.librarianMode = true;
  fromDevice(channelMessage(IMidiMsg::kProgramChange, 0, 4));
  editor.joinAll();
  EXPECT_EQ(manager().postedJob(manager().dataThread).jobCode, kJobSendLibrarianPatch) << "no sound request";
  const std::vector<Bytes> raw = editor.rawSends();
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(raw[0], (Bytes{0xB0, 123, 0})) << "the program change itself is not passed on";
  ASSERT_EQ(raw[1].size(), 76u);
  EXPECT_EQ(raw[1][5], 4) << "sent as program 4, the program selected";
  EXPECT_EQ(raw[1][20], 0x33);
  EXPECT_TRUE(editor.sent().empty()) << "no request";
}

TEST_F(ChannelMessages, hostProgramChangeGoesToTheSynthesizerToo) {
  const IMidiMsg msg = channelMessage(IMidiMsg::kProgramChange, 0, 9);
  fromHost(msg, 0);
  joinData();
  EXPECT_EQ(manager().postedJob(manager().dataThread).partProgram, 9);
  // Once as the editor's program change on the synthesizer's channel, once
  // passed on.
  EXPECT_EQ(routed(), (std::vector<std::array<uint8_t, 3>>{bytesOf(msg), bytesOf(msg)}));
}

// ---- Activity indicator ----

TEST_F(ChannelMessages, activityIndicatorLightsOnTheSynthesizersChannel) {
  editor.flags.indicatorLit = 0;
  editor.set(kGlobalMidiChannel, 3);  // MIDI channel 3: channel index 2
  fromDevice(channelMessage(IMidiMsg::kNoteOn, 5, 60, 1));
  EXPECT_EQ(editor.flags.indicatorLit, 0);
  fromDevice(channelMessage(IMidiMsg::kNoteOn, 2, 60, 1));
  EXPECT_EQ(editor.flags.indicatorLit, 1);
  EXPECT_EQ(editor.value(kMIDILed), 1);

  editor.flags.indicatorLit = 0;
  editor.set(kMIDILed, 0);
  editor.set(kGlobalMidiChannel, 0);  // omni: channel index 0
  fromHost(channelMessage(IMidiMsg::kPitchWheel, 0, 0, 64));
  EXPECT_EQ(editor.flags.indicatorLit, 1);

  // Not tracked, input lights nothing (kept local, so that no output on the
  // synthesizer's channel lights it either).
  editor.flags.indicatorLit = 0;
  editor.flags.trackIncomingMidi = false;
  editor.flags.localControl = true;
  fromDevice(channelMessage(IMidiMsg::kNoteOn, 0, 60, 1));
  EXPECT_EQ(editor.flags.indicatorLit, 0);
}

}  // namespace
