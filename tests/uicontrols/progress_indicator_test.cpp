// The progress overlay: its rectangles at the GUI scales, and, in a window
// at scale 0.75, that it covers and blocks the editor while shown, lets the
// cancel buttons take their clicks, and vanishes completely while hidden.
#include <memory>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "src/ProgressIndicator.h"
#include "tests/gui/gui_fixture.h"

namespace {

const PIX_pixel kOverlayColour = PIX_MakePixel(30, 30, 90, 255);
const PIX_pixel kBackdropColour = PIX_MakePixel(5, 6, 7, 255);
constexpr int kCancelParam = 188;
constexpr int kUnderneathParam = GuiTestPlug::kFirstPlain;

std::unique_ptr<PIX_MemBitmap> Picture(int w, int h, PIX_pixel colour) {
  auto bm = std::make_unique<PIX_MemBitmap>(w, h, 4);
  PIX_FillRect(bm.get(), 0, 0, w, h, colour, 1.0f, 0);
  return bm;
}

int Scaled(int value, double scale) { return static_cast<int>(value * scale); }

TEST(ProgressIndicator, covers_the_whole_window_at_each_scale) {
  GuiTestPlug plug;
  for (double scale : {0.75, 1.0, 1.25}) {
    const int w = Scaled(1500, scale), h = Scaled(667, scale);
    auto picture = Picture(w, h, kOverlayColour);  // the picture as the cache holds it at the scale
    IBitmap bitmap(picture.get(), w, h, 1, true);
    ControlLayer layer(0, "PROGRESS");
    auto* indicator = new ProgressIndicator(&layer, &plug, 0, 0, w, h, -1, &bitmap, IRECT(0, 0, w, h));
    EXPECT_EQ(indicator->GetRECT(), IRECT(0, 0, w, h)) << scale;
    EXPECT_EQ(indicator->GetTargetRECT(), IRECT(0, 0, w, h)) << scale;
    EXPECT_EQ(indicator->GetDrawRECT(), IRECT(0, 0, w, h)) << scale;
    EXPECT_EQ(layer.controls.Get(0), indicator);  // the layer owns it now
    EXPECT_TRUE(layer.ignoreHiddenWhenUpdatingScreen);
    EXPECT_TRUE(indicator->GetIgnoreHidden());
    EXPECT_EQ(indicator->GetLayer(), &layer);
  }
  EXPECT_EQ(Scaled(1500, 0.75), 1125);
  EXPECT_EQ(Scaled(667, 0.75), 500);
}

class ProgressOverlay : public ::testing::Test {
 protected:
  static constexpr double kScale = 0.75;

  void SetUp() override {
    gui = new HeadlessGraphics(&plug, Scaled(1500, kScale), Scaled(667, kScale));
    plug.AttachGraphics(gui);
    const IColor backdrop = IColor::FromPixel(kBackdropColour);
    gui->AttachControl(new IPanelControl(&plug, IRECT(0, 0, gui->Width(), gui->Height()), &backdrop));
    // An editor control under the overlay, as wide as the window.
    underneath =
        new IInvisibleSwitchControl(&plug, IRECT(0, 0, gui->Width(), gui->Height()), kUnderneathParam);
    gui->AttachControl(underneath);

    overlay = Picture(gui->Width(), gui->Height(), kOverlayColour);
    IBitmap overlayBitmap(overlay.get(), gui->Width(), gui->Height(), 1, true);
    button = Picture(40, 40, PIX_MakePixel(200, 40, 40, 255));
    IBitmap buttonBitmap(button.get(), 40, 40, 2, false);

    // Built as the editor does at start-up.
    layer = new ControlLayer(0, "PROGRESS");
    indicator = new ProgressIndicator(layer, &plug, 0, 0, gui->Width(), gui->Height(), -1, &overlayBitmap,
                                      IRECT(0, 0, gui->Width(), gui->Height()));
    cancelMain =
        new IContactControl(&plug, Scaled(858, kScale), Scaled(346, kScale), kCancelParam, &buttonBitmap);
    cancelLibrarian =
        new IContactControl(&plug, Scaled(950, kScale), Scaled(132, kScale), kCancelParam, &buttonBitmap);
    layer->controls.Add(cancelMain);
    layer->controls.Add(cancelLibrarian);
    indicator->Hide(true);
    layer->Hide(true);
    gui->AttachLayer(layer);  // after every other layer: on top
    Draw();
  }

