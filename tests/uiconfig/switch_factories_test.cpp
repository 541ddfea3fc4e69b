// The switch and button factories: the parameter each initialises, the
// control it builds and where, and the MIDI record and reverse lookup of
// the buttons mapped to a control change, an MSB/LSB pair or SysEx.
#include <functional>

#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/IGraphics.h"
#include "src/ICustomRadioButtonsControl.h"
#include "tests/uiconfig/factory_fixture.h"

namespace {

using SwitchFactories = FactoryTest;

constexpr int kParam = 20;
constexpr int kPartner = 30;

enum Factory { kRadio, kBool, kContact, kAutoOff, kCCButton, kMsbLsbButton, kSysExButton };

struct SwitchCase {
  const char* what;
  Factory factory;
  int instance;
  const char* layer;  // null: attached to the GUI
  const char* image;
  const char* name;  // the parameter's name
  double max;
  int kind;
  int channel;  // of the record
  bool meta;
};

const SwitchCase kSwitchCases[] = {
    {"radio", kRadio, -1, "sound", "BUTTON_RED_ID", "Mode", 3, kActionNone, -1, true},
    {"radio with frames side by side", kRadio, 1, nullptr, "BUTTON_LIB_DISCARD_ID", "Mode", 3, kActionNone,
     -1, true},
    {"switch", kBool, -1, nullptr, "BUTTON_RED_ID", "Sync", 1, kActionNone, -1, false},
    {"momentary", kContact, 0, "sound", "BUTTON_RED_ID", "Tap", 1, kActionNone, -1, false},
    {"auto-off", kAutoOff, -1, "sound", "BUTTON_RED_ID", "Store", 1, kActionNone, -1, false},
    {"CC button outside a mixer", kCCButton, 1, "sound", "BUTTON_RED_ID", "[2] Mono", 1, kActionCCSwitch, 2,
     false},
    {"CC button in a mixer", kCCButton, 1, "miniMixer", "BUTTON_RED_ID", "[2] Mono", 1, kActionCCSwitch, 9,
     false},
    {"CC button in additional settings", kCCButton, 2, "additionalSettingsPart3", "BUTTON_RED_ID", "[3] Mono",
     1, kActionCCSwitch, 3, false},
    {"CC button without a layer", kCCButton, -1, nullptr, "BUTTON_RED_ID", "Mono", 1, kActionCCSwitch, 0,
     false},
    {"MSB/LSB button", kMsbLsbButton, 0, "sound", "BUTTON_RED_ID", "[1] Legato", 1, kActionMsbLsb, 1, false},
    {"MSB/LSB button in additional settings", kMsbLsbButton, 2, "additionalSettingsPart3", "BUTTON_RED_ID",
     "[3] Legato", 1, kActionMsbLsb, 9, false},
    {"SysEx button", kSysExButton, -1, "sound", "BUTTON_RED_ID", "Glide", 1, kActionSysExSwitch, -1, false},
};

void make(UIConfigManager& m, const SwitchCase& c, ControlLayer* layer, int x, int y) {
  const LinkInfo noLink;
  switch (c.factory) {
    case kRadio:
      m.createRadioControl("Mode", kParam, x, y, c.image, 4, c.instance, layer, "Osc");
      break;
    case kBool:
      m.createBoolControl("Sync", kParam, 1, x, y, c.image, c.instance, layer, "Osc");
      break;
    case kContact:
      m.createSwitchControl("Tap", kParam, 0, x, y, c.image, c.instance, layer, "Osc");
      break;
    case kAutoOff:
      m.createAutoOffSwitchControl("Store", kParam, x, y, c.image, c.instance, layer, "Osc");
      break;
    case kCCButton:
      m.createCCBoolControl(65, 9, "Mono", kParam, x, y, c.image, 0, 10.9, 100.2, noLink, c.instance, layer,
                            "Osc");
      break;
    case kMsbLsbButton:
      m.createMsbLsbBoolControl(6, 1, 40, 2, 9, "Legato", kParam, x, y, c.image, 1, 0, 127, noLink,
                                c.instance, layer, "Osc");
      break;
    case kSysExButton:
      m.createSysExBoolControl("Glide", kParam, x, y, c.image, 0, 0, 0, 8, c.instance, noLink, layer, "Osc");
      break;
  }
}

}  // namespace

