// The factories end to end: a small description with one control of each
// mapped knob, slider, button and menu kind is read into a GUI without a
// window; a mouse gesture (for a menu, its popup answer) on each control
// changes its parameter, the send contract turns the change into bytes,
// and those bytes, fed back through the manager's reverse lookups as the
// synthesizer would send them, find the same control.
#include "KIT/IModule/IGraphics.h"
#include "src/ControlActionSend.h"
#include "src/EditorParams.h"
#include "tests/uiconfig/factory_fixture.h"

namespace {

using FactoryIntegration = FactoryTest;

// Unframed templates: byte 2 the device place, then command, address,
// value (changing byte 7) and a trailing byte.
const char* const kSysEx =
    "<sysexlist>"
    "<sysex><values><value>3E 0B 58 41 20 01 00 00</value></values></sysex>"
    "<sysex><values><value>3E 0B 58 41 21 01 00 00</value></values></sysex>"
    "<sysex><values><value>3E 0B 58 41 22 01 00 00</value></values></sysex>"
    "<sysex><values><value>3E 0B 58 41 23 01 00 00</value></values></sysex>"
    "</sysexlist>";

const char* const kDescription =
    "<uiconfig><layer name=\"sound\">"
    "<knobcontrol type=\"ccKnob\" name=\"Cutoff\" paramId=\"kFilterCutoff\" imageId=\"KNOB_ID127\" "
    "position=\"10,10\" valueBounds=\"0,0,127,1\" ccNumber=\"74\" channel=\"1\"/>"
    "<knobcontrol type=\"msbLsbKnob\" name=\"Resonance\" paramId=\"kFilterResonance\" imageId=\"KNOB_ID127\" "
    "position=\"60,10\" valueBounds=\"0,0,127,1\" ccNumber=\"6\" msbValue=\"1\" lsbValue=\"0\" "
    "lsbControl=\"45\" "
    "channel=\"1\"/>"
    "<knobcontrol type=\"seKnob\" name=\"Volume\" paramId=\"kVolume\" imageId=\"KNOB_ID127\" "
    "position=\"110,10\" "
    "valueBounds=\"0,0,127,1\" sysexIndex=\"0\" changingByte=\"7\"/>"
    "<slidercontrol type=\"ccSliderVer\" name=\"Bend\" paramId=\"kPitchBendScale\" imageId=\"BG_RENAME_ID\" "
    "position=\"160,10\" length=\"100\" valueBounds=\"0,0,127\" ccNumber=\"20\" channel=\"1\"/>"
    "<slidercontrol type=\"seSliderHor\" name=\"Env\" paramId=\"kFilterCutoffEnv1Sens\" "
    "imageId=\"BG_RENAME_ID\" "
    "position=\"200,10\" length=\"100\" valueBounds=\"0,0,127,1\" sysexIndex=\"1\" changingByte=\"7\"/>"
    "<buttoncontrol type=\"ccButton\" name=\"Sustain\" paramId=\"kSustainSwitch\" imageId=\"BUTTON_RED_ID\" "
    "position=\"10,150\" valueBounds=\"0,0,127\" ccNumber=\"64\" channel=\"1\"/>"
    "<buttoncontrol type=\"msbLsbButton\" name=\"Arp\" paramId=\"kArpOnOff\" imageId=\"BUTTON_RED_ID\" "
    "position=\"60,150\" valueBounds=\"0,0,1\" ccNumber=\"6\" msbValue=\"2\" lsbValue=\"0\" lsbControl=\"7\" "
    "channel=\"1\"/>"
    "<buttoncontrol type=\"seButton\" name=\"Sync\" paramId=\"kOscillator2Sync\" imageId=\"BUTTON_RED_ID\" "
    "position=\"110,150\" valueBounds=\"0\" sysexIndex=\"2\" changingByte=\"7\"/>"
    "<menucontrol type=\"ccMenu\" name=\"Source\" paramId=\"kFilterCutoffModSource\" position=\"10,200\" "
    "length=\"60\" valueBounds=\"0,0,4\" valueDisplay=\"0:3\" ccNumber=\"21\" channel=\"1\"/>"
    "<menucontrol type=\"msbLsbMenu\" name=\"Pitch source\" paramId=\"kPitchModSource\" position=\"80,200\" "
    "length=\"60\" valueBounds=\"0,0,4\" valueDisplay=\"0:3\" ccNumber=\"6\" msbValue=\"3\" lsbValue=\"0\" "
    "lsbControl=\"9\" channel=\"1\"/>"
    "<menucontrol type=\"seMenu\" name=\"Portamento\" paramId=\"kPortamentoMode\" position=\"150,200\" "
    "length=\"60\" valueBounds=\"0,0,4\" valueDisplay=\"0:3\" sysexIndex=\"3\" changingByte=\"7\"/>"
    "</layer></uiconfig>";

constexpr int kDeviceId = 0x58;

enum Gesture { kDragUp, kClickNearTop, kClickRightHalf, kClick, kPickThirdItem };

struct Row {
  const char* what;
  int paramIdx;
  Gesture gesture;
};

const Row kRows[] = {
    {"CC knob", kFilterCutoff, kDragUp},
    {"MSB/LSB knob", kFilterResonance, kDragUp},
    {"SysEx knob", kVolume, kDragUp},
    {"CC slider", kPitchBendScale, kClickNearTop},
    {"SysEx slider", kFilterCutoffEnv1Sens, kClickRightHalf},
    {"CC button", kSustainSwitch, kClick},
    {"MSB/LSB button", kArpOnOff, kClick},
    {"SysEx button", kOscillator2Sync, kClick},
    {"CC menu", kFilterCutoffModSource, kPickThirdItem},
    {"MSB/LSB menu", kPitchModSource, kPickThirdItem},
    {"SysEx menu", kPortamentoMode, kPickThirdItem},
};

void perform(IGraphics* gui, IControl* control, IParam* param, Gesture gesture) {
  const IRECT r = control->GetRECT();
  IMouseMod left(true);
  const int cx = (r.L + r.R) / 2, cy = (r.T + r.B) / 2;
  switch (gesture) {
    case kDragUp:
      gui->OnMouseDown(cx, cy, &left);
      for (int step = 1; step <= 10; ++step) gui->OnMouseDrag(cx, cy - 4 * step, &left);
      gui->OnMouseUp(cx, cy - 40, &left);
      break;
    case kClickNearTop:
      gui->OnMouseDown(cx, r.T + (r.B - r.T) / 4, &left);
      gui->OnMouseUp(cx, r.T + (r.B - r.T) / 4, &left);
      break;
    case kClickRightHalf:
      gui->OnMouseDown(r.L + 3 * (r.R - r.L) / 4, cy, &left);
      gui->OnMouseUp(r.L + 3 * (r.R - r.L) / 4, cy, &left);
      break;
    case kClick:
      gui->OnMouseDown(cx, cy, &left);
      gui->OnMouseUp(cx, cy, &left);
      break;
    case kPickThirdItem:
      // The popup's answer: the test editor's parameters are integers from
      // the start, so the GUI offers them a text field, not the list.
      control->SetValueFromUserInput(param->GetNormalized(2));
      break;
  }
}

}  // namespace

