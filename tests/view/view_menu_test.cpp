// Popup menus: the walk through levels with the pointer and the keys, what
// can be chosen, where levels open, and menus run modally in a view.
#include <algorithm>

#include "KIT/pix/pix-sysbitmap.h"
#include "platform/view/ViewText.h"
#include "tests/view/view_fixture.h"

namespace {

// A menu of texts; "-" is a separator, a leading "!" disables an entry, a
// leading "#" makes it a header.
std::unique_ptr<ViewMenu> MakeMenu(std::initializer_list<const char*> titles) {
  std::unique_ptr<ViewMenu> menu(new ViewMenu);
  for (const char* t : titles) {
    ViewMenuItem item;
    const std::string title = t;
    if (title == "-")
      item.separator = true;
    else if (title[0] == '!')
      item.enabled = false, item.title = title.substr(1);
    else if (title[0] == '#')
      item.header = true, item.title = title.substr(1);
    else
      item.title = title;
    menu->items.push_back(std::move(item));
  }
  return menu;
}

class MenuWalkTest : public ::testing::Test {
 protected:
  ViewFont m_font{"DejaVu Sans", ViewMenuMetrics::kFontSize};
  ViewMenuWalk m_walk{m_font};

  // The centre of an entry's rectangle.
  void Centre(int level, int index, int* x, int* y) {
    const ViewRect r = m_walk.ItemRect(level, index);
    ASSERT_FALSE(r.Empty());
    *x = (r.L + r.R) / 2, *y = (r.T + r.B) / 2;
  }
  bool ReleaseOn(int level, int index) {
    int x = 0, y = 0;
    Centre(level, index, &x, &y);
    m_walk.PointerMoved(x, y);
    return m_walk.ButtonReleased(x, y);
  }
  int ChosenIndex(const ViewMenu* expectedMenu) {
    const ViewMenu* menu = nullptr;
    int index = -1;
    if (!m_walk.Chosen(&menu, &index)) return -1;
    EXPECT_EQ(menu, expectedMenu);
    return index;
  }
};

TEST_F(MenuWalkTest, AReleaseOnAnEntryChoosesItsIndexSeparatorsCounted) {
  auto menu = MakeMenu({"one", "-", "three"});
  m_walk.Open(menu.get(), 100, 200, 1000, 1000);
  EXPECT_EQ(m_walk.LevelAt(0).frame.L, 100);
  EXPECT_EQ(m_walk.LevelAt(0).frame.T, 200);
  ReleaseOn(0, 2);
  EXPECT_FALSE(m_walk.IsOpen());
  EXPECT_EQ(ChosenIndex(menu.get()), 2);
}

TEST_F(MenuWalkTest, EntriesThatCannotBeChosenKeepTheMenuOpen) {
  auto menu = MakeMenu({"!disabled", "-", "#header", "fine"});
  m_walk.Open(menu.get(), 0, 0, 1000, 1000);
  for (int i : {0, 1, 2}) {
    ReleaseOn(0, i);
    EXPECT_TRUE(m_walk.IsOpen()) << i;
    EXPECT_EQ(m_walk.LevelAt(0).highlighted, -1) << i;
  }
  // The release of the press that opened the menu, outside it, does nothing.
  EXPECT_FALSE(m_walk.ButtonReleased(500, 500));
  EXPECT_TRUE(m_walk.IsOpen());
  ReleaseOn(0, 3);
  EXPECT_EQ(ChosenIndex(menu.get()), 3);
}

TEST_F(MenuWalkTest, APressOutsideDismissesWithoutAChoice) {
  auto menu = MakeMenu({"a", "b"});
  m_walk.Open(menu.get(), 10, 10, 1000, 1000);
  EXPECT_TRUE(m_walk.ButtonPressed(900, 900));
  EXPECT_FALSE(m_walk.IsOpen());
  EXPECT_EQ(ChosenIndex(menu.get()), -1);
}

TEST_F(MenuWalkTest, AnEmptyMenuOpensNothing) {
  ViewMenu empty;
  m_walk.Open(&empty, 10, 10, 1000, 1000);
  EXPECT_FALSE(m_walk.IsOpen());
  EXPECT_EQ(ChosenIndex(&empty), -1);
}

TEST_F(MenuWalkTest, ASubmenuOpensBesideItsEntryAndAnswersWithItsOwnIndex) {
  auto menu = MakeMenu({"a", "more", "c"});
  menu->items[1].submenu = MakeMenu({"x", "y"});
  const ViewMenu* sub = menu->items[1].submenu.get();
  m_walk.Open(menu.get(), 10, 10, 1000, 1000);
  int x = 0, y = 0;
  Centre(0, 1, &x, &y);
  m_walk.PointerMoved(x, y);
  ASSERT_EQ(m_walk.LevelCount(), 2);
  EXPECT_EQ(m_walk.LevelAt(1).frame.L, m_walk.LevelAt(0).frame.R - ViewMenuMetrics::kBorder);
  EXPECT_EQ(m_walk.LevelAt(1).frame.T, m_walk.ItemRect(0, 1).T - ViewMenuMetrics::kBorder);
  // An opener is not a choice.
  EXPECT_TRUE(m_walk.ButtonReleased(x, y) || m_walk.IsOpen());
  EXPECT_TRUE(m_walk.IsOpen());
  // Another entry of the parent closes the submenu.
  Centre(0, 0, &x, &y);
  m_walk.PointerMoved(x, y);
  EXPECT_EQ(m_walk.LevelCount(), 1);
  Centre(0, 1, &x, &y);
  m_walk.PointerMoved(x, y);
  ReleaseOn(1, 1);
  EXPECT_EQ(ChosenIndex(sub), 1);
}

TEST_F(MenuWalkTest, LevelsStayOnTheScreen) {
  auto menu = MakeMenu({"a", "more"});
  menu->items[1].submenu = MakeMenu({"x"});
  m_walk.Open(menu.get(), 990, 995, 1000, 1000);
  const ViewRect first = m_walk.LevelAt(0).frame;
  EXPECT_EQ(first.R, 1000);
  EXPECT_EQ(first.B, 1000);
  int x = 0, y = 0;
  Centre(0, 1, &x, &y);
  m_walk.PointerMoved(x, y);
  ASSERT_EQ(m_walk.LevelCount(), 2);
  EXPECT_LE(m_walk.LevelAt(1).frame.R, first.L + ViewMenuMetrics::kBorder);  // opened to the left
}

TEST_F(MenuWalkTest, KeysWalkTheMenu) {
  auto menu = MakeMenu({"a", "!b", "-", "more", "e"});
  menu->items[3].submenu = MakeMenu({"x", "y"});
  const ViewMenu* sub = menu->items[3].submenu.get();
  m_walk.Open(menu.get(), 0, 0, 1000, 1000);
  m_walk.KeyPressed(kViewSpecialDown);
  EXPECT_EQ(m_walk.LevelAt(0).highlighted, 0);
  m_walk.KeyPressed(kViewSpecialDown);  // over the disabled entry and the separator
  EXPECT_EQ(m_walk.LevelAt(0).highlighted, 3);
  m_walk.KeyPressed(kViewSpecialRight);
  ASSERT_EQ(m_walk.LevelCount(), 2);
  EXPECT_EQ(m_walk.LevelAt(1).highlighted, 0);
  m_walk.KeyPressed(kViewSpecialEscape);  // closes the submenu only
  EXPECT_EQ(m_walk.LevelCount(), 1);
  m_walk.KeyPressed(kViewSpecialReturn);  // on the opener: opens it
  EXPECT_EQ(m_walk.LevelCount(), 2);
  m_walk.KeyPressed(kViewSpecialDown);
  m_walk.KeyPressed(kViewSpecialReturn);
  EXPECT_EQ(ChosenIndex(sub), 1);
  m_walk.Open(menu.get(), 0, 0, 1000, 1000);
  m_walk.KeyPressed(kViewSpecialEscape);
  EXPECT_FALSE(m_walk.IsOpen());
  EXPECT_EQ(ChosenIndex(menu.get()), -1);
}

// The menus wear the editor's face, not a system's: a dark panel with light
// text, and the amber of selections for the entry under the pointer.
TEST_F(MenuWalkTest, ALevelIsPaintedInTheFacesColours) {
  auto menu = MakeMenu({"first", "second", "!third"});
  m_walk.Open(menu.get(), 0, 0, 1000, 1000);
  m_walk.KeyPressed(kViewSpecialDown);
  PIX_SysBitmap bm(0, 0);  // with a drawing context, for the text
  ViewPaintMenuLevel(m_walk.LevelAt(0), m_font, &bm);
  const ViewMenuLayout& layout = m_walk.LevelAt(0).layout;
  auto at = [&](int x, int y) { return bm.getBits()[bm.getRowSpan() * y + x]; };
  auto brightness = [](uint32_t p) { return PIX_Red(p) + PIX_Green(p) + PIX_Blue(p); };
  const uint32_t panel = at(layout.width - 4, layout.tops[1] + 2);
  EXPECT_LT(brightness(panel), 3 * 64) << "the panel is dark";
  const uint32_t lit = at(layout.width - 4, layout.tops[0] + 2);
  EXPECT_GT(PIX_Red(lit), 200);
  EXPECT_GT(PIX_Green(lit), 120);
  EXPECT_LT(PIX_Blue(lit), 60) << "the highlight is amber";
  // The brightest pixel of each title: light text on the panel, a dimmer one
  // for the entry that cannot be chosen.
  auto brightest = [&](int item) {
    int most = 0;
    for (int y = layout.tops[static_cast<size_t>(item)]; y < layout.tops[static_cast<size_t>(item) + 1]; ++y)
      for (int x = 0; x < layout.width; ++x) most = std::max(most, static_cast<int>(brightness(at(x, y))));
    return most;
  };
  EXPECT_GT(brightest(1), 3 * 180);
  EXPECT_LT(brightest(2), brightest(1));
  EXPECT_GT(brightest(2), static_cast<int>(brightness(panel)));
}

TEST_F(MenuWalkTest, ALevelIsPaintedWithItsHighlight) {
  auto menu = MakeMenu({"first", "second"});
  m_walk.Open(menu.get(), 0, 0, 1000, 1000);
  m_walk.KeyPressed(kViewSpecialDown);
  PIX_MemBitmap bm(0, 0, 0);
  ViewPaintMenuLevel(m_walk.LevelAt(0), m_font, &bm);
  const ViewMenuLayout& layout = m_walk.LevelAt(0).layout;
  ASSERT_EQ(bm.getWidth(), layout.width);
  ASSERT_EQ(bm.getHeight(), layout.height);
  const uint32_t lit = bm.getBits()[bm.getRowSpan() * (layout.tops[0] + 2) + layout.width - 4];
  const uint32_t plain = bm.getBits()[bm.getRowSpan() * (layout.tops[1] + 2) + layout.width - 4];
  EXPECT_NE(lit, plain);
}

// ---- Menus run modally in a view --------------------------------------------------------

using PopupInViewTest = ViewFixture;

TEST_F(PopupInViewTest, AMenuOpensFiveBelowItsAnchorAndReturnsTheChoice) {
  auto menu = MakeMenu({"saw", "square", "noise"});
  m_backend->MoveOrigin(100, 50);
  const ViewMenu* chosen = nullptr;
  int index = -1;
  bool answered = false;
  // The press on a control opens the menu; the user drags to an entry.
  m_client.onMouseDown = [&](int, int) { answered = m_view->PopupMenu(*menu, 20, 35 + 5, &chosen, &index); };
  m_backend->onMenu = [&](HeadlessBackend& b) {
    if (b.MenuLevels() != 1 || b.Pending() > 0) return;
    const ViewRect r = m_view->MenuWalk()->ItemRect(0, 2);
    ViewEvent move;
    move.kind = ViewEvent::kMotion;
    move.rootX = (r.L + r.R) / 2, move.rootY = (r.T + r.B) / 2;
    move.modifiers = kViewButton1Held;
    b.Queue(move);
    move.kind = ViewEvent::kButtonRelease;
    move.button = 1;
    b.Queue(move);
  };
  m_backend->Press(20, 35);
  Run();
  EXPECT_TRUE(answered);
  EXPECT_EQ(chosen, menu.get());
  EXPECT_EQ(index, 2);
  EXPECT_EQ(m_backend->MostMenuLevels(), 1);
  EXPECT_EQ(m_backend->MenuLevels(), 0);  // closed again
  // The release that chose went to the menu, not to the GUI.
  EXPECT_EQ(m_client.Names(), (std::vector<std::string>{"down"}));
}

TEST_F(PopupInViewTest, TheMenuLevelIsPlacedOnTheScreenAtTheAnchor) {
  auto menu = MakeMenu({"a"});
  m_backend->MoveOrigin(100, 50);
  ViewRect shown;
  m_backend->onMenu = [&](HeadlessBackend& b) { shown = b.MenuRect(0); };
  const ViewMenu* chosen = nullptr;
  int index = -1;
  EXPECT_FALSE(m_view->PopupMenu(*menu, 20, 40, &chosen, &index));  // the script runs out: dismissed
  EXPECT_EQ(shown.L, 120);
  EXPECT_EQ(shown.T, 90);
}

TEST_F(PopupInViewTest, TheRedrawTimerKeepsFiringWhileAMenuIsOpen) {
  Run();
  auto menu = MakeMenu({"a", "b"});
  m_client.dirty = ViewRect(0, 0, 10, 10);
  m_backend->Tick();
  m_backend->Key(kViewSpecialDown);
  m_backend->Key(kViewSpecialReturn);
  const ViewMenu* chosen = nullptr;
  int index = -1;
  EXPECT_TRUE(m_view->PopupMenu(*menu, 0, 0, &chosen, &index));
  EXPECT_EQ(index, 0);
  ASSERT_GE(m_client.draws.size(), 2u);
  EXPECT_EQ(m_client.draws[1], ViewRect(0, 0, 11, 11));
}

// Where a menu level stood is painted again as it closes, before the choice
// is acted on (a dialog it opens must not find the menu's picture on the
// window), and so is a submenu's place when the pointer leaves it.
TEST_F(PopupInViewTest, TheWindowUnderAClosingMenuLevelIsPaintedAtOnce) {
  Run();
  auto menu = MakeMenu({"a", "more", "c"});
  menu->items[1].submenu = MakeMenu({"x", "y"});
  m_backend->MoveOrigin(100, 50);
  std::vector<ViewRect> levels;  // window rectangles of the levels seen
  size_t drawsWhileTwoOpen = 0;
  int step = 0;
  // Once every level of a change is shown: onto the submenu's opener, back
  // to the first entry (the submenu closes), then Escape.
  m_backend->onMenu = [&](HeadlessBackend& b) {
    const ViewMenuWalk* walk = m_view->MenuWalk();
    if (!walk || b.Pending() > 0 || b.MenuLevels() != walk->LevelCount()) return;
    for (int i = 0; i < b.MenuLevels(); ++i) {
      const ViewRect r = b.MenuRect(i);
      const ViewRect inWindow(r.L - 100, r.T - 50, r.R - 100, r.B - 50);
      if (std::find(levels.begin(), levels.end(), inWindow) == levels.end()) levels.push_back(inWindow);
    }
    if (step == 2) {
      b.Key(kViewSpecialEscape);
    } else {
      if (step == 1) drawsWhileTwoOpen = m_client.draws.size();
      const ViewRect r = walk->ItemRect(0, step == 0 ? 1 : 0);
      ViewEvent move;
      move.kind = ViewEvent::kMotion;
      move.rootX = (r.L + r.R) / 2, move.rootY = (r.T + r.B) / 2;
      b.Queue(move);
    }
    ++step;
  };
  const ViewMenu* chosen = nullptr;
  int index = -1;
  EXPECT_FALSE(m_view->PopupMenu(*menu, 10, 10, &chosen, &index));
  ASSERT_EQ(levels.size(), 2u) << "the menu and its submenu showed";
  const ViewRect window(0, 0, kWidth, kHeight);
  ASSERT_EQ(levels[1].Clipped(window), levels[1]) << "the submenu lies inside the window";
  bool submenuRepainted = false;
  for (size_t i = drawsWhileTwoOpen; i < m_client.draws.size(); ++i)
    submenuRepainted = submenuRepainted || m_client.draws[i].United(levels[1]) == m_client.draws[i];
  EXPECT_TRUE(submenuRepainted) << "the submenu's place was not painted when it closed";
  const ViewRect last = m_client.draws.back();
  EXPECT_EQ(last.United(levels[0].Clipped(window)), last) << "the last paint before the menu returned";
  EXPECT_TRUE(m_client.presented);
}

// What the window shows includes an open menu's levels over it.
TEST_F(PopupInViewTest, TheWindowsPixelsShowAnOpenMenu) {
  Run();
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  ViewRect level;
  uint32_t menuPixel = 0;  // a pixel of the level's own picture, 3 in from its top right
  bool read = false;
  m_backend->onMenu = [&](HeadlessBackend& b) {
    if (read || b.MenuLevels() != 1) return;
    level = b.MenuRect(0);
    menuPixel = b.MenuPixels(0)[static_cast<size_t>(3 * level.W() + level.W() - 3)];
    read = m_view->ReadWindow(pixels.data(), kWidth);
    b.Key(kViewSpecialEscape);
  };
  auto menu = MakeMenu({"saw", "square"});
  const ViewMenu* chosen = nullptr;
  int index = -1;
  m_view->PopupMenu(*menu, 30, 20, &chosen, &index);
  ASSERT_TRUE(read);
  const size_t inside = static_cast<size_t>((level.T + 3) * kWidth + level.L + level.W() - 3);
  EXPECT_EQ(pixels[inside], menuPixel | 0xffu);
  EXPECT_NE(pixels[inside], m_client.paintColour | 0xffu);
  EXPECT_EQ(pixels[static_cast<size_t>(5 * kWidth + 5)], m_client.paintColour | 0xffu) << "outside the menu";
  // Closed, the window shows itself again.
  ASSERT_TRUE(m_view->ReadWindow(pixels.data(), kWidth));
  EXPECT_EQ(pixels[inside], m_client.paintColour | 0xffu);
}

TEST_F(PopupInViewTest, AnEscapeOrAClickOutsideGivesNoChoice) {
  auto menu = MakeMenu({"a", "b"});
  const ViewMenu* chosen = nullptr;
  int index = -1;
  m_backend->Key(kViewSpecialEscape);
  m_backend->Key(kViewSpecialReturn);  // left over: the menu closed before
  EXPECT_FALSE(m_view->PopupMenu(*menu, 0, 0, &chosen, &index));
  EXPECT_EQ(m_backend->Pending(), 1u);
  ViewEvent outside;
  outside.kind = ViewEvent::kButtonPress;
  outside.button = 1;
  outside.rootX = 700, outside.rootY = 500;
  m_view->RunPending();  // the left-over key, now an ordinary one
  m_backend->Queue(outside);
  m_backend->Key(kViewSpecialReturn);
  EXPECT_FALSE(m_view->PopupMenu(*menu, 0, 0, &chosen, &index));
  EXPECT_EQ(m_backend->Pending(), 1u);
  EXPECT_EQ(index, -1);
}

}  // namespace
