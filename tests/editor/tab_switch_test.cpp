// The main tab switch of the real editor: the page of each tab, the overlays
// and menus reset on every switch, the librarian's page by the edited bank's
// state and the lower list's mode, and the sound editor's indicators and
// halves.
#include <thread>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IParam.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/params_description.h"

namespace {

class TabSwitchTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    UseDescriptions(kParamsUiDescription, kParamsSysexDescription);
    plug = Open();
    ASSERT_NE(plug, nullptr);
    root = plug->layerNamed("root");
    ASSERT_NE(root, nullptr);
  }
  void Set(int index, double value) { plug->setParameterNoHandler(index, value); }
  void SwitchTo(int tab) { TabSwitchFunctions::mainTabSwitch(plug, kMainTab, tab, 0); }
  bool Shown(const char* name) {
    ControlLayer* layer = plug->layerNamed(name);
    EXPECT_NE(layer, nullptr) << name;
    return layer && layer->visible;
  }
  static bool Shown(const ControlLayer* layer) { return layer && layer->visible; }
  ControlLayer* Page(int id) {
    for (int i = 0; i < root->subLayers.GetSize(); ++i)
      if (root->subLayers.Get(i)->id == id) return root->subLayers.Get(i);
    return nullptr;
  }
  // Every overlay a switch must close, whatever was open before.
  void OpenEverything() {
    for (const char* name :
         {"aboutWindow", "syncIndicator", "crossModIndicator", "arpTempoKnob", "arpTempoSync", "arpeggiator",
          "envelopes", "categoryLimit", "searchField", "saveChangesLayer", "discardChangesLayerRight"})
      VivivI::hideLayer(plug->layerNamed(name), false);
    for (ControlLayer* menu : plug->librarianMenuLayers) VivivI::hideLayer(menu, false);
    plug->randomizeControl->GrayOut(true);
  }

  VivivI* plug = nullptr;
  ControlLayer* root = nullptr;
};

TEST_F(TabSwitchTest, EachTabShowsItsPageAloneAndClosesTheOverlays) {
  for (int tab : {0, 1, 2}) {
    SCOPED_TRACE("tab " + std::to_string(tab));
    OpenEverything();
    SwitchTo(tab);
    EXPECT_EQ(root->zoneId.Load(), tab);
    for (int id : {0, 1, 2}) EXPECT_EQ(Shown(Page(id)), id == tab) << "page " << id;
    EXPECT_EQ(Shown("miniMixer"), tab != 0 && tab != 1);
    for (const char* name : {"aboutWindow", "syncIndicator", "crossModIndicator", "arpTempoSync"})
      EXPECT_FALSE(Shown(name)) << name;
    ASSERT_NE(plug->randomizeControl, nullptr);
    EXPECT_FALSE(plug->randomizeControl->IsGrayed());
  }
}

TEST_F(TabSwitchTest, AnOpenedPageStartsOnItsFirstZone) {
  ControlLayer* page = Page(2);
  page->zoneId = 1;
  SwitchTo(2);
  EXPECT_EQ(page->zoneId.Load(), 0);
  EXPECT_TRUE(Shown(page->subLayers.Get(0)));
  EXPECT_FALSE(Shown(page->subLayers.Get(1)));
}

TEST_F(TabSwitchTest, TabZeroOpensNothingElse) {
  Set(kEditPage2Switch, 0);
  OpenEverything();
  SwitchTo(0);
  EXPECT_TRUE(Shown(Page(0)));
  EXPECT_FALSE(Shown("miniMixer"));
  EXPECT_FALSE(Shown("envelopes"));
  EXPECT_FALSE(Shown("saveChangesLayer"));
  EXPECT_FALSE(Shown("categoryLimit"));
}

TEST_F(TabSwitchTest, AnUnknownTabHidesEveryPageAndStillResetsTheOverlays) {
  OpenEverything();
  SwitchTo(7);
  for (int id : {0, 1, 2}) EXPECT_FALSE(Shown(Page(id))) << "page " << id;
  EXPECT_TRUE(Shown("miniMixer"));
  EXPECT_FALSE(Shown("aboutWindow"));
  EXPECT_FALSE(Shown("envelopes"));
  EXPECT_FALSE(Shown("searchField"));
  // The five menus of the two librarian lists; the program menus are the
  // librarian glue's.
  for (int menu : {kMenuLeftPatch, kMenuRightPatch, kMenuBankEdit, kMenuRightCategory, kMenuRightSearch}) {
    ASSERT_NE(plug->librarianMenuLayers[menu], nullptr);
    EXPECT_FALSE(Shown(plug->librarianMenuLayers[menu])) << plug->librarianMenuLayers[menu]->name;
  }
}

// ---- The sound editor ---------------------------------------------------------------

