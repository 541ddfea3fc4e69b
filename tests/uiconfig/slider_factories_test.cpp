// The slider factories: the parameter, the track and its direction at the
// editor's scales, and the record and reverse lookup of the control-change
// and SysEx sliders.
#include "KIT/IModule/IFaderControl.h"
#include "KIT/IModule/IGraphics.h"
#include "tests/uiconfig/factory_fixture.h"

namespace {

using SliderFactories = FactoryTest;

constexpr int kParam = 50;
const char* const kHandle = "BG_RENAME_ID";

struct SliderCase {
  const char* what;
  bool sysex;
  EDirection direction;
  int instance;
  const char* layer;
  const char* name;
  int kind;
  int channel;
};

const SliderCase kSliderCases[] = {
    {"vertical CC slider in a mixer", false, kVertical, -1, "miniMixer", "Level", kActionCC, 5},
    {"horizontal CC slider in instance 1", false, kHorizontal, 1, "part", "[2] Level", kActionCC, 2},
    {"CC slider without a layer", false, kVertical, -1, nullptr, "Level", kActionCC, 0},
    {"vertical SysEx slider", true, kVertical, 0, "part", "[1] Level", kActionSysEx, -1},
    {"horizontal SysEx slider", true, kHorizontal, -1, "part", "Level", kActionSysEx, -1},
};

}  // namespace

TEST_F(SliderFactories, ParameterTrackAndRecordAtEveryScale) {
  for (const double s : kFactoryScales) {
    for (const SliderCase& c : kSliderCases) {
      SCOPED_TRACE(std::string(c.what) + " at scale " + std::to_string(s));
      build(s);
      ControlLayer* in = c.layer ? layer(c.layer) : nullptr;
      if (c.sysex)
        real->createSysExSliderControl("Level", kParam, 21, 43, 100, kHandle, 10, 0, 15, 3, 64, 0, 8,
                                       c.instance, LinkInfo(), in, "Mix", c.direction, false);
      else
        real->createCCSliderControl(7, 5, "Level", kParam, 21, 43, 100, kHandle, 10, 0, 15, LinkInfo(),
                                    c.instance, in, "Mix", c.direction, false);

      auto* slider = dynamic_cast<IFaderControl*>(lastControl(in));
      ASSERT_NE(nullptr, slider);
      EXPECT_EQ(kParam, slider->ParamIdx());
      const IBitmap handle = real->getImageByName(gui.get(), kHandle);
      ASSERT_GT(handle.W, 0);
      const int left = static_cast<int>(21 * s), top = static_cast<int>(43 * s),
                len = static_cast<int>(100 * s);
      EXPECT_EQ(len, slider->GetLength());
      EXPECT_EQ(c.direction == kVertical ? IRECT(left, top, left + handle.W, top + len)
                                         : IRECT(left, top, left + len, top + handle.H),
                slider->GetRECT());

      IParam* p = param(kParam);
      EXPECT_STREQ(c.name, p->GetNameForHost());
      EXPECT_EQ(10.0, p->GetDefault());
      EXPECT_EQ(0.0, p->GetMin());
      EXPECT_EQ(15.0, p->GetMax());
      EXPECT_EQ(1.0, p->GetStep());

      ControlAction* record = action(kParam);
      ASSERT_NE(nullptr, record);
      EXPECT_EQ(c.kind, record->kind);
      EXPECT_EQ(c.channel, record->channel);
      if (c.sysex) {
        // Entry k carries minimum + msgZeroVal + k.
        ASSERT_EQ(16u, record->sysex.messages.size());
        for (int k = 0; k < 16; ++k) EXPECT_EQ(64 + k, record->sysex.messages[k][7]);
        EXPECT_EQ(slider, real->sysexControls.findControl(0x00, c.instance == 1 ? 0x30 : 0x20,
                                                          c.instance == 1 ? 0x02 : 0x01, 0x05, 0));
      } else {
        EXPECT_EQ(7, record->ccNumber);
        EXPECT_EQ(0, record->mixerLayer) << "a slider keeps key 0 in a mixer too";
        EXPECT_EQ(slider, findCCControl(real->ccControls, c.channel, 7, 0));
        EXPECT_EQ(nullptr, findCCControl(real->ccControls, c.channel, 7, 1));
      }
      releaseControlActions(editor.get());
    }
  }
}

TEST_F(SliderFactories, SysExStartBeyondTheDataRangeWraps) {
  build();
  ControlLayer* part = layer("part");
  // 120 + 10 = 130: the value bytes wrap to 2, 3, ... and stay 7-bit.
  real->createSysExSliderControl("S", kParam, 0, 0, 50, kHandle, 0, 120, 125, 1, 10, 0, 8, -1, LinkInfo(),
                                 part, "", kVertical, false);
  const auto& messages = action(kParam)->sysex.messages;
  ASSERT_EQ(6u, messages.size());
  EXPECT_EQ(2, messages[0][7]);
  EXPECT_EQ(7, messages[5][7]);
  // A start that falls below 0 gives no messages.
  real->createSysExSliderControl("S", kParam + 1, 0, 0, 50, kHandle, 0, 0, 5, 1, -3, 0, 8, -1, LinkInfo(),
                                 part, "", kVertical, false);
  EXPECT_TRUE(action(kParam + 1)->sysex.messages.empty());
  EXPECT_TRUE(logged("starts its SysEx values at -3"));
}
