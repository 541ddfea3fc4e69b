// What the editor does when its MIDI ports tell of a server or a port that
// went away, or of messages dropped; and its pauses, which never hold the
// plug's lock: a SysEx from the synthesizer is handled while a program step
// waits for its answer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/ITextControls.h"
#include "tests/editor/midi_test_env.h"

namespace {

using Bytes = MidiEditor::Bytes;

class PortEvents : public MidiEditorTest {
 protected:
  bool WithLog() const override { return true; }
  // The text a display line shows after a GUI tick.
  std::string shown(int index) {
    IRECT area;
    if (editor->GetGUI()) editor->GetGUI()->IsDirty(&area);
    ITextControl* display = dynamic_cast<ITextControl*>(editor->firstControlOf(index));
    if (!display) return "<no display>";
    KIT_String text;
    display->GetTextCopy(&text);
    return text.Get();
  }
  bool logged(const std::string& line) {
    for (const std::string& l : LogLines())
      if (l == line) return true;
    return false;
  }
};

struct PortEventCase {
  const char* name;
  EMidiPortEvent event;
  const char* detail;
  const char* status;   // the status line after it
  const char* logLine;  // a line of the log
  int closedSelection;  // the port choice that goes to "OFF", or -1
};
void PrintTo(const PortEventCase& c, std::ostream* out) { *out << c.name; }

class PortEventTable : public PortEvents, public ::testing::WithParamInterface<PortEventCase> {};

TEST_P(PortEventTable, IsSaidInTheStatusLineAndTheLogAndALostPortIsClosed) {
  const PortEventCase& c = GetParam();
  setParam(kDeviceInSelection, 1);
  setParam(kDeviceOutSelection, 1);
  editor->flags.midiOutputOpen = true;
  editor->OnExternalMIDIPortEvent(c.event, c.detail);
  EXPECT_EQ(shown(kControlDisplayName), c.status);
  EXPECT_TRUE(logged(c.logLine)) << c.logLine;
  for (int selection : {kDeviceInSelection, kDeviceOutSelection})
    EXPECT_EQ(editor->GetParam(selection)->Value(), selection == c.closedSelection ? 0.0 : 1.0) << selection;
  // Without an output the editor sends nothing more (and says so).
  EXPECT_EQ(editor->flags.midiOutputOpen.load(), c.closedSelection != kDeviceOutSelection);
}

INSTANTIATE_TEST_SUITE_P(
    Events, PortEventTable,
    ::testing::Values(
        PortEventCase{"ServerGone", kMidiServerGone, "", "MIDI server stopped - reselect!",
                      "MIDI: the MIDI server went away; choose the ports again once it runs", -1},
        PortEventCase{"InputGone", kMidiInPortGone, "varno:Varno Out", "MIDI In port lost - reselect!",
                      "MIDI: MIDI In port varno:Varno Out went away; it is closed", kDeviceInSelection},
        PortEventCase{"OutputGone", kMidiOutPortGone, "varno:Varno In", "MIDI Out port lost - reselect!",
                      "MIDI: MIDI Out port varno:Varno In went away; it is closed", kDeviceOutSelection},
        PortEventCase{"InputDropped", kMidiInDropped, "12", "MIDI In: 12 messages dropped!",
                      "MIDI: 12 incoming messages dropped: they came faster than the editor could take them",
                      -1},
        PortEventCase{"OutputDropped", kMidiOutDropped, "3", "MIDI Out: 3 messages lost!",
                      "MIDI: 3 outgoing messages could not be sent", -1}),
    [](const ::testing::TestParamInfo<PortEventCase>& info) { return std::string(info.param.name); });

TEST_F(PortEvents, APortChosenButNotFoundIsSaid) {
  // The built bundle lists the ports of a server that does not exist: none
  // but "OFF". A name the list holds but no port carries is what a port
  // gone since looks like.
  IParam* input = editor->GetParam(kDeviceInSelection);
  ASSERT_NE(input, nullptr);
  input->SetDisplayText(1, "gone:port");
  setParam(kDeviceInSelection, 1);
  editor->OnParamChange(kDeviceInSelection);
  EXPECT_EQ(input->Value(), 0.0);
  EXPECT_EQ(shown(kControlDisplayValue), "Cannot open gone:port");
  EXPECT_TRUE(logged("MIDI: MIDI In port gone:port could not be opened"));
}

// A program step sends the bank change, requests the program and waits for
// the answer: the incoming SysEx path takes the plug's lock meanwhile.
TEST_F(PortEvents, AProgramStepLetsTheIncomingSysExInWhileItWaits) {
  setParam(kLibSyncTimer, 3);  // the handshake wait: 500 ms
  setParam(kPatchDown, 1);
  editor->flags.midiOutputOpen = true;
  std::atomic<bool> stepping{true};
  std::thread step([&] {
    editor->OnParamChange(kPatchDown);
    stepping = false;
  });
  // The step is under way, in its pauses, once the bank select went out.
  const Bytes bankSelect = {0xB0, 0x00, 0x00};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  bool sent = false;
  while (!sent && std::chrono::steady_clock::now() < deadline) {
    for (const Bytes& m : editor->shortMessages()) sent = sent || m == bankSelect;
    if (!sent) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(sent);
  // A single-parameter message of the synthesizer: handled at once.
  const Bytes parameter = {0xF0, 0x3E, 0x0B, 0x00, 0x58, 0x41, 0x43, 0x01, 0x20, 0xF7};
  ISysEx sysex(0, parameter.data(), static_cast<int32_t>(parameter.size()));
  editor->ProcessSysEx(&sysex, true);
  EXPECT_TRUE(stepping.load()) << "the SysEx waited until the step's pauses were over";
  step.join();
}

}  // namespace
