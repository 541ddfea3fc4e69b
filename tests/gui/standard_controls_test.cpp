// The standard controls, driven through the GUI's dispatch as the views
// drive them: the values that switch, contact, radio, fader and knob
// gestures give, what bitmap, overlay and caption controls draw, and the
// link and file-selector controls.
#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/IFaderControl.h"
#include "KIT/IModule/IKnobControls.h"
#include "KIT/IModule/ILinkControls.h"
#include "KIT/IModule/ITextControls.h"
#include "tests/gui/gui_fixture.h"

namespace {
const int kPlain = GuiTestPlug::kFirstPlain;
}

class StandardControlTest : public GuiTest {
 protected:
  void Click(int x, int y, IMouseMod mod = IMouseMod(true)) {
    gui->OnMouseDown(x, y, &mod);
    gui->OnMouseUp(x, y, &mod);
  }
  void Drag(int x0, int y0, int x1, int y1, IMouseMod mod = IMouseMod(true)) {
    gui->OnMouseDown(x0, y0, &mod);
    gui->OnMouseDrag(x1, y1, &mod);
    gui->OnMouseUp(x1, y1, &mod);
  }
  // The value the plug-in heard last.
  double Pushed() { return plug.Changes().empty() ? -1.0 : plug.Changes().back().value; }
};

TEST(FrameChoice, TheValuePicksTheNearestFrame) {
  const struct {
    int frames;
    double value;
    int frame;
  } kCases[] = {{128, 0.5, 65}, {128, 0.0, 1}, {128, 1.0, 128}, {2, 0.49, 1}, {2, 0.5, 2},
                {4, -0.5, 1},   {4, 7.0, 4},   {1, 0.9, 1},     {0, 0.9, 1},  {4, std::nan(""), 1}};
  for (const auto& c : kCases) {
    IBitmap bitmap(nullptr, 10, 10, c.frames);
    EXPECT_EQ(bitmap.FrameOfValue(c.value), c.frame) << c.frames << " frames at " << c.value;
  }
}

TEST_F(StandardControlTest, SwitchesStepThroughTheirFrames) {
  const struct {
    int frames;
    std::vector<double> values;  // after each click, from 0
  } kCases[] = {{2, {1, 0, 1, 0}}, {3, {0.5, 1, 0}}, {1, {1, 0, 1}}};
  for (const auto& c : kCases) {
    IBitmap bitmap = Image("switch.png", c.frames);
    auto* control = Attach(new ISwitchControl(&plug, 10, 10, kPlain, &bitmap));
    std::vector<double> values;
    for (size_t i = 0; i < c.values.size(); ++i) {
      Click(12, 12);
      values.push_back(control->GetValue());
      EXPECT_EQ(Pushed(), control->GetValue());
    }
    EXPECT_EQ(values, c.values) << c.frames << " frames";
    control->Hide(true);  // out of the way of the next case
  }
}

TEST_F(StandardControlTest, ADoubleClickOnASwitchIsOneMoreStepAndGrayedSwitchesStayPut) {
  IBitmap bitmap = Image("switch.png", 2);
  auto* control = Attach(new ISwitchControl(&plug, 10, 10, kPlain, &bitmap));
  IMouseMod left(true);
  gui->OnMouseDblClick(12, 12, &left);
  EXPECT_EQ(control->GetValue(), 1.0);
  control->GrayOut(true);
  control->OnMouseDown(12, 12, &left);
  control->OnMouseDblClick(12, 12, &left);
  EXPECT_EQ(control->GetValue(), 1.0);
}

TEST_F(StandardControlTest, AContactSendsOneOnThePressAndZeroOnTheReleaseEvenGrayed) {
  IBitmap bitmap = Image("switch.png", 2);
  auto* contact = Attach(new IContactControl(&plug, 10, 10, kPlain, &bitmap));
  IMouseMod left(true);
  gui->OnMouseDown(12, 12, &left);
  EXPECT_EQ(Pushed(), 1.0);
  contact->GrayOut(true);
  contact->OnMouseUp(12, 12, &left);
  EXPECT_EQ(contact->GetValue(), 0.0);
  EXPECT_EQ(Pushed(), 0.0);
}