TEST_F(SwitchFactories, ParameterControlAndRecordAtEveryScale) {
  for (const double s : kFactoryScales) {
    for (const SwitchCase& c : kSwitchCases) {
      SCOPED_TRACE(std::string(c.what) + " at scale " + std::to_string(s));
      build(s);
      param(kParam)->SetIsMeta(false);  // the editor's parameters outlive a row
      ControlLayer* in = c.layer ? layer(c.layer) : nullptr;
      const int guiControls = gui->NControls();
      make(*real, c, in, 101, 47);

      IControl* control = lastControl(in);
      ASSERT_NE(nullptr, control);
      if (in) {
        EXPECT_EQ(guiControls, gui->NControls()) << "a control in a layer is not the GUI's own";
      }
      EXPECT_EQ(kParam, control->ParamIdx());
      EXPECT_STREQ(c.name, param(kParam)->GetNameForHost());
      EXPECT_STREQ(c.instance >= 0 ? ("Timbre " + std::to_string(c.instance + 1) + ":Osc").c_str() : "Osc",
                   param(kParam)->GetParamGroupForHost());
      EXPECT_EQ(0.0, param(kParam)->GetMin());
      EXPECT_EQ(c.max, param(kParam)->GetMax());
      EXPECT_EQ(1.0, param(kParam)->GetStep());
      EXPECT_EQ(c.meta, param(kParam)->GetIsMeta());

      const IBitmap bitmap = real->getImageByName(gui.get(), c.image);
      ASSERT_GT(bitmap.W, 0);
      const int left = static_cast<int>(101 * s), top = static_cast<int>(47 * s);
      if (c.factory == kRadio) {
        EXPECT_NE(nullptr, dynamic_cast<ICustomRadioButtonsControl*>(control));
        const IRECT expected = bitmap.mFramesAreHorizontal
                                   ? IRECT(left, top, left + bitmap.W / 2, top + bitmap.H)
                                   : IRECT(left, top, left + bitmap.W, top + bitmap.H / 2);
        EXPECT_EQ(expected, control->GetRECT());
      } else {
        const bool momentary = c.factory == kContact || c.factory == kAutoOff;
        EXPECT_EQ(momentary, dynamic_cast<IContactControl*>(control) != nullptr);
        EXPECT_NE(nullptr, dynamic_cast<ISwitchControl*>(control));
        EXPECT_EQ(frameRect(c.image, 101, 47), control->GetRECT());
      }

      ControlAction* record = action(kParam);
      ASSERT_NE(nullptr, record);
      EXPECT_EQ(c.kind, record->kind);
      EXPECT_EQ(c.channel, record->channel);
      ASSERT_FALSE(record->controls.empty());
      EXPECT_EQ(control, record->controls.back());
      releaseControlActions(editor.get());
    }
  }
}

TEST_F(SwitchFactories, ButtonRecordsAndReverseLookups) {
  build();
  ControlLayer* sound = layer("sound");
  real->createCCBoolControl(65, 9, "Mono", kParam, 0, 0, "BUTTON_RED_ID", 0, 10.9, 100.2, LinkInfo(), 1,
                            sound, "");
  ControlAction* cc = action(kParam);
  EXPECT_EQ(65, cc->ccNumber);
  EXPECT_EQ(0, cc->mixerLayer);
  EXPECT_EQ(10, cc->offValue);
  EXPECT_EQ(100, cc->onValue);
  EXPECT_EQ(lastControl(sound), findCCControl(real->ccControls, 2, 65, 0));
  EXPECT_EQ(nullptr, findCCControl(real->ccControls, 9, 65, 0));

  real->createMsbLsbBoolControl(6, 1, 40, 2, 9, "Legato", kParam + 1, 0, 0, "BUTTON_RED_ID", 1, 0, 127,
                                LinkInfo(kPartner, 31, 5), 0, sound, "");
  ControlAction* nrpn = action(kParam + 1);
  EXPECT_EQ(6, nrpn->ccNumber);
  EXPECT_EQ(1, nrpn->msbValue);
  EXPECT_EQ(40, nrpn->valueOffset);
  EXPECT_EQ(2, nrpn->lsbControl);
  EXPECT_EQ(1, nrpn->channel);
  EXPECT_EQ(127, nrpn->onValue);
  EXPECT_TRUE(param(kParam + 1)->Bool());
  EXPECT_EQ(lastControl(sound), real->nrpnControls.findControl(1, 1, 40, 2, 0));
  // The link and its partner's back-link, the partner index used as given.
  EXPECT_EQ(LinkInfo(kPartner, 31, 5), nrpn->link);
  ASSERT_NE(nullptr, action(kPartner));
  EXPECT_EQ(kActionSysEx, action(kPartner)->kind);
  EXPECT_EQ(LinkInfo(kParam + 1, 31, -1), action(kPartner)->link);
}

