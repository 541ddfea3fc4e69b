// The GUI object: construction, attaching, the dirty-rectangle cycle of the
// timer, values fanned out to controls, and values pushed from other threads.
#include <atomic>
#include <thread>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/IKnobControls.h"
#include "KIT/IModule/ITextControls.h"
#include "tests/gui/gui_fixture.h"

TEST(GraphicsConstruction, FrameRateBelowOneMeansTwentyFive) {
  const struct { int fps, expected; } kCases[] = {{0, 25}, {-3, 25}, {1, 1}, {60, 60}};
  for (const auto& c : kCases) {
    IGraphics gui(nullptr, 10, 10, c.fps);
    EXPECT_EQ(gui.FPS(), c.expected) << "fps " << c.fps;
  }
}

TEST_F(GuiTest, TheBackgroundGoesInFrontOfEarlierControls) {
  IControl* a = new IControl(&plug, IRECT(0, 0, 10, 10));
  IControl* b = new IControl(&plug, IRECT(10, 0, 20, 10));
  EXPECT_EQ(gui->AttachControl(a), 0);
  EXPECT_EQ(gui->AttachControl(b), 1);
  gui->AttachBackground(1, "background.png", 1.0);
  ASSERT_EQ(gui->NControls(), 3);
  EXPECT_EQ(gui->GetControl(0)->GetRECT(), IRECT(0, 0, 320, 200));
  EXPECT_EQ(gui->GetControl(0)->ParamIdx(), -1);
  EXPECT_EQ(gui->GetControl(1), a);
  EXPECT_EQ(gui->GetControl(2), b);
}

// A window of background, three knobs and a text display, drawn once.
class DirtyCycleTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    gui->AttachBackground(1, "background.png", 1.0);
    IBitmap knob = Image("knob.png", 32);
    for (int i = 0; i < 3; ++i)
      knobs[i] = Attach(new IKnobMultiControl(&plug, 20 + 60 * i, 30, kFirst + i, &knob));
    IText style(12, &COLOR_WHITE, "DejaVu Sans");
    text = Attach(new ITextControl(&plug, IRECT(20, 100, 200, 120), &style, "Cutoff"));
    PushAllValues();
    DrawAll();
  }

  static constexpr int kFirst = GuiTestPlug::kFirstPlain;
  IKnobMultiControl* knobs[3] = {};
  ITextControl* text = nullptr;
};