TEST_F(StandardControlTest, InvisibleSwitchToggles) {
  auto* control = Attach(new IInvisibleSwitchControl(&plug, IRECT(0, 0, 20, 20), kPlain));
  Click(5, 5);
  EXPECT_EQ(control->GetValue(), 1.0);
  Click(5, 5);
  EXPECT_EQ(control->GetValue(), 0.0);
}

TEST(RadioLayout, ButtonsAreSpreadEvenlyFromTheStartEdge) {
  GuiTestPlug plug;
  PIX_MemBitmap pixels(20, 40, 4);
  IBitmap bitmap(&pixels, 20, 40, 2);  // two frames of 20 x 20
  const struct {
    const char* why;
    IRECT r;
    EDirection direction;
    bool reverse;
    std::vector<IRECT> buttons;
  } kCases[] = {
      {"horizontal",
       IRECT(0, 0, 110, 20),
       kHorizontal,
       false,
       {IRECT(0, 0, 20, 20), IRECT(30, 0, 50, 20), IRECT(60, 0, 80, 20), IRECT(90, 0, 110, 20)}},
      {"horizontal reversed",
       IRECT(0, 0, 110, 20),
       kHorizontal,
       true,
       {IRECT(80, 0, 100, 20), IRECT(50, 0, 70, 20), IRECT(20, 0, 40, 20), IRECT(-10, 0, 10, 20)}},
      {"vertical",
       IRECT(5, 0, 25, 110),
       kVertical,
       false,
       {IRECT(5, 0, 25, 20), IRECT(5, 30, 25, 50), IRECT(5, 60, 25, 80), IRECT(5, 90, 25, 110)}},
      {"vertical reversed",
       IRECT(5, 0, 25, 110),
       kVertical,
       true,
       {IRECT(5, 80, 25, 100), IRECT(5, 50, 25, 70), IRECT(5, 20, 25, 40), IRECT(5, -10, 25, 10)}},
  };
  for (const auto& c : kCases) {
    IRadioButtonsControl radio(&plug, c.r, kPlain, 4, &bitmap, c.direction, c.reverse);
    std::vector<IRECT> buttons;
    for (int i = 0; i < radio.NButtons(); ++i) buttons.push_back(*radio.GetButtonRECT(i));
    EXPECT_EQ(buttons, c.buttons) << c.why;
  }
  IRadioButtonsControl none(&plug, IRECT(0, 0, 10, 10), kPlain, 0, &bitmap);
  EXPECT_EQ(none.NButtons(), 0);
  IRadioButtonsControl single(&plug, IRECT(0, 0, 10, 10), kPlain, 1, &bitmap);
  EXPECT_EQ(single.NButtons(), 1);
}

TEST_F(StandardControlTest, RadioClicksAndTheHighlightedButton) {
  gui->AttachBackground(1, "background.png", 1.0);
  IBitmap bitmap = Image("radio.png", 2);
  auto* radio =
      Attach(new IRadioButtonsControl(&plug, IRECT(10, 10, 106, 26), kPlain, 4, &bitmap, kHorizontal));
  // Buttons of 16 in 96 pixels: gap 10, at 10, 36, 62, 88.
  Click(70, 18);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 2.0 / 3.0);
  plug.ClearRecords();
  Click(55, 18);  // between buttons: the value stays, and is pushed
  EXPECT_DOUBLE_EQ(radio->GetValue(), 2.0 / 3.0);
  EXPECT_EQ(plug.Changes().size(), 1u);
  IMouseMod right(false, true);
  radio->OnMouseDown(15, 18, &right);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 2.0 / 3.0) << "the right button only prompts";

  const PIX_pixel lit = PIX_GetPixel(bitmap.mData, 8, 16 + 8), dark = PIX_GetPixel(bitmap.mData, 8, 8);
  const struct {
    double value;
    int lit;
  } kDraws[] = {{0.66, 2}, {0.0, 0}, {1.0, 3}, {0.2, 1}};
  for (const auto& d : kDraws) {
    radio->SetValue(d.value);
    DrawAll();
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(Pixel(10 + 26 * i + 8, 18), i == d.lit ? lit : dark)
          << "value " << d.value << " button " << i;
  }
}

