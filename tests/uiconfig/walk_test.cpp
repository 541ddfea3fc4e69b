// The element walk: document order, layers and multilayer instances, the
// structure elements, the dispatch of every control element kind to its
// factory with its arguments, and what a hostile description cannot do.
#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "tests/uiconfig/uiconfig_fixture.h"

namespace {

class Walk : public UIConfigTest {
 protected:
  void readFixture() {
    gui->serveFixture("sysex.tea", "sysex.tea");
    gui->serveFixture("uiconfig.tea", "uiconfig.tea");
    read();
  }
  ControlLayer* layerNamed(const std::string& name) {
    const auto found = manager->layersByName.find(name);
    return found == manager->layersByName.end() ? nullptr : found->second;
  }
};

// Arguments in the factories' own order; '' is an empty text, [a|b] a value
// list, p,s,t a link.
TEST_F(Walk, DispatchesEveryElementKindToItsFactoryInDocumentOrder) {
  readFixture();
  const std::vector<std::string> expected = {
      // top level: the display's name is always "Display"
      "createControlDisplay Display 174 10 20 100 12 -1 gui '' 3",
      // layer "root"
      "createBoolControl Sync 38 1 30 40 BUTTON_RED_ID -1 root Osc",
      "createSwitchControl Random 164 0 50 60 BUTTON_GREY_ID -1 root ''",
      "createDropDownMenu Bank 76 1 2 3 4 -1 root ''",
      "createMIDIDeviceSelectionControl MIDI Setup 166 5 6 7 8 1 -1 root ''",
      "createNameDisplay Name 78 9 10 11 12 16 -1 root ''",
      "createDropDownMenu2 Type 167 13 14 15 16 0 0 2 [poly|mono] -1 root ''",
      "createNoValKnobControl Offset 129 70 80 KNOB_ID21 0 -10 10 1 -1 root ''",
      "createNoValDropDown Timer 81 90 100 40 12 0 0 4 3 7 1 [saw|pulse|tri] -1 root '' true",
      // (the "multiFx" switch is built for real: see below)
      "createRadioControl Tab 194 130 140 BUTTON_BLUE_ID 4 -1 root Tabs",
      "createLibrarianView 200 100 197 16x12 200,100,600,400",
      // nested layer "sound"
      "createSysExKnobControl Cutoff 39 1 2 KNOB_ID127 64 0 127 1 3 2 8 -1 45,46,5 sound ''",
      "createSysExKnobControl2 Reso 45 3 4 KNOB_ID127 0 0 127 1 0 1 7 -1 -1,-1,-1 sound ''",
      "createSysExSliderControl Attack 16 5 6 90 BTN_18x18_ID 0 0 127 1 0 3 8 -1 -1,-1,-1 sound '' vertical "
      "false",
      "createSysExSliderControl Decay 17 7 8 80 BTN_18x18_ID 0 0 127 1 0 0 0 -1 -1,-1,-1 sound '' horizontal "
      "false",
      "createSysExBoolControl Sustain 52 9 10 BUTTON_PINK_ID 1 0 1 8 -1 -1,-1,-1 sound ''",
      "createCCSliderControl 7 2 Volume 21 11 12 70 BTN_18x18_ID 100 0 127 -1,-1,-1 -1 sound '' vertical "
      "false",
      "createCCSliderControl 10 0 Pan 20 13 14 60 BTN_18x18_ID 64 0 127 -1,-1,-1 -1 sound '' horizontal "
      "false",
      // a "menucontrol" of type "ccKnob" builds a knob
      "createCCKnobControl 5 3 Porta 22 15 16 KNOB_ID97 0 0 127 1 -1,-1,-1 -1 sound ''",
      "createCCBoolControl 80 0 Arp 53 17 18 BUTTON_RED_ID 0 0 127 -1,-1,-1 -1 sound ''",
      "createMsbLsbKnobControl 99 1 2 98 4 Tune 3 19 20 KNOB_ID127_FC 64 0 127 1 -1,-1,-1 -1 sound ''",
      "createMsbLsbBoolControl 99 3 4 98 0 Keytrack 37 21 22 BUTTON_RED_ID 0 0 1 -1,-1,-1 -1 sound ''",
      // the typed menus are 13 high whatever "position" says
      "createMsbLsbSelectionCCControl 99 5 6 98 0 Shape 6 23 24 50 13 0 0 3 1 2 [saw|pulse|tri] -1 sound ''",
      "createMultiSelectionSysExControl LFO 30 10 20 80 13 0 0 8 -1 -1 [saw|pulse|tri] 1 2 3 8 -1 sound ''",
      "createMultiSelectionCCControl 70 1 Mode 57 25 26 60 13 0 0 7 -1 -1 [] -1 sound ''",
      // multilayer "part": instance 0, then instance 1
      "createCCKnobControl 12 6 Level 10 31 32 KNOB_ID127 0 0 127 1 9,10,-1 0 miniMixer ''",
      "createCCKnobControl 12 6 Level 11 31 32 KNOB_ID127 0 0 127 1 10,11,-1 1 miniMixer ''",
  };
  EXPECT_EQ(expected, manager->calls);
}

TEST_F(Walk, BuildsTheLayerTreeAndFilesLayersByName) {
  readFixture();
  // Top level: the background control; the layers root, part0, part1.
  ASSERT_EQ(1, gui->NControls());
  auto* background = dynamic_cast<IBitmapControl*>(gui->GetControl(0));
  ASSERT_NE(nullptr, background);
  EXPECT_EQ(IRECT(10, 20, 26, 32), background->GetRECT());  // main-frame-bg is 16 x 12
  EXPECT_EQ(-1, background->ParamIdx());

  ASSERT_EQ(3, gui->NLayers());
  ControlLayer* root = gui->GetLayer(0);
  EXPECT_EQ("root", root->name);
  EXPECT_EQ(1, root->id);
  EXPECT_FALSE(root->visible.Load());
  EXPECT_EQ("part0", gui->GetLayer(1)->name);
  EXPECT_EQ(0, gui->GetLayer(1)->id);
  EXPECT_EQ("part1", gui->GetLayer(2)->name);
  EXPECT_EQ(1, gui->GetLayer(2)->id);

  // root holds the UI-only switch and the librarian list, and the nested
  // layer; the inner "overlay" gives way to the outer layer's.
  ASSERT_EQ(2, root->controls.GetSize());
  EXPECT_EQ(kSendMIDIClockInfo, root->controls.Get(0)->ParamIdx());
  EXPECT_EQ(manager->librarianView, root->controls.Get(1));
  EXPECT_EQ(kLibrarianArea, manager->librarianView->ParamIdx());
  ASSERT_EQ(1, root->subLayers.GetSize());
  ControlLayer* sound = root->subLayers.Get(0);
  EXPECT_EQ("sound", sound->name);
  EXPECT_EQ(5, sound->id);
  EXPECT_FALSE(sound->ignoreHiddenWhenUpdatingScreen.Load());

  // Each instance holds its own "miniMixer"; the map keeps the later one.
  ASSERT_EQ(1, gui->GetLayer(1)->subLayers.GetSize());
  ASSERT_EQ(1, gui->GetLayer(2)->subLayers.GetSize());
  EXPECT_EQ(gui->GetLayer(2)->subLayers.Get(0), layerNamed("miniMixer"));
  EXPECT_EQ(root, layerNamed("root"));
  EXPECT_EQ(sound, layerNamed("sound"));
  EXPECT_EQ(gui->GetLayer(1), layerNamed("part0"));
  EXPECT_EQ(nullptr, layerNamed("nothing"));
  EXPECT_EQ(5u, manager->layersByName.size());  // root, sound, miniMixer, part0, part1
}

TEST_F(Walk, LayerEdgeCases) {
  readDescription(
      "<uiconfig>"
      "<layer name=\"twice\" id=\"1\"/><layer name=\"twice\" id=\"2\"/>"
      "<voicelayer name=\"outer\" overlay=\"true\"><layer name=\"inner\"><layer "
      "name=\"deep\"/></layer></voicelayer>"
      "<layer id=\"3\"><background imageId=\"BG_ID_PLAIN\" position=\"1,1\"/></layer>"
      "<multilayer name=\"none\" create=\"0\"><layer name=\"never\"/></multilayer>"
      "<multilayer name=\"neg\" create=\"-4\"><layer name=\"never\"/></multilayer>"
      "</uiconfig>");
  // Both layers of one name are built; the map keeps the later.
  ASSERT_EQ(4, gui->NLayers());
  EXPECT_EQ(2, manager->layersByName["twice"]->id);
  EXPECT_EQ(gui->GetLayer(1), manager->layersByName["twice"]);
  // The outermost "overlay" reaches every nested layer.
  EXPECT_TRUE(manager->layersByName["outer"]->ignoreHiddenWhenUpdatingScreen.Load());
  EXPECT_TRUE(manager->layersByName["deep"]->ignoreHiddenWhenUpdatingScreen.Load());
  // A nameless layer is built and logged, its background in it only.
  EXPECT_EQ(1, gui->GetLayer(3)->controls.GetSize());
  EXPECT_EQ(0, gui->NControls());
  EXPECT_TRUE(logged("a layer on line 1 has no name"));
  EXPECT_EQ(0u, manager->layersByName.count("never"));
  EXPECT_EQ(0u, manager->layersByName.count("none0"));
}

TEST_F(Walk, ShortNumberListsLeaveZerosAndAreLogged) {
  readDescription(
      "<uiconfig><layer name=\"l\">"
      "<knobcontrol type=\"ccKnob\" name=\"k\" paramId=\"kFilterCutoff\" position=\"7\" valueBounds=\"1,2\"/>"
      "<dropMenu type=\"textSelection\" name=\"m\" paramId=\"kBankSelection\"/>"
      "</layer></uiconfig>");
  EXPECT_EQ((std::vector<std::string>{
                "createCCKnobControl 0 0 k 39 7 0 '' 1 2 0 0 -1,-1,-1 -1 l ''",
                "createDropDownMenu m 76 0 0 0 0 -1 l ''",
            }),
            manager->calls);
  EXPECT_TRUE(logged("knobcontrol \"k\" on line 1: position gives 1 of 2 numbers; the others are 0"));
  EXPECT_TRUE(logged("knobcontrol \"k\" on line 1: valueBounds gives 2 of 4 numbers; the others are 0"));
  EXPECT_TRUE(logged("dropMenu \"m\" on line 1: bounds gives 0 of 4 numbers; the others are 0"));
}

TEST_F(Walk, ValueDisplayNeedsExactlyTwoNumbers) {
  const struct {
    const char* valueDisplay;
    const char* shown;
  } cases[] = {{"3:7", "3 7"}, {"3", "-1 -1"}, {"3:7:9", "-1 -1"}, {"a:7", "-1 -1"}, {"", "-1 -1"}};
  std::string body;
  std::vector<std::string> expected;
  for (const auto& c : cases) {
    body += std::string(
                "<menucontrol type=\"ccMenu\" name=\"m\" paramId=\"kArpMode\" position=\"1,2,3\" "
                "valueBounds=\"0,0,1\" valueDisplay=\"") +
            c.valueDisplay + "\"/>";
    expected.push_back(std::string("createMultiSelectionCCControl 0 0 m 57 1 2 3 13 0 0 1 ") + c.shown +
                       " [] -1 l ''");
  }
  readDescription("<uiconfig><layer name=\"l\">" + body + "</layer></uiconfig>");
  EXPECT_EQ(expected, manager->calls);
}

TEST_F(Walk, FactoriesNotBuiltYetAreLoggedAndTheWalkGoesOn) {
  gui->serveText("sysex.tea", "<sysexlist/>");
  gui->serveText("uiconfig.tea",
                 "<uiconfig><layer name=\"l\">"
                 "<knobcontrol type=\"ccKnob\" name=\"Cutoff\" paramId=\"kFilterCutoff\" position=\"1,2\" "
                 "valueBounds=\"0,0,127,1\"/>"
                 "<patchBrowser bounds=\"1,2,3,4\"/>"
                 "<multiFx type=\"Switch\" name=\"Clock\" paramId=\"kSendMIDIClockInfo\" position=\"0,0\" "
                 "valueBounds=\"1\"/>"
                 "</layer></uiconfig>");
  UIConfigManager plain;
  plain.readUIConfig(gui.get(), editor.get(), nullptr, 0, 1.0);
  // The knob factory is built; the librarian list is not.
  EXPECT_FALSE(logged("createCCKnobControl is not available"));
  EXPECT_TRUE(logged("the librarian list is not available; patchBrowser is not built"));
  ASSERT_EQ(1, gui->NLayers());
  EXPECT_EQ(2, gui->GetLayer(0)->controls.GetSize());  // the knob, then the switch after the browser
  EXPECT_EQ(nullptr, plain.librarianView);
  releaseControlActions(editor.get());
}

TEST_F(Walk, DeepNestingAndLongSiblingChainsAreBounded) {
  // Nesting beyond the limit is skipped (the parser itself stops at its own
  // depth); a long chain of siblings is walked in a loop.
  std::string deep;
  for (int i = 0; i < UIConfigManager::kMaxNestingDepth + 5; ++i)
    deep += "<layer name=\"n" + std::to_string(i) + "\">";
  for (int i = 0; i < UIConfigManager::kMaxNestingDepth + 5; ++i) deep += "</layer>";
  std::string siblings;
  for (int i = 0; i < 20000; ++i) siblings += "<x/>";
  readDescription(
      "<uiconfig>" + deep + siblings +
      "<multiFx type=\"Switch\" name=\"last\" paramId=\"kPartLock\" position=\"0,0\" valueBounds=\"0\"/>"
      "</uiconfig>");
  EXPECT_EQ(1u, manager->layersByName.count("n" + std::to_string(UIConfigManager::kMaxNestingDepth)));
  EXPECT_EQ(0u, manager->layersByName.count("n" + std::to_string(UIConfigManager::kMaxNestingDepth + 1)));
  EXPECT_TRUE(logged("elements nested deeper than 64 levels"));
  ASSERT_EQ(1, gui->NControls());
  EXPECT_EQ(kPartLock, gui->GetControl(0)->ParamIdx());
}

TEST_F(Walk, TheBudgetEndsARunawayMultilayer) {
  manager->setWalkBudget(1000);
  readDescription(
      "<uiconfig><multilayer name=\"m\" create=\"2147483647\"><multilayer name=\"i\" create=\"2147483647\"/>"
      "</multilayer></uiconfig>");
  EXPECT_LE(manager->layersByName.size(), 1000u);
  EXPECT_TRUE(logged("the UI description asks for too many elements; the rest is not built"));
}

}  // namespace
