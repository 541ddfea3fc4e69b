// The Varno's panel moves the shipped window's controls: for every sound
// parameter, whatever the simulated Varno's core transmits for a panel
// change under each Control X setting (control change, single-parameter
// message, or both) reaches the editor through its MIDI input gates and
// brings the parameter and its control to the Varno's value, without
// anything going back to the Varno.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IParam.h"
#include "tests/protocol/protocol_editor.h"
#include "tools/varno-sim/VarnoSynth.h"

namespace {

// Lowest, middle and highest value; the middle one even, as the tunes
// travel (the editor's tune knobs step by two).
std::vector<int> probeValues(const varno::SoundParameter& parameter) {
  const int middle = (parameter.minimum + (parameter.maximum - parameter.minimum) / 2) & ~1;
  return {parameter.maximum, std::max(middle, parameter.minimum), parameter.minimum};
}

void deliver(ProtocolEditor& editor, const varno::Bytes& message) {
  if (message.size() == 3) {
    IMidiMsg msg(0, message[0], message[1], message[2]);
    editor.ProcessMidiMsg(&msg, true);
    return;
  }
  std::vector<uint8_t> bytes(message.begin(), message.end());
  ISysEx sysex(0, bytes.data(), static_cast<int32_t>(bytes.size()));
  editor.ProcessSysEx(&sysex, true);
}

TEST(VarnoPanel, everySoundParameterFollowsThePanelInEachTransmitMode) {
  const struct {
    int controlX;
    const char* sends;
  } kModes[] = {{0, "control changes"}, {1, "single-parameter messages"}, {2, "both"}};
  for (const auto& mode : kModes) {
    SCOPED_TRACE(mode.sends);
    ProtocolEditor editor;
    editor.flags.midiOutputOpen = true;  // so that an echo would be seen
    // The Varno's local control as it starts, ALLOWED: its panel plays its
    // own sound, so what the panel sends is not passed back to it.
    editor.set(kGlobalLocalControl, 1);
    editor.flags.localControl = true;
    varno::Synth varno;
    ASSERT_TRUE(varno.setValue(varno::kIndexGlobalControlX, mode.controlX));
    for (int index = 0; index < varno::kSoundParameterCount; ++index) {
      const varno::SoundParameter& parameter = *varno::soundParameter(index);
      SCOPED_TRACE(parameter.name);
      const IParam* param = editor.GetParam(index);
      IControl* control = editor.firstControlOf(index);
      ASSERT_NE(control, nullptr);
      for (const int value : probeValues(parameter)) {
        const std::vector<varno::Bytes> sent = varno.turn(index, value);
        ASSERT_FALSE(sent.empty());
        if (mode.controlX == 1 && parameter.addressLow >= 0) {
          ASSERT_EQ(sent[0].size(), 10u);
        }
        for (const varno::Bytes& message : sent) deliver(editor, message);
        editor.watch();
        EXPECT_EQ(editor.value(index), varno.value(index)) << "value " << value;
        EXPECT_DOUBLE_EQ(control->GetValue(), param->GetNormalized()) << "value " << value;
      }
    }
    EXPECT_TRUE(editor.sent().empty()) << "SysEx went back to the Varno";
    for (const Bytes& raw : editor.rawSends()) {
      std::string hex;
      for (const uint8_t byte : raw) hex += " " + std::to_string(byte);
      ADD_FAILURE() << "went back to the Varno:" << hex;
    }
  }
}

}  // namespace
