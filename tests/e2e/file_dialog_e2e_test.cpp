// The editor's file dialogs and its rename field end to end on the X
// display (Xvfb in the test runs): the host program shows the editor in an
// X window, the librarian's main menu opens the open or save dialog as an X
// window of its own, and the test plays the user on it with key and button
// events sent through the X server to that window. "Import" copies the
// chosen file into the library folder; "Save As" writes the edited bank where
// the dialog says; a slot's rename field takes the keys the X server gives
// the window holding the keyboard focus.
//
// The librarian's main menu is at (1160,107), its place in the window
// design.
#include <algorithm>
#include <fstream>
#include <set>

#include "tests/e2e/librarian_fixture.h"
#include "tests/support/read_file.h"

// clang-format off
// After every other header: Xlib's macros clash with their names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on

namespace e2e {
namespace {

// In a file dialog: the name field and the confirm button.
constexpr int kNameFieldX = 300, kNameFieldY = 339;
constexpr int kConfirmX = 545, kConfirmY = 398;

// A sound dump of the Varno for a slot.
std::string SoundDump(int slot) {
  std::string dump = {'\xF0', '\x3E', '\x0B', '\x00', '\x10', static_cast<char>(slot)};
  for (int i = 0; i < 69; ++i) dump.push_back(static_cast<char>((slot * 7 + i * 5) % 128));
  dump.push_back('\xF7');
  return dump;
}

std::string Bank(int slots) {
  std::string bank;
  for (int slot = 0; slot < slots; ++slot) bank += SoundDump(slot);
  return bank;
}

// The top-level windows on the display that are shown and not popups.
std::set<Window> ShownWindows(Display* display) {
  std::set<Window> shown;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return shown;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a;
    if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable && !a.override_redirect)
      shown.insert(children[i]);
  }
  if (children) XFree(children);
  return shown;
}

// The window shown since before was taken; 0 when none comes.
Window NewWindow(Display* display, const std::set<Window>& before) {
  const auto deadline = steady_clock::now() + kDeadline;
  while (steady_clock::now() < deadline) {
    for (Window w : ShownWindows(display))
      if (!before.count(w)) return w;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return 0;
}

bool Shown(Display* display, Window window) { return ShownWindows(display).count(window) > 0; }

// Events go to the client that made the window (an empty event mask).
void SendKey(Display* display, Window window, KeySym sym) {
  const KeyCode code = XKeysymToKeycode(display, sym);
  XKeyEvent e{};
  e.display = display;
  e.window = window;
  e.root = DefaultRootWindow(display);
  e.time = CurrentTime;
  e.x = e.y = e.x_root = e.y_root = 1;
  e.same_screen = True;
  e.keycode = code;
  e.state = XkbKeycodeToKeysym(display, code, 0, 0) == sym ? 0 : ShiftMask;
  for (int type : {KeyPress, KeyRelease}) {
    e.type = type;
    XSendEvent(display, window, False, 0, reinterpret_cast<XEvent*>(&e));
  }
  XFlush(display);
}

void Type(Display* display, Window window, const std::string& text) {
  for (char c : text) {
    KeySym sym = c == '/'   ? XK_slash
                 : c == '.' ? XK_period
                 : c == '-' ? XK_minus
                 : c == '_' ? XK_underscore
                 : c == ' ' ? XK_space
                            : 0;
    if (!sym) sym = XStringToKeysym(std::string(1, c).c_str());
    ASSERT_NE(sym, static_cast<KeySym>(NoSymbol)) << "no key for '" << c << "'";
    SendKey(display, window, sym);
  }
}

void Click(Display* display, Window window, int x, int y) {
  int rootX = 0, rootY = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
  XButtonEvent e{};
  e.display = display;
  e.window = window;
  e.root = DefaultRootWindow(display);
  e.time = CurrentTime;
  e.x = x, e.y = y, e.x_root = rootX, e.y_root = rootY;
  e.same_screen = True;
  e.button = Button1;
  for (int type : {ButtonPress, ButtonRelease}) {
    e.type = type;
    e.state = type == ButtonRelease ? Button1Mask : 0;
    XSendEvent(display, window, False, 0, reinterpret_cast<XEvent*>(&e));
  }
  XFlush(display);
}

bool WaitForFile(const std::string& path, const std::string& contents) {
  const auto deadline = steady_clock::now() + kDeadline;
  while (steady_clock::now() < deadline) {
    if (ReadWholeFile(path) == contents) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// A screen rectangle (left, top, right, bottom).
struct ScreenBox {
  int l = 0, t = 0, r = 0, b = 0;
  bool Holds(int x, int y) const { return x >= l && x < r && y >= t && y < b; }
};

ScreenBox BoxOf(Display* display, Window window) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(display, window, &a)) return ScreenBox();
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  return ScreenBox{x, y, x + a.width, y + a.height};
}

// The shown popup windows (menu levels) of the display.
std::vector<ScreenBox> ShownPopups(Display* display) {
  std::vector<ScreenBox> popups;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return popups;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a;
    if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable && a.override_redirect)
      popups.push_back(BoxOf(display, children[i]));
  }
  if (children) XFree(children);
  return popups;
}

