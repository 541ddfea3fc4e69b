// The control base: the three value roads, the paint state, the wheel and
// double click, graying, the prompt, value displays and aux parameters.
#include <atomic>
#include <thread>

#include "KIT/IModule/IKnobControls.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/ITextControls.h"
#include "tests/gui/gui_fixture.h"

namespace {
const int kPlain = GuiTestPlug::kFirstPlain;
}

class ControlTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    control = Attach(new IControl(&plug, IRECT(40, 20, 80, 60), kPlain));
  }
  IControl* control = nullptr;
};

TEST_F(ControlTest, TheFirstValueFromThePlugInBecomesTheDefault) {
  IControl fresh(&plug, IRECT(0, 0, 10, 10), kPlain);
  fresh.SetValueFromPlug(0.25);
  EXPECT_EQ(fresh.GetValue(), 0.25);
  EXPECT_EQ(fresh.GetDefaultValue(), 0.25);
  EXPECT_TRUE(fresh.IsDirty()) << "still dirty from construction";
  fresh.SetClean();
  EXPECT_FALSE(fresh.IsDirty()) << "the first value set no redraw mark";
  fresh.SetValueFromPlug(0.25);
  EXPECT_FALSE(fresh.IsDirty());
  fresh.SetValueFromPlug(0.5);
  EXPECT_TRUE(fresh.IsDirty());
  fresh.SetClean();
  EXPECT_TRUE(fresh.IsDirty()) << "a change from outside stays dirty one more frame";
  fresh.SetClean();
  EXPECT_FALSE(fresh.IsDirty());
  EXPECT_TRUE(plug.Changes().empty());
}

TEST_F(ControlTest, TheUsersValueIsClampedAndPushedOnlyWhenItDiffers) {
  control->SetValueFromUserInput(1.7);
  EXPECT_EQ(control->GetValue(), 1.0);
  control->SetValueFromUserInput(1.0);
  const auto changes = plug.Changes();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].index, kPlain);
  EXPECT_EQ(changes[0].value, 1.0);
  EXPECT_FALSE(changes[0].fromHardware);
  EXPECT_EQ(plug.GetParam(kPlain)->Value(), 1.0);
}

TEST_F(ControlTest, AValueThatIsNotANumberIsClampedToTheLowEnd) {
  control->SetValueFromUserInput(std::nan(""));
  EXPECT_EQ(control->GetValue(), 0.0);
}

TEST_F(ControlTest, ADoubleClickRestoresTheDefault) {
  IMouseMod none;
  control->OnMouseDblClick(50, 30, &none);  // default unknown: nothing
  EXPECT_TRUE(plug.Changes().empty());
  control->SetValueFromPlug(0.3);
  control->SetValueFromPlug(0.9);
  control->GrayOut(true);
  control->OnMouseDblClick(50, 30, &none);
  EXPECT_EQ(control->GetValue(), 0.9) << "grayed";
  control->GrayOut(false);
  control->OnMouseDblClick(50, 30, &none);
  EXPECT_EQ(control->GetValue(), 0.3);
  ASSERT_EQ(plug.Changes().size(), 1u);
  EXPECT_EQ(plug.Changes()[0].value, 0.3);
}

TEST_F(ControlTest, WheelSteps) {
  const struct {
    int d;
    IMouseMod mod;
    double expected;
  } kCases[] = {
      {1, IMouseMod(true), 0.51},
      {1, IMouseMod(true, false, true), 0.501},
      {1, IMouseMod(true, false, false, true), 0.501},
      {-3, IMouseMod(true), 0.47},
      {100, IMouseMod(true), 1.0},
  };
  for (const auto& c : kCases) {
    control->SetValue(0.5);
    IMouseMod mod = c.mod;
    control->OnMouseWheel(50, 30, &mod, c.d);
    EXPECT_NEAR(control->GetValue(), c.expected, 1e-12) << "step " << c.d << " shift " << c.mod.S;
    EXPECT_NEAR(plug.Changes().back().value, c.expected, 1e-12);
  }
}

