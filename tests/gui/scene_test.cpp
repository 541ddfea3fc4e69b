// A small window of standard controls rendered whole must match the stored
// reference image pixel for pixel.
//
// To re-record the reference after a deliberate change (look at the new
// image first):
//   VIVIVI_RECORD_GUI_REFERENCE=1 build/<dir>/tests/gui/gui_tests --gtest_filter='Scene.*'
// On a mismatch the rendered image is written beside the test binary's
// working folder as scene.actual.png.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/IFaderControl.h"
#include "KIT/IModule/IKnobControls.h"
#include "KIT/IModule/ITextControls.h"
#include "tests/gui/gui_fixture.h"
#include "tools/pngwrite/png_writer.h"

namespace {

// Writes the bitmap as an 8-bit RGBA PNG; false on any failure.
bool WritePNG(const std::string& path, PIX_IBitmap* bm) {
  return WritePngFile(path, RgbaPng(bm->getWidth(), bm->getHeight(), [bm](int x, int y) {
                        const PIX_pixel p = PIX_GetPixel(bm, x, y);
                        return static_cast<uint32_t>(PIX_Alpha(p)) << 24 |
                               static_cast<uint32_t>(PIX_Red(p)) << 16 |
                               static_cast<uint32_t>(PIX_Green(p)) << 8 | static_cast<uint32_t>(PIX_Blue(p));
                      }));
}

}  // namespace

class Scene : public GuiTest {
 protected:
  // Background, three knobs, a grayed knob, a switch, a radio group, a
  // fader, a panel, a text and a caption, and a layer with an additive
  // panel over part of them.
  void Build() {
    gui->AttachBackground(1, "background.png", 1.0);
    IBitmap knob = Image("knob.png", 32), toggle = Image("switch.png", 2), radio = Image("radio.png", 2),
            handle = Image("handle.png");
    const int p = GuiTestPlug::kFirstPlain;
    const double knobValues[] = {0.0, 0.5, 1.0, 0.8};
    for (int i = 0; i < 4; ++i) {
      auto* k = Attach(new IKnobMultiControl(&plug, 20 + 50 * i, 20, p + i, &knob));
      k->SetValue(knobValues[i]);
      if (i == 3) k->GrayOut(true);
    }
    Attach(new ISwitchControl(&plug, 230, 30, p + 4, &toggle))->SetValue(1.0);
    Attach(new IRadioButtonsControl(&plug, IRECT(20, 80, 120, 96), p + 5, 4, &radio, kHorizontal))
        ->SetValue(1.0 / 3.0);
    Attach(new IFaderControl(&plug, 280, 20, 120, p + 6, &handle))->SetValue(0.7);
    const IColor panelColour(160, 20, 30, 60);
    Attach(new IPanelControl(&plug, IRECT(20, 110, 300, 180), &panelColour));
    const IColor ink(255, 230, 235, 240);
    IText style(14, &ink, "DejaVu Sans", IText::kStyleBold, IText::kAlignNear);
    Attach(new ITextControl(&plug, IRECT(30, 115, 200, 135), &style, "VivivI Editor"));
    IText captionStyle(12, &COLOR_YELLOW, "DejaVu Sans Mono", IText::kStyleNormal, IText::kAlignFar);
    Attach(new ICaptionControl(&plug, IRECT(120, 150, 290, 170), GuiTestPlug::kCutoff, &captionStyle, true));

    auto* layer = new ControlLayer(1, "glow");
    const IColor glow(255, 0, 60, 90);
    auto* overlay = new IPanelControl(&plug, IRECT(150, 60, 270, 100), &glow);
    *overlay->GetBlend() = IChannelBlend(IChannelBlend::kBlendAdd, 0.75f);
    layer->controls.Add(overlay);
    gui->AttachLayer(layer);
    layer->Hide(false);
  }
};

TEST_F(Scene, MatchesTheReferenceImage) {
  Build();
  IRECT all(0, 0, gui->Width(), gui->Height());
  ASSERT_TRUE(gui->Draw(&all));
  PIX_IBitmap* rendered = gui->GetDrawBitmap();

  const std::string reference = std::string(GUI_REFERENCE_DIR) + "/scene.png";
  if (getenv("VIVIVI_RECORD_GUI_REFERENCE")) {
    ASSERT_TRUE(WritePNG(reference, rendered)) << reference;
    GTEST_SKIP() << "recorded " << reference;
  }
  PIX_IBitmap* expected = PIX_LoadPNG(reference.c_str(), nullptr);
  ASSERT_NE(expected, nullptr) << "no reference image at " << reference;
  RECT box{};
  const int differs = PIX_BitmapCmp(expected, rendered, &box);
  if (differs != 0) {
    WritePNG("scene.actual.png", rendered);
    ADD_FAILURE() << "the rendered scene differs from " << reference << " in the box at (" << box.left << ", "
                  << box.top << ") of " << box.right << " x " << box.bottom
                  << "; written: scene.actual.png. After checking it, re-record with\n"
                  << "  VIVIVI_RECORD_GUI_REFERENCE=1 <build>/tests/gui/gui_tests --gtest_filter='Scene.*'";
  }
  delete expected;
}

TEST_F(Scene, RepaintingAPartGivesTheSamePixelsAsTheWhole) {
  Build();
  IRECT all(0, 0, gui->Width(), gui->Height());
  ASSERT_TRUE(gui->Draw(&all));
  const std::vector<PIX_pixel> whole = Snapshot();
  // The draw bitmap wiped to a colour the scene does not hold, so that a
  // part that is not drawn again shows; then every part drawn on its own,
  // in a grid of odd-sized tiles that cut through controls and text.
  const PIX_pixel wiped = PIX_MakePixel(255, 0, 255, 255);
  ASSERT_EQ(std::count(whole.begin(), whole.end(), wiped), 0);
  PIX_Clear(gui->GetDrawBitmap(), wiped);
  for (int y = 0; y < gui->Height(); y += 37)
    for (int x = 0; x < gui->Width(); x += 53) {
      IRECT part(x, y, x + 53, y + 37);
      ASSERT_TRUE(gui->Draw(&part)) << x << ", " << y;
    }
  EXPECT_EQ(Snapshot(), whole);
}
