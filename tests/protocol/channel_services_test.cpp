// What the protocol asks of the editor for channel messages, on the stand-in
// editor: which messages the editor is asked to pass on to the synthesizer,
// where a program change goes (a sound request, the synthesizer, or the
// librarian's send of the column the editor reports), and which control
// lookups a control change makes.
#include <gtest/gtest.h>

#include <vector>

#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/MIDIMessageSysEx.h"
#include "tests/support/fake_editor.h"

namespace {

IMidiMsg channelMessage(int status, int channel, int data1, int data2 = 0) {
  return IMidiMsg(0, static_cast<uint8_t>((status << 4) | channel), static_cast<uint8_t>(data1),
                  static_cast<uint8_t>(data2));
}

// An open output, local control off and every kind passing from both
// sources, unless a test says otherwise.
void passEverything(EditorFlags& flags) {
  flags.midiOutputOpen = true;
  flags.localControl = false;
  for (int kind = 0; kind < kNumMidiFilterKinds; ++kind)
    flags.hostFilter[kind] = flags.deviceFilter[kind] = false;
}

class ChannelServices : public ::testing::Test {
 protected:
  void SetUp() override {
    passEverything(editor.flags);
    // Jobs run on a clock that never waits: an unanswered request ends at once.
    editor.midiManager->sender->setSleepFunction([](int) {});
  }
  void fromDevice(IMidiMsg msg) { editor.midiManager->ProcessMidiMsgFromDevice(&msg); }
  void fromHost(IMidiMsg msg, int argument = 0) { editor.midiManager->ProcessMidiMsgFromDAW(&msg, argument); }
  FakeEditor editor;
};

TEST_F(ChannelServices, passOnFollowsSourceFilterAndLocalControl) {
  const struct {
    const char* why;
    bool host, filtered, localControl, outputOpen, passedOn;
  } kCases[] = {
      {"host MIDI always goes on", true, false, true, true, true},
      {"device MIDI goes back out without local control", false, false, false, true, true},
      {"device MIDI stays with local control on", false, false, true, true, false},
      {"a filtered kind goes nowhere", true, true, false, true, false},
      {"host MIDI without an output is ignored", true, false, false, false, false},
  };
  for (const auto& c : kCases) {
    FakeEditor fresh;
    passEverything(fresh.flags);
    fresh.flags.midiOutputOpen = c.outputOpen;
    fresh.flags.localControl = c.localControl;
    (c.host ? fresh.flags.hostFilter : fresh.flags.deviceFilter)[kFilterNotes] = c.filtered;
    IMidiMsg note = channelMessage(IMidiMsg::kNoteOn, 3, 60, 100);
    if (c.host)
      fresh.midiManager->ProcessMidiMsgFromDAW(&note, 0);
    else
      fresh.midiManager->ProcessMidiMsgFromDevice(&note);
    const std::vector<IMidiMsg> routed = fresh.calls().routed;
    ASSERT_EQ(routed.size(), c.passedOn ? 1u : 0u) << c.why;
    if (c.passedOn) {
      EXPECT_EQ(routed[0].mStatus, note.mStatus) << c.why;
      EXPECT_EQ(routed[0].mData1, 60) << c.why;
    }
  }
}

TEST_F(ChannelServices, controlChangeLooksUpTheSynthesizersControlsBeforeTheChannels) {
  // The synthesizer's table (key 0, table 0) wins over the channel's tables.
  IControl* synthesizers = editor.fileCCControl(kFilterCutoff, 0, 74, 0);
  IControl* channels = editor.fileCCControl(kFilterResonance, 5, 74, 1);
  fromHost(channelMessage(IMidiMsg::kControlChange, 4, 74, 64));
  EXPECT_DOUBLE_EQ(synthesizers->GetValue(), 64.0 / 127.0);
  EXPECT_DOUBLE_EQ(channels->GetValue(), 0.0);

  // Without one, the host's channel (key = channel + 1) finds its control.
  fromHost(channelMessage(IMidiMsg::kControlChange, 4, 71, 32));
  IControl* resonance = editor.fileCCControl(kFilterResonance, 5, 71, 1);
  fromHost(channelMessage(IMidiMsg::kControlChange, 4, 71, 32));
  EXPECT_DOUBLE_EQ(resonance->GetValue(), 32.0 / 127.0);
  EXPECT_EQ(editor.calls().routed.size(), 3u) << "host control changes go on with or without a control";
}

TEST_F(ChannelServices, localControlFollowsTheSynthesizersController) {
  editor.fileCCControl(kGlobalLocalControl, 0, 122, 0);
  fromDevice(channelMessage(IMidiMsg::kControlChange, 0, 122, 127));
  EXPECT_TRUE(editor.flags.localControl);
  fromDevice(channelMessage(IMidiMsg::kControlChange, 0, 122, 0));
  EXPECT_FALSE(editor.flags.localControl);
}

TEST_F(ChannelServices, programChangeGoesWhereTheModeSays) {
  // Outside the librarian: the host's program change is asked to go to the
  // synthesizer with its argument, the program's row is selected and the
  // sound is requested; the synthesizer's own is not passed on.
  fromHost(channelMessage(IMidiMsg::kProgramChange, 0, 12), 7);
  editor.midiManager->waitForJobs();
  ServiceCalls calls = editor.calls();
  ASSERT_EQ(calls.programChanges.size(), 1u);
  EXPECT_EQ(calls.programChanges[0], std::make_pair(12, 7));
  EXPECT_EQ(calls.selectedRows, std::vector<int>{12});
  ASSERT_FALSE(calls.checkedSends.empty());
  EXPECT_EQ(calls.checkedSends[0], VarnoSysEx::buildProgramRequest(0, 12)) << "the sound is asked for";
  ASSERT_FALSE(calls.indicatorStates.empty());
  EXPECT_TRUE(calls.indicatorStates.front()) << "the progress overlay shows while the request runs";
  EXPECT_FALSE(calls.indicatorStates.back()) << "and is gone after it";
  EXPECT_EQ(calls.routed.size(), 1u) << "the host's program change goes on";

  // In the librarian: the row is selected, the editor's lock is let go for
  // the pause, and the slot of the column the editor reports is sent.
  FakeEditor librarian;
  passEverything(librarian.flags);
  librarian.flags.librarianMode = true;
  librarian.librarianColumn = 1;
  IMidiMsg program = channelMessage(IMidiMsg::kProgramChange, 0, 120);
  librarian.midiManager->ProcessMidiMsgFromDevice(&program);
  calls = librarian.calls();
  EXPECT_EQ(calls.selectedRows, std::vector<int>{98}) << "programs above 98 are 98";
  EXPECT_EQ(calls.pauses, std::vector<int>{200});
  ASSERT_EQ(calls.librarianSends.size(), 1u);
  EXPECT_EQ(calls.librarianSends[0], std::make_pair(98, 1));
  EXPECT_TRUE(calls.programChanges.empty());
  EXPECT_TRUE(calls.routed.empty()) << "the synthesizer's program change is not passed on";
}

}  // namespace
