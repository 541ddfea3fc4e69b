// The librarian's command menus on the real editor: the main menu's items
// and what each does, the slot and copy menus of a right click, and the
// program and bank number menus. Popups are answered by a script through the
// window's headless popup.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IParam.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "tests/editor/librarian_menus_fixture.h"

namespace {

using Strings = std::vector<std::string>;

class CommandMenusTest : public LibrarianMenusTest {
 protected:
  BankEditPopupMenu* Main() { return Menu<BankEditPopupMenu>(kMenuBankEdit); }
  ProgramNumberPopupMenu* Programs() { return Menu<ProgramNumberPopupMenu>(kMenuProgramNumber); }
  PatchFile& Edited() { return *Library().fileBanks.at(static_cast<size_t>(Library().upperBankIndex)); }
  // Keeps the data thread busy for a while with a sound send (no port is
  // open: the send itself goes nowhere).
  void BusyDataThread() {
    SenderJob job;
    job.jobCode = kJobSendArrangement;
    m_plug->flags.sendGlobalsWithSound = true;
    ASSERT_TRUE(m_plug->midiManager->postJob(job));
  }
  // The jobs' pauses end at once (a request then gives up quickly); only
  // while no job runs.
  void FastJobs() {
    m_plug->midiManager->waitForJobs();
    m_plug->midiManager->sender->setSleepFunction([](int) {});
  }
  void TearDown() override {
    if (m_plug && m_plug->midiManager) m_plug->midiManager->waitForJobs();
    LibrarianMenusTest::TearDown();
  }
};

// ---- The main menu -----------------------------------------------------------------

TEST_F(CommandMenusTest, TheMainMenuHasItsItemsAtTheirIndicesSeparatorsCounted) {
  OpenWithWindow();
  BankEditPopupMenu* menu = Main();
  const struct {
    int menu;
    Strings texts;  // "" for a separator
  } kMenus[] = {
      {BankEditPopupMenu::kRoot,
       {"Request Patch Data", "", "Store Patch Data", "", "Sync Current Data from HW",
        "Push Current Multi to HW", "", "Save (Overwrite current bank)", "Save As...", "", "Import...",
        "Refresh Folders", "Other Helpful things...", "", "About this Plug-in..."}},
      {BankEditPopupMenu::kRequest,
       {"from Active Slot to Plug-in GUI", "from Active Slot to Librarian", "from Selected Program Slot", "",
        "First 40 from Memory", "All Patches from Memory"}},
      {BankEditPopupMenu::kStore, {"To Currently Selected Slot", "", "All Current Patches to Hardware"}},
      {BankEditPopupMenu::kSaveAs, {"Standard MIDI (*.mid)", "VivivI Format (*.vrn)"}},
      {BankEditPopupMenu::kImport, {"Standard MIDI (*.mid)", "SysEx (*.syx / *.vrn)"}},
      {BankEditPopupMenu::kHelp,
       {"Open Data Folder", "Open User Manual", "Open Support Ticket", "Check for Updates",
        "DAW Setup Guides"}},
      {BankEditPopupMenu::kUnused1, {}},
      {BankEditPopupMenu::kUnused2, {}},
  };
  for (const auto& m : kMenus) {
    IPopupMenu& popup = menu->Menu(m.menu);
    EXPECT_EQ(Texts(popup), m.texts) << m.menu;
    for (int i = 0; i < popup.GetNItems(); ++i)
      EXPECT_EQ(popup.GetItem(i)->GetIsSeparator(), m.texts[static_cast<size_t>(i)].empty())
          << m.menu << " " << i;
  }
  IPopupMenu& root = menu->Menu(BankEditPopupMenu::kRoot);
  const struct {
    int item, submenu;
  } kOpeners[] = {{0, BankEditPopupMenu::kRequest},
                  {2, BankEditPopupMenu::kStore},
                  {8, BankEditPopupMenu::kSaveAs},
                  {10, BankEditPopupMenu::kImport},
                  {12, BankEditPopupMenu::kHelp}};
  for (const auto& o : kOpeners)
    EXPECT_EQ(root.GetItem(o.item)->GetSubmenu(), &menu->Menu(o.submenu)) << o.item;
  // Only the user manual is disabled.
  for (int i = 0; i < menu->Menu(BankEditPopupMenu::kHelp).GetNItems(); ++i)
    EXPECT_EQ(menu->Menu(BankEditPopupMenu::kHelp).GetItem(i)->GetEnabled(), i != 1) << i;

  // Filled again on the librarian tab: the same items, once.
  m_plug->GetParam(kMainTab)->Set(1.0);
  m_plug->OnParamChange(kMainTab);
  EXPECT_EQ(Texts(root), kMenus[0].texts);
  EXPECT_EQ(menu->Menu(BankEditPopupMenu::kRequest).GetNItems(), 6);
}

TEST_F(CommandMenusTest, MainMenuChoicesActOnTheEditorAndLeaveNoMark) {
  WriteBank("A.vrn", 99, 0);
  OpenWithWindow();
  BankEditPopupMenu* menu = Main();
  const std::string file = (PatchesFolder() / "A.vrn").string();

  // About: the about card shows.
  Choose({14});
  menu->OnMouseDown(0, 0, nullptr);
  EXPECT_TRUE(m_plug->aboutWindowLayer->visible);

  // Refresh Folders: a bank put into the folder afterwards is found.
  WriteBank("B.vrn", 99, 4);
  Choose({11});
  menu->OnMouseDown(0, 0, nullptr);
  EXPECT_EQ(Library().fileBanks.size(), 2u);

  // Import: the library is rescanned even when the file dialog is cancelled.
  WriteBank("C.vrn", 99, 6);
  Choose({10, 1});
  menu->OnMouseDown(0, 0, nullptr);
  EXPECT_EQ(Library().fileBanks.size(), 3u);

  // Save: the edited bank goes back into its own file.
  Library().upperBankIndex = FileBankIndex("A.vrn");
  Edited().patches[3].messages[0][76] = 'Z';
  Choose({7});
  menu->OnMouseDown(0, 0, nullptr);
  const std::string saved = ReadFile(file);
  ASSERT_GE(saved.size(), 4u * 92);
  EXPECT_EQ(saved[3 * 92 + 76], 'Z');

  // A separator, the disabled user manual and a dismissal do nothing.
  for (const std::vector<int>& path : {std::vector<int>{1}, std::vector<int>{12, 1}, std::vector<int>{}}) {
    Choose(path);
    menu->OnMouseDown(0, 0, nullptr);
  }
  for (int m = 0; m < BankEditPopupMenu::kNumMenus; ++m) EXPECT_TRUE(Checked(menu->Menu(m)).empty()) << m;
}

TEST_F(CommandMenusTest, PushWithoutAnOutputOrWhileTheDataThreadIsBusyHoldsNothing) {
  OpenWithWindow();
  BankEditPopupMenu* menu = Main();
  // No output: nothing is set, nothing posted.
  m_plug->flags.sendGlobalsWithSound = false;
  menu->runItem(BankEditPopupMenu::kRoot, 5);
  EXPECT_FALSE(m_plug->flags.transferHold);
  EXPECT_FALSE(m_plug->flags.sendGlobalsWithSound);
  EXPECT_FALSE(m_plug->midiManager->dataThread.isRunning());

  // Busy: the push is dropped and leaves incoming MIDI open.
  m_plug->flags.midiOutputOpen = true;
  BusyDataThread();
  m_plug->flags.sendGlobalsWithSound = false;
  m_plug->flags.transferHold = false;
  ASSERT_TRUE(m_plug->midiManager->dataThread.isRunning());
  menu->runItem(BankEditPopupMenu::kRoot, 5);
  EXPECT_FALSE(m_plug->flags.transferHold);
  EXPECT_FALSE(m_plug->flags.sendGlobalsWithSound);
  m_plug->midiManager->waitForJobs();

  // Idle: posted, with the globals going out with the sound.
  menu->runItem(BankEditPopupMenu::kRoot, 5);
  EXPECT_TRUE(m_plug->flags.sendGlobalsWithSound);
  m_plug->midiManager->waitForJobs();
  EXPECT_EQ(m_plug->midiManager->postedJob(m_plug->midiManager->dataThread).jobCode, kJobSendArrangement);
  EXPECT_FALSE(m_plug->flags.transferHold);  // the job let incoming MIDI in again
}

// A sync chosen while another job runs follows that job.
TEST_F(CommandMenusTest, ASyncChosenWhileAJobRunsFollowsIt) {
  OpenWithWindow();
  BankEditPopupMenu* menu = Main();
  m_plug->flags.midiOutputOpen = true;
  std::atomic<bool> held{true};  // the running job's pauses last until released
  m_plug->midiManager->sender->setSleepFunction([&held](int) {
    while (held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  BusyDataThread();
  menu->runItem(BankEditPopupMenu::kRoot, 4);  // waits
  EXPECT_EQ(m_plug->midiManager->postedJob(m_plug->midiManager->dataThread).jobCode, kJobSendArrangement);
  held = false;
  m_plug->midiManager->waitForJobs();
  EXPECT_EQ(m_plug->midiManager->postedJob(m_plug->midiManager->dataThread).jobCode,
            kJobActiveArrangementRequest);
  FastJobs();
  Choose({0, 0});  // Request Patch Data > from Active Slot to Plug-in GUI, idle
  menu->OnMouseDown(0, 0, nullptr);
  m_plug->midiManager->waitForJobs();
  EXPECT_EQ(m_plug->midiManager->postedJob(m_plug->midiManager->dataThread).jobCode,
            kJobActiveArrangementRequest);
}

// ---- The slot and copy menus ----------------------------------------------------------

TEST_F(CommandMenusTest, TheSlotMenuHasItsItemsAndCategories) {
  OpenWithWindow();
  FileEditPopupMenu menu(m_plug, &Library(), IRECT(5, 5, 5, 5), m_plug);
  EXPECT_EQ(Texts(menu.Menu(FileEditPopupMenu::kRoot)),
            (Strings{"Paste", "", "Rename", "Set Category", "", "Initialize Slot", "Get DATA from..", "",
                     "Import.."}));
  EXPECT_EQ(Texts(menu.Menu(FileEditPopupMenu::kCategory)),
            (Strings{"NONE", "ARP", "ATMO", "BASS", "DRUM", "FX",   "KEYS", "LEAD", "MONO", "PAD", "PERC",
                     "POLY", "SEQ", "DUB",  "LUSH", "STRG", "PLUK", "WIND", "NOIS", "EXFX", "INIT"}));
  EXPECT_EQ(Texts(menu.Menu(FileEditPopupMenu::kGetData)),
            (Strings{"Plug-in (active patch)", "", "Hardware Edit Buffer", "Hardware by Prog No."}));
  EXPECT_EQ(Texts(menu.Menu(FileEditPopupMenu::kImport)),
            (Strings{"Varno 1 Single Patch", "Varno 2 Single Patch"}));
  FileCopyPopupMenu copy(m_plug, &Library(), IRECT(5, 5, 5, 5), m_plug);
  EXPECT_EQ(Texts(copy.Menu()), (Strings{"Copy"}));
}

TEST_F(CommandMenusTest, SlotMenuChoicesReachTheListTheSlotAndTheDataThread) {
  WriteBank("A.vrn", 99, 0);
  OpenWithWindow();
  std::vector<std::string> calls;
  auto record = [&](const char* what) {
    return [&calls, what](int x, int y) {
      calls.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y));
    };
  };
  m_plug->librarianListActions = {record("paste"), record("rename"), record("copy")};

  // The menu exists only while its popup runs.
  bool sawMenu = false;
  Choose({0});
  auto script = m_backend->onMenu;
  m_backend->onMenu = [&](HeadlessBackend& b) {
    sawMenu = sawMenu || m_plug->fileEditMenu != nullptr;
    script(b);
  };
  EXPECT_EQ(m_plug->showFileEditMenu(40, 120), 1);
  EXPECT_TRUE(sawMenu);
  EXPECT_EQ(m_plug->fileEditMenu, nullptr);
  Choose({2});
  m_plug->showFileEditMenu(41, 121);
  Choose({0});
  EXPECT_EQ(m_plug->showFileCopyMenu(42, 400), 1);
  EXPECT_EQ(m_plug->fileCopyMenu, nullptr);
  Choose({});
  EXPECT_EQ(m_plug->showFileCopyMenu(43, 401), 0);
  EXPECT_EQ(calls, (Strings{"paste 40,120", "rename 41,121", "copy 42,400"}));

  // Set Category > INIT: code 20 in the selected slot, the bank unsaved.
  Library().selectedUpperSlot = 4;
  m_plug->setLibrarianViewRow(0, 4);
  const std::string name = Edited().patches[4].name;
  Choose({3, 20});
  m_plug->showFileEditMenu(10, 10);
  EXPECT_EQ(Edited().patches[4].category, "INIT");
  ASSERT_GE(Edited().patches[4].messages.at(0).size(), 92u);
  EXPECT_EQ(Edited().patches[4].messages[0][90], 20);
  EXPECT_EQ(Edited().patches[4].name, name);
  EXPECT_EQ(Value(kBankEditUnsaved), 1.0);

  // Initialize Slot while the data thread is busy: it follows the running job.
  m_plug->flags.midiOutputOpen = true;
  BusyDataThread();
  Choose({5});
  m_plug->showFileEditMenu(10, 10);
  m_plug->midiManager->waitForJobs();
  EXPECT_EQ(m_plug->midiManager->postedJob(m_plug->midiManager->dataThread).jobCode, kJobInitClassicPatch);
  // Idle: the initial sound is asked for the slot; then the editor's sound.
  Choose({5});
  m_plug->showFileEditMenu(10, 10);
  m_plug->midiManager->waitForJobs();
  EXPECT_EQ(m_plug->midiManager->postedJob(m_plug->midiManager->dataThread).jobCode, kJobInitClassicPatch);
  Choose({6, 0});
  m_plug->showFileEditMenu(10, 10);
  m_plug->midiManager->waitForJobs();
  const SenderJob posted = m_plug->midiManager->postedJob(m_plug->midiManager->dataThread);
  EXPECT_EQ(posted.jobCode, kJobSendArrangement);
  EXPECT_TRUE(posted.storeToLibrarian);
}

// ---- Program and bank numbers ----------------------------------------------------------

TEST_F(CommandMenusTest, ProgramsAreNumberedOneToNinetyNineInTenSubmenus) {
  OpenWithWindow();
  ProgramNumberPopupMenu* menu = Programs();
  EXPECT_EQ(Texts(menu->Menu(0)), (Strings{"01-10", "11-20", "21-30", "31-40", "41-50", "51-60", "61-70",
                                           "71-80", "81-90", "91-99"}));
  for (int k = 0; k < 10; ++k) EXPECT_EQ(menu->Menu(0).GetItem(k)->GetSubmenu(), &menu->Menu(1 + k));
  const struct {
    int submenu, item;
    const char* text;
  } kItems[] = {{0, 0, "Program 01"}, {2, 3, "Program 24"}, {8, 9, "Program 90"}, {9, 8, "Program 99"}};
  for (const auto& c : kItems) EXPECT_STREQ(menu->Menu(1 + c.submenu).GetItemText(c.item), c.text);
  EXPECT_EQ(menu->Menu(10).GetNItems(), 9);

  // The checked program; 99 checks nothing.
  menu->refreshPatchNames(&Library(), m_plug, 23);
  EXPECT_EQ(Checked(menu->Menu(3)), std::vector<int>{3});
  menu->refreshPatchNames(&Library(), m_plug, 99);
  for (int k = 0; k <= 10; ++k) EXPECT_TRUE(Checked(menu->Menu(k)).empty()) << k;

  // Choosing the fourth item of "21-30" selects program 23 ("Program 24").
  FastJobs();
  Choose({2, 3});
  menu->OnMouseDown(0, 0, nullptr);
  EXPECT_EQ(Value(kCurrentPatch), 23.0);
  EXPECT_EQ(menu->selection, 3);
  EXPECT_EQ(Checked(menu->Menu(3)), std::vector<int>{3});
  m_plug->midiManager->waitForJobs();
  EXPECT_EQ(m_plug->midiManager->postedJob(m_plug->midiManager->dataThread).jobCode, kJobPartRequest);
}

TEST_F(CommandMenusTest, InLibrarianModeProgramsAreTheEditedBanksNamesOrTheirNumbers) {
  WriteBank("A.vrn", 99, 2);
  OpenWithWindow();
  m_plug->flags.librarianMode = true;
  ProgramNumberPopupMenu* menu = Programs();
  PatchFile& bank = Edited();
  menu->refreshPatchNames(&Library(), m_plug, 0);
  for (int p : {0, 15, 98})
    EXPECT_EQ(menu->Menu(1 + p / 10).GetItemText(p % 10), bank.patches[static_cast<size_t>(p)].name) << p;

  // A bank shorter than 99 shows the numbers of the slots it lacks.
  bank.patches.resize(12);
  menu->refreshPatchNames(&Library(), m_plug, 0);
  EXPECT_EQ(menu->Menu(2).GetItemText(1), bank.patches[11].name);
  EXPECT_STREQ(menu->Menu(2).GetItemText(2), "Program 13");
  EXPECT_STREQ(menu->Menu(10).GetItemText(8), "Program 99");
  // No bank at the list's index: numbers throughout.
  m_plug->GetParam(kPatchSelectionListUpper)->Set(0.0);
  Library().fileBanks.clear();
  menu->refreshPatchNames(&Library(), m_plug, 0);
  EXPECT_STREQ(menu->Menu(1).GetItemText(0), "Program 01");
  Library().fileBanks.push_back(&bank);  // back to its owner
}

TEST_F(CommandMenusTest, InLibrarianModeAChosenProgramSelectsItsSlot) {
  WriteBank("A.vrn", 99, 2);
  OpenWithWindow();
  m_plug->flags.librarianMode = true;
  Programs()->refreshPatchNames(&Library(), m_plug, 0);
  Choose({4, 7});
  Programs()->OnMouseDown(0, 0, nullptr);
  EXPECT_EQ(Library().selectedUpperSlot, 47);
  EXPECT_EQ(Value(kCurrentPatch), 47.0);
}

TEST_F(CommandMenusTest, TheBankMenuHoldsTheMemoryBank) {
  OpenWithWindow();
  BankNumberPopupMenu* menu = Menu<BankNumberPopupMenu>(kMenuBankNumber);
  EXPECT_EQ(Texts(menu->Menu()), (Strings{"Bank P (RAM)"}));
  menu->refreshPatchNames(&Library(), m_plug, 0);
  EXPECT_EQ(Checked(menu->Menu()), std::vector<int>{0});
  menu->refreshPatchNames(&Library(), m_plug, 3);
  EXPECT_TRUE(Checked(menu->Menu()).empty());
  FastJobs();
  Choose({0});
  menu->OnMouseDown(0, 0, nullptr);
  EXPECT_EQ(Value(kCurrentBank), 0.0);
  EXPECT_EQ(Checked(menu->Menu()), std::vector<int>{0});
  m_plug->midiManager->waitForJobs();
  EXPECT_EQ(m_plug->midiManager->postedJob(m_plug->midiManager->dataThread).jobCode, kJobPartRequest);
}

}  // namespace