TEST_F(FactoryIntegration, GesturesSendTheMappedBytesAndTheBytesFindTheirControl) {
  gui->serveText("sysex.tea", kSysEx);
  gui->serveText("uiconfig.tea", kDescription);
  build();
  // Layers start hidden; the editor shows them by name.
  ASSERT_EQ(1u, real->layersByName.count("sound"));
  real->layersByName["sound"]->Hide(false);

  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    ControlAction* record = action(row.paramIdx);
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(1u, record->controls.size());
    IControl* control = record->controls[0];
    perform(gui.get(), control, param(row.paramIdx), row.gesture);

    IParam* p = param(row.paramIdx);
    const int v = p->Int();
    EXPECT_GT(v, 0) << "the gesture moved the parameter";
    ControlChange change;
    change.paramIndex = row.paramIdx;
    change.value = p->Value();
    change.normalizedValue = p->GetNormalized();
    change.midiOutputOpen = true;
    change.pluginReady = true;
    change.globalMidiChannel = 1;
    change.deviceId = kDeviceId;
    const ControlActionOutcome outcome = processControlActionChange(record, change);
    ASSERT_EQ(ControlActionResult::kProcessed, outcome.result);
    ASSERT_TRUE(outcome.send);
    ASSERT_FALSE(outcome.messages.empty());

    IControl* found = nullptr;
    switch (record->kind) {
      case kActionCC:
      case kActionCCSwitch: {
        ASSERT_EQ(1u, outcome.messages.size());
        const IMidiMsg& cc = outcome.messages[0].controlChange;
        EXPECT_EQ(0xB0, cc.mStatus);
        EXPECT_EQ(record->ccNumber, cc.mData1);
        EXPECT_EQ(record->kind == kActionCC ? v : record->onValue, cc.mData2);
        // Incoming: channel 0 with key 0 first, as the MIDI input does.
        found = findCCControl(real->ccControls, 0, cc.mData1, 0);
        break;
      }
      case kActionMsbLsb: {
        ASSERT_EQ(3u, outcome.messages.size());
        const IMidiMsg& msb = outcome.messages[0].controlChange;
        const IMidiMsg& lsb = outcome.messages[1].controlChange;
        const IMidiMsg& data = outcome.messages[2].controlChange;
        EXPECT_EQ(99, msb.mData1);
        EXPECT_EQ(98, lsb.mData1);
        EXPECT_EQ(record->ccNumber, data.mData1);
        EXPECT_EQ(v + record->valueOffset, data.mData2);
        // A top-level control is filed under the channel key instance + 1 =
        // 0, the channel its control changes leave on for global channel 1;
        // the value offset is what the data byte holds beyond the value.
        found =
            real->nrpnControls.findControl((data.mStatus & 0x0F), msb.mData2, data.mData2 - v, lsb.mData2, 0);
        break;
      }
      default: {
        ASSERT_EQ(1u, outcome.messages.size());
        const std::vector<uint8_t>& sysex = outcome.messages[0].sysex;
        ASSERT_EQ(8u, sysex.size());
        EXPECT_EQ(kDeviceId, sysex[2]);
        EXPECT_EQ(v, sysex[6]);
        for (const uint8_t byte : sysex) EXPECT_LE(byte, 0x7F);
        // As the synthesizer sends it, framed: bytes 3..6 name the parameter.
        std::vector<uint8_t> framed = {0xF0};
        framed.insert(framed.end(), sysex.begin(), sysex.end());
        framed.push_back(0xF7);
        found = real->sysexControls.findControl(framed[3], framed[4], framed[5], framed[6], 0);
        break;
      }
    }
    EXPECT_EQ(control, found);
    // A value from the synthesizer goes to the control and is not echoed.
    record->resetLastValue();
    change.fromHardware = true;
    EXPECT_FALSE(processControlActionChange(record, change).send);
  }
  releaseControlActions(editor.get());
}