TEST_F(SwitchFactories, LastButtonOfAKeyWinsAndARadioKeepsTheMapping) {
  build();
  ControlLayer* sound = layer("sound");
  real->createCCBoolControl(70, 1, "A", kParam, 0, 0, "BUTTON_RED_ID", 0, 0, 127, LinkInfo(), 0, sound, "");
  IControl* first = lastControl(sound);
  real->createCCBoolControl(70, 1, "B", kParam + 1, 0, 0, "BUTTON_RED_ID", 0, 0, 127, LinkInfo(), 0, sound,
                            "");
  IControl* second = lastControl(sound);
  EXPECT_EQ(second, findCCControl(real->ccControls, 1, 70, 0));
  EXPECT_EQ(first, action(kParam)->controls[0]);

  real->createRadioControl("R", kParam, 0, 0, "BUTTON_RED_ID", 3, 0, sound, "");
  ControlAction* shared = action(kParam);
  EXPECT_EQ(kActionNone, shared->kind);
  EXPECT_EQ(70, shared->ccNumber);
  ASSERT_EQ(2u, shared->controls.size());
  EXPECT_EQ(lastControl(sound), shared->controls[1]);
}

TEST_F(SwitchFactories, SysExButtonMessagesAndHeaderKey) {
  struct Case {
    int changingByte;
    int instance;
    std::vector<int32_t> first, second;
    int key[4];
  };
  const Case cases[] = {
      {8,
       -1,
       {0xF0, 0x3E, 0x16, 0x00, 0x20, 0x01, 0x05, 0x00, 0xF7},
       {0xF0, 0x3E, 0x16, 0x00, 0x20, 0x01, 0x05, 0x01, 0xF7},
       {0x00, 0x20, 0x01, 0x05}},
      {8,
       1,
       {0xF0, 0x3E, 0x16, 0x00, 0x30, 0x02, 0x05, 0x00, 0xF7},
       {0xF0, 0x3E, 0x16, 0x00, 0x30, 0x02, 0x05, 0x01, 0xF7},
       {0x00, 0x30, 0x02, 0x05}},
      {7,
       -1,
       {0xF0, 0x3E, 0x16, 0x00, 0x20, 0x01, 0x00, 0x00, 0xF7},
       {0xF0, 0x3E, 0x16, 0x00, 0x20, 0x01, 0x01, 0x00, 0xF7},
       {0x16, 0x00, 0x20, 0x01}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("changing byte " + std::to_string(c.changingByte) + ", instance " +
                 std::to_string(c.instance));
    build();
    ControlLayer* sound = layer("sound");
    real->createSysExBoolControl("Glide", kParam, 0, 0, "BUTTON_RED_ID", 1, 0, 0, c.changingByte, c.instance,
                                 LinkInfo(), sound, "");
    ControlAction* record = action(kParam);
    ASSERT_EQ(2u, record->sysex.messages.size());
    EXPECT_EQ(c.first, record->sysex.messages[0]);
    EXPECT_EQ(c.second, record->sysex.messages[1]);
    EXPECT_EQ(-1, record->ccNumber);
    EXPECT_EQ(-1, record->channel);
    EXPECT_EQ(lastControl(sound), real->sysexControls.findControl(c.key[0], c.key[1], c.key[2], c.key[3], 0));
    releaseControlActions(editor.get());
  }
}

// A column of lights mapped to a control change: an integer parameter of
// one value per light, a radio group over the lights and their names, and
// the CC knob's record, channel rule and lookup.
TEST_F(SwitchFactories, CCLightsAreARadioColumnMappedToTheirController) {
  const struct {
    const char* what;
    const char* layer;
    int instance;
    int channel;     // of the record
    int mixerLayer;  // of the record and the lookup key
  } kCases[] = {
      {"in a sound layer", "sound", -1, 0, 0},
      {"in a timbre", "sound", 1, 2, 0},
      {"in a mixer", "miniMixer", 1, 9, 1},
  };
  for (const double s : kFactoryScales) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(std::string(c.what) + " at scale " + std::to_string(s));
      build(s);
      ControlLayer* in = layer(c.layer);
      real->createCCRadioControl(34, 9, "Shape", kParam, 101, 47, 80, "LED_QUAD_ID", 2, 0, 3, c.instance, in,
                                 "Osc");
      auto* lights = dynamic_cast<ICustomRadioButtonsControl*>(lastControl(in));
      ASSERT_NE(nullptr, lights);
      EXPECT_TRUE(lights->IsLightColumn());
      EXPECT_EQ(4, lights->NButtons());
      const IRECT frame = frameRect("LED_QUAD_ID", 101, 47);
      EXPECT_EQ(IRECT(frame.L, frame.T, frame.L + static_cast<int>(80 * s), frame.B), lights->GetRECT())
          << "the lights and their names";

      IParam* p = param(kParam);
      EXPECT_EQ(IParam::kTypeInt, p->Type());
      EXPECT_EQ(0.0, p->GetMin());
      EXPECT_EQ(3.0, p->GetMax());
      EXPECT_EQ(2.0, p->GetDefault());
      ControlAction* record = action(kParam);
      ASSERT_NE(nullptr, record);
      EXPECT_EQ(kActionCC, record->kind);
      EXPECT_EQ(34, record->ccNumber);
      EXPECT_EQ(c.channel, record->channel);
      EXPECT_EQ(c.mixerLayer, record->mixerLayer);
      EXPECT_EQ(lights, findCCControl(real->ccControls, c.channel, 34, c.mixerLayer));
      releaseControlActions(editor.get());
    }
  }
}