TEST_F(TabSwitchTest, TheSoundPageLightsTheOctaveIndicatorsOfWholeOctaves) {
  struct Case {
    int semitone1, semitone2, semitone3;
    int lit1, lit2, lit3;
  };
  const Case cases[] = {{36, 37, 0, 1, 0, 1}, {1, 96, 84, 0, 1, 1}, {12, 100, 5, 1, 0, 0}};
  for (const Case& c : cases) {
    Set(kOscillator1Semitone, c.semitone1);
    Set(kOscillator2Semitone, c.semitone2);
    Set(kOscillator3Semitone, c.semitone3);
    SwitchTo(2);
    EXPECT_EQ(Value(kOscillator1OctaveIndicator), c.lit1);
    EXPECT_EQ(Value(kOscillator2OctaveIndicator), c.lit2);
    EXPECT_EQ(Value(kOscillator3OctaveIndicator), c.lit3);
  }
}

TEST_F(TabSwitchTest, TheSoundPageShowsSyncAndCrossModulationByTheSecondOscillator) {
  Set(kOscillator2Sync, 1);
  Set(kOscillator2Shape, 3);
  SwitchTo(2);
  EXPECT_TRUE(Shown("syncIndicator"));
  EXPECT_TRUE(Shown("crossModIndicator"));
  Set(kOscillator2Sync, 0);
  Set(kOscillator2Shape, 2);
  SwitchTo(2);
  EXPECT_FALSE(Shown("syncIndicator"));
  EXPECT_FALSE(Shown("crossModIndicator"));
}

TEST_F(TabSwitchTest, TheSoundPageShowsTheEnvelopesOrTheArpeggiatorWithItsTempoSource) {
  struct Case {
    int page2, arpSync;
    bool envelopes, arpeggiator, tempoKnob, tempoSync;
  };
  const Case cases[] = {
      {0, 1, true, false, false, false},
      {1, 0, false, true, true, false},
      {1, 1, false, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("page 2 switch " + std::to_string(c.page2) + ", arp sync " + std::to_string(c.arpSync));
    Set(kEditPage2Switch, c.page2);
    Set(kArpSyncIndicator, c.arpSync);
    SwitchTo(2);
    EXPECT_EQ(Shown("envelopes"), c.envelopes);
    EXPECT_EQ(Shown("arpeggiator"), c.arpeggiator);
    EXPECT_EQ(Shown("arpTempoKnob"), c.tempoKnob);
    EXPECT_EQ(Shown("arpTempoSync"), c.tempoSync);
  }
}

// ---- The librarian ---------------------------------------------------------------------

TEST_F(TabSwitchTest, TheLibrarianPageOffersSavingAndTheEditedBanksMenuOrItsDiscard) {
  ControlLayer* leftMenu = plug->librarianMenuLayers[kMenuLeftPatch];
  Set(kBankEditUnsaved, 0);
  SwitchTo(1);
  EXPECT_TRUE(Shown("saveChangesLayer"));
  EXPECT_FALSE(Shown("discardChangesLayerRight"));
  EXPECT_FALSE(Shown("miniMixer"));
  EXPECT_TRUE(Shown(leftMenu));
  Set(kBankEditUnsaved, 1);
  SwitchTo(1);
  EXPECT_TRUE(Shown("discardChangesLayerRight"));
  EXPECT_FALSE(Shown(leftMenu));
}

TEST_F(TabSwitchTest, TheLibrarianPageFollowsTheLowerListsMode) {
  ControlLayer* const* menus = plug->librarianMenuLayers.data();
  struct Case {
    bool categories, search;
    bool categoryLimit, searchField;
    int menu;
  };
  const Case cases[] = {
      {false, false, true, false, kMenuRightPatch},
      {true, false, true, false, kMenuRightCategory},
      {false, true, false, true, kMenuRightSearch},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("categories " + std::to_string(c.categories) + ", search " + std::to_string(c.search));
    plug->flags.lowerShowsCategories = c.categories;
    plug->flags.lowerShowsSearch = c.search;
    SwitchTo(1);
    EXPECT_EQ(Shown("categoryLimit"), c.categoryLimit);
    EXPECT_EQ(Shown("searchField"), c.searchField);
    for (int menu : {kMenuRightPatch, kMenuRightCategory, kMenuRightSearch})
      EXPECT_EQ(Shown(menus[menu]), menu == c.menu) << "menu " << menu;
  }
}

TEST_F(TabSwitchTest, ASwitchAskedForOnAnotherThreadRunsOnTheGUIThread) {
  std::thread worker([&] { SwitchTo(0); });
  worker.join();
  EXPECT_EQ(root->zoneId.Load(), 2) << "nothing changes off the GUI thread";
  Tick();
  EXPECT_EQ(root->zoneId.Load(), 0);
  EXPECT_TRUE(Shown(Page(0)));
}

// A page chosen after a switch was asked for off the GUI thread, before it
// ran: the user's newer page stays.
TEST_F(TabSwitchTest, ALateSwitchFromAnotherThreadLeavesAPageChosenSince) {
  std::thread worker([&] { SwitchTo(2); });
  worker.join();
  Set(kMainTab, 1);
  SwitchTo(1);
  Tick();
  EXPECT_EQ(root->zoneId.Load(), 1);
  EXPECT_TRUE(Shown(Page(1)));
}

}  // namespace
