// The librarian's bank menus on the real editor: the folder tree of the file
// banks, the category and search-result menus, the pick of a chosen item
// (through the window's popup, answered by a script), the fallback mark of
// a rebuild and the selection of a bank by its name pair.
#include <algorithm>
#include <string>
#include <vector>

#include "KIT/IModule/IParam.h"
#include "src/LibrarianViewControl.h"
#include "tests/editor/librarian_menus_fixture.h"

namespace {

using Strings = std::vector<std::string>;

class BankMenusTest : public LibrarianMenusTest {
 protected:
  BankMenuControl* Upper() { return Menu<BankMenuControl>(kMenuLeftPatch); }
  // The root item of that text; -1 for none.
  static int ItemOf(const IPopupMenu* menu, const std::string& text) {
    for (int i = 0; i < menu->GetNItems(); ++i)
      if (text == menu->GetItemText(i)) return i;
    return -1;
  }
  // Every checked item over the listed menus of a tree, as "folder:text".
  static Strings Marks(const BankMenuTree& tree) {
    Strings marks;
    for (int k = 0; k < tree.ListedCount(); ++k)
      for (int i : Checked(*tree.ListedMenu(k)))
        marks.push_back(tree.ListedFolder(k) + ":" + tree.ListedMenu(k)->GetItemText(i));
    return marks;
  }
};

// ---- Shapes ---------------------------------------------------------------------

TEST_F(BankMenusTest, TheFolderTreeListsSubfoldersAsSubmenusAndRootBanksAsItems) {
  for (const char* name : {"A.vrn", "B.vrn", "Sub1/C.vrn", "Sub1/Deep/D.vrn", "Sub2/E.vrn"}) WriteBank(name);
  OpenWithWindow();
  const BankMenuTree& tree = Upper()->Tree();
  const IPopupMenu* root = tree.Root();
  // The root: the library folder's own banks as plain items, each subfolder
  // as a submenu; nothing else.
  Strings rootTexts = Texts(*root);
  std::sort(rootTexts.begin(), rootTexts.end());
  EXPECT_EQ(rootTexts, (Strings{"A.vrn", "B.vrn", "Sub1", "Sub2"}));
  for (int i = 0; i < root->GetNItems(); ++i) {
    const std::string text = root->GetItemText(i);
    EXPECT_EQ(root->GetItem(i)->GetSubmenu() != nullptr, text.rfind("Sub", 0) == 0) << text;
    EXPECT_EQ(root->GetItem(i)->GetFlags() & ~IPopupMenuItem::kChecked, 0) << text;
  }
  // A subfolder's menu: its sub-subfolder first, then its own banks.
  const IPopupMenu* sub1 = root->GetItem(ItemOf(root, "Sub1"))->GetSubmenu();
  EXPECT_EQ(Texts(*sub1), (Strings{"Deep", "C.vrn"}));
  const IPopupMenu* deep = sub1->GetItem(0)->GetSubmenu();
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(Texts(*deep), (Strings{"D.vrn"}));
  EXPECT_EQ(Texts(*root->GetItem(ItemOf(root, "Sub2"))->GetSubmenu()), (Strings{"E.vrn"}));

  // Listed in the order completed: a sub-subfolder before its subfolder, the
  // root last under the library folder's name.
  ASSERT_EQ(tree.ListedCount(), 4);
  Strings listed;
  for (int k = 0; k < tree.ListedCount(); ++k) listed.push_back(tree.ListedFolder(k));
  const auto at = [&](const std::string& name) { return std::find(listed.begin(), listed.end(), name); };
  EXPECT_LT(at("Deep"), at("Sub1"));
  EXPECT_EQ(listed.back(), "Patches");
  EXPECT_EQ(tree.ListedMenu(3), root);
  EXPECT_EQ(tree.ListedMenu(static_cast<int>(at("Deep") - listed.begin())), deep);
  // The right patch menu and the bank-name menu show the same tree.
  EXPECT_EQ(Texts(*Menu<BankMenuControl>(kMenuRightPatch)->Tree().Root()), Texts(*root));
  EXPECT_EQ(Texts(*Menu<BankMenuControl>(kMenuProgBankName)->Tree().Root()), Texts(*root));
}

// ---- The pick ---------------------------------------------------------------------

TEST_F(BankMenusTest, AChoiceSelectsItsBankByFolderAndNameAndMarksItAlone) {
  for (const char* name : {"A.vrn", "B.vrn", "Sub1/Same.vrn", "Sub1/Deep/D.vrn", "Sub2/Same.vrn"})
    WriteBank(name);
  OpenWithWindow();
  BankMenuControl* upper = Upper();
  const IPopupMenu* root = upper->Tree().Root();
  const int sub1 = ItemOf(root, "Sub1"), sub2 = ItemOf(root, "Sub2");
  ASSERT_GE(sub1, 0);
  ASSERT_GE(sub2, 0);

  const struct {
    const char* why;
    std::vector<int> path;
    std::string bank, folder;
  } kCases[] = {
      {"a bank two submenus deep", {sub1, 0, 0}, "D.vrn", "Deep"},
      {"the bank of that name in the second folder", {sub2, 0}, "Same.vrn", "Sub2"},
      {"the bank of that name in the first folder", {sub1, 1}, "Same.vrn", "Sub1"},
      {"a bank of the library folder itself", {ItemOf(root, "B.vrn")}, "B.vrn", "Patches"},
  };
  for (const auto& c : kCases) {
    Choose(c.path);
    upper->OnMouseDown(0, 0, nullptr);
    const int expected = FileBankIndex(c.bank, c.folder);
    ASSERT_GE(expected, 0) << c.why;
    EXPECT_EQ(Library().upperBankIndex, expected) << c.why;
    EXPECT_EQ(Value(kPatchSelectionListUpper), expected) << c.why;
    EXPECT_EQ(m_plug->upperFirstName, c.bank) << c.why;
    EXPECT_EQ(m_plug->upperBankName, c.folder) << c.why;
    EXPECT_EQ(Marks(upper->Tree()), (Strings{c.folder + ":" + c.bank})) << c.why;
  }

  // Dismissed: the bank stays and so do its mark and the pair.
  const int before = Library().upperBankIndex;
  Choose({});
  upper->OnMouseDown(0, 0, nullptr);
  EXPECT_EQ(LevelsShown(), 1);
  EXPECT_EQ(Library().upperBankIndex, before);
  EXPECT_EQ(Value(kPatchSelectionListUpper), before);
  EXPECT_EQ(Marks(upper->Tree()), (Strings{"Patches:B.vrn"}));
}

TEST_F(BankMenusTest, AnItemWhoseBankIsGoneChangesNeitherTheBankNorTheNamePair) {
  for (const char* name : {"A.vrn", "B.vrn"}) WriteBank(name);
  OpenWithWindow();
  BankMenuControl* upper = Upper();
  const IPopupMenu* root = upper->Tree().Root();
  Choose({ItemOf(root, "B.vrn")});
  upper->OnMouseDown(0, 0, nullptr);
  const int b = FileBankIndex("B.vrn");
  ASSERT_EQ(Library().upperBankIndex, b);

  // The library no longer holds "A.vrn" under that name; the menu still
  // shows it.
  Library().fileBanks[static_cast<size_t>(FileBankIndex("A.vrn"))]->fileName = "Renamed.vrn";
  Choose({ItemOf(root, "A.vrn")});
  upper->OnMouseDown(0, 0, nullptr);
  EXPECT_EQ(Library().upperBankIndex, b);
  EXPECT_EQ(m_plug->upperFirstName, "B.vrn");
  EXPECT_EQ(m_plug->upperBankName, "Patches");
  EXPECT_EQ(Marks(upper->Tree()), (Strings{"Patches:A.vrn"}));  // the chosen item carries the mark
}

// ---- Rebuilds: the pair, duplicates and the fallback position -----------------------

TEST_F(BankMenusTest, ARebuildSelectsTheLastBankOfThePairOrMarksThePositionInFillOrder) {
  for (const char* name :
       {"S/x1.vrn", "S/x2.vrn", "S/x3.vrn", "T/y1.vrn", "T/y2.vrn", "T/y3.vrn", "U/Dup/z.vrn", "V/Dup/z.vrn"})
    WriteBank(name);
  OpenWithWindow();
  BankMenuControl* upper = Upper();

  // Two banks carry the same pair: the later one of the bank list stays.
  upper->refreshFolderStructure(&Library(), m_plug, 0, "z.vrn", "Dup");
  int last = -1;
  for (size_t i = 0; i < Library().fileBanks.size(); ++i)
    if (Library().fileBanks[i]->fileName == "z.vrn") last = static_cast<int>(i);
  EXPECT_EQ(Library().upperBankIndex, last);
  EXPECT_EQ(Value(kPatchSelectionListUpper), last);

  // A pair of no bank: the bank item at the position (in fill order, over
  // all menus) is marked and nothing is selected.
  const BankMenuTree& tree = upper->Tree();
  for (int position : {0, 2, 4, 7}) {
    Library().upperBankIndex = 1;
    upper->refreshFolderStructure(&Library(), m_plug, position, "none", "none");
    EXPECT_EQ(Library().upperBankIndex, 1) << position;
    Strings fill;  // the bank items in the order they were added
    for (int k = 0; k < tree.ListedCount(); ++k) {
      const IPopupMenu* menu = tree.ListedMenu(k);
      for (int i = 0; i < menu->GetNItems(); ++i)
        if (!menu->GetItem(i)->GetSubmenu())
          fill.push_back(tree.ListedFolder(k) + ":" + menu->GetItemText(i));
    }
    // Sub-subfolder menus are listed before their parents, which hold no
    // banks here, so the listed order is the fill order.
    ASSERT_EQ(fill.size(), 8u);
    EXPECT_EQ(Marks(tree), (Strings{fill[static_cast<size_t>(position)]})) << position;
  }
  // Past the last bank: nothing marked.
  upper->refreshFolderStructure(&Library(), m_plug, 8, "none", "none");
  EXPECT_TRUE(Marks(tree).empty());

  // The editor's refresh gives the bank-name menu an empty pair: the first
  // bank item is marked.
  m_plug->refreshPopUpMenus();
  const BankMenuTree& names = Menu<BankMenuControl>(kMenuProgBankName)->Tree();
  EXPECT_EQ(Checked(*names.ListedMenu(0)), std::vector<int>{0});
  EXPECT_EQ(Marks(names).size(), 1u);
}

// ---- Category and search menus ------------------------------------------------------

TEST_F(BankMenusTest, TheCategoryMenuHasASubmenuPerCategoryWithBanksAndSelectsInTheCategoryList) {
  WriteBank("A.vrn", 99, 0);
  WriteBank("B.vrn", 99, 3);
  OpenWithWindow();
  m_plug->GetParam(kCategorySelection)->Set(1.0);
  m_plug->OnParamChange(kCategorySelection);
  ASSERT_TRUE(m_plug->flags.lowerShowsCategories);
  BankMenuControl* menu = Menu<BankMenuControl>(kMenuRightCategory);
  const BankMenuTree& tree = menu->Tree();
  const IPopupMenu* root = tree.Root();
  ASSERT_GT(root->GetNItems(), 0);
  // Only submenus in the root, each listed under its category; the root
  // last, without a folder name.
  for (int i = 0; i < root->GetNItems(); ++i) {
    const IPopupMenu* sub = root->GetItem(i)->GetSubmenu();
    ASSERT_NE(sub, nullptr) << i;
    EXPECT_GT(sub->GetNItems(), 0) << i;
    EXPECT_EQ(tree.ListedMenu(i), sub);
    EXPECT_EQ(tree.ListedFolder(i), root->GetItemText(i));
  }
  EXPECT_EQ(tree.ListedMenu(tree.ListedCount() - 1), root);
  EXPECT_FALSE(tree.ListedHasFolder(tree.ListedCount() - 1));

  // The second item of the last category: its index in the category list.
  const int last = root->GetNItems() - 1;
  const IPopupMenu* sub = root->GetItem(last)->GetSubmenu();
  const int item = sub->GetNItems() > 1 ? 1 : 0;
  const std::string bankName = sub->GetItemText(item), folder = root->GetItemText(last);
  Choose({last, item});
  menu->OnMouseDown(0, 0, nullptr);
  int expected = -1;
  for (size_t j = 0; j < Library().categoryBanks.size(); ++j)
    if (Library().categoryBanks[j]->fileName == bankName && Library().categoryBanks[j]->folderName == folder)
      expected = static_cast<int>(j);
  ASSERT_GE(expected, 0);
  EXPECT_EQ(Library().lowerBankIndex, expected);
  EXPECT_EQ(m_plug->lowerFirstName, bankName);
  EXPECT_EQ(m_plug->lowerBankName, folder);
  EXPECT_EQ(Marks(tree), (Strings{folder + ":" + bankName}));

  // A category whose banks are gone gives no submenu.
  Library().categoryTree.back()->subfolders.back().banks.clear();
  menu->refreshFolderStructure(&Library(), m_plug, 0, "", "");
  const Strings texts = Texts(*tree.Root());
  EXPECT_EQ(std::find(texts.begin(), texts.end(), Library().categoryTree.back()->subfolders.back().name),
            texts.end());
}

TEST_F(BankMenusTest, TheSearchMenuListsEveryResultBankFlatAndAChoiceTakesTheLibraryFolderName) {
  WriteBank("A.vrn", 99, 1);
  WriteBank("B.vrn", 99, 1);
  OpenWithWindow();
  Library().createNewSearchPatchFiles("P1");  // every patch: two result banks
  ASSERT_GE(Library().searchBanks.size(), 2u);
  m_plug->flags.lowerShowsSearch = true;
  m_plug->patchTypeChanged(0, 4, false);
  BankMenuControl* menu = Menu<BankMenuControl>(kMenuRightSearch);
  const BankMenuTree& tree = menu->Tree();
  Strings banks;
  for (const PatchFile* bank : Library().searchBanks) banks.push_back(bank->fileName);
  EXPECT_EQ(Texts(*tree.Root()), banks);
  ASSERT_EQ(tree.ListedCount(), 1);
  EXPECT_EQ(tree.ListedFolder(0), "Patches");

  Choose({1});
  menu->OnMouseDown(0, 0, nullptr);
  EXPECT_EQ(Library().lowerBankIndex, 1);
  EXPECT_EQ(m_plug->lowerFirstName, banks[1]);
  EXPECT_EQ(m_plug->lowerBankName, "Patches");
}

TEST_F(BankMenusTest, WithoutSearchResultsTheSearchMenuStillHasItsEmptyRoot) {
  OpenWithWindow();
  const BankMenuTree& tree = Menu<BankMenuControl>(kMenuRightSearch)->Tree();
  ASSERT_EQ(tree.ListedCount(), 1);
  EXPECT_EQ(tree.ListedMenu(0), tree.Root());
  EXPECT_EQ(tree.Root()->GetNItems(), 0);
  // Rebuilt again and again: each root is freed with the tree (the leak
  // checker watches).
  for (int i = 0; i < 3; ++i) m_plug->refreshPopUpMenus();
  Menu<BankMenuControl>(kMenuRightSearch)->refreshFolderStructure(&Library(), m_plug, 0, "", "");
  EXPECT_EQ(tree.ListedCount(), 1);
}

// ---- The program selector's bank-name menu ----------------------------------------------

TEST_F(BankMenusTest, TheBankNameMenuSelectsTheEditedBankAndNamesItInTheUpperPair) {
  for (const char* name : {"A.vrn", "B.vrn", "Sub/C.vrn"}) WriteBank(name);
  OpenWithWindow();
  BankMenuControl* names = Menu<BankMenuControl>(kMenuProgBankName);
  const IPopupMenu* root = names->Tree().Root();
  const int sub = ItemOf(root, "Sub");
  ASSERT_GE(sub, 0);
  const std::string lowerBank = m_plug->lowerFirstName, lowerFolder = m_plug->lowerBankName;
  Choose({sub, 0});
  names->OnMouseDown(0, 0, nullptr);
  const int c = FileBankIndex("C.vrn", "Sub");
  EXPECT_EQ(Library().upperBankIndex, c);
  EXPECT_EQ(Value(kPatchSelectionListUpper), c);
  EXPECT_EQ(m_plug->upperFirstName, "C.vrn");
  EXPECT_EQ(m_plug->upperBankName, "Sub");
  EXPECT_EQ(Marks(names->Tree()), (Strings{"Sub:C.vrn"}));
  // The lower list keeps its bank and pair.
  EXPECT_EQ(m_plug->lowerFirstName, lowerBank);
  EXPECT_EQ(m_plug->lowerBankName, lowerFolder);
}

// The bank-name menu sends the slot the list shows selected, and the
// library's selected slot follows the list (which a job or a program change
// may have left elsewhere).
TEST_F(BankMenusTest, TheBankNameMenuSendsTheSlotTheListShowsSelected) {
  for (const char* name : {"A.vrn", "B.vrn"}) WriteBank(name);
  OpenWithWindow();
  ASSERT_FALSE(m_plug->flags.librarianMode);
  BankMenuControl* names = Menu<BankMenuControl>(kMenuProgBankName);
  m_plug->librarianView->selectedUpperRow = 7;
  Library().selectedUpperSlot = 2;
  m_plug->GetParam(kCurrentPatch)->Set(0);
  Choose({ItemOf(names->Tree().Root(), "B.vrn")});
  names->OnMouseDown(0, 0, nullptr);
  EXPECT_EQ(Library().upperBankIndex, FileBankIndex("B.vrn"));
  EXPECT_EQ(Library().selectedUpperSlot.load(), 7);
  // The send selects the slot it sends as the current program.
  EXPECT_EQ(Value(kCurrentPatch), 7);
  EXPECT_EQ(m_plug->librarianView->currentRow.load(), 7);
}

// ---- Stepping a bank names it in its menu ----------------------------------------------

TEST_F(BankMenusTest, SteppingTheUpperBankMarksItInTheMenuAndNamesIt) {
  for (const char* name : {"A.vrn", "B.vrn", "Sub/C.vrn"}) WriteBank(name);
  OpenWithWindow();
  m_plug->GetParam(kLibUpperNextBank)->Set(1.0);
  m_plug->OnParamChange(kLibUpperNextBank);
  const int bank = Library().upperBankIndex;
  ASSERT_EQ(bank, 1);
  const PatchFile* stepped = Library().fileBanks[1];
  EXPECT_EQ(m_plug->upperFirstName, stepped->fileName);
  EXPECT_EQ(m_plug->upperBankName, stepped->folderName);
  const std::string compared = stepped->folderName;
  EXPECT_EQ(Marks(Upper()->Tree()), (Strings{compared + ":" + stepped->fileName}));
}

}  // namespace
