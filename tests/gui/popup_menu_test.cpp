// The popup menu model: placing items by index, separators, prefixes, check
// marks, and lookups outside the items.
#include "KIT/IModule/IPopupMenu.h"
#include "gtest/gtest.h"

namespace {
std::vector<std::string> Texts(const IPopupMenu& menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < menu.GetNItems(); ++i) texts.push_back(menu.GetItemText(i));
  return texts;
}
}  // namespace

TEST(PopupMenu, ANewMenuIsEmpty) {
  IPopupMenu menu;
  EXPECT_EQ(menu.GetNItems(), 0);
  EXPECT_EQ(menu.GetPrefix(), 0);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_FALSE(menu.GetPredefinedFlag());
}

TEST(PopupMenu, ItemsArePlacedByTheIndexRule) {
  const struct {
    int index;
    std::vector<std::string> expected;
  } kCases[] = {
      {-1, {"a", "b", "x"}}, {5, {"a", "b", "x"}},  {2, {"a", "b", "x"}},
      {0, {"x", "a", "b"}},  {-7, {"x", "a", "b"}}, {1, {"a", "x", "b"}},
  };
  for (const auto& c : kCases) {
    IPopupMenu menu;
    menu.AddItem("a");
    menu.AddItem("b");
    IPopupMenuItem* item = menu.AddItem("x", c.index, IPopupMenuItem::kDisabled);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->GetEnabled());
    EXPECT_EQ(Texts(menu), c.expected) << "index " << c.index;
  }
}

TEST(PopupMenu, SeparatorsTakeAPosition) {
  IPopupMenu menu;
  for (const char* text : {"one", "two", "three"}) menu.AddItem(text);
  IPopupMenuItem* separator = menu.AddSeparator(1);
  EXPECT_TRUE(separator->GetIsSeparator());
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"one", "", "two", "three"}));
  EXPECT_EQ(menu.GetItem(1), separator);
}

TEST(PopupMenu, SubmenusAreNotOwnedByTheirItems) {
  IPopupMenu submenu;
  submenu.AddItem("inner");
  {
    IPopupMenu menu;
    IPopupMenuItem* item = menu.AddItem("more", &submenu);
    EXPECT_EQ(item->GetSubmenu(), &submenu);
    IPopupMenuItem* first = menu.AddItem("first", 0, &submenu);
    EXPECT_EQ(menu.GetItem(0), first);
  }
  EXPECT_EQ(submenu.GetNItems(), 1) << "still alive after its parent went";
}

TEST(PopupMenu, OnlyPrefixModesZeroToThreeAreTaken) {
  IPopupMenu menu;
  menu.SetPrefix(2);
  menu.SetPrefix(4);
  menu.SetPrefix(-1);
  EXPECT_EQ(menu.GetPrefix(), 2);
  menu.SetPrefix(0);
  EXPECT_EQ(menu.GetPrefix(), 0);
}

TEST(PopupMenu, CheckMarks) {
  IPopupMenu menu;
  for (const char* text : {"a", "b", "c"}) menu.AddItem(text);
  EXPECT_TRUE(menu.CheckItem(0, true));
  EXPECT_TRUE(menu.CheckItem(2, true));
  EXPECT_FALSE(menu.CheckItem(10, true));
  menu.CheckItemAlone(1);
  EXPECT_FALSE(menu.IsItemChecked(0));
  EXPECT_TRUE(menu.IsItemChecked(1));
  EXPECT_FALSE(menu.IsItemChecked(2));
  menu.CheckItemAlone(-1);
  EXPECT_FALSE(menu.IsItemChecked(1));
  EXPECT_FALSE(menu.IsItemChecked(-1));
}

TEST(PopupMenu, LookupsOutsideTheItems) {
  IPopupMenu menu;
  for (const char* text : {"a", "b", "c"}) menu.AddItem(text);
  EXPECT_EQ(menu.GetItem(3), nullptr);
  EXPECT_EQ(menu.GetItem(-1), nullptr);
  EXPECT_STREQ(menu.GetItemText(3), "");
  EXPECT_EQ(menu.AddItem(static_cast<IPopupMenuItem*>(nullptr)), nullptr);
  menu.AddItem(static_cast<const char*>(nullptr));
  EXPECT_STREQ(menu.GetItemText(3), "");
}