namespace {

// A mapped control's record names its timbre: the multilayer instance it was
// made in, or outside a multilayer its channel attribute less one.
TEST_F(FactoryIntegration, RecordsNameTheTimbreOfTheirControl) {
  gui->serveText("sysex.tea", kSysEx);
  gui->serveText(
      "uiconfig.tea",
      "<uiconfig><layer name=\"sound\">"
      "<knobcontrol type=\"ccKnob\" name=\"Cutoff\" paramId=\"kFilterCutoff\" imageId=\"KNOB_ID127\" "
      "position=\"10,10\" valueBounds=\"0,0,127,1\" ccNumber=\"74\" channel=\"3\"/>"
      "<multilayer name=\"timbres\" create=\"2\">"
      "<knobcontrol type=\"ccKnob\" name=\"Res\" paramId=\"kFilterResonance\" imageId=\"KNOB_ID127\" "
      "position=\"60,10\" valueBounds=\"0,0,127,1\" ccNumber=\"71\" channel=\"1\"/>"
      "</multilayer></layer></uiconfig>");
  build();
  ASSERT_NE(nullptr, action(kFilterCutoff));
  EXPECT_EQ(2, action(kFilterCutoff)->timbreIndex);
  ASSERT_NE(nullptr, action(kFilterResonance));
  EXPECT_EQ(0, action(kFilterResonance)->timbreIndex);
  ASSERT_NE(nullptr, action(kFilterResonance + 1));
  EXPECT_EQ(1, action(kFilterResonance + 1)->timbreIndex);
}

}  // namespace

