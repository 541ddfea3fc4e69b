// Menus: titles, addressing, states, lists, key equivalents, routing and
// popup tracking.
#include <cstring>

#include "KIT/winl/winl-menu.h"
#include "KIT/winl/winl-wnd-view.h"
#include "wnd_fixture.h"

class MenuTest : public WndTest {};

TEST_F(MenuTest, TitlePreparation) {
  const struct {
    const char* in;
    const char* out;
  } kCases[] = {
      {"&File", "File"},           {"Save && Quit", "Save & Quit"}, {"Open\tCtrl+O", "Open"},
      {"Trailing &", "Trailing "}, {"caf\xE9", "caf\xC3\xA9"},
  };
  for (const auto& c : kCases) EXPECT_EQ(WINL_PrepareMenuTitle(c.in), c.out) << c.in;
  EXPECT_EQ(WINL_PrepareMenuTitle(std::string(2000, 'a').c_str()).size(), 1023u);
}

TEST_F(MenuTest, ItemsByIdSearchSubmenusAndByPositionDoesNot) {
  HMENU menu = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  WINL_InsertMenu(sub, -1, MF_BYPOSITION, 300, "Deep");
  WINL_InsertMenu(menu, -1, MF_BYPOSITION, 100, "First");
  WINL_InsertMenu(menu, -1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<uintptr_t>(sub), "&Sub");
  WINL_InsertMenu(menu, -1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_EQ(GetSubMenu(menu, 1), sub);
  EXPECT_EQ(sub->title, "Sub");
  EXPECT_EQ(GetMenuItemID(menu, 1), -1) << "an item with a submenu";
  EXPECT_EQ(GetMenuItemID(menu, 0), 100);
  EXPECT_EQ(GetMenuItemID(menu, 9), 0);
  EXPECT_TRUE(CheckMenuItem(menu, 300, MF_CHECKED)) << "found in the submenu";
  EXPECT_TRUE(sub->items[0].checked);
  EXPECT_TRUE(CheckMenuItem(menu, 0, MF_BYPOSITION | MF_CHECKED)) << "the same number by position";
  EXPECT_TRUE(menu->items[0].checked);
  EXPECT_FALSE(EnableMenuItem(menu, 3, MF_BYPOSITION)) << "past the end";
  EXPECT_TRUE(EnableMenuItem(menu, 100, MF_DISABLED));
  EXPECT_TRUE(menu->items[0].enabled) << "flag 2 alone leaves it enabled";
  EXPECT_TRUE(EnableMenuItem(menu, 100, MF_GRAYED));
  EXPECT_FALSE(menu->items[0].enabled);
  EXPECT_FALSE(CheckMenuItem(nullptr, 0, 0));
  MENUITEMINFO info{};
  info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
  char text[32];
  info.dwTypeData = text;
  info.cch = sizeof text;
  ASSERT_TRUE(GetMenuItemInfo(menu, 0, true, &info));
  EXPECT_EQ(info.fState, static_cast<unsigned>(MFS_CHECKED | MFS_GRAYED));
  EXPECT_EQ(info.wID, 100u);
  EXPECT_STREQ(text, "First");
  EXPECT_TRUE(DeleteMenu(menu, 1, MF_BYPOSITION));
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  DestroyMenu(menu);
}

TEST_F(MenuTest, InsertOutsideTheRangeAppendsAndNewItemsFollowTheRouting) {
  HWND view = MakeView(nullptr);
  HMENU menu = CreatePopupMenu();
  WINL_Menu_AddMenuItem(menu, "One", 1, 0);
  WINL_SetMenuDestination(menu, view);
  AddMenuItem(menu, 99, "Raw &text", 2);
  WINL_InsertMenu(menu, -5, MF_BYPOSITION, 3, "Three");
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_EQ(menu->items[1].title, "Raw &text") << "AddMenuItem keeps the text";
  EXPECT_EQ(menu->items[2].tag, 3);
  EXPECT_EQ(menu->items[2].target, static_cast<void*>(view)) << "routed like the first item";
  Log().clear();
  WINL_MenuItemChosen(menu, 2);
  ASSERT_EQ(Count(view, WM_COMMAND), 1);
  EXPECT_EQ(Log().back().wParam, 3u);
  int notAView = 0;
  WINL_SetMenuDestination(menu, reinterpret_cast<HWND>(&notAView));
  EXPECT_EQ(menu->items[0].target, static_cast<void*>(view)) << "a target that takes no commands is refused";
  DestroyMenu(menu);
}

TEST_F(MenuTest, MenusFromLists) {
  const WINL_MenuListEntry kList[] = {
      {"Item", 1}, {"/.BO^O:&Sub", 0}, {"A", 2}, {"B", 0x10003}, {"EN%%%^:", 0}, {"After", 4},
  };
  HMENU menu = CreatePopupMenu();
  EXPECT_EQ(WINL_GenerateMenuFromList(menu, kList, 6), 7) << "no end marker at the top level";
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  HMENU sub = GetSubMenu(menu, 1);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(menu->items[1].title, "Sub");
  ASSERT_EQ(GetMenuItemCount(sub), 2);
  EXPECT_EQ(sub->items[1].tag, 3);
  EXPECT_FALSE(sub->items[1].enabled) << "ids of 0x10000 and more are disabled";
  EXPECT_EQ(menu->items[2].title, "After");
  HMENU direct = CreatePopupMenu();
  EXPECT_EQ(WINL_GenerateMenuFromList(direct, kList + 2, 4), 3) << "two items and the end marker";
  DestroyMenu(direct);
  DestroyMenu(menu);
}

TEST_F(MenuTest, KeyEquivalents) {
  HMENU menu = CreatePopupMenu();
  WINL_Menu_AddMenuItem(menu, "Item", 1, 0);
  const struct {
    const char* why;
    int code, modflags;
    uint32_t key, modifiers;
  } kCases[] = {
      {"shift A stays upper case without shift", 'A', 4 | 8, 'A', kWmCommand},
      {"A without shift becomes lower case", 'A', 8, 'a', kWmCommand},
      {"shift 1 keeps the shift", '1', 4, '1', kWmShift},
      {"punctuation", '/', 16, '/', kWmOption},
      {"punctuation codes as virtual keys mean no character", '/', 1, 0, 0},
      {"F1", 112, 32, 0xF704, kWmControl},
      {"F12", 123, 0, 0xF70F, 0},
      {"page up as a virtual key", 33, 1, 0xF72C, 0},
      {"33 without the virtual-key flag is !", 33, 0, '!', 0},
      {"delete", 46, 1 | 8, 0x7F, kWmCommand},
      {"numeric minus", 109, 0, '-', 0},
      {"unknown", 200, 8, 0, 0},
  };
  for (const auto& c : kCases) {
    ASSERT_TRUE(SetMenuItemModifier(menu, 1, 0, c.code, c.modflags)) << c.why;
    EXPECT_EQ(menu->items[0].keyEquivalent, c.key) << c.why;
    EXPECT_EQ(menu->items[0].keyModifiers, c.modifiers) << c.why;
  }
  EXPECT_FALSE(SetMenuItemModifier(menu, 9, 0, 'A', 0));
  DestroyMenu(menu);
}

TEST_F(MenuTest, TrackPopupMenuFlags) {
  HWND view = MakeView(nullptr);
  HMENU menu = CreatePopupMenu();
  WINL_Menu_AddMenuItem(menu, "Cut", 11, 0);
  WINL_Menu_AddMenuItem(menu, "Copy", 12, 0);
  int pick = 1;
  WmApplication::Shared().popupMenuHook = [&](WmMenu* shown, WmView*, WmPoint, WmMenu** chosen, int* index) {
    if (pick < 0) return false;
    *chosen = shown;
    *index = pick;
    return true;
  };
  Log().clear();
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, view, nullptr), 12);
  EXPECT_EQ(Count(view, WM_COMMAND), 0) << "the command is returned, not sent";
  EXPECT_EQ(Count(view, WM_INITMENUPOPUP), 1);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, 10, 10, 0, view, nullptr), 12);
  EXPECT_EQ(Count(view, WM_INITMENUPOPUP), 1) << "no notice with 0x80";
  EXPECT_EQ(TrackPopupMenu(menu, 0, 10, 10, 0, view, nullptr), 1);
  ASSERT_EQ(Count(view, WM_COMMAND), 1);
  EXPECT_EQ(Log().back().wParam, 12u);
  pick = -1;
  EXPECT_EQ(TrackPopupMenu(menu, 0, 10, 10, 0, view, nullptr), 0) << "dismissed";
  EXPECT_EQ(menu->items[0].target, nullptr) << "the destination is cleared afterwards";
  EXPECT_EQ(TrackPopupMenu(nullptr, 0, 0, 0, 0, view, nullptr), 0);
  EXPECT_EQ(TrackPopupMenu(menu, 0, 0, 0, 0, nullptr, nullptr), 0) << "no window and no main window";
  DestroyMenu(menu);
}

