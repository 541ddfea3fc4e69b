// Control layers: showing, hiding and graying with zones, the ignore-hidden
// flag, and how hidden and grayed layers take part in dirty areas, drawing
// and hit tests.
#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/IKnobControls.h"
#include "tests/gui/gui_fixture.h"

namespace {

// A layer with one control and sub-layers of the given ids, each with one
// control; every control covers r.
ControlLayer* MakeLayer(IModuleBase* plug, int id, std::initializer_list<int> subIds,
                        IRECT r = IRECT(0, 0, 10, 10)) {
  auto* layer = new ControlLayer(id, "layer " + std::to_string(id));
  layer->controls.Add(new IControl(plug, r));
  for (int subId : subIds) {
    auto* sub = new ControlLayer(subId, "sub " + std::to_string(subId));
    sub->controls.Add(new IControl(plug, r));
    layer->subLayers.Add(sub);
  }
  return layer;
}

std::vector<bool> VisibleSubs(ControlLayer* layer) {
  std::vector<bool> visible;
  for (int i = 0; i < layer->subLayers.GetSize(); ++i) visible.push_back(layer->subLayers.Get(i)->visible);
  return visible;
}

std::vector<bool> GrayedSubs(ControlLayer* layer) {
  std::vector<bool> grayed;
  for (int i = 0; i < layer->subLayers.GetSize(); ++i)
    grayed.push_back(layer->subLayers.Get(i)->controls.Get(0)->IsGrayed());
  return grayed;
}

}  // namespace

TEST(ControlLayerRecord, ANewLayerIsHiddenAndEmpty) {
  ControlLayer layer(7, "envelopes");
  EXPECT_EQ(layer.id, 7);
  EXPECT_EQ(layer.name, "envelopes");
  EXPECT_FALSE(layer.visible);
  EXPECT_EQ(layer.zoneId, 0);
  EXPECT_FALSE(layer.ignoreHiddenWhenUpdatingScreen);
  EXPECT_EQ(layer.controls.GetSize(), 0);
  EXPECT_EQ(layer.isHit(0, 0), nullptr);
}