TEST_F(DirtyCycleTest, AnIdleTickPaintsNothing) {
  const std::vector<PIX_pixel> before = Snapshot();
  EXPECT_TRUE(Tick().Empty());
  EXPECT_TRUE(gui->screenCopies.empty());
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(DirtyCycleTest, ChangingOneKnobRepaintsOnlyItsRectangle) {
  const std::vector<PIX_pixel> before = Snapshot();
  gui->SetParameterFromPlug(kFirst + 1, 0.8, true);
  const IRECT area = Tick();
  EXPECT_EQ(area, knobs[1]->GetRECT());
  ASSERT_EQ(gui->screenCopies.size(), 1u);
  EXPECT_EQ(gui->screenCopies[0], area);

  const std::vector<PIX_pixel> after = Snapshot();
  int changedInside = 0;
  for (int y = 0; y < gui->Height(); ++y)
    for (int x = 0; x < gui->Width(); ++x) {
      const size_t i = static_cast<size_t>(y * gui->Width() + x);
      if (area.Contains(x, y))
        changedInside += before[i] != after[i];
      else
        ASSERT_EQ(before[i], after[i]) << "pixel " << x << ", " << y << " outside the knob changed";
    }
  EXPECT_GT(changedInside, 0);

  // A value from outside keeps the knob dirty one more frame, then all is idle.
  EXPECT_EQ(Tick(), knobs[1]->GetRECT());
  EXPECT_TRUE(Tick().Empty());
}

TEST_F(DirtyCycleTest, TwoChangesRepaintTheirUnion) {
  gui->SetParameterFromPlug(kFirst, 0.5, true);
  text->SetTextFromPlug("Resonance");
  EXPECT_EQ(Tick(), knobs[0]->GetRECT().Union(text->GetRECT()));
}

TEST_F(DirtyCycleTest, ADirtyBackgroundAloneIsNotReported) {
  gui->GetControl(0)->SetDirty(false);
  IRECT r;
  EXPECT_FALSE(gui->IsDirty(&r));
  EXPECT_TRUE(r.Empty());
}

TEST_F(DirtyCycleTest, AHiddenControlWithIgnoreHiddenReportsItsAreaButIsNotDrawn) {
  knobs[2]->Hide(true);
  IRECT r;
  EXPECT_FALSE(gui->IsDirty(&r)) << "hidden without the flag: not asked";
  knobs[2]->SetIgnoreHidden(true);
  ASSERT_TRUE(gui->IsDirty(&r));
  EXPECT_EQ(r, knobs[2]->GetRECT());
  gui->Draw(&r);
  // Only the background is left where the knob was: its centre shows the
  // background image's pixel.
  IBitmap background = Image("background.png");
  const IRECT k = knobs[2]->GetRECT();
  const int cx = (k.L + k.R) / 2, cy = (k.T + k.B) / 2;
  EXPECT_EQ(Pixel(cx, cy), PIX_GetPixel(background.mData, cx, cy));
}

TEST_F(DirtyCycleTest, DrawingAnEmptyAreaPaintsOnlyTheBackgroundAndCopiesNothing) {
  gui->SetParameterFromPlug(kFirst, 0.9, true);
  const std::vector<PIX_pixel> before = Snapshot();
  IRECT empty;
  gui->Draw(&empty);
  EXPECT_EQ(Snapshot(), before);
  ASSERT_EQ(gui->screenCopies.size(), 1u);
  EXPECT_TRUE(gui->screenCopies[0].Empty());
}

TEST_F(GuiTest, NothingAttachedDrawsNothing) {
  IRECT all(0, 0, 320, 200);
  EXPECT_TRUE(gui->Draw(&all));
  EXPECT_TRUE(gui->screenCopies.empty());
}

TEST_F(GuiTest, ParameterValuesReachControlsInTheListAndInEveryLayer) {
  const int p = GuiTestPlug::kFirstPlain;
  IControl* listed = Attach(new IControl(&plug, IRECT(0, 0, 5, 5), p));
  IControl* other = Attach(new IControl(&plug, IRECT(0, 0, 5, 5), p + 1));
  IControl* aux = Attach(new IControl(&plug, IRECT(0, 0, 5, 5), p + 2));
  aux->AddAuxParam(p + 1);
  aux->AddAuxParam(p);
  auto* layer = new ControlLayer(1, "hidden page");
  auto* sub = new ControlLayer(2, "zone");
  IControl* inLayer = new IControl(&plug, IRECT(0, 0, 5, 5), p);
  IControl* inSub = new IControl(&plug, IRECT(0, 0, 5, 5), p);
  layer->controls.Add(inLayer);
  sub->controls.Add(inSub);
  layer->subLayers.Add(sub);
  gui->AttachLayer(layer);

  gui->SetParameterFromPlug(p, 0.75, true);
  EXPECT_EQ(listed->GetValue(), 0.75);
  EXPECT_EQ(inLayer->GetValue(), 0.75) << "hidden layers take values too";
  EXPECT_EQ(inSub->GetValue(), 0.75);
  EXPECT_EQ(other->GetValue(), 0.0);
  EXPECT_EQ(aux->GetAuxParam(1)->mValue, 0.75);
  EXPECT_EQ(aux->GetAuxParam(0)->mValue, 0.0);
  EXPECT_TRUE(plug.Changes().empty()) << "nothing goes back to the plug-in";
}

TEST_F(GuiTest, APlainValueSetsTheParameterRoundedToItsStep) {
  IControl* wave = Attach(new IControl(&plug, IRECT(0, 0, 5, 5), GuiTestPlug::kWave));
  gui->SetParameterFromPlug(GuiTestPlug::kWave, 1.4, false);
  EXPECT_EQ(plug.GetParam(GuiTestPlug::kWave)->Value(), 1.0);
  EXPECT_DOUBLE_EQ(wave->GetValue(), 0.7);  // the position of 1.4 in 0..2
  // An index that names no parameter is ignored.
  gui->SetParameterFromPlug(GuiTestPlug::kNumParams + 5, 3.0, false);
}

TEST_F(GuiTest, ResizeEndsADragAndTellsThePlugIn) {
  IBitmap knob = Image("knob.png", 32);
  IKnobMultiControl* control = Attach(new IKnobMultiControl(&plug, 10, 10, GuiTestPlug::kFirstPlain, &knob));
  IMouseMod left(true);
  gui->OnMouseDown(20, 20, &left);
  gui->Resize(400, 300);
  gui->OnMouseDrag(20, 0, &left);
  EXPECT_EQ(control->GetValue(), 0.0);
  EXPECT_EQ(gui->GetMouseCapture(), nullptr);
  EXPECT_EQ(plug.resized, std::make_pair(400, 300));
  EXPECT_EQ(gui->GetDrawBitmap()->getWidth(), 400);
}

// ---- Values from other threads ---------------------------------------------------

TEST_F(GuiTest, AValuePushedFromAnotherThreadReachesItsControlOnTheNextTick) {
  const int p = GuiTestPlug::kFirstPlain;
  gui->AttachBackground(1, "background.png", 1.0);
  IControl* control = Attach(new IControl(&plug, IRECT(10, 10, 20, 20), p));
  PushAllValues();
  DrawAll();
  std::thread midi([&] { gui->SetParameterFromPlug(p, 0.25, true); });
  midi.join();
  EXPECT_EQ(control->GetValue(), 0.0) << "controls are only touched by the GUI thread";
  EXPECT_EQ(Tick(), control->GetRECT());
  EXPECT_EQ(control->GetValue(), 0.25);
}

TEST_F(GuiTest, AValueFromTheGUIThreadReplacesAnOlderOneStillWaiting) {
  const int p = GuiTestPlug::kFirstPlain;
  IControl* control = Attach(new IControl(&plug, IRECT(10, 10, 20, 20), p));
  std::thread([&] { gui->SetParameterFromPlug(p, 0.2, true); }).join();
  gui->SetParameterFromPlug(p, 0.7, true);
  Tick();
  EXPECT_EQ(control->GetValue(), 0.7);
}

TEST_F(GuiTest, ThePlainValueIsConvertedOnThePushingThread) {
  IControl* control = Attach(new IControl(&plug, IRECT(10, 10, 20, 20), GuiTestPlug::kCutoff));
  std::thread([&] { gui->SetParameterFromPlug(GuiTestPlug::kCutoff, 25.0, false); }).join();
  EXPECT_EQ(plug.GetParam(GuiTestPlug::kCutoff)->Value(), 25.0);
  Tick();
  EXPECT_EQ(control->GetValue(), 0.25);
}

// Dumps from the synthesizer push every parameter from the MIDI thread while
// the timer draws; the window ends showing the last values, with no race
// (this test also runs under ThreadSanitizer).
TEST_F(GuiTest, DumpsFromAnotherThreadWhileTheTimerDraws) {
  gui->AttachBackground(1, "background.png", 1.0);
  IBitmap knob = Image("knob.png", 32);
  const int first = GuiTestPlug::kFirstPlain, count = 40;
  std::vector<IKnobMultiControl*> controls;
  for (int i = 0; i < count; ++i)
    controls.push_back(Attach(new IKnobMultiControl(&plug, (i % 8) * 40, (i / 8) * 40, first + i, &knob)));
  std::atomic<bool> done{false};
  std::thread midi([&] {
    for (int round = 1; round <= 50; ++round)
      for (int i = 0; i < count; ++i)
        gui->SetParameterFromPlug(first + i, (round * 7 + i) % 100 / 100.0, true);
    done = true;
  });
  while (!done) Tick();
  midi.join();
  Tick();
  for (int i = 0; i < count; ++i)
    EXPECT_EQ(controls[i]->GetValue(), (50 * 7 + i) % 100 / 100.0) << "knob " << i;
}

// ---- Work handed to the GUI thread ------------------------------------------------

TEST_F(GuiTest, WorkHandedOverFromAnotherThreadRunsOnTheNextTickInOrder) {
  std::vector<int> ran;
  std::thread midi([&] {
    gui->RunOnGUIThread([&] { ran.push_back(1); });
    gui->RunOnGUIThread([&] { ran.push_back(2); });
  });
  midi.join();
  EXPECT_TRUE(ran.empty()) << "nothing runs off the GUI thread";
  Tick();
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  Tick();
  EXPECT_EQ(ran.size(), 2u) << "each task runs once";
}

TEST_F(GuiTest, WorkOnTheGUIThreadRunsAtOnceAfterWorkStillWaiting) {
  std::vector<int> ran;
  std::thread([&] { gui->RunOnGUIThread([&] { ran.push_back(1); }); }).join();
  gui->RunOnGUIThread([&] { ran.push_back(2); });
  EXPECT_EQ(ran, (std::vector<int>{1, 2})) << "the older work first";
}