TEST_F(MenuTest, SetMenuOnTheKeyWindowBecomesTheMenuBar) {
  auto* window = new Winl_vVivivI_modelesswindow(WmRect{0, 0, 100, 100}, 15);
  HWND content = WINL_CreateWindowView(nullptr, window, reinterpret_cast<DLGPROC>(LoggingProc), 0);
  ShowWindow(content, 2);
  HMENU menu = CreatePopupMenu();
  WINL_Menu_AddMenuItem(menu, "Quit", 5, 0);
  Log().clear();
  EXPECT_TRUE(SetMenu(window, menu));
  EXPECT_EQ(GetMenu(window), menu);
  EXPECT_EQ(WINL_GetCurrentMenu(), menu);
  EXPECT_EQ(Count(content, WM_INITMENUPOPUP), 1);
  EXPECT_EQ(menu->items[0].target, static_cast<void*>(content));
  int foreign = 0;
  EXPECT_FALSE(SetMenu(reinterpret_cast<HWND>(&foreign), menu));
  DestroyWindow(window);
  EXPECT_EQ(WINL_GetCurrentMenu(), nullptr) << "the window's menu leaves the menu bar with it";
}

TEST_F(MenuTest, SubmenusBelongToTheirItem) {
  HMENU menu = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  WINL_InsertMenu(sub, -1, MF_BYPOSITION, 300, "Deep");
  WINL_InsertMenu(menu, -1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<uintptr_t>(sub), "Sub");
  // The items move as the list grows; the submenu stays the one given.
  for (int id = 1; id <= 40; ++id)
    WINL_InsertMenu(menu, 0, MF_BYPOSITION, static_cast<uintptr_t>(id), "Item");
  ASSERT_EQ(GetSubMenu(menu, 40), sub);

  // A copy shares nothing: its submenu is a menu of its own that outlives
  // the original.
  HMENU copy = WINL_DuplicateMenu(menu);
  ASSERT_NE(copy, nullptr);
  HMENU copiedSub = GetSubMenu(copy, 40);
  ASSERT_NE(copiedSub, nullptr);
  EXPECT_NE(copiedSub, sub);
  DestroyMenu(menu);
  EXPECT_FALSE(WmIsLive(sub)) << "the item gave its submenu back with the menu";
  ASSERT_TRUE(WmIsLive(copiedSub));
  ASSERT_EQ(GetMenuItemCount(copiedSub), 1);
  EXPECT_EQ(copiedSub->items[0].title, "Deep");

  // Giving an item another submenu gives the old one back; giving it the
  // one it holds ends only the caller's reference.
  HMENU other = CreatePopupMenu();
  MENUITEMINFO info{};
  info.fMask = MIIM_SUBMENU;
  info.hSubMenu = other;
  ASSERT_TRUE(SetMenuItemInfo(copy, 40, true, &info));
  EXPECT_FALSE(WmIsLive(copiedSub));
  EXPECT_EQ(GetSubMenu(copy, 40), other);
  other->Retain();
  ASSERT_TRUE(SetMenuItemInfo(copy, 40, true, &info));
  ASSERT_TRUE(WmIsLive(other));
  EXPECT_EQ(GetSubMenu(copy, 40), other);
  DestroyMenu(copy);
  EXPECT_FALSE(WmIsLive(other));
}