TEST(ControlLayerShow, ShowingBringsBackOnlyTheZoneSubLayer) {
  GuiTestPlug plug;
  std::unique_ptr<ControlLayer> layer(MakeLayer(&plug, 1, {0, 1, 2}));
  layer->Hide(false);
  EXPECT_TRUE(layer->visible);
  EXPECT_FALSE(layer->controls.Get(0)->IsHidden());
  EXPECT_EQ(VisibleSubs(layer.get()), (std::vector<bool>{true, false, false}));

  layer->Hide(true);
  EXPECT_EQ(VisibleSubs(layer.get()), (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(layer->subLayers.Get(0)->controls.Get(0)->IsHidden());

  // A zone that names no sub-layer shows the layer's own controls only.
  layer->zoneId = 9;
  layer->Hide(false);
  EXPECT_TRUE(layer->visible);
  EXPECT_EQ(VisibleSubs(layer.get()), (std::vector<bool>{false, false, false}));
  layer->zoneId = 2;
  layer->Hide(false);
  EXPECT_EQ(VisibleSubs(layer.get()), (std::vector<bool>{false, false, true}));
}

TEST(ControlLayerGray, GrayingReachesEverySubLayerUngrayingOnlyTheZone) {
  GuiTestPlug plug;
  std::unique_ptr<ControlLayer> layer(MakeLayer(&plug, 1, {0, 1}));
  layer->GrayOut(true);
  EXPECT_TRUE(layer->controls.Get(0)->IsGrayed());
  EXPECT_EQ(layer->controls.Get(0)->GetBlend()->mWeight, 0.5f);
  EXPECT_EQ(GrayedSubs(layer.get()), (std::vector<bool>{true, true}));
  layer->GrayOut(false);
  EXPECT_EQ(layer->controls.Get(0)->GetBlend()->mWeight, 1.0f);
  EXPECT_EQ(GrayedSubs(layer.get()), (std::vector<bool>{false, true}));
}

TEST(ControlLayerGray, ZonesOutsideTheirRangeOnlyStoreTheZone) {
  const struct {
    const char* why;
    bool arp;
    int zone, limit;
    std::vector<bool> grayed;  // sub-layers 9, 12, 203, 204, 252, 253
  } kCases[] = {
      {"custom zone 12 grays sub-layer 12", false, 12, 0, {false, true, false, false, false, false}},
      {"custom zone 9 is below the range", false, 9, 0, {false, false, false, false, false, false}},
      {"custom zone 253 is above the range", false, 253, 0, {false, false, false, false, false, false}},
      {"arp zone 205, limit 203: 204..252 grayed", true, 205, 203, {false, false, false, true, true, false}},
      {"arp zone 199 is below the range", true, 199, 0, {false, false, false, false, false, false}},
  };
  GuiTestPlug plug;
  for (const auto& c : kCases) {
    std::unique_ptr<ControlLayer> layer(MakeLayer(&plug, 1, {9, 12, 203, 204, 252, 253}));
    if (c.arp)
      layer->GrayOutUserArp(false, c.zone, c.limit);
    else
      layer->GrayOutCustomZone(true, c.zone);
    EXPECT_EQ(layer->zoneId, c.zone) << c.why;
    EXPECT_EQ(GrayedSubs(layer.get()), c.grayed) << c.why;
  }
}

TEST(ControlLayerIgnoreHidden, SetOnTheLayersAndTheirFirstControls) {
  GuiTestPlug plug;
  std::unique_ptr<ControlLayer> layer(MakeLayer(&plug, 1, {0}));
  layer->controls.Add(new IControl(&plug, IRECT(0, 0, 5, 5)));
  layer->setIgnoreHiddenWhenUpdatingScreen(true);
  EXPECT_TRUE(layer->ignoreHiddenWhenUpdatingScreen);
  EXPECT_TRUE(layer->subLayers.Get(0)->ignoreHiddenWhenUpdatingScreen);
  EXPECT_TRUE(layer->controls.Get(0)->GetIgnoreHidden());
  EXPECT_FALSE(layer->controls.Get(1)->GetIgnoreHidden()) << "only the first control";
  EXPECT_TRUE(layer->subLayers.Get(0)->controls.Get(0)->GetIgnoreHidden());

  ControlLayer empty(2, "empty");
  empty.setIgnoreHiddenWhenUpdatingScreen(true);
  EXPECT_TRUE(empty.ignoreHiddenWhenUpdatingScreen);
}

TEST(ControlLayerDirty, HidingReportsTheAreaLeftOnceThenOnlyWithTheIgnoreHiddenFlags) {
  GuiTestPlug plug;
  std::unique_ptr<ControlLayer> layer(MakeLayer(&plug, 1, {}, IRECT(5, 5, 15, 15)));
  layer->Hide(false);
  IRECT r;
  ASSERT_TRUE(layer->isDirty(&r));  // new controls start dirty
  layer->controls.Get(0)->SetClean();
  layer->controls.Get(0)->SetClean();
  layer->Hide(true);
  r = IRECT();
  EXPECT_TRUE(layer->isDirty(&r)) << "the area the layer covered is drawn again";
  EXPECT_EQ(r, IRECT(5, 5, 15, 15));
  r = IRECT();
  EXPECT_FALSE(layer->isDirty(&r)) << "a hidden layer is not asked again";
  layer->Hide(true);
  EXPECT_FALSE(layer->isDirty(&r)) << "hiding a hidden layer leaves no area";
  layer->setIgnoreHiddenWhenUpdatingScreen(true);
  EXPECT_TRUE(layer->isDirty(&r));
  EXPECT_EQ(r, IRECT(5, 5, 15, 15));
}

// Hit tests, drawing and dirty areas of layers inside the GUI.
class LayerInGuiTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    gui->AttachBackground(1, "background.png", 1.0);
    below = Attach(new IControl(&plug, IRECT(0, 0, 100, 100), GuiTestPlug::kFirstPlain));
  }
  IControl* below = nullptr;
};

TEST_F(LayerInGuiTest, AVisibleLayerIsInFrontOfTheControlList) {
  ControlLayer* layer = MakeLayer(&plug, 1, {0}, IRECT(10, 10, 50, 50));
  gui->AttachLayer(layer);
  EXPECT_EQ(gui->GetMouseControlIdx(20, 20), below) << "an invisible layer hits nothing";
  layer->Hide(false);
  EXPECT_EQ(gui->GetMouseControlIdx(20, 20), layer->subLayers.Get(0)->controls.Get(0))
      << "sub-layers lie in front of their parent's own controls";
  layer->subLayers.Get(0)->controls.Get(0)->Hide(true);
  EXPECT_EQ(gui->GetMouseControlIdx(20, 20), layer->controls.Get(0));
  layer->controls.Get(0)->GrayOut(true);
  EXPECT_EQ(gui->GetMouseControlIdx(20, 20), layer->controls.Get(0)) << "grayed controls in layers are hit";
  below->GrayOut(true);
  EXPECT_EQ(gui->GetMouseControlIdx(60, 60), gui->GetControl(0)) << "grayed listed controls are passed over";
}

TEST_F(LayerInGuiTest, AVisibleSubLayerOfAHiddenLayerIsDrawnButNeitherHitNorAsked) {
  auto* parent = new ControlLayer(1, "parent");
  auto* sub = new ControlLayer(2, "shown sub-layer");
  auto* panel = new IPanelControl(&plug, IRECT(120, 20, 160, 60), &COLOR_RED);
  sub->controls.Add(panel);
  sub->visible = true;
  parent->subLayers.Add(sub);
  gui->AttachLayer(parent);

  IRECT all(0, 0, 320, 200);
  gui->Draw(&all);
  EXPECT_EQ(Pixel(130, 30), COLOR_RED.ToPixel());
  EXPECT_EQ(gui->GetMouseControlIdx(130, 30), gui->GetControl(0));
  panel->SetDirty(false);
  IRECT r;
  EXPECT_FALSE(gui->IsDirty(&r));
}