TEST_F(StandardControlTest, FaderHandleFollowsThePointer) {
  IBitmap handle = Image("handle.png");  // 20 x 10
  auto* vertical = Attach(new IFaderControl(&plug, 10, 10, 100, kPlain, &handle, kVertical));
  auto* horizontal = Attach(new IFaderControl(&plug, 50, 150, 100, kPlain + 1, &handle, kHorizontal));
  EXPECT_EQ(vertical->GetRECT(), IRECT(10, 10, 30, 110));
  EXPECT_EQ(horizontal->GetRECT(), IRECT(50, 150, 150, 160));
  const struct {
    IFaderControl* fader;
    int x, y;
    double value;
  } kCases[] = {
      {vertical, 15, 15, 1.0},    {vertical, 15, 105, 0.0},    {vertical, 15, 60, 0.5},
      {vertical, 15, 12, 1.0},  // above the handle's top stop: clamped
      {horizontal, 60, 155, 0.0}, {horizontal, 140, 155, 1.0}, {horizontal, 100, 155, 0.5},
  };
  for (const auto& c : kCases) {
    Click(c.x, c.y);
    EXPECT_DOUBLE_EQ(c.fader->GetValue(), c.value) << "press at " << c.x << ", " << c.y;
  }
  Drag(15, 105, 15, 15);
  EXPECT_DOUBLE_EQ(vertical->GetValue(), 1.0) << "a drag follows the current point";
  EXPECT_EQ(vertical->GetHandleRECT(1.0), IRECT(10, 10, 30, 20));
  EXPECT_EQ(vertical->GetHandleRECT(0.0), IRECT(10, 100, 30, 110));
  EXPECT_EQ(horizontal->GetHandleRECT(0.5), IRECT(90, 150, 110, 160));

  auto* onlyHandle = Attach(new IFaderControl(&plug, 200, 10, 100, kPlain + 2, &handle, kVertical, true));
  EXPECT_TRUE(onlyHandle->IsHit(205, 105));
  EXPECT_FALSE(onlyHandle->IsHit(205, 50));
}

TEST_F(StandardControlTest, KnobDragsMoveByKnobHeightsOverTheGearing) {
  IBitmap knob = Image("knob.png", 32);  // frames of 40 x 40
  auto* control = Attach(new IKnobMultiControl(&plug, 10, 10, kPlain, &knob));
  EXPECT_EQ(control->GetRECT(), IRECT(10, 10, 50, 50));
  const struct {
    int dY;
    IMouseMod mod;
    double delta;
  } kCases[] = {{-16, IMouseMod(true), 0.1},
                {-16, IMouseMod(true, false, true), 0.01},
                {-16, IMouseMod(true, false, false, true), 0.01},
                {32, IMouseMod(true), -0.2}};
  for (const auto& c : kCases) {
    control->SetValue(0.5);
    Drag(20, 30, 20, 30 + c.dY, c.mod);
    EXPECT_NEAR(control->GetValue(), 0.5 + c.delta, 1e-12) << "dY " << c.dY;
  }
  control->GrayOut(true);
  control->SetValue(0.5);
  control->OnMouseDrag(20, 10, 0, -20, nullptr);
  EXPECT_EQ(control->GetValue(), 0.5);
}

TEST_F(StandardControlTest, AnOverlayShowsFromHalfWayAndMovesItsTarget) {
  IBitmap bitmap = Image("switch.png", 2);
  const IRECT area(0, 0, 5, 5);
  auto* overlay = Attach(new IBitmapOverlayControl(&plug, 100, 100, kPlain, &bitmap, area));
  overlay->SetValue(0.3);
  DrawAll();
  EXPECT_EQ(overlay->GetTargetRECT(), area);
  EXPECT_EQ(Pixel(110, 110), 0u) << "nothing drawn";
  overlay->SetValue(0.5);
  DrawAll();
  EXPECT_EQ(overlay->GetTargetRECT(), overlay->GetRECT());
  EXPECT_EQ(Pixel(110, 110), PIX_GetPixel(bitmap.mData, 10, 30));  // frame 2 of the switch
}

