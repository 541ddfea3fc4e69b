// The librarian put together on the real editor with its headless window:
// clicks reach the window as a user's would, so each menu opens from the
// field it lies over, and the slot menu's choices act on the slot list the
// editor built.
#include <string>
#include <vector>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/ITextControls.h"
#include "src/LibrarianViewControl.h"
#include "tests/editor/librarian_menus_fixture.h"

namespace {

class LibrarianWiringTest : public LibrarianMenusTest {
 protected:
  // Two banks in one folder: the edited bank and the source bank.
  void SetUp() override {
    LibrarianMenusTest::SetUp();
    WriteBank("Factory/edited.syx", 99, 1);
    WriteBank("Factory/source.syx", 99, 2);
  }

  // The editor with its window on the librarian page, showing the two banks.
  void OpenLibrarianPage() {
    ASSERT_NE(OpenWithWindow(), nullptr);
    ASSERT_NE(m_backend, nullptr);
    m_plug->GetParam(kMainTab)->Set(1.0);
    m_plug->OnParamChange(kMainTab);
    Library().upperBankIndex = FileBankIndex("edited.syx");
    Library().lowerBankIndex = FileBankIndex("source.syx");
    ASSERT_GE(Library().upperBankIndex, 0);
    ASSERT_GE(Library().lowerBankIndex, 0);
    m_plug->updatePatchLibrarianView(2);
    list = m_plug->librarianView;
    ASSERT_NE(list, nullptr);
  }

  // A press and release of a button at a window point, as the window
  // delivers them; any popup the press opens is answered by the script
  // given to Choose. Records the root menu of every popup shown.
  void Click(int x, int y, bool right = false) {
    auto script = m_backend->onMenu;
    m_backend->onMenu = [this, script](HeadlessBackend& b) {
      if (const ViewMenuWalk* walk = m_view->MenuWalk())
        if (walk->LevelCount() == 1 && walk->LevelAt(0).menu)
          opened.push_back(static_cast<IPopupMenu*>(walk->LevelAt(0).menu->model));
      if (script) script(b);
    };
    IMouseMod mod;
    mod.L = !right;
    mod.R = right;
    IGraphics* gui = m_plug->GetGUI();
    gui->OnMouseDown(x, y, &mod);
    gui->OnMouseUp(x, y, &mod);
    m_backend->onMenu = script;
  }
  void ClickRow(int column, int row, bool right) {
    const IRECT r = (column == 0 ? list->upperRow(row) : list->lowerRow(row))->GetRECT();
    Click((r.L + r.R) / 2, (r.T + r.B) / 2, right);
  }
  IPopupMenu* BankMenuRoot(int menu) { return Menu<BankMenuControl>(menu)->Tree().Root(); }
  PatchFile& Bank(int index) { return *Library().fileBanks.at(static_cast<size_t>(index)); }