namespace {

// A control that sends a control change or an MSB/LSB pair and names a
// SysEx template is found by that template's single-parameter address too
// (the synthesizer may send either for the same parameter), and still
// sends what its type says; the second timbre's copy by the second
// timbre's address.
TEST_F(FactoryIntegration, ControlsNamingATemplateAreFoundByItsAddressToo) {
  gui->serveText("sysex.tea",
                 "<sysexlist>"
                 "<sysex><values><value>3E 0B 58 41 20 01 00 00</value></values></sysex>"
                 "<sysex><values><value>3E 0B 58 41 21 01 00 00</value></values></sysex>"
                 "<sysex><values><value>3E 0B 58 41 22 01 00 00</value></values></sysex>"
                 "<sysex><values><value>3E 0B 58 41 23 01 00 00</value></values></sysex>"
                 "<sysex><values><value>3E 0B 58 41 24 01 00 00</value></values></sysex>"
                 "</sysexlist>");
  gui->serveText(
      "uiconfig.tea",
      "<uiconfig><layer name=\"sound\">"
      "<knobcontrol type=\"ccKnob\" name=\"Cutoff\" paramId=\"kFilterCutoff\" imageId=\"KNOB_ID127\" "
      "position=\"10,10\" valueBounds=\"0,0,127,1\" ccNumber=\"74\" sysexIndex=\"0\" changingByte=\"7\"/>"
      "<buttoncontrol type=\"ccButton\" name=\"Sync\" paramId=\"kOscillator2Sync\" imageId=\"BUTTON_RED_ID\" "
      "position=\"10,150\" valueBounds=\"0,0,1\" ccNumber=\"41\" sysexIndex=\"1\" changingByte=\"7\"/>"
      "<menucontrol type=\"ccMenu\" name=\"Source\" paramId=\"kFilterCutoffModSource\" position=\"10,200\" "
      "valueBounds=\"0,0,4\" valueDisplay=\"0:3\" ccNumber=\"79\" sysexIndex=\"2\" changingByte=\"7\"/>"
      "<knobcontrol type=\"msbLsbKnob\" name=\"Resonance\" paramId=\"kFilterResonance\" "
      "imageId=\"KNOB_ID127\" position=\"60,10\" valueBounds=\"0,0,127,1\" ccNumber=\"6\" msbValue=\"1\" "
      "lsbControl=\"45\" sysexIndex=\"3\" changingByte=\"7\"/>"
      "<slidercontrol type=\"ccSliderVer\" name=\"Volume\" paramId=\"kVolume\" imageId=\"BG_RENAME_ID\" "
      "position=\"160,10\" length=\"100\" valueBounds=\"0,0,127\" ccNumber=\"80\"/>"
      "<knobcontrol type=\"ccKnob\" name=\"Pan\" paramId=\"kPanning\" imageId=\"KNOB_ID127\" "
      "position=\"110,10\" valueBounds=\"0,0,127,1\" ccNumber=\"10\" sysexIndex=\"9\" changingByte=\"7\"/>"
      "<multilayer name=\"timbres\" create=\"2\">"
      "<knobcontrol type=\"ccKnob\" name=\"Speed\" paramId=\"kLFO1Speed\" imageId=\"KNOB_ID127\" "
      "position=\"60,60\" valueBounds=\"0,0,127,1\" ccNumber=\"50\" sysexIndex=\"4\" changingByte=\"7\"/>"
      "</multilayer></layer></uiconfig>");
  build();

  const struct {
    const char* what;
    int paramIdx;
    int kind;
    int c, d;  // the address; -1 when the control names no template
  } kCases[] = {
      {"CC knob", kFilterCutoff, kActionCC, 0x20, 0x01},
      {"CC button", kOscillator2Sync, kActionCCSwitch, 0x21, 0x01},
      {"CC menu", kFilterCutoffModSource, kActionCC, 0x22, 0x01},
      {"MSB/LSB knob", kFilterResonance, kActionMsbLsb, 0x23, 0x01},
      {"CC slider without a template", kVolume, kActionCC, -1, -1},
      {"CC knob naming no template", kPanning, kActionCC, -1, -1},
      {"first timbre", kLFO1Speed, kActionCC, 0x24, 0x01},
      {"second timbre", kLFO1Speed + 1, kActionCC, 0x34, 0x02},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    ControlAction* record = action(c.paramIdx);
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(1u, record->controls.size());
    EXPECT_EQ(c.kind, record->kind) << "what the control sends stays its type's";
    EXPECT_TRUE(record->sysex.messages.empty());
    if (c.kind != kActionMsbLsb) {
      EXPECT_EQ(record->controls[0], findCCControl(real->ccControls, record->channel, record->ccNumber, 0));
    }
    if (c.c >= 0) {
      EXPECT_EQ(record->controls[0], real->sysexControls.findControl(0x58, 0x41, c.c, c.d, 0));
    }
  }
  EXPECT_EQ(nullptr, real->sysexControls.findControl(0x58, 0x41, 0x25, 0x01, 0));
  EXPECT_TRUE(logged("SysEx entry 9 of control \"Pan\" has no template"));
}

}  // namespace