// A notch on a parameter with a step moves whole steps and lands on the
// step grid, so the value read back truncated is exactly the next step:
// a hundredth of a semitone knob's range (0.96) or of a tune knob's (1.27,
// then odd) would move by fractions.
TEST_F(ControlTest, AWheelNotchMovesWholeStepsOfTheParameter) {
  const int kSemitone = kPlain + 1, kTune = kPlain + 2, kCoarse = kPlain + 3;
  plug.GetParam(kSemitone)->InitDouble("Semitone", 48, 0, 96, 1);
  plug.GetParam(kTune)->InitDouble("Tune", 64, 0, 127, 2);
  plug.GetParam(kCoarse)->InitDouble("Coarse", 0, 0, 1000, 1);
  const IMouseMod plain(true), shift(true, false, true);
  const struct {
    const char* why;
    int param;
    double from;  // in the parameter's units
    int d;
    IMouseMod mod;
    double to;
  } kCases[] = {
      {"a semitone up", kSemitone, 48, 1, plain, 49},
      {"three semitones down", kSemitone, 48, -3, plain, 45},
      {"with Shift still a whole semitone", kSemitone, 48, 1, shift, 49},
      {"off the grid: to the next semitone up", kSemitone, 48.4, 1, plain, 49},
      {"off the grid: to the next semitone down", kSemitone, 48.4, -1, plain, 48},
      {"the top stays the top", kSemitone, 96, 1, plain, 96},
      {"a tune step of two", kTune, 64, 1, plain, 66},
      {"a tune step down", kTune, 64, -1, plain, 62},
      {"an odd tune to the even one above", kTune, 65.27, 1, plain, 66},
      {"the last even tune below the odd top", kTune, 126, 1, plain, 126},
      {"a hundredth of a fine range is ten steps", kCoarse, 500, 1, plain, 510},
      {"with Shift a thousandth, one step", kCoarse, 500, -1, shift, 499},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    IParam* param = plug.GetParam(c.param);
    IControl knob(&plug, IRECT(0, 0, 10, 10), c.param);
    knob.SetValue(param->GetNormalized(c.from));
    IMouseMod mod = c.mod;
    knob.OnMouseWheel(5, 5, &mod, c.d);
    EXPECT_NEAR(param->Value(), c.to, 1e-9);
    EXPECT_EQ(static_cast<int>(param->Value()), static_cast<int>(c.to)) << "read back truncated";
  }
}

TEST_F(ControlTest, AGrayedControlIgnoresTheWheel) {
  control->SetValue(0.5);
  control->GrayOut(true);
  IMouseMod mod(true);
  control->OnMouseWheel(50, 30, &mod, 2);
  EXPECT_EQ(control->GetValue(), 0.5);
  EXPECT_TRUE(plug.Changes().empty());
}

TEST_F(ControlTest, GrayingHalvesTheWeightWithoutAnExtraFrame) {
  control->SetClean();
  control->GrayOut(true);
  EXPECT_EQ(control->GetBlend()->mWeight, 0.5f);
  EXPECT_TRUE(control->IsDirty());
  control->SetClean();
  EXPECT_FALSE(control->IsDirty());
  control->GrayOut(false);
  EXPECT_EQ(control->GetBlend()->mWeight, 1.0f);
}

TEST_F(ControlTest, AControlWithoutAnAreaIsNeverHit) {
  IControl nowhere(&plug, IRECT(), kPlain);
  EXPECT_FALSE(nowhere.IsHit(0, 0));
  EXPECT_TRUE(control->IsHit(40, 20));
  EXPECT_FALSE(control->IsHit(80, 20)) << "the right edge is outside";
}

TEST_F(ControlTest, ARightClickPromptsOnlyWhenPromptingIsEnabled) {
  IMouseMod right(false, true);
  IControl* wave = Attach(new IControl(&plug, IRECT(100, 20, 160, 40), GuiTestPlug::kWave));
  wave->OnMouseDown(110, 30, &right);
  EXPECT_TRUE(gui->menus.empty()) << "prompting starts disabled";

  wave->SetPromptDisabled(false);
  wave->OnMouseDown(110, 30, &right);
  ASSERT_EQ(gui->menus.size(), 1u);
  EXPECT_EQ(gui->menus[0].where, wave->GetRECT()) << "display texts: a menu over the control";

  control->SetPromptDisabled(false);
  control->OnMouseDown(50, 30, &right);
  ASSERT_EQ(gui->entries.size(), 1u);
  EXPECT_EQ(gui->entries[0].where, IRECT(45, 32, 75, 48)) << "no display texts: a 30 x 16 box centred";
  EXPECT_EQ(gui->entries[0].param, plug.GetParam(kPlain));

  IMouseMod leftOnly(true);
  control->OnMouseDown(50, 30, &leftOnly);
  EXPECT_EQ(gui->entries.size(), 1u) << "the base prompts on the right button only";
}