  // What the editor core does to show the overlay with the main page's button.
  void Show() {
    indicator->Hide(false);
    layer->Hide(false);
    cancelLibrarian->Hide(true);
  }
  void HideOverlay() {
    indicator->Hide(true);
    layer->Hide(true);
    cancelMain->Hide(true);
    cancelLibrarian->Hide(true);
  }
  void Draw() {
    IRECT all(0, 0, gui->Width(), gui->Height());
    gui->Draw(&all);
  }
  PIX_pixel Pixel(int x, int y) { return PIX_GetPixel(gui->GetDrawBitmap(), x, y); }
  void Click(int x, int y) {
    IMouseMod left(true);
    gui->OnMouseDown(x, y, &left);
    gui->OnMouseUp(x, y, &left);
  }

  GuiTestPlug plug;
  HeadlessGraphics* gui = nullptr;
  std::unique_ptr<PIX_MemBitmap> overlay, button;
  ControlLayer* layer = nullptr;
  ProgressIndicator* indicator = nullptr;
  IContactControl* cancelMain = nullptr;
  IContactControl* cancelLibrarian = nullptr;
  IControl* underneath = nullptr;
};

TEST_F(ProgressOverlay, hidden_it_draws_nothing_and_takes_no_clicks) {
  EXPECT_EQ(Pixel(400, 300), kBackdropColour);
  Click(400, 300);
  const auto changes = plug.Changes();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].index, kUnderneathParam);
  // The hidden cancel button's place belongs to the editor too.
  EXPECT_EQ(gui->GetMouseControlIdx(Scaled(858, kScale) + 5, Scaled(346, kScale) + 5), underneath);
}

TEST_F(ProgressOverlay, shown_it_covers_the_window_and_swallows_clicks) {
  Show();
  Draw();
  EXPECT_EQ(Pixel(0, 0), kOverlayColour);
  EXPECT_EQ(Pixel(400, 300), kOverlayColour);
  EXPECT_EQ(Pixel(gui->Width() - 1, gui->Height() - 1), kOverlayColour);

  EXPECT_EQ(gui->GetMouseControlIdx(400, 300), indicator);
  Click(400, 300);
  IMouseMod left(true), right(false, true);
  gui->OnMouseDblClick(400, 300, &left);
  gui->OnMouseDown(400, 300, &right);
  gui->OnMouseUp(400, 300, &right);
  // The hidden librarian button's place is the overlay's too.
  Click(Scaled(950, kScale) + 5, Scaled(132, kScale) + 5);
  EXPECT_TRUE(plug.Changes().empty());
  EXPECT_DOUBLE_EQ(underneath->GetValue(), 0.0);
  EXPECT_TRUE(gui->entries.empty());
  EXPECT_TRUE(gui->menus.empty());
}

TEST_F(ProgressOverlay, the_cancel_button_takes_clicks_inside_its_rectangle) {
  Show();
  const IRECT r = cancelMain->GetRECT();
  EXPECT_EQ(r, IRECT(643, 259, 683, 279));
  Click(r.L + 3, r.T + 3);
  const auto changes = plug.Changes();
  ASSERT_EQ(changes.size(), 2u);  // pressed, then released
  EXPECT_EQ(changes[0].index, kCancelParam);
  EXPECT_DOUBLE_EQ(changes[0].value, 1.0);
  EXPECT_EQ(changes[1].index, kCancelParam);
  EXPECT_DOUBLE_EQ(changes[1].value, 0.0);
  // Just outside it the overlay swallows the click.
  plug.ClearRecords();
  Click(r.R, r.B);
  EXPECT_TRUE(plug.Changes().empty());
}

TEST_F(ProgressOverlay, hiding_it_again_repaints_the_window_under_it) {
  Show();
  Draw();
  HideOverlay();
  IRECT dirty;
  ASSERT_TRUE(gui->IsDirty(&dirty));  // reported although the layer is hidden
  EXPECT_EQ(dirty, IRECT(0, 0, gui->Width(), gui->Height()));
  gui->Draw(&dirty);
  EXPECT_EQ(Pixel(400, 300), kBackdropColour);
  Click(400, 300);
  ASSERT_EQ(plug.Changes().size(), 1u);
  EXPECT_EQ(plug.Changes()[0].index, kUnderneathParam);
}

}  // namespace