TEST_F(SwitchFactories, LightsWithoutOneFramePerValueAreRefused) {
  build();
  ControlLayer* sound = layer("sound");
  const struct {
    const char* image;
    int lo, hi;
  } kCases[] = {
      {"LED_QUAD_ID", 0, 2},    // four frames, three values
      {"LED_SINGLE_ID", 0, 1},  // two values: a strip of states, not lights
      {"NO_SUCH_ID", 0, 2},
  };
  for (const auto& c : kCases) {
    real->createCCRadioControl(34, 1, "Shape", kParam, 0, 0, 60, c.image, 0, c.lo, c.hi, -1, sound, "");
    EXPECT_EQ(0, sound->controls.GetSize()) << c.image;
    EXPECT_EQ(nullptr, action(kParam)) << c.image;
  }
  EXPECT_TRUE(logged("need one frame of"));
}

TEST_F(SwitchFactories, BadInputIsRefusedAndLogged) {
  build();
  ControlLayer* sound = layer("sound");
  // Fewer than two radio buttons would divide by zero: nothing is built.
  for (const int buttons : {0, 1, -3}) {
    real->createRadioControl("R", kParam, 0, 0, "BUTTON_RED_ID", buttons, 0, sound, "");
    EXPECT_EQ(0, sound->controls.GetSize());
    EXPECT_EQ(nullptr, action(kParam));
  }
  EXPECT_TRUE(logged("at least 2 are needed"));

  // No template (an empty list, an index outside the list), or a changing
  // byte outside the message: the button is built but sends and files nothing.
  struct Bad {
    int sysexIndex, changingByte;
    const char* log;
  };
  for (const Bad& bad :
       {Bad{1, 8, "has no template"}, Bad{7, 8, "has no template"}, Bad{-1, 8, "has no template"},
        Bad{0, 10, "lies outside the SysEx template"}, Bad{0, 0, "lies outside the SysEx template"}}) {
    real->createSysExBoolControl("Glide", kParam + 1, 0, 0, "BUTTON_RED_ID", 0, 0, bad.sysexIndex,
                                 bad.changingByte, -1, LinkInfo(), sound, "");
    EXPECT_TRUE(action(kParam + 1)->sysex.messages.empty());
    EXPECT_TRUE(logged(bad.log)) << bad.sysexIndex << " " << bad.changingByte;
  }
  EXPECT_EQ(nullptr, real->sysexControls.findControl(0x00, 0x20, 0x01, 0x05, 0));

  // A parameter index outside the editor's, and a link partner that names
  // no parameter.
  real->createCCBoolControl(1, 1, "X", 100000, 0, 0, "BUTTON_RED_ID", 0, 0, 1, LinkInfo(), 0, sound, "");
  EXPECT_EQ(nullptr, real->createAutoOffSwitchControl("X", -1, 0, 0, "BUTTON_RED_ID", -1, sound, ""));
  real->createMsbLsbBoolControl(6, 1, 40, 2, 9, "L", kParam + 2, 0, 0, "BUTTON_RED_ID", 0, 0, 1,
                                LinkInfo(100000, 3, -1), 0, sound, "");
  EXPECT_EQ(LinkInfo(), action(kParam + 2)->link);
  EXPECT_TRUE(logged("is no parameter; not linked"));
}