TEST_F(ControlTest, DisplaysFollowTheUsersChanges) {
  IText style;
  auto* value = Attach(new ITextControl(&plug, IRECT(0, 100, 80, 120), &style));
  auto* name = Attach(new ITextControl(&plug, IRECT(0, 120, 80, 140), &style));
  IControl* cutoff = Attach(new IControl(&plug, IRECT(0, 0, 10, 10), GuiTestPlug::kCutoff));
  cutoff->SetValDisplayControl(value);
  cutoff->SetNameDisplayControl(name);
  cutoff->SetValueFromUserInput(0.25);
  EXPECT_TRUE(value->TextEquals("25.0"));
  EXPECT_TRUE(name->TextEquals("Cutoff"));
  // A display that is not a text control is ignored.
  cutoff->SetValDisplayControl(control);
  cutoff->SetValueFromUserInput(0.5);
  EXPECT_TRUE(value->TextEquals("25.0"));
}

TEST_F(ControlTest, HardwareValuesTakeTheirOwnRoad) {
  IControl fresh(&plug, IRECT(0, 0, 10, 10), GuiTestPlug::kCutoff);
  fresh.SetValueFromHardware(0.4);
  EXPECT_TRUE(plug.Changes().empty()) << "the first value ever only sets value and default";
  EXPECT_EQ(fresh.GetDefaultValue(), 0.4);
  fresh.SetValueFromHardware(0.6);
  fresh.SetValueFromHardware(0.6);
  const auto changes = plug.Changes();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_TRUE(changes[0].fromHardware);
  EXPECT_EQ(changes[0].value, 0.6);
  EXPECT_DOUBLE_EQ(plug.GetParam(GuiTestPlug::kCutoff)->Value(), 60.0);
}

// The synthesizer's single-parameter messages arrive on the MIDI input
// thread and reach the control and its value display directly, while the
// timer draws both (this test also runs under ThreadSanitizer).
TEST_F(ControlTest, HardwareValuesFromTheMidiThreadWhileTheTimerDraws) {
  gui->AttachBackground(1, "background.png", 1.0);
  IBitmap knob = Image("knob.png", 32);
  auto* control2 = Attach(new IKnobMultiControl(&plug, 100, 100, GuiTestPlug::kCutoff, &knob));
  IText style(12, &COLOR_WHITE, "DejaVu Sans");
  auto* display = Attach(new ITextControl(&plug, IRECT(100, 150, 200, 170), &style));
  control2->SetValDisplayControl(display);
  control2->SetValueFromHardware(0.0);
  std::atomic<bool> done{false};
  std::thread midi([&] {
    for (int i = 1; i <= 200; ++i) control2->SetValueFromHardware(i / 200.0);
    done = true;
  });
  while (!done) Tick();
  midi.join();
  Tick();
  EXPECT_EQ(control2->GetValue(), 1.0);
  EXPECT_TRUE(display->TextEquals("100.0"));
  EXPECT_EQ(plug.Changes().size(), 200u);
}

TEST_F(ControlTest, AuxParameters) {
  EXPECT_EQ(control->AuxParamIdx(3), -1);
  control->AddAuxParam(3);
  control->AddAuxParam(4);
  EXPECT_EQ(control->AuxParamIdx(4), 1);
  EXPECT_EQ(control->GetAuxParam(2), nullptr);
  control->SetClean();
  control->SetAuxParamValueFromPlug(1, 0.5);
  EXPECT_TRUE(control->IsDirty());
  control->SetAllAuxParamsFromGUI();
  const auto changes = plug.Changes();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].index, 3);
  EXPECT_EQ(changes[1].index, 4);
  EXPECT_EQ(changes[1].value, 0.5);
}