// What the screen shows in a box, as pixel values of the display.
std::vector<unsigned long> ScreenPixels(Display* display, const ScreenBox& box) {
  std::vector<unsigned long> pixels;
  XImage* image =
      XGetImage(display, DefaultRootWindow(display), box.l, box.t, static_cast<unsigned>(box.r - box.l),
                static_cast<unsigned>(box.b - box.t), AllPlanes, ZPixmap);
  if (!image) return pixels;
  for (int y = 0; y < box.b - box.t; ++y)
    for (int x = 0; x < box.r - box.l; ++x) pixels.push_back(XGetPixel(image, x, y));
  XDestroyImage(image);
  return pixels;
}

class FileDialogEndToEnd : public LibrarianPageEndToEnd {
 protected:
  void SetUp() override {
    // A shared display may turn a connection away for a moment.
    const char* name = getenv("DISPLAY");
    const auto deadline = steady_clock::now() + std::chrono::seconds(10);
    while (name && *name && !(m_display = XOpenDisplay(nullptr)) && steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (!m_display) GTEST_SKIP() << "no X display";
    LibrarianPageEndToEnd::SetUp();
    if (IsSkipped()) return;
    m_patches = m_dir + "/data/Patches";
  }
  void TearDown() override {
    LibrarianPageEndToEnd::TearDown();
    if (m_display) XCloseDisplay(m_display);
  }

  // Opens the librarian's main menu (or the menu another click opens) and
  // chooses path, which runs a dialog: the dialog's window (0 when none
  // shows). editedBank, when given, is chosen in the edited-bank menu first.
  Window ChooseWithDialog(Host& host, const std::string& path, const std::string& editedBank = "",
                          const std::string& click = "click " + std::to_string(kMainMenuX) + " " +
                                                     std::to_string(kMainMenuY)) {
    EXPECT_EQ(host.Command("set-param " + std::to_string(kMainTab) + " 1").rfind("parameter 194 set to", 0),
              0u);
    if (!editedBank.empty()) ChooseEditedBank(host, editedBank);
    const auto deadline = steady_clock::now() + kDeadline;
    std::string clicked;
    while (clicked.find("a menu is open") == std::string::npos && steady_clock::now() < deadline) {
      clicked = host.Command(click);
      if (clicked.find("a menu is open") == std::string::npos) host.Command("wait 100");
    }
    EXPECT_NE(clicked.find("a menu is open"), std::string::npos) << clicked;
    const std::set<Window> before = ShownWindows(m_display);
    host.Send("menu " + path);  // answers once the dialog is done
    return NewWindow(m_display, before);
  }

  // Puts text into the dialog's name field by keys and confirms with the
  // button; the dialog closes.
  void Answer(Window dialog, const std::string& text, int erase) {
    Click(m_display, dialog, kNameFieldX, kNameFieldY);
    for (int i = 0; i < erase; ++i) SendKey(m_display, dialog, XK_BackSpace);
    Type(m_display, dialog, text);
    Click(m_display, dialog, kConfirmX, kConfirmY);
    const auto deadline = steady_clock::now() + kDeadline;
    while (Shown(m_display, dialog) && steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(Shown(m_display, dialog)) << "the dialog stayed open";
  }

  // Saves the edited bank over its file (the librarian's menu) until the
  // file holds every slot and slot's name is name (the save waits for a
  // running job); the file's messages.
  std::vector<std::vector<int>> SaveUntilNamed(Host& host, const std::string& edited, int slot,
                                               const std::string& name) {
    const auto deadline = steady_clock::now() + kDeadline;
    std::vector<std::vector<int>> saved;
    while (steady_clock::now() < deadline) {
      host.Command("click " + std::to_string(kMainMenuX) + " " + std::to_string(kMainMenuY));
      host.Command("menu Save (Overwrite current bank)");
      saved = RawBankMessages(edited);
      if (saved.size() == static_cast<size_t>(kSlots) && NameOf(saved[slot]) == name) break;
      host.Command("wait 200");
    }
    return saved;
  }

  Display* m_display = nullptr;
  std::string m_patches;
};

TEST_F(FileDialogEndToEnd, ImportCopiesTheChosenSysExFileIntoTheLibrary) {
  mkdir((m_dir + "/incoming").c_str(), 0755);
  const std::string source = m_dir + "/incoming/Found-Sounds.syx";
  const std::string contents = Bank(3);
  std::ofstream(source, std::ios::binary) << contents;

  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands, true);
  ASSERT_TRUE(host.Open());
  const std::string item = "Import...>SysEx (*.syx / *.vrn)";
  const Window dialog = ChooseWithDialog(host, item);
  ASSERT_NE(dialog, 0u) << "no dialog window showed";
  Answer(dialog, source, 0);
  EXPECT_EQ(host.Answer(), "chose " + item);
  EXPECT_TRUE(WaitForFile(m_patches + "/Found-Sounds.syx", contents)) << "the file did not reach the library";
  EXPECT_EQ(host.Quit(), 0);
}

// A whole library record imported into a slot through the slot menu keeps
// its own name and category: the slot shows the category of the record's
// kind (as a slot of that category does) and the saved bank holds it.
TEST_F(FileDialogEndToEnd, ASingleRecordImportedIntoASlotKeepsItsCategory) {
  const std::string edited = m_patches + "/Edited.vrn";
  const std::vector<std::vector<int>> records = WriteLibraryBank(edited, 1);
  constexpr int kSlot = 5, kBassSlot = 2, kBass = 3;
  ASSERT_EQ(records[kBassSlot][90], kBass);
  ASSERT_NE(records[kSlot][90], kBass);
  mkdir((m_dir + "/incoming").c_str(), 0755);
  const std::string single = m_dir + "/incoming/Deep.syx";
  const std::vector<int> record = LibraryRecord(9, 0, "Deep Bass", kBass);
  std::ofstream(single, std::ios::binary) << std::string(record.begin(), record.end());

  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands, true);
  ASSERT_TRUE(host.Open());
  // The slot category display, for a slot clicked.
  const auto category = [&](int slot, const char* name) {
    host.Command("click " + ListRow(0, slot).Centre());
    const Picture picture = SettledSnapshot(host, name);
    EXPECT_TRUE(picture.Loaded());
    return Area(picture, 1010, 340, 1310, 360);
  };
  const std::string item = "Import..>Varno 1 Single Patch";
  CloseWelcomeNote(host);
  const Window dialog =
      ChooseWithDialog(host, item, "Edited.vrn", "right-click " + ListRow(0, kSlot).Centre());
  ASSERT_NE(dialog, 0u) << "no dialog window showed";
  Answer(dialog, single, 0);
  EXPECT_EQ(host.Answer(), "chose " + item);
  EXPECT_EQ(category(kSlot, "imported"), category(kBassSlot, "bass"));

