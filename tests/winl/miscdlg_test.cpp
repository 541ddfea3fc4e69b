// File choosers and message boxes, headless: the modal hook plays the user
// with the panels' keys and clicks.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "KIT/winl/winl-miscdlg.h"
#include "KIT/winl/winl-wnd-view.h"
#include "platform/window/WindowPanels.h"
#include "tests/support/temp_folder.h"
#include "wnd_fixture.h"

namespace {

WmKeyEvent Key(int code, const std::u32string& characters = U"", uint32_t modifiers = 0) {
  WmKeyEvent k;
  k.keyCode = code;
  k.characters = k.charactersIgnoringModifiers = characters;
  k.modifiers = modifiers;
  return k;
}
enum { kDown = 125, kUp = 126, kReturn = 36, kEscape = 53, kTab = 48, kBackspace = 51, kRight = 124 };

// Types text into a window key by key.
void Type(WmWindow* window, const std::u32string& text) {
  for (char32_t c : text) window->SendKeyEvent(Key(0, std::u32string(1, c)));
}

// Clicks at a point of a panel's content (flipped coordinates).
void ClickAt(WmWindow* window, double x, double y, int clickCount = 1) {
  WmMouseEvent m;
  m.kind = kWmLeftDown;
  m.window = window;
  m.location = WmPoint{x + 1, window->frame().height - y - 1};
  m.clickCount = clickCount;
  window->SendMouseEvent(m);
}

class MiscDlgTest : public WndTest {
 protected:
  void SetUp() override {
    WndTest::SetUp();
    ASSERT_TRUE(m_temp.Made());
    m_dir = m_temp.Name();
    for (const char* name : {"b.SYX", "a.syx", "c.mid", "d.txt", ".hidden.syx"}) Touch(m_dir + "/" + name);
    ASSERT_EQ(mkdir((m_dir + "/sub").c_str(), 0755), 0);
    Touch(m_dir + "/sub/inner.syx");
    m_calls = 0;
  }
  void TearDown() override {
    WmApplication::Shared().modalHook = nullptr;
    WndTest::TearDown();
    ASSERT_TRUE(m_temp.Remove());
  }
  static void Touch(const std::string& path) { std::ofstream(path) << "x"; }
  // The hook runs script once for the first panel or alert it sees, then
  // leaves the run to end (a script that does not end it fails the test
  // after a few steps).
  template <class Window>
  void Script(std::function<void(Window*)> script) {
    WmApplication::Shared().modalHook = [this, script](WmWindow* window) {
      ++m_calls;
      ASSERT_LT(m_calls, 50) << "the script did not end the run";
      if (auto* typed = dynamic_cast<Window*>(window)) {
        if (m_calls == 1) script(typed);
      } else {
        ADD_FAILURE() << "an unexpected window: " << window->ClassName();
        WmApplication::Shared().AbortModal();
      }
    };
  }
  TempFolder m_temp{"winl-miscdlg-"};
  std::string m_dir;
  int m_calls = 0;
};

TEST(MiscDlgFilters, ExtensionsFromAFilterList) {
  const struct {
    const char* why;
    std::string list;
    std::vector<std::string> expected;
  } kCases[] = {
      {"two patterns", std::string("Banks\0*.syx;*.mid\0\0", 20), {"syx", "mid"}},
      {"*.* adds nothing", std::string("All\0*.*\0\0", 9), {}},
      {"an empty list", std::string("\0", 1), {}},
      {"several pairs, case kept", std::string("A\0*.syx\0B\0*.VRN;noext;*.\0\0", 27), {"syx", "VRN"}},
      {"the text after the first dot", std::string("T\0*.tar.gz\0\0", 12), {"tar.gz"}},
      {"at most 31 bytes",
       std::string("L\0*.", 4) + std::string(40, 'x') + std::string("\0\0", 2),
       {std::string(31, 'x')}},
  };
  for (const auto& c : kCases) EXPECT_EQ(WINL_ExtensionsFromList(c.list.c_str()), c.expected) << c.why;
  EXPECT_TRUE(WINL_ExtensionsFromList(nullptr).empty());
}

TEST(MiscDlgFilters, InitialFolderAndFile) {
  const struct {
    const char *folder, *file, *expectedFolder, *expectedFile;
  } kCases[] = {
      {"/other", "/Users/x/song.mid", "/Users/x", "song.mid"},
      {"/other", "/song.mid", "/", "song.mid"},
      {"/other", "song.mid", "/other", "song.mid"},
      {"/other", "", "/other", ""},
      {"", nullptr, "", ""},
      {nullptr, "folder/", "folder", ""},
  };
  for (const auto& c : kCases) {
    std::string folder, file;
    WINL_SplitInitialPath(c.folder, c.file, &folder, &file);
    EXPECT_EQ(folder, c.expectedFolder) << (c.file ? c.file : "(null)");
    EXPECT_EQ(file, c.expectedFile) << (c.file ? c.file : "(null)");
  }
}

TEST_F(MiscDlgTest, TheOpenPanelListsFilteredFilesAndChoosesByKeys) {
  Script<WmFilePanel>([this](WmFilePanel* panel) {
    EXPECT_EQ(panel->directory(), m_dir);
    EXPECT_EQ(panel->title, "Import");
    ASSERT_EQ(panel->folders().size(), 2u);
    EXPECT_EQ(panel->folders()[0].name, "..");
    EXPECT_EQ(panel->folders()[1].name, "sub");
    std::vector<std::string> files;
    for (const WmFileEntry& e : panel->files()) files.push_back(e.name);
    EXPECT_EQ(files, (std::vector<std::string>{"a.syx", "b.SYX", "c.mid"}))
        << "filtered, case ignored, sorted";
    panel->SendKeyEvent(Key(kDown));
    panel->SendKeyEvent(Key(kDown));
    EXPECT_EQ(panel->nameText, "b.SYX");
    panel->SendKeyEvent(Key(kReturn));
  });
  char* chosen = BrowseForFiles("Import", m_dir.c_str(), "", false, "Banks\0*.syx;*.mid\0\0");
  ASSERT_TRUE(chosen);
  const std::string path = m_dir + "/b.SYX";
  EXPECT_EQ(std::string(chosen, path.size() + 2), path + std::string("\0\0", 2));
  free(chosen);
}

TEST_F(MiscDlgTest, TheOpenPanelWalksIntoAFolderAndTakesATypedName) {
  Script<WmFilePanel>([](WmFilePanel* panel) {
    panel->SendKeyEvent(Key(kTab, U"", kWmShift));  // back from the file list to the folder list
    ASSERT_EQ(panel->focus(), WmFilePanel::kFolders);
    panel->SendKeyEvent(Key(kDown));
    panel->SendKeyEvent(Key(kDown));
    panel->SendKeyEvent(Key(kReturn));  // opens "sub"
    ASSERT_EQ(panel->files().size(), 1u);
    Type(panel, U"nope");
    panel->SendKeyEvent(Key(kReturn));
    EXPECT_EQ(panel->status(), "There is no file named \"nope\".");
    EXPECT_FALSE(panel->IsDone());
    for (int i = 0; i < 4; ++i) panel->SendKeyEvent(Key(kBackspace));
    Type(panel, U"inner.syx");
    panel->SendKeyEvent(Key(kReturn));
  });
  char* chosen = BrowseForFiles("", m_dir.c_str(), nullptr, true, "S\0*.syx\0\0");
  ASSERT_TRUE(chosen);
  EXPECT_STREQ(chosen, (m_dir + "/sub/inner.syx").c_str());
  free(chosen);
}

TEST_F(MiscDlgTest, SeveralFilesInTheOrderChosen) {
  Script<WmFilePanel>([](WmFilePanel* panel) {
    // Clicks into the file list: the third row, then the first with shift.
    const WmRect list = panel->FileListRect();
    ClickAt(panel, list.x + 10, list.y + 2 + 2 * WmFilePanel::kRowHeight + 4);
    WmMouseEvent m;
    m.kind = kWmLeftDown;
    m.window = panel;
    m.location = WmPoint{list.x + 11, panel->frame().height - (list.y + 7)};
    m.modifiers = kWmShift;
    panel->SendMouseEvent(m);
    EXPECT_EQ(panel->selectedFiles(), (std::vector<int>{2, 0}));
    EXPECT_EQ(panel->nameText, "");
    const WmRect ok = panel->OkButtonRect();
    ClickAt(panel, ok.x + 5, ok.y + 5);
  });
  char* chosen = BrowseForFiles("", m_dir.c_str(), nullptr, true, "S\0*.syx;*.mid\0\0");
  ASSERT_TRUE(chosen);
  const std::string a = m_dir + "/c.mid", b = m_dir + "/a.syx";
  const std::string expected = std::string(1, '\0') + a + std::string(1, '\0') + b + std::string("\0\0", 2);
  EXPECT_EQ(std::string(chosen, expected.size()), expected);
  free(chosen);
}

TEST_F(MiscDlgTest, CancelledPanelsAndBuffersThatDoNotFit) {
  Script<WmFilePanel>([](WmFilePanel* panel) { panel->SendKeyEvent(Key(kEscape)); });
  EXPECT_EQ(BrowseForFiles("", m_dir.c_str(), nullptr, false, nullptr), nullptr);

  char buffer[8];
  memcpy(buffer, "unused", 7);
  m_calls = 0;
  Script<WmFilePanel>([](WmFilePanel* panel) {
    Type(panel, U"new.vrn");
    panel->SendKeyEvent(Key(kReturn));
  });
  EXPECT_FALSE(BrowseForSaveFile("", m_dir.c_str(), nullptr, "V\0*.vrn\0\0", buffer, sizeof buffer))
      << "the chosen path does not fit";
  EXPECT_STREQ(buffer, "unused");

  // Without a display and without a script the panel ends at once.
  WmApplication::Shared().modalHook = nullptr;
  EXPECT_EQ(BrowseForFiles("", m_dir.c_str(), nullptr, false, nullptr), nullptr);
  EXPECT_EQ(MessageBox(nullptr, "text", "caption", MB_OK), 0);
}

TEST_F(MiscDlgTest, TheSavePanelAddsTheExtensionAndAsksBeforeReplacing) {
  char buffer[4096];
  Script<WmFilePanel>([](WmFilePanel* panel) {
    EXPECT_EQ(panel->nameText, "Bank 1");
    for (int i = 0; i < 6; ++i) panel->SendKeyEvent(Key(kBackspace));
    Type(panel, U"Pads");
    panel->SendKeyEvent(Key(kReturn));
  });
  ASSERT_TRUE(BrowseForSaveFile("Save As", m_dir.c_str(), "Bank 1", "V\0*.vrn\0\0", buffer, sizeof buffer));
  EXPECT_EQ(std::string(buffer), m_dir + "/Pads.vrn");

  // An existing file: the alert's "Cancel" keeps the panel open, its
  // "Replace" ends it.
  Touch(m_dir + "/Pads.vrn");
  int alerts = 0;
  WmApplication::Shared().modalHook = [&](WmWindow* window) {
    if (auto* alert = dynamic_cast<WmAlert*>(window)) {
      EXPECT_EQ(alert->message(), "\"Pads.vrn\" already exists. Do you want to replace it?");
      EXPECT_EQ(alert->buttons(), (std::vector<std::string>{"Replace", "Cancel"}));
      alert->SendKeyEvent(Key(++alerts == 1 ? kEscape : kReturn));
      return;
    }
    auto* panel = dynamic_cast<WmFilePanel*>(window);
    ASSERT_TRUE(panel);
    ASSERT_LT(alerts, 3);
    panel->SendKeyEvent(Key(kReturn));
  };
  ASSERT_TRUE(
      BrowseForSaveFile("", nullptr, (m_dir + "/Pads.vrn").c_str(), "V\0*.vrn\0\0", buffer, sizeof buffer));
  EXPECT_EQ(alerts, 2);
  EXPECT_EQ(std::string(buffer), m_dir + "/Pads.vrn");

  // A folder that does not exist is refused with a word to the user.
  m_calls = 0;
  Script<WmFilePanel>([this](WmFilePanel* panel) {
    Type(panel, U"missing/x.vrn");
    panel->SendKeyEvent(Key(kReturn));
    EXPECT_EQ(panel->status(), "The folder \"" + m_dir + "/missing\" does not exist.");
    panel->Cancel();
  });
  EXPECT_FALSE(BrowseForSaveFile("", m_dir.c_str(), nullptr, "V\0*.vrn\0\0", buffer, sizeof buffer));
}

TEST_F(MiscDlgTest, TheFolderChooser) {
  char buffer[4096];
  Script<WmFilePanel>([](WmFilePanel* panel) {
    EXPECT_TRUE(panel->files().empty());
    EXPECT_EQ(panel->focus(), WmFilePanel::kFolders);
    panel->SendKeyEvent(Key(kDown));
    panel->SendKeyEvent(Key(kDown));
    panel->SendKeyEvent(Key(kReturn));  // chooses the selected folder
  });
  ASSERT_TRUE(BrowseForDirectory("Choose", m_dir.c_str(), buffer, sizeof buffer));
  EXPECT_EQ(std::string(buffer), m_dir + "/sub");

  m_calls = 0;
  Script<WmFilePanel>([](WmFilePanel* panel) {
    Type(panel, U"made");
    const WmRect button = panel->NewFolderButtonRect();
    ClickAt(panel, button.x + 5, button.y + 5);
    EXPECT_EQ(panel->folders()[static_cast<size_t>(panel->selectedFolder())].name, "made");
    panel->Confirm();
  });
  ASSERT_TRUE(BrowseForDirectory("", m_dir.c_str(), buffer, sizeof buffer));
  EXPECT_EQ(std::string(buffer), m_dir + "/made");
  struct stat st;
  EXPECT_EQ(stat(buffer, &st), 0);
}

TEST_F(MiscDlgTest, TheMessageBoxTable) {
  const struct {
    int type;
    std::vector<std::string> buttons;
    std::vector<int> results;
  } kCases[] = {
      {MB_OK, {"OK"}, {IDOK}},
      {MB_OKCANCEL, {"OK", "Cancel"}, {IDOK, IDCANCEL}},
      {MB_YESNOCANCEL, {"Yes", "Cancel", "No"}, {IDYES, IDCANCEL, IDNO}},
      {MB_YESNO, {"Yes", "No"}, {IDYES, IDNO}},
      {MB_RETRYCANCEL, {"Retry", "Cancel"}, {IDRETRY, IDCANCEL}},
      {MB_OK | MB_ICONWARNING, {"OK"}, {IDOK}},
      {MB_YESNO | MB_ICONQUESTION, {"Yes", "No"}, {IDYES, IDNO}},
  };
  for (const auto& c : kCases) {
    for (size_t pressed = 0; pressed < c.buttons.size(); ++pressed) {
      m_calls = 0;
      Script<WmAlert>([&](WmAlert* alert) {
        EXPECT_EQ(alert->title, "Caption");
        EXPECT_EQ(alert->message(), "The text");
        EXPECT_EQ(alert->buttons(), c.buttons);
        // Clicks the button.
        const WmRect r = alert->ButtonRect(static_cast<int>(pressed));
        ClickAt(alert, r.x + 3, r.y + 3);
      });
      EXPECT_EQ(MessageBox(nullptr, "The text", "Caption", c.type), c.results[pressed])
          << "type " << c.type << " button " << pressed;
    }
  }
  // Escape presses "Cancel"; null texts are empty; an unknown kind shows
  // nothing.
  m_calls = 0;
  Script<WmAlert>([](WmAlert* alert) {
    EXPECT_EQ(alert->message(), "");
    alert->SendKeyEvent(Key(kEscape));
  });
  EXPECT_EQ(MessageBox(nullptr, nullptr, nullptr, MB_YESNOCANCEL), IDCANCEL);
  m_calls = 0;
  Script<WmAlert>([](WmAlert*) { ADD_FAILURE() << "no alert for this kind"; });
  EXPECT_EQ(MessageBox(nullptr, "t", "c", MB_ABORTRETRYIGNORE), 0);
  EXPECT_EQ(MessageBox(nullptr, "t", "c", 6), 0);
}

// An accessory dialog from a template: made for the next chooser only,
// shown in the panel and told WM_DESTROY afterwards.
void AccessoryCreate(HWND, int) {}
char kAccessory[] = "accessory";
WINL_DialogResourceIndex g_accessory{kAccessory, nullptr, 0x1 | 0x4, AccessoryCreate, 200, 40, nullptr};

TEST_F(MiscDlgTest, AnAccessoryDialogForOneChooser) {
  BrowseFile_SetTemplate(kAccessory, reinterpret_cast<DLGPROC>(LoggingProc), &g_accessory);
  HWND accessory = nullptr;
  Script<WmFilePanel>([&](WmFilePanel* panel) {
    accessory = panel->accessoryView();
    ASSERT_TRUE(accessory);
    EXPECT_EQ(panel->frame().height, 420 + 40 + 8);
    panel->Cancel();
  });
  EXPECT_EQ(BrowseForFiles("", m_dir.c_str(), nullptr, false, nullptr), nullptr);
  EXPECT_EQ(Count(accessory, WM_DESTROY), 1);
  EXPECT_EQ(Count(accessory, WM_INITDIALOG), 1);

  m_calls = 0;
  Script<WmFilePanel>([](WmFilePanel* panel) {
    EXPECT_EQ(panel->accessoryView(), nullptr) << "used once";
    panel->Cancel();
  });
  EXPECT_EQ(BrowseForFiles("", m_dir.c_str(), nullptr, false, nullptr), nullptr);
}

}  // namespace