  LibrarianViewControl* list = nullptr;
  std::vector<IPopupMenu*> opened;  // the root of each popup shown, in order
};

// ---- Slot and copy menus -------------------------------------------------------------

TEST_F(LibrarianWiringTest, CopyFromTheSourceColumnAndPasteIntoASlotThroughTheRightClickMenus) {
  OpenLibrarianPage();
  const LibrarianPatch source = Bank(Library().lowerBankIndex).patches.at(7);
  ASSERT_NE(Bank(Library().upperBankIndex).patches.at(12).name, source.name);

  Choose({0});  // "Copy"
  ClickRow(1, 7, true);
  Choose({0});  // "Paste"
  ClickRow(0, 12, true);

  const LibrarianPatch& stored = Bank(Library().upperBankIndex).patches.at(12);
  EXPECT_EQ(stored.name, source.name);
  EXPECT_EQ(stored.category, source.category);
  EXPECT_EQ(stored.messages, source.messages);
  EXPECT_EQ(Value(kBankEditUnsaved), 1.0);
  // The list shows the stored patch in that slot.
  KIT_String text;
  list->upperRow(12)->GetTextCopy(&text);
  EXPECT_EQ(std::string(text.Get() ? text.Get() : ""), source.name);
}

TEST_F(LibrarianWiringTest, PasteWithoutACopyChangesNoSlot) {
  OpenLibrarianPage();
  const std::vector<LibrarianPatch> before = Bank(Library().upperBankIndex).patches;
  Choose({0});
  ClickRow(0, 3, true);
  EXPECT_EQ(Bank(Library().upperBankIndex).patches.size(), before.size());
  EXPECT_EQ(Bank(Library().upperBankIndex).patches.at(3).messages, before.at(3).messages);
  EXPECT_EQ(Value(kBankEditUnsaved), 0.0);
}

// Rename opens the field at once, over the overlay's name display and in
// its colours, holding the slot's name (without the blanks that pad it)
// all selected: what is typed replaces it, Backspace takes back one
// character, Return stores it. Escape leaves the name as it was.
TEST_F(LibrarianWiringTest, RenameOpensItsFieldReadyForTypingReturnStoresAndEscapeLeaves) {
  OpenLibrarianPage();
  ControlLayer* rename = m_plug->patchRenameLayer;
  ASSERT_NE(rename, nullptr);
  ASSERT_FALSE(rename->visible.Load());
  std::string name = Bank(Library().upperBankIndex).patches.at(5).name;
  name.erase(name.find_last_not_of(' ') + 1);
  ASSERT_LT(name.size(), 14u) << "the bank's names are padded";

  Choose({2});  // "Rename"
  ClickRow(0, 5, true);
  EXPECT_TRUE(rename->visible.Load());
  IControl* display = m_plug->patchRenameControl;
  ASSERT_NE(display, nullptr);
  EXPECT_FALSE(display->IsHidden());
  const ViewTextEntry* field = m_view->TextEntry();
  ASSERT_NE(field, nullptr) << "the field did not open";
  EXPECT_EQ(field->Text(), name);
  EXPECT_EQ(field->SelectionStart(), 0);
  EXPECT_EQ(field->SelectionEnd(), static_cast<int>(name.size()));
  const IRECT r = display->GetRECT();
  EXPECT_EQ(field->Request().rect.L, r.L);
  EXPECT_EQ(field->Request().rect.T, r.T);
  EXPECT_EQ(field->Request().foreground, display->GetText()->mColor.ToPixel());
  EXPECT_EQ(field->Request().background, display->GetText()->mTextEntryBGColor.ToPixel());
  EXPECT_NE(field->Request().background, COLOR_WHITE.ToPixel());

  m_backend->Type("Night Drivex");
  m_backend->Key(kViewSpecialBackspace);
  m_backend->Key(kViewSpecialReturn);
  m_view->RunPending();
  Tick();
  EXPECT_EQ(m_view->TextEntry(), nullptr);
  EXPECT_EQ(Bank(Library().upperBankIndex).patches.at(5).name, "NIGHT DRIVE   ");
  EXPECT_FALSE(rename->visible.Load());
  EXPECT_EQ(Value(kBankEditUnsaved), 1.0);

  const std::string kept = Bank(Library().upperBankIndex).patches.at(6).name;
  Choose({2});
  ClickRow(0, 6, true);
  ASSERT_NE(m_view->TextEntry(), nullptr);
  m_backend->Type("Gone");
  m_backend->Key(kViewSpecialEscape);
  m_view->RunPending();
  Tick();
  EXPECT_EQ(m_view->TextEntry(), nullptr);
  EXPECT_FALSE(rename->visible.Load());
  EXPECT_TRUE(m_plug->renameClosed);
  EXPECT_EQ(Bank(Library().upperBankIndex).patches.at(6).name, kept);
}

TEST_F(LibrarianWiringTest, ALeftClickOnTheListClosesAnOpenRename) {
  OpenLibrarianPage();
  Choose({2});
  ClickRow(0, 5, true);
  ASSERT_TRUE(m_plug->patchRenameLayer->visible.Load());
  ClickRow(0, 6, false);
  EXPECT_FALSE(m_plug->patchRenameLayer->visible.Load());
}

// ---- The menus' fields ----------------------------------------------------------------

TEST_F(LibrarianWiringTest, EachMenuFieldOpensItsMenu) {
  OpenLibrarianPage();
  const struct {
    const char* field;
    int x, y;
    IPopupMenu* root;
  } kFields[] = {
      {"librarian menu", 1160, 107, &Menu<BankEditPopupMenu>(kMenuBankEdit)->Menu(BankEditPopupMenu::kRoot)},
      {"edited bank", 1160, 143, BankMenuRoot(kMenuLeftPatch)},
      {"source bank", 1160, 183, BankMenuRoot(kMenuRightPatch)},
      {"bank number", 198, 23, &Menu<BankNumberPopupMenu>(kMenuBankNumber)->Menu()},
      {"program number", 246, 23, &Menu<ProgramNumberPopupMenu>(kMenuProgramNumber)->Menu(0)},
  };
  for (const auto& f : kFields) {
    SCOPED_TRACE(f.field);
    opened.clear();
    Choose({});
    Click(f.x, f.y);
    ASSERT_NE(f.root, nullptr);
    EXPECT_EQ(opened, std::vector<IPopupMenu*>{f.root});
  }
}

TEST_F(LibrarianWiringTest, TheBankFieldsChooseTheEditedAndTheSourceBank) {
  WriteBank("Factory/third.syx", 99, 3);
  OpenLibrarianPage();
  const int third = FileBankIndex("third.syx");
  const int edited = Library().upperBankIndex;
  // The folder's submenu, then the bank's item in it (banks in name order).
  const IPopupMenu* folder = BankMenuRoot(kMenuLeftPatch)->GetItem(0)->GetSubmenu();
  ASSERT_NE(folder, nullptr);
  int item = -1;
  for (int i = 0; i < folder->GetNItems(); ++i)
    if (std::string(folder->GetItemText(i)) == "third.syx") item = i;
  ASSERT_GE(item, 0);

  Choose({0, item});
  Click(1160, 183);
  EXPECT_EQ(Library().lowerBankIndex, third);
  EXPECT_EQ(Library().upperBankIndex, edited);
  Choose({0, item});
  Click(1160, 143);
  EXPECT_EQ(Library().upperBankIndex, third);
}

TEST_F(LibrarianWiringTest, TheMidiOutFieldOpensNoLibrarianMenu) {
  OpenLibrarianPage();
  std::vector<const IPopupMenu*> librarianRoots = {
      &Menu<BankEditPopupMenu>(kMenuBankEdit)->Menu(BankEditPopupMenu::kRoot),
      &Menu<BankNumberPopupMenu>(kMenuBankNumber)->Menu(),
      &Menu<ProgramNumberPopupMenu>(kMenuProgramNumber)->Menu(0)};
  for (int menu : {kMenuLeftPatch, kMenuRightPatch, kMenuRightCategory, kMenuRightSearch, kMenuProgBankName})
    librarianRoots.push_back(BankMenuRoot(menu));
  const int upper = Library().upperBankIndex, lower = Library().lowerBankIndex;
  // Points of the MIDI Out field (the first two where a bank menu once lay)
  // and of the MIDI In field.
  for (const auto& [x, y] : {std::pair{468, 57}, {560, 60}, {370, 70}, {468, 23}}) {
    SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
    opened.clear();
    Choose({});
    Click(x, y);
    for (const IPopupMenu* root : opened)
      for (const IPopupMenu* librarian : librarianRoots) EXPECT_NE(root, librarian);
  }
  EXPECT_EQ(Library().upperBankIndex, upper);
  EXPECT_EQ(Library().lowerBankIndex, lower);
}

TEST_F(LibrarianWiringTest, TheNumberMenusServeBothPagesAndTheListMenusOnlyTheLibrarian) {
  OpenLibrarianPage();
  const auto shown = [this](int menu) { return m_plug->librarianMenuLayers[menu]->visible.Load(); };
  for (int tab : {1, 2}) {
    SCOPED_TRACE("tab " + std::to_string(tab));
    m_plug->GetParam(kMainTab)->Set(tab);
    m_plug->OnParamChange(kMainTab);
    EXPECT_TRUE(shown(kMenuProgramNumber));
    EXPECT_TRUE(shown(kMenuBankNumber));
    EXPECT_FALSE(shown(kMenuProgBankName));
    EXPECT_EQ(shown(kMenuBankEdit), tab == 1);
    EXPECT_EQ(shown(kMenuLeftPatch), tab == 1);
    EXPECT_EQ(shown(kMenuRightPatch), tab == 1);
  }
  // Library mode: the bank field chooses the edited bank by name.
  m_plug->GetParam(kControlLibrary)->Set(1.0);
  m_plug->OnParamChange(kControlLibrary);
  EXPECT_TRUE(shown(kMenuProgramNumber));
  EXPECT_FALSE(shown(kMenuBankNumber));
  EXPECT_TRUE(shown(kMenuProgBankName));
}

}  // namespace
