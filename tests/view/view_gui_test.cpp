// The GUI on its platform binding, headless, on both roads: scripted mouse,
// wheel, key, menu and text-entry events change the plug-in's parameters as
// the GUI's rules say, and the window shows the draw bitmap.
#include <cstring>

#include "KIT/IModule/IControl.h"
#include "KIT/pix/pix-sysbitmap.h"
#include "tests/view/gui_fixture.h"

namespace {

class BothRoadsTest : public GuiOnViewTest, public ::testing::WithParamInterface<GuiOnViewTest::Road> {
 protected:
  void SetUp() override {
    GuiOnViewTest::SetUp();
    ASSERT_NE(OpenEditor(GetParam()), nullptr);
  }
  // The menu's entry under the script: aims a press-drag-release at it as
  // soon as the menu shows.
  void ChooseInMenu(int entry) {
    m_backend->onMenu = [this, entry, aimed = false](HeadlessBackend& b) mutable {
      if (aimed || b.MenuLevels() != 1 || !m_view->MenuWalk()) return;
      aimed = true;
      const ViewRect r = m_view->MenuWalk()->ItemRect(0, entry);
      ViewEvent e;
      e.kind = ViewEvent::kMotion;
      e.rootX = (r.L + r.R) / 2, e.rootY = (r.T + r.B) / 2;
      b.Queue(e);
      e.kind = ViewEvent::kButtonRelease;
      e.button = 1;
      b.Queue(e);
    };
  }
  bool FrameEqualsDrawBitmap() {
    PIX_SysBitmap* bm = m_gui->GetDrawBitmap();
    for (int y = 0; y < kViewPlugHeight; ++y)
      for (int x = 0; x < kViewPlugWidth; ++x)
        if (m_backend->FramePixel(x, y) != bm->getBits()[y * bm->getRowSpan() + x]) {
          ADD_FAILURE() << "window and draw bitmap differ at " << x << ", " << y;
          return false;
        }
    return true;
  }
};

INSTANTIATE_TEST_SUITE_P(Roads, BothRoadsTest,
                         ::testing::Values(GuiOnViewTest::kHostWindow, GuiOnViewTest::kViewFactory),
                         [](const ::testing::TestParamInfo<GuiOnViewTest::Road>& info) {
                           return info.param == GuiOnViewTest::kHostWindow ? "HostWindow" : "ViewFactory";
                         });

TEST_P(BothRoadsTest, TheWindowShowsTheDrawBitmap) {
  EXPECT_TRUE(m_gui->WindowIsOpen());
  EXPECT_STREQ(m_gui->GetGUIAPI(), GetParam() == kHostWindow ? "Carbon Composited gui" : "Cocoa gui");
  EXPECT_TRUE(FrameEqualsDrawBitmap());
  m_backend->Click(CX(ViewPlugControls::Switch()), CY(ViewPlugControls::Switch()));
  Run();
  EXPECT_TRUE(FrameEqualsDrawBitmap());
  Run();  // a control may stay marked for one more frame
  // An idle tick paints nothing.
  const int puts = m_backend->PutCount();
  Run();
  Run();
  EXPECT_EQ(m_backend->PutCount(), puts);
}

TEST_P(BothRoadsTest, APressTogglesTheSwitch) {
  const IRECT s = ViewPlugControls::Switch();
  m_backend->Click(CX(s), CY(s));
  Run();
  EXPECT_EQ(m_plug->Value(kViewSync), 1.0);
  m_backend->Click(CX(s), CY(s));
  Run();
  EXPECT_EQ(m_plug->Value(kViewSync), 0.0);
}

TEST_P(BothRoadsTest, DragWheelKeysAndDoubleClickMoveTheKnob) {
  const IRECT k = ViewPlugControls::Knob();
  const struct {
    const char* why;
    std::function<void(HeadlessBackend*)> script;
    double cutoff;
  } kCases[] = {
      {"drag up 10 pixels adds a tenth",
       [&](HeadlessBackend* b) {
         b->Press(CX(k), CY(k));
         b->Move(CX(k), CY(k) - 10, kViewButton1Held);
         b->Release(CX(k), CY(k) - 10);
       },
       60.0},
      {"a double click goes back to the default", [&](HeadlessBackend* b) { b->DoubleClick(CX(k), CY(k)); },
       50.0},
      {"one wheel step up adds a hundredth", [&](HeadlessBackend* b) { b->Wheel(CX(k), CY(k), +1); }, 51.0},
      {"with Shift a thousandth", [&](HeadlessBackend* b) { b->Wheel(CX(k), CY(k), -1, false, kViewShift); },
       50.9},
      {"the horizontal wheel does nothing", [&](HeadlessBackend* b) { b->Wheel(CX(k), CY(k), +1, true); },
       50.9},
      {"arrow up over the knob adds a tenth",
       [&](HeadlessBackend* b) {
         b->Move(CX(k), CY(k));
         b->Key(kViewSpecialUp);
       },
       60.9},
      {"a key the knob does not take changes nothing", [&](HeadlessBackend* b) { b->Type("q"); }, 60.9},
  };
  for (const auto& c : kCases) {
    c.script(m_backend);
    Run();
    EXPECT_NEAR(m_plug->Value(kViewCutoff), c.cutoff, 1e-6) << c.why;
  }
  EXPECT_EQ(m_backend->ForwardedKeys().size(), 1u);  // "q" went on to the host
}

TEST_P(BothRoadsTest, TheMenuOfAParametersTextsSetsItsValue) {
  const IRECT m = ViewPlugControls::Menu();
  ChooseInMenu(2);
  m_backend->Click(CX(m), CY(m));
  Run();
  EXPECT_EQ(m_plug->Value(kViewWave), 2.0);
  EXPECT_EQ(m_backend->MostMenuLevels(), 1);
  EXPECT_EQ(m_backend->MenuLevels(), 0);
}

TEST_P(BothRoadsTest, TheMenuOpensBelowTheControlWithTheCurrentTextChecked) {
  const IRECT m = ViewPlugControls::Menu();
  ViewRect shown;
  bool checkedFirst = false;
  m_backend->onMenu = [&](HeadlessBackend& b) {
    shown = b.MenuRect(0);
    checkedFirst = m_view->MenuWalk()->LevelAt(0).menu->items[0].checked;
  };
  m_backend->Click(CX(m), CY(m));  // the script then runs out: the menu is dismissed
  Run();
  EXPECT_EQ(shown.L, m.L);
  EXPECT_EQ(shown.T, m.B + 5);
  EXPECT_TRUE(checkedFirst);
  EXPECT_EQ(m_plug->Value(kViewWave), 0.0);
}

TEST_P(BothRoadsTest, TypedNumbersAreFilteredAndTakenOnReturn) {
  const IRECT k = ViewPlugControls::Knob(), v = ViewPlugControls::Voices();
  m_backend->Click(CX(k), CY(k), 3);
  Run();
  ASSERT_NE(m_view->TextEntry(), nullptr);
  // The prompt box: 30 x 16 centred on the knob.
  const ViewRect field = m_backend->FieldRect();
  EXPECT_EQ(field.L, CX(k) - 15);
  EXPECT_EQ(field.T, CY(k) - 8);
  EXPECT_EQ(m_view->TextEntry()->Text(), "50.0");
  m_backend->Type("7,5.5x");
  m_backend->Key(kViewSpecialReturn);
  Run();
  EXPECT_DOUBLE_EQ(m_plug->Value(kViewCutoff), 75.5);
  EXPECT_FALSE(m_backend->FieldShown());
  // An integer refuses the decimal point.
  m_backend->Click(CX(v), CY(v), 3);
  m_backend->Type("3.");
  m_backend->Key(kViewSpecialReturn);
  Run();
  EXPECT_EQ(m_plug->Value(kViewVoices), 3.0);
}

// Tab and the loss of the keyboard focus take the typed text on the view
// factory's road; on the host window's road Tab does nothing and a
// deactivated window drops the entry. The wheel drops it on both.
TEST_P(BothRoadsTest, TabFocusLossAndTheWheelEndTheEntryByTheRoadsRules) {
  const bool factory = GetParam() == kViewFactory;
  const IRECT k = ViewPlugControls::Knob(), v = ViewPlugControls::Voices();
  m_backend->Click(CX(v), CY(v), 3);
  m_backend->Type("6");
  m_backend->Key(kViewSpecialTab);
  Run();
  EXPECT_EQ(m_plug->Value(kViewVoices), factory ? 6.0 : 4.0);
  EXPECT_EQ(m_view->TextEntry() != nullptr, !factory) << "Tab ends the entry only on the view's road";
  m_gui->ForceEndUserEdit();

  m_backend->Click(CX(k), CY(k), 3);
  m_backend->Type("20");
  m_backend->FocusOut();
  Run();
  EXPECT_NEAR(m_plug->Value(kViewCutoff), factory ? 20.0 : 50.0, 1e-9);
  EXPECT_EQ(m_view->TextEntry(), nullptr);

  const double before = m_plug->Value(kViewCutoff);
  m_backend->Click(CX(k), CY(k), 3);
  m_backend->Type("30");
  m_backend->Wheel(CX(k), CY(k), +1);
  Run();
  EXPECT_NEAR(m_plug->Value(kViewCutoff), before + 1.0, 1e-9);  // the wheel step, not the text
  EXPECT_EQ(m_view->TextEntry(), nullptr);
}

TEST_P(BothRoadsTest, AClickElsewhereTakesTheEntryAndActs) {
  const IRECT k = ViewPlugControls::Knob(), s = ViewPlugControls::Switch();
  m_backend->Click(CX(k), CY(k), 3);
  m_backend->Type("12");
  m_backend->Click(CX(s), CY(s));
  Run();
  EXPECT_DOUBLE_EQ(m_plug->Value(kViewCutoff), 12.0);
  EXPECT_EQ(m_plug->Value(kViewSync), 1.0);
}

TEST_P(BothRoadsTest, AFreeTextEntryGoesToItsControl) {
  const IRECT n = ViewPlugControls::Note();
  m_backend->Click(CX(n), CY(n));
  Run();
  ASSERT_NE(m_view->TextEntry(), nullptr);
  EXPECT_EQ(m_view->TextEntry()->Text(), "note");
  m_backend->Type("Hi there!");
  m_backend->Key(kViewSpecialReturn);
  Run();
  EXPECT_EQ(m_plug->NoteText(), "Hi there!");
}

// Escape drops the entry on both roads: the value stays, and the plug-in
// hears which parameter's entry was given up (a free entry has none).
TEST_P(BothRoadsTest, EscapeDropsTheEntryAndThePlugInHearsOfIt) {
  const IRECT k = ViewPlugControls::Knob(), n = ViewPlugControls::Note();
  m_backend->Click(CX(k), CY(k), 3);
  m_backend->Type("20");
  m_backend->Key(kViewSpecialEscape);
  Run();
  EXPECT_EQ(m_view->TextEntry(), nullptr);
  EXPECT_DOUBLE_EQ(m_plug->Value(kViewCutoff), 50.0);
  EXPECT_EQ(m_plug->Dropped(), std::vector<int>{kViewCutoff});

  m_backend->Click(CX(n), CY(n));
  m_backend->Type("gone");
  m_backend->Key(kViewSpecialEscape);
  // A taken entry is not given up.
  m_backend->Click(CX(k), CY(k), 3);
  m_backend->Type("30");
  m_backend->Key(kViewSpecialReturn);
  Run();
  EXPECT_EQ(m_plug->NoteText(), "note");
  EXPECT_DOUBLE_EQ(m_plug->Value(kViewCutoff), 30.0);
  EXPECT_EQ(m_plug->Dropped(), std::vector<int>{kViewCutoff});
}

// The field takes its control's text-entry colours on both roads, and its
// selection is the text colour laid faintly over the field's.
TEST_P(BothRoadsTest, TheFieldTakesTheStylesEntryColours) {
  const IRECT k = ViewPlugControls::Knob();
  IControl* knob = m_gui->GetMouseControlIdx(CX(k), CY(k), false);
  ASSERT_NE(knob, nullptr);
  knob->GetText()->mTextEntryBGColor = IColor(255, 10, 20, 30);
  knob->GetText()->mTextEntryFGColor = IColor(255, 210, 220, 230);
  m_backend->Click(CX(k), CY(k), 3);
  Run();
  ASSERT_NE(m_view->TextEntry(), nullptr);
  const ViewTextEntryRequest& request = m_view->TextEntry()->Request();
  EXPECT_EQ(request.background, IColor(255, 10, 20, 30).ToPixel());
  EXPECT_EQ(request.foreground, IColor(255, 210, 220, 230).ToPixel());
  EXPECT_EQ(request.selection, IColor(255, 90, 100, 110).ToPixel());
}

TEST_P(BothRoadsTest, ForceEndUserEditDropsTheEntry) {
  const IRECT n = ViewPlugControls::Note();
  m_backend->Click(CX(n), CY(n));
  m_backend->Type("gone");
  Run();
  m_gui->ForceEndUserEdit();
  EXPECT_EQ(m_view->TextEntry(), nullptr);
  EXPECT_EQ(m_plug->NoteText(), "note");
}

TEST_P(BothRoadsTest, ResizeReachesTheWindowUnlessTheSizeIsTheSame) {
  m_gui->Resize(kViewPlugWidth, kViewPlugHeight);
  EXPECT_EQ(m_backend->FrameWidth(), kViewPlugWidth);
  m_gui->Resize(320, 240);
  EXPECT_EQ(m_backend->FrameWidth(), 320);
  EXPECT_EQ(m_backend->FrameHeight(), 240);
  EXPECT_EQ(m_pane->Width(), 320);
  m_gui->Resize(kViewPlugWidth, kViewPlugHeight);
}

// ---- Where the roads differ ------------------------------------------------------

using RoadsTest = GuiOnViewTest;

TEST_F(RoadsTest, TheFactoryRoadsFieldCoversTheBoxesLastRowAndColumnInMonaco) {
  OpenEditor(kViewFactory);
  const IRECT k = ViewPlugControls::Knob();
  m_backend->Click(CX(k), CY(k), 3);
  Run();
  ASSERT_NE(m_view->TextEntry(), nullptr);
  const ViewTextEntryRequest& request = m_view->TextEntry()->Request();
  EXPECT_EQ(request.rect.W(), 31);
  EXPECT_EQ(request.rect.H(), 17);
  EXPECT_EQ(request.font, "Monaco");
  EXPECT_EQ(request.fontSize, 10);  // 0.9 x 12, truncated
  EXPECT_FALSE(request.lengthInBytes);
}

TEST_F(RoadsTest, TheHostWindowRoadsFieldIsTheBoxInTheStylesFace) {
  OpenEditor(kHostWindow);
  const IRECT k = ViewPlugControls::Knob();
  m_backend->Click(CX(k), CY(k), 3);
  Run();
  ASSERT_NE(m_view->TextEntry(), nullptr);
  const ViewTextEntryRequest& request = m_view->TextEntry()->Request();
  EXPECT_EQ(request.rect.W(), 30);
  EXPECT_EQ(request.rect.H(), 16);
  EXPECT_EQ(request.font, "Consolas");
  EXPECT_EQ(request.fontSize, 12);
  EXPECT_TRUE(request.lengthInBytes);
  EXPECT_EQ(request.maxLength, 16);
}

TEST_F(RoadsTest, CharacterSetsOfTheTwoRoads) {
  const struct {
    int type;
    const char* factory;
    const char* hostWindow;  // null: no filter
  } kCases[] = {
      {IParam::kTypeBool, "0123456789-+", "0123456789+-"},
      {IParam::kTypeInt, "0123456789-+", "0123456789+-"},
      {IParam::kTypeEnum, "0123456789-+", "0123456789+-"},
      {IParam::kTypeDouble, "0123456789.-+", "0123456789+-."},
      {IParam::kTypeText, nullptr, nullptr},
      {IParam::kTypeNone, "", nullptr},
  };
  for (const auto& c : kCases) {
    if (c.factory) {
      EXPECT_STREQ(IGraphicsCocoa_vVivivI_au::CharactersForType(c.type), c.factory) << c.type;
    }
    if (c.hostWindow)
      EXPECT_STREQ(IGraphicsCarbon::CharactersForType(c.type), c.hostWindow) << c.type;
    else
      EXPECT_EQ(IGraphicsCarbon::CharactersForType(c.type), nullptr) << c.type;
  }
  const std::string names = IGraphicsCocoa_vVivivI_au::CharactersForType(IParam::kTypeText);
  EXPECT_EQ(names.size(), 80u);
  EXPECT_NE(names.find('"'), std::string::npos);
  EXPECT_EQ(names.find(':'), std::string::npos);
}

TEST_F(RoadsTest, MenusAreBuiltByEachRoadsRules) {
  IPopupMenu sub;
  sub.AddItem("deep");
  IPopupMenu model;
  model.SetPrefix(2);
  model.AddItem("plain");
  model.AddItem("off", -1, IPopupMenuItem::kDisabled);
  model.AddItem("title", -1, IPopupMenuItem::kTitle);
  model.AddItem("ticked", -1, IPopupMenuItem::kChecked);
  model.AddSeparator();
  model.AddItem("more", &sub)->SetChecked(true);
  const std::unique_ptr<ViewMenu> cocoa = IGraphicsCocoa_vVivivI_au::BuildMenu(&model);
  const std::unique_ptr<ViewMenu> carbon = IGraphicsCarbon::CreateMenu(&model);
  ASSERT_EQ(cocoa->items.size(), 6u);
  ASSERT_EQ(carbon->items.size(), 6u);
  EXPECT_EQ(cocoa->model, &model);
  const struct {
    const char* title;
    bool enabled, checked, separator, opener;
    int cocoaIndent;
    bool carbonHeader;
    bool carbonChecked;
  } kRows[] = {
      {"01: plain", true, false, false, false, 0, false, false},
      {"02: off", false, false, false, false, 0, false, false},
      {"03: title", true, false, false, false, 1, true, false},
      {"04: ticked", true, true, false, false, 0, false, true},
      {"", true, false, true, false, 0, false, false},
      // An opener: only its title and submenu on the factory road; it keeps
      // its check mark on the host-window road.
      {"06: more", true, false, false, true, 0, false, true},
  };
  for (size_t i = 0; i < 6; ++i) {
    const ViewMenuItem &a = cocoa->items[i], &b = carbon->items[i];
    const auto& row = kRows[i];
    EXPECT_EQ(a.title, row.title) << i;
    EXPECT_EQ(b.title, row.title) << i;
    EXPECT_EQ(a.enabled, row.enabled) << i;
    EXPECT_EQ(b.enabled, row.enabled) << i;
    EXPECT_EQ(a.checked, row.checked) << i;
    EXPECT_EQ(b.checked, row.carbonChecked) << i;
    EXPECT_EQ(a.separator, row.separator) << i;
    EXPECT_EQ(b.separator, row.separator) << i;
    EXPECT_EQ(static_cast<bool>(a.submenu), row.opener) << i;
    EXPECT_EQ(static_cast<bool>(b.submenu), row.opener) << i;
    EXPECT_EQ(a.indent, row.cocoaIndent) << i;
    EXPECT_EQ(b.header, row.carbonHeader) << i;
    EXPECT_FALSE(a.header) << i;
  }
  EXPECT_EQ(cocoa->items[5].submenu->model, &sub);
  // An empty model: no menu on the host-window road, an empty one otherwise.
  IPopupMenu empty;
  EXPECT_EQ(IGraphicsCarbon::CreateMenu(&empty), nullptr);
  EXPECT_TRUE(IGraphicsCocoa_vVivivI_au::BuildMenu(&empty)->items.empty());
  // A model that holds itself as a submenu is built to a bounded depth.
  IPopupMenu loop;
  loop.AddItem("again", &loop);
  const std::unique_ptr<ViewMenu> built = IGraphicsCarbon::CreateMenu(&loop);
  int depth = 0;
  for (const ViewMenu* m = built.get(); m; m = m->items[0].submenu.get()) ++depth;
  EXPECT_GT(depth, 1);
  EXPECT_LT(depth, 100);
}

TEST_F(RoadsTest, AChoiceInASubmenuAnswersWithTheSubmenusModel) {
  for (Road road : {kHostWindow, kViewFactory}) {
    ASSERT_NE(OpenEditor(road), nullptr);
    IPopupMenu sub;
    sub.AddItem("x");
    sub.AddItem("y");
    IPopupMenu model;
    model.AddItem("a");
    model.AddItem("more", &sub);
    for (ViewSpecialKey key :
         {kViewSpecialDown, kViewSpecialDown, kViewSpecialRight, kViewSpecialDown, kViewSpecialReturn})
      m_backend->Key(key);
    IRECT r(10, 10, 50, 30);
    EXPECT_EQ(m_gui->CreateIPopupMenu(&model, &r), &sub) << road;
    EXPECT_EQ(sub.GetChosenItemIdx(), 1);
    EXPECT_EQ(model.GetChosenItemIdx(), -1);
    // Dismissed: nothing, and the chosen index stays as it was.
    m_backend->Key(kViewSpecialEscape);
    EXPECT_EQ(m_gui->CreateIPopupMenu(&model, &r), nullptr);
    EXPECT_EQ(sub.GetChosenItemIdx(), 1);
    CloseEditor();
  }
}

TEST_F(RoadsTest, OpeningAgainClosesWhatWasOpen) {
  ViewPane* first = OpenEditor(kViewFactory);
  ASSERT_NE(first, nullptr);
  // The GUI opens a second view: the first is let go of (it stays where the
  // host put it, inert, until the host takes it out).
  void* second = m_gui->OpenWindow(nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, static_cast<void*>(first));
  EXPECT_EQ(m_gui->GetWindow(), second);
  first->Synchronize();  // inert: nothing happens
  first->RemoveFromParent();
  m_pane = nullptr;
  EXPECT_EQ(m_gui->GetWindow(), second);
  m_gui->CloseWindow();
  EXPECT_FALSE(m_gui->WindowIsOpen());
  EXPECT_EQ(m_gui->GetWindow(), nullptr);
}

TEST_F(RoadsTest, TheHostTakingTheViewOutClosesTheGuisWindow) {
  ASSERT_NE(OpenEditor(kViewFactory), nullptr);
  const IRECT n = ViewPlugControls::Note();
  m_backend->Click(CX(n), CY(n));
  m_backend->Type("lost");
  Run();
  m_pane->RemoveFromParent();  // the view is freed: the fixture must not touch it
  m_pane = nullptr;
  EXPECT_FALSE(m_gui->WindowIsOpen());
  EXPECT_EQ(m_plug->NoteText(), "note");  // the open entry was dropped
}

TEST_F(RoadsTest, ClosingTheViewComponentClosesTheHostWindowRoad) {
  ASSERT_NE(OpenEditor(kHostWindow), nullptr);
  EXPECT_EQ(m_gui->GetWindow(), nullptr);  // the factory road's view only
  CloseEditor();
  EXPECT_FALSE(m_gui->WindowIsOpen());
}

TEST_F(RoadsTest, AFilePromptWithAWindowStartsOnTheDesktopAndEndsCancelled) {
  ASSERT_NE(OpenEditor(kHostWindow), nullptr);
  KIT_String file("old.syx"), dir("");
  m_gui->PromptForFile(&file, IGraphics::kFileSave, &dir, "syx mid");
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(dir.Get(), "~/Desktop");
  KIT_String kept("/data/Patches/");
  m_gui->PromptForFile(&file, IGraphics::kFileOpen, &kept);
  EXPECT_STREQ(kept.Get(), "/data/Patches/");
}

TEST_F(RoadsTest, WithoutAWindowThereIsNoMenuNoEntryAndNoScreen) {
  IPopupMenu menu;
  menu.AddItem("a");
  IRECT r(0, 0, 10, 10);
  EXPECT_EQ(m_gui->CreateIPopupMenu(&menu, &r), nullptr);
  EXPECT_FALSE(m_gui->DrawScreen(&r));
  KIT_String file("x"), dir("");
  m_gui->PromptForFile(&file, IGraphics::kFileOpen, &dir);
  EXPECT_STREQ(file.Get(), "");
}

}  // namespace