  const std::vector<std::vector<int>> saved = SaveUntilNamed(host, edited, kSlot, "Deep Bass     ");
  ASSERT_EQ(saved.size(), static_cast<size_t>(kSlots));
  EXPECT_EQ(NameOf(saved[kSlot]), "Deep Bass     ");  // the record's own bytes
  EXPECT_EQ(saved[kSlot][90], kBass);
  EXPECT_EQ(SoundPart(saved[kSlot]), SoundPart(record));
  EXPECT_EQ(host.Quit(), 0);
}

// Rename opens its field with the keyboard focus on the editor's window:
// keys the X server gives the focused window are typed into it, Backspace
// takes one back and Return stores the name; Escape leaves the next slot's
// name as it was.
TEST_F(FileDialogEndToEnd, ASlotsRenameFieldTakesTheKeysOfTheFocusedWindow) {
  const std::string edited = m_patches + "/Edited.vrn";
  const std::vector<std::vector<int>> records = WriteLibraryBank(edited, 1);
  constexpr int kRenamed = 4, kLeft = 5;
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands, true);
  ASSERT_TRUE(host.Open());
  CloseWelcomeNote(host);
  EXPECT_EQ(host.Command("set-param " + std::to_string(kMainTab) + " 1").rfind("parameter 194 set to", 0),
            0u);
  ChooseEditedBank(host, "Edited.vrn");
  // The keys of the window that has the focus once the field is open (the
  // editor handles its X events while the host waits).
  const auto typeIntoFocus = [&](const std::string& text, KeySym last) {
    host.Command("wait 300");
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    EXPECT_GT(focus, static_cast<Window>(PointerRoot)) << "no window has the keyboard focus";
    Type(m_display, focus, text);
    if (last == XK_Return) SendKey(m_display, focus, XK_BackSpace);
    SendKey(m_display, focus, last);
    host.Command("wait 500");
  };
  EXPECT_NE(host.Command("right-click " + ListRow(0, kRenamed).Centre()).find("a menu is open"),
            std::string::npos);
  EXPECT_EQ(host.Command("menu Rename"), "chose Rename");
  typeIntoFocus("Night Drivex", XK_Return);
  EXPECT_NE(host.Command("right-click " + ListRow(0, kLeft).Centre()).find("a menu is open"),
            std::string::npos);
  EXPECT_EQ(host.Command("menu Rename"), "chose Rename");
  typeIntoFocus("Gone", XK_Escape);

  const std::vector<std::vector<int>> saved = SaveUntilNamed(host, edited, kRenamed, "NIGHT DRIVE   ");
  ASSERT_EQ(saved.size(), static_cast<size_t>(kSlots));
  EXPECT_EQ(NameOf(saved[kRenamed]), "NIGHT DRIVE   ");
  EXPECT_EQ(SoundPart(saved[kRenamed]), SoundPart(records[kRenamed]));
  EXPECT_EQ(saved[kLeft], records[kLeft]);
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(FileDialogEndToEnd, SaveAsWritesTheBankWhereTheDialogSays) {
  const std::string bank = Bank(99);
  std::ofstream(m_patches + "/Edited.syx", std::ios::binary) << bank;
  mkdir((m_dir + "/saved").c_str(), 0755);
  const std::string target = m_dir + "/saved/Kept.vrn";

  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands, true);
  ASSERT_TRUE(host.Open());
  const std::string item = "Save As...>VivivI Format (*.vrn)";
  const Window dialog = ChooseWithDialog(host, item, "Edited.syx");
  ASSERT_NE(dialog, 0u) << "no dialog window showed";
  // The dialog offers the bank's name with the format's extension: erased.
  Answer(dialog, target, 40);
  EXPECT_EQ(host.Answer(), "chose " + item);

  // The bank as the library keeps it: each dump a whole record of 92 bytes
  // whose sound part is the dump's.
  std::string saved;
  const auto deadline = steady_clock::now() + kDeadline;
  while (saved.size() < 99u * 92u && steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    saved = ReadWholeFile(target);
  }
  ASSERT_EQ(saved.size(), 99u * 92u) << "no bank at " << target;
  for (int slot = 0; slot < 99; ++slot) {
    const std::string dump = SoundDump(slot);
    EXPECT_EQ(saved.substr(static_cast<size_t>(slot) * 92 + 6, 69), dump.substr(6, 69))
        << "slot " << slot + 1;
  }
  // Nothing else was written beside the library's bank.
  EXPECT_EQ(ReadWholeFile(m_patches + "/Edited.syx"), bank);
  EXPECT_EQ(host.Quit(), 0);
}