TEST_F(StandardControlTest, CaptionsShowTheParametersOwnText) {
  IText style;
  plug.GetParam(GuiTestPlug::kCutoff)->Set(25.0);
  const struct {
    int param;
    bool label;
    const char* shown;
  } kCases[] = {{GuiTestPlug::kCutoff, true, "25.0 Hz"},
                {GuiTestPlug::kCutoff, false, "25.0"},
                {GuiTestPlug::kWave, true, "Saw "}};
  for (const auto& c : kCases) {
    ICaptionControl caption(&plug, IRECT(0, 0, 100, 20), c.param, &style, c.label);
    caption.Draw(gui);
    EXPECT_TRUE(caption.TextEquals(c.shown)) << c.shown;
  }
}

TEST_F(StandardControlTest, ACaptionClickOpensTheMenuOfDisplayTexts) {
  IText style;
  auto* caption = Attach(new ICaptionControl(&plug, IRECT(10, 10, 110, 30), GuiTestPlug::kWave, &style));
  caption->SetPromptDisabled(false);
  gui->choice = 2;
  Click(20, 20);
  ASSERT_EQ(gui->menus.size(), 1u);
  EXPECT_EQ(gui->menus[0].items, (std::vector<std::string>{"Saw", "Square", "Noise"}));
  EXPECT_EQ(gui->menus[0].checked, 0);
  EXPECT_EQ(plug.GetParam(GuiTestPlug::kWave)->Value(), 2.0);
  EXPECT_EQ(caption->GetValue(), 1.0);
  caption->GrayOut(true);
  Click(20, 20);
  EXPECT_EQ(gui->menus.size(), 1u) << "grayed listed controls are not hit";
}

TEST_F(StandardControlTest, TextFromThePlugInMarksOnlyAChange) {
  IText style;
  ITextControl text(&plug, IRECT(0, 0, 10, 10), &style, "same");
  text.SetClean();
  text.SetTextFromPlug("same");
  EXPECT_FALSE(text.IsDirty());
  text.SetTextFromPlug(nullptr);
  EXPECT_TRUE(text.IsDirty());
  EXPECT_TRUE(text.TextEquals(""));
  EXPECT_TRUE(text.Draw(gui)) << "an empty text draws nothing and succeeds";
}

TEST_F(StandardControlTest, ALinkOpensItsAddressOrTheBackup) {
  Attach(new IURLControl(&plug, IRECT(0, 0, 10, 10), "https://example.org/help", "file:///manual.pdf", "no"));
  Click(5, 5);
  gui->urlsOpen = false;
  Click(5, 5);
  EXPECT_EQ(gui->urls, (std::vector<std::string>{"https://example.org/help", "https://example.org/help",
                                                 "file:///manual.pdf"}));
  // Texts longer than their buffers are cut, not overrun.
  const std::string longURL(600, 'u');
  IURLControl cut(&plug, IRECT(), longURL.c_str(), nullptr, longURL.c_str());
}

TEST_F(StandardControlTest, AFileSelectorStepsItsValueAfterEachChoice) {
  IBitmap bitmap = Image("switch.png", 2);
  auto* selector = Attach(new IFileSelectorControl(&plug, IRECT(0, 0, 30, 20), kPlain, &bitmap,
                                                   IGraphics::kFileOpen, "", "syx mid"));
  selector->SetLastSelectedFileFromPlug("old.syx");
  Click(5, 5);
  KIT_String file;
  selector->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "") << "a GUI without a window chooses no file";
  EXPECT_EQ(selector->GetValue(), 1.0);
  Click(5, 5);
  EXPECT_EQ(selector->GetValue(), 0.0);
  selector->SetClean();
  selector->SetClean();
  EXPECT_TRUE(selector->IsDirty()) << "once more after a choice";
  EXPECT_FALSE(selector->IsDirty());
}