TEST_F(LayerInGuiTest, HidingAPageRepaintsWhatLayBeneathItsControlsAndItsSubLayers) {
  auto* page = new ControlLayer(1, "page");
  page->controls.Add(new IPanelControl(&plug, IRECT(120, 20, 160, 60), &COLOR_RED));
  auto* zone = new ControlLayer(0, "zone");
  zone->controls.Add(new IPanelControl(&plug, IRECT(200, 120, 240, 160), &COLOR_RED));
  page->subLayers.Add(zone);
  gui->AttachLayer(page);
  page->Hide(false);
  IRECT all(0, 0, 320, 200);
  gui->Draw(&all);
  gui->Draw(&all);  // a control marked dirty takes two passes to come clean
  ASSERT_EQ(Pixel(130, 30), COLOR_RED.ToPixel());
  ASSERT_EQ(Pixel(210, 130), COLOR_RED.ToPixel());
  IRECT r;
  ASSERT_FALSE(gui->IsDirty(&r));

  // Hidden on its own, with nothing else changing: its whole area is dirty
  // once, and drawing it shows the background where the page was.
  page->Hide(true);
  r = IRECT();
  ASSERT_TRUE(gui->IsDirty(&r));
  EXPECT_EQ(r, IRECT(120, 20, 240, 160));
  gui->Draw(&r);
  const IBitmap background = Image("background.png");
  EXPECT_EQ(Pixel(130, 30), PIX_GetPixel(background.mData, 130, 30));
  EXPECT_EQ(Pixel(210, 130), PIX_GetPixel(background.mData, 210, 130));
  r = IRECT();
  EXPECT_FALSE(gui->IsDirty(&r)) << "the area is repainted once";

  // A zone hidden inside a page that stays leaves its own area only.
  page->Hide(false);
  gui->Draw(&all);
  gui->Draw(&all);
  r = IRECT();
  ASSERT_FALSE(gui->IsDirty(&r));
  zone->Hide(true);
  r = IRECT();
  ASSERT_TRUE(gui->IsDirty(&r));
  EXPECT_EQ(r, IRECT(200, 120, 240, 160));
}

TEST_F(LayerInGuiTest, AGrayedLayerDrawsAtHalfWeightAndItsKnobIgnoresDrags) {
  auto* layer = new ControlLayer(1, "page");
  auto* panel = new IPanelControl(&plug, IRECT(120, 20, 160, 60), &COLOR_RED);
  IBitmap knob = Image("knob.png", 32);
  auto* control = new IKnobMultiControl(&plug, 200, 20, GuiTestPlug::kFirstPlain + 1, &knob);
  layer->controls.Add(panel);
  layer->controls.Add(control);
  gui->AttachLayer(layer);
  layer->Hide(false);
  layer->GrayOut(true);

  const PIX_pixel background = PIX_GetPixel(Image("background.png").mData, 130, 30);
  IRECT all(0, 0, 320, 200);
  gui->Draw(&all);
  PIX_MemBitmap expected(1, 1, 0);
  PIX_Clear(&expected, background);
  PIX_FillRect(&expected, 0, 0, 1, 1, COLOR_RED.ToPixel(), 0.5f, PIX_BLIT_USE_SOURCE_ALPHA);
  EXPECT_EQ(Pixel(130, 30), PIX_GetPixel(&expected, 0, 0));

  IMouseMod left(true);
  gui->OnMouseDown(210, 30, &left);
  EXPECT_EQ(gui->GetMouseCapture(), control) << "the grayed knob is hit";
  gui->OnMouseDrag(210, 10, &left);
  EXPECT_EQ(control->GetValue(), 0.0) << "but ignores the drag";
}

TEST(ControlLayerLookup, ControlFromParamSearchesVisibleLayersFrontFirst) {
  GuiTestPlug plug;
  ControlLayer layer(1, "page");
  IControl* own = new IControl(&plug, IRECT(), 5);
  layer.controls.Add(own);
  auto* sub = new ControlLayer(0, "zone");
  IControl* inSub = new IControl(&plug, IRECT(), 5);
  sub->controls.Add(inSub);
  layer.subLayers.Add(sub);
  EXPECT_EQ(layer.getControlFromParam(5), nullptr);
  layer.Hide(false);
  EXPECT_EQ(layer.getControlFromParam(5), inSub);
  EXPECT_EQ(layer.getControlFromParam(6), nullptr);
}