// Chosen from the librarian's menu, Save As opens its dialog at once: the
// menu must be gone from the editor's window by then, not stand on it for
// as long as the dialog is open (the editor paints nothing meanwhile).
TEST_F(FileDialogEndToEnd, TheLibrarianMenuIsNotLeftOnTheWindowWhileTheSaveDialogIsOpen) {
  std::ofstream(m_patches + "/Edited.syx", std::ios::binary) << Bank(99);
  mkdir((m_dir + "/saved").c_str(), 0755);

  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands, true);
  ASSERT_TRUE(host.Open());
  ASSERT_NE(host.EditorWindow(), 0u) << "the editor is not on the display";
  EXPECT_EQ(host.Command("set-param " + std::to_string(kMainTab) + " 1").rfind("parameter 194 set to", 0),
            0u);
  host.Command("wait 300");
  EXPECT_EQ(host.Command("sync"), "synced");
  const ScreenBox editor = BoxOf(m_display, host.EditorWindow());
  const std::vector<unsigned long> page = ScreenPixels(m_display, editor);
  ASSERT_FALSE(page.empty());

  EXPECT_EQ(host.Command("click " + std::to_string(kMainMenuX) + " " + std::to_string(kMainMenuY)),
            "clicked " + std::to_string(kMainMenuX) + " " + std::to_string(kMainMenuY) + ": a menu is open");
  const std::vector<ScreenBox> menus = ShownPopups(m_display);
  ASSERT_EQ(menus.size(), 1u) << "the librarian's menu";
  const ScreenBox menu = menus[0];

  const std::set<Window> before = ShownWindows(m_display);
  const std::string item = "Save As...>VivivI Format (*.vrn)";
  host.Send("menu " + item);
  const Window dialog = NewWindow(m_display, before);
  ASSERT_NE(dialog, 0u) << "no dialog window showed";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const ScreenBox dialogBox = BoxOf(m_display, dialog);
  const std::vector<unsigned long> shown = ScreenPixels(m_display, editor);
  ASSERT_EQ(shown.size(), page.size());
  int left = 0, looked = 0;
  for (int y = std::max(menu.t, editor.t); y < std::min(menu.b, editor.b); ++y)
    for (int x = std::max(menu.l, editor.l); x < std::min(menu.r, editor.r); ++x) {
      if (dialogBox.Holds(x, y)) continue;
      ++looked;
      const size_t at = static_cast<size_t>(y - editor.t) * static_cast<size_t>(editor.r - editor.l) +
                        static_cast<size_t>(x - editor.l);
      left += shown[at] != page[at];
    }
  EXPECT_GT(looked, 1000) << "the dialog covers where the menu was";
  EXPECT_EQ(left, 0) << "of " << looked << " pixels where the menu stood, " << left << " still show it";

  Answer(dialog, m_dir + "/saved/Kept.vrn", 40);
  EXPECT_EQ(host.Answer(), "chose " + item);
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
