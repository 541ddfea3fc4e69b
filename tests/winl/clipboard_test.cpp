// The clipboard on the pasteboards, window properties, dropped-files
// blocks, shell open, and file drag and drop between views of the layer.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "KIT/winl/winl-handles.h"
#include "KIT/winl/winl-wnd-view.h"
#include "platform/window/WindowDrag.h"
#include "platform/window/WindowPanels.h"
#include "platform/window/WindowPasteboard.h"
#include "tests/support/temp_folder.h"
#include "wnd_fixture.h"

namespace {

HGLOBAL Block(const std::string& bytes) {
  HGLOBAL block = GlobalAlloc(0, static_cast<long>(bytes.size()));
  memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  return block;
}
std::string Bytes(void* block) {
  const long size = GlobalSize(block);
  return std::string(static_cast<const char*>(block), static_cast<size_t>(size));
}

class ClipboardTest : public WndTest {
 protected:
  void SetUp() override {
    WndTest::SetUp();
    WmPasteboard::ResetAll();
    m_text = RegisterClipboardFormat("WINL__CF_TEXT");
    m_binary = RegisterClipboardFormat("com.vivivi.test.patch");
  }
  void TearDown() override {
    WmPasteboard::ResetAll();
    WndTest::TearDown();
  }
  // Reads a format after opening the clipboard; "" for none.
  static std::string Read(unsigned format) {
    OpenClipboard(nullptr);
    void* data = GetClipboardData(format);
    std::string out = data ? Bytes(data) : std::string();
    CloseClipboard();
    return out;
  }
  unsigned m_text = 0, m_binary = 0;
};

TEST_F(ClipboardTest, FormatIdentifiers) {
  EXPECT_EQ(RegisterClipboardFormat("WINL__CF_TEXT"), m_text);
  EXPECT_EQ(RegisterClipboardFormat("com.vivivi.test.patch"), m_binary);
  const unsigned fresh = RegisterClipboardFormat("com.vivivi.test.fresh-format");
  EXPECT_EQ(RegisterClipboardFormat("com.vivivi.test.another-format"), fresh + 1) << "the next identifier";
  EXPECT_EQ(RegisterClipboardFormat(WmPasteboard::kStringType), m_text)
      << "the text format is the string type";
}

TEST_F(ClipboardTest, TextAndDataRoundTripOnTheirOwnPasteboards) {
  const std::string patch("\x01\x00\xF7patch", 8);
  OpenClipboard(nullptr);
  EXPECT_TRUE(SetClipboardData(m_text, Block(std::string("h\xC3\xA9llo\0junk", 11))));
  EXPECT_TRUE(SetClipboardData(m_binary, Block(patch)));
  CloseClipboard();

  EXPECT_EQ(Read(m_text), std::string("h\xC3\xA9llo\0", 7)) << "NUL-terminated UTF-8, cut at the NUL";
  EXPECT_EQ(Read(m_binary), patch) << "data set with text is not lost";
  std::string general;
  EXPECT_TRUE(WmPasteboard::General().StringForType(WmPasteboard::kStringType, &general));
  EXPECT_EQ(general, "h\xC3\xA9llo");

  OpenClipboard(nullptr);
  EXPECT_EQ(EnumClipboardFormats(0), m_binary) << "only the private pasteboard's formats are listed";
  EXPECT_EQ(EnumClipboardFormats(m_binary), 0u) << "the last one";
  EXPECT_EQ(EnumClipboardFormats(m_text), 0u) << "not listed";
  CloseClipboard();
}

TEST_F(ClipboardTest, PendingDataIsDiscardedByOpenAndEmpty) {
  OpenClipboard(nullptr);
  SetClipboardData(m_text, Block(std::string("first", 6)));
  CloseClipboard();
  OpenClipboard(nullptr);
  SetClipboardData(m_text, Block(std::string("dropped", 8)));
  EmptyClipboard();
  SetClipboardData(m_binary, Block("x"));
  OpenClipboard(nullptr);  // opening again discards too
  CloseClipboard();
  EXPECT_EQ(Read(m_text), std::string("first", 6));
  EXPECT_EQ(Read(m_binary), "");

  // An unregistered identifier gives null and is skipped on writing.
  OpenClipboard(nullptr);
  EXPECT_EQ(GetClipboardData(0), nullptr);
  EXPECT_EQ(GetClipboardData(100000), nullptr);
  SetClipboardData(100000, Block("y"));
  CloseClipboard();
  EXPECT_EQ(Read(m_text), std::string("first", 6));
}

TEST_F(ClipboardTest, TextOfAnotherProgramIsReadButNotListed) {
  WmPasteboard& general = WmPasteboard::General();
  general.DeclareTypes({WmPasteboard::kStringType});
  general.SetString(WmPasteboard::kStringType, "from elsewhere");
  OpenClipboard(nullptr);
  EXPECT_EQ(EnumClipboardFormats(0), 0u);
  CloseClipboard();
  EXPECT_EQ(Read(m_text), std::string("from elsewhere", 15));
}

TEST_F(ClipboardTest, PropertiesAreEnumerated) {
  HWND view = MakeView(nullptr);
  EXPECT_EQ(EnumPropsEx(
                view, [](HWND, const char*, void*, long) { return 1; }, 0),
            -1)
      << "none yet";
  SetProp(view, "a", reinterpret_cast<void*>(1));
  SetProp(view, "b", reinterpret_cast<void*>(2));
  static std::vector<std::string> seen;
  seen.clear();
  const int result = EnumPropsEx(
      view,
      [](HWND, const char* name, void*, long stop) {
        seen.push_back(name);
        return seen.size() == static_cast<size_t>(stop) ? 0 : 1;
      },
      1);
  EXPECT_EQ(result, 0) << "the procedure's answer";
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(EnumPropsEx(nullptr, nullptr, 0), -1);
}

// A dropped-files block of names at offset 16.
HGLOBAL DropBlock(const std::vector<std::string>& names, int x, int y, int nonClient = 0) {
  std::string bytes(16, '\0');
  const int32_t head[4] = {16, x, y, nonClient};
  memcpy(&bytes[0], head, 16);
  for (const std::string& name : names) bytes += name + std::string(1, '\0');
  bytes += '\0';
  return Block(bytes);
}

TEST(DroppedFiles, QueriesOfADropBlock) {
  HGLOBAL drop = DropBlock({"/a/one", "/b/second", "/c/x"}, 12, 34);
  EXPECT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 3u);
  char buffer[64];
  const struct {
    unsigned index, size, result;
    const char* text;
  } kCases[] = {
      {0, 64, 6, "/a/one"}, {0, 4, 3, "/a/"}, {1, 64, 9, "/b/second"}, {2, 1, 0, ""}, {3, 64, 0, nullptr}};
  for (const auto& c : kCases) {
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(DragQueryFile(drop, c.index, buffer, c.size), c.result) << c.index << " " << c.size;
    if (c.text) {
      EXPECT_STREQ(buffer, c.text);
    }
  }
  EXPECT_EQ(DragQueryFile(drop, 1, nullptr, 0), 9u) << "without a buffer: the full length";
  POINT pt{};
  EXPECT_TRUE(DragQueryPoint(drop, &pt));
  EXPECT_EQ(pt.x, 12);
  EXPECT_EQ(pt.y, 34);
  DragFinish(drop);
  GlobalFree(drop);

  HGLOBAL nonClient = DropBlock({"/x"}, 1, 2, 1);
  EXPECT_FALSE(DragQueryPoint(nonClient, &pt));
  GlobalFree(nonClient);
  EXPECT_EQ(DragQueryFile(nullptr, 0xFFFFFFFF, nullptr, 0), 0u);
  EXPECT_FALSE(DragQueryPoint(nullptr, &pt));

  // Blocks that lie: an offset past the end, a name without its NUL.
  std::string bad(16, '\0');
  const int32_t head[4] = {1000, 0, 0, 0};
  memcpy(&bad[0], head, 16);
  HGLOBAL past = Block(bad);
  EXPECT_EQ(DragQueryFile(past, 0xFFFFFFFF, nullptr, 0), 0u);
  GlobalFree(past);
  std::string open = bad;
  const int32_t head2[4] = {16, 0, 0, 0};
  memcpy(&open[0], head2, 16);
  open += "/no/terminator";
  HGLOBAL unterminated = Block(open);
  EXPECT_EQ(DragQueryFile(unterminated, 0xFFFFFFFF, nullptr, 0), 0u);
  EXPECT_EQ(DragQueryFile(unterminated, 0, buffer, sizeof buffer), 0u);
  GlobalFree(unterminated);
}

TEST(ShellOpen, WhatStarts) {
  std::vector<std::vector<std::string>> started;
  auto saved = WmWorkspace::starter;
  WmWorkspace::starter = [&](const std::vector<std::string>& argv) {
    started.push_back(argv);
    return true;
  };
  const struct {
    const char *file, *parameters;
    bool result;
    std::vector<std::string> argv;
  } kCases[] = {
      {"http://example.com/manual", nullptr, true, {"xdg-open", "http://example.com/manual"}},
      {"HTTPS://example.com/", nullptr, true, {"xdg-open", "HTTPS://example.com/"}},
      {"notepad", "/tmp/notes.txt", true, {"xdg-open", "/tmp/notes.txt"}},
      {"notepad.exe", "/tmp/notes.txt", true, {"xdg-open", "/tmp/notes.txt"}},
      {"explorer.exe", "/tmp/folder", true, {"xdg-open", "/tmp/folder"}},
      {"/tmp/file.pdf", "", true, {"xdg-open", "/tmp/file.pdf"}},
      {"Calculator.app", nullptr, true, {"Calculator"}},
      {"gimp", "/tmp/a.png", true, {"gimp", "/tmp/a.png"}},
      {"-rf", nullptr, true, {"xdg-open", "./-rf"}},
      {"", "explorer.exe", false, {}},
      {nullptr, nullptr, false, {}},
  };
  for (const auto& c : kCases) {
    started.clear();
    EXPECT_EQ(ShellExecute(nullptr, "open", c.file, c.parameters, nullptr, 1), c.result)
        << (c.file ? c.file : "");
    if (c.argv.empty())
      EXPECT_TRUE(started.empty());
    else
      EXPECT_EQ(started, std::vector<std::vector<std::string>>{c.argv}) << (c.file ? c.file : "");
  }
  WmWorkspace::starter = saved;
}

// ---- Drag and drop -------------------------------------------------------------------------

std::string g_dropped;  // the block a view received with WM_DROPFILES
long DropProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_DROPFILES) g_dropped = Bytes(reinterpret_cast<void*>(wParam));
  return LoggingProc(hwnd, msg, wParam, lParam);
}

class DragDropTest : public WndTest {
 protected:
  void SetUp() override {
    WndTest::SetUp();
    g_dropped.clear();
    ASSERT_TRUE(m_temp.Made());
    m_dir = m_temp.Name();
  }
  void TearDown() override {
    WINL_DDrop_onDragEnter = nullptr;
    WINL_DDrop_onDragOver = nullptr;
    WINL_DDrop_onDragLeave = nullptr;
    WINL_DDrop_getDroppedFileTargetPath = nullptr;
    WmApplication::Shared().modalHook = nullptr;
    WINL_FinishDragDrop();
    WndTest::TearDown();
    ASSERT_TRUE(m_temp.Remove());
  }
  // A top-level window whose content view accepts files.
  HWND AcceptingView() {
    auto* window = new WmWindow(WmRect{100, 100, 300, 200}, kWmTitled);
    HWND view = WINL_CreateWindowView(nullptr, window, reinterpret_cast<DLGPROC>(DropProc), 0);
    SetWindowLong(view, GWL_EXSTYLE, 0x10);
    return view;
  }
  WmDragInfo Drag(HWND view, std::vector<std::string> files) {
    WmDragInfo drag;
    drag.files = std::move(files);
    drag.window = WINL_AsView(view)->window();
    drag.location = WmPoint{20.4, 150.6};  // base coordinates: 49.4 from the top
    return drag;
  }
  TempFolder m_temp{"winl-drag-"};
  std::string m_dir;
};

TEST_F(DragDropTest, DroppingTwoFilesSendsTheBlock) {
  HWND view = AcceptingView();
  EXPECT_TRUE(WINL_PerformDragOperation(view, Drag(view, {"/tmp/a.syx", "/tmp/b.mid"})));
  std::string expected(16, '\0');
  const int32_t head[4] = {16, 20, 49, 0};
  memcpy(&expected[0], head, 16);
  expected += std::string("/tmp/a.syx\0/tmp/b.mid\0\0", 23);
  EXPECT_EQ(g_dropped, expected) << "16 + both paths with NULs + one NUL, the point in the view";
  ASSERT_EQ(Count(view, WM_DROPFILES), 1);

  // A view that does not accept files refuses; a drag without files drops
  // nothing.
  SetWindowLong(view, GWL_EXSTYLE, 0);
  EXPECT_FALSE(WINL_PerformDragOperation(view, Drag(view, {"/tmp/a.syx"})));
  EXPECT_EQ(WINL_DragEntered(view, Drag(view, {"/tmp/a.syx"})), 0);
  SetWindowLong(view, GWL_EXSTYLE, 0x10);
  EXPECT_FALSE(WINL_PerformDragOperation(view, Drag(view, {})));
  EXPECT_EQ(Count(view, WM_DROPFILES), 1);
}

std::string g_hookBlock;
int g_hookX = 0, g_hookY = 0, g_leaves = 0;

TEST_F(DragDropTest, HooksAndPromisedFiles) {
  HWND view = AcceptingView();
  WINL_DDrop_onDragEnter = [](HGLOBAL drop, int x, int y) {
    g_hookBlock = drop ? Bytes(drop) : "";
    g_hookX = x;
    g_hookY = y;
  };
  WINL_DDrop_onDragLeave = [] { ++g_leaves; };
  g_leaves = 0;
  WmDragInfo drag = Drag(view, {});
  drag.promisedTypes = {"syx"};
  drag.writePromised = [](const std::string& folder) {
    std::ofstream(folder + "bank.syx") << "data";
    return std::vector<std::string>{"bank.syx"};
  };
  EXPECT_EQ(WINL_DragEntered(view, drag), 4);
  EXPECT_EQ(g_hookX, 120) << "screen coordinates";
  EXPECT_EQ(g_hookY, 251);
  EXPECT_EQ(g_hookBlock.substr(16), std::string("tmp.syx\0\0", 9)) << "promised, not yet written";

  // Without the folder hook a promised drop fails; with it the files are
  // written there and dropped.
  EXPECT_FALSE(WINL_PerformDragOperation(view, drag));
  static std::string folder;
  folder = m_dir;
  WINL_DDrop_getDroppedFileTargetPath = [](const char* type) {
    EXPECT_STREQ(type, "syx");
    return folder.c_str();
  };
  EXPECT_TRUE(WINL_PerformDragOperation(view, drag));
  EXPECT_EQ(g_dropped.substr(16), m_dir + "/bank.syx" + std::string("\0\0", 2));
  EXPECT_EQ(g_leaves, 2) << "the leave hook runs first at each drop";
}

TEST(DragDropNames, FreeNamesForACopy) {
  TempFolder temp("winl-names-");
  ASSERT_TRUE(temp.Made());
  const std::string dir = temp.Name();
  std::ofstream(dir + "/a 001.txt") << "x";
  const struct {
    const char* name;
    const char* expected;  // null: no free name
  } kCases[] = {
      {"take 7.wav", "take 008.wav"}, {"a.txt", "a 002.txt"},     {"x_12", "x_013"},
      {"y-998.z", "y-999.z"},         {"y-999.z", nullptr},       {"n 1234.txt", "n 1234 001.txt"},
      {"v2.syx", "v2 001.syx"},       {".hidden", ".hidden 001"},
  };
  for (const auto& c : kCases) {
    std::string path = "unchanged";
    const bool found = WINL_FreeCopyName(dir + "/" + c.name, &path);
    EXPECT_EQ(found, c.expected != nullptr) << c.name;
    EXPECT_EQ(path, c.expected ? dir + "/" + c.expected : "unchanged") << c.name;
  }
  ASSERT_TRUE(temp.Remove());
}

std::vector<std::string> g_written;
void WriteFile(const char* path) {
  g_written.push_back(path);
  std::ofstream(path) << "new";
}

TEST_F(DragDropTest, APromisedFileLandsAsTheUserAnswers) {
  HWND view = AcceptingView();
  std::string name;
  const struct {
    const char* why;
    int button;  // -1: no alert (the file is new)
    const char* dropped;
    const char* written;  // null: nothing
  } kCases[] = {
      {"a new name is written", -1, "take 7.wav", "take 7.wav"},
      {"Stop writes nothing", 1, "take 7.wav", nullptr},
      {"Keep Both writes a free name", 0, "take 7.wav", "take 008.wav"},
      {"Replace writes over the file", 2, "take 7.wav", "take 7.wav"},
      {"no free name writes nothing", 0, "full-999.wav", nullptr},
  };
  std::ofstream(m_dir + "/full-999.wav") << "old";
  for (const auto& c : kCases) {
    g_written.clear();
    static int button;
    button = c.button;
    WmApplication::Shared().modalHook = [](WmWindow* window) {
      auto* alert = dynamic_cast<WmAlert*>(window);
      ASSERT_TRUE(alert);
      ASSERT_GE(button, 0) << "no alert expected";
      EXPECT_EQ(alert->title, "Copy");
      EXPECT_EQ(alert->buttons(), (std::vector<std::string>{"Keep Both Files", "Stop", "Replace"}));
      alert->Press(button);
    };
    WINL_InitiateDragDrop(view, nullptr, (std::string("/some/where/") + c.dropped).c_str(), WriteFile);
    name.clear();
    EXPECT_EQ(WINL_DoDragDrop(m_dir.c_str(), &name), c.written != nullptr) << c.why;
    if (c.written) {
      EXPECT_EQ(name, c.written) << c.why;
      EXPECT_EQ(g_written, std::vector<std::string>{m_dir + "/" + c.written}) << c.why;
    } else {
      EXPECT_TRUE(g_written.empty()) << c.why;
    }
    EXPECT_FALSE(WINL_DoDragDrop(m_dir.c_str(), &name)) << "the drag state is cleared";
  }
}

// A view that takes drops and tells what it saw.
struct DropRecorder : WmView {
  explicit DropRecorder(const WmRect& frame, std::string name, std::string* log)
      : WmView(frame), m_name(std::move(name)), m_log(log) {}
  bool AcceptsDrops() const override { return true; }
  int DraggingEntered(const WmDragInfo&) override { return Note("enter", 4); }
  int DraggingUpdated(const WmDragInfo&) override { return Note("over", 4); }
  void DraggingExited(const WmDragInfo&) override { Note("leave", 0); }
  bool PerformDragOperation(const WmDragInfo&) override { return Note("drop", 1) != 0; }
  int Note(const char* what, int answer) {
    *m_log += m_name + " " + what + "; ";
    return answer;
  }
  std::string m_name;
  std::string* m_log;
};

TEST_F(WndTest, ADragWalksAcrossTheViewsThatTakeDrops) {
  std::string log;
  auto* window = new WmWindow(WmRect{0, 0, 300, 100}, kWmTitled);
  auto* left = new DropRecorder(WmRect{0, 0, 100, 100}, "left", &log);
  auto* right = new DropRecorder(WmRect{200, 0, 100, 100}, "right", &log);
  // A plain view inside the right one: drops go to its accepting parent.
  right->AddSubview(new WmView(WmRect{10, 10, 20, 20}));
  window->contentView()->AddSubview(left);
  window->contentView()->AddSubview(right);
  WmDragInfo info;
  info.window = window;
  WmDropTracker tracker;
  const struct {
    double x;
    const char* log;  // what the views saw at this point
    int operation;
  } path[] = {
      {50, "left enter; ", 4},   {60, "left over; ", 4},
      {150, "left leave; ", 0},   // between the views: nobody takes it
      {215, "right enter; ", 4},  // over the plain view inside the right one
      {260, "right over; ", 4},
  };
  for (const auto& step : path) {
    log.clear();
    info.location = WmPoint{step.x, 50};
    EXPECT_EQ(tracker.Move(info), step.operation) << step.x;
    EXPECT_EQ(log, step.log) << step.x;
  }
  log.clear();
  EXPECT_TRUE(tracker.Drop(info));
  EXPECT_EQ(log, "right drop; ");
  EXPECT_EQ(tracker.target(), nullptr) << "the drop ends the drag";
  tracker.Move(info);
  log.clear();
  tracker.Leave(info);
  EXPECT_EQ(log, "right leave; ");
  EXPECT_FALSE(tracker.Drop(info)) << "no target after the drag left";
}

// Headless, a drag from one dialog's list onto another window's view runs
// through the application's drag hook: the promised file is written where
// the target's folder hook says and arrives as WM_DROPFILES.
HWND g_dragFrom = nullptr;
std::string g_promiseWritten;
long DragSourceProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_LBUTTONDOWN) {
    WINL_InitiateDragDrop(hwnd, nullptr, "/banks/Init Bank.syx", [](const char* path) {
      g_promiseWritten = path;
      std::ofstream(path) << "bank";
    });
  }
  if (msg == WM_RBUTTONDOWN) {
    const char* files[] = {"/banks/a.syx", "/banks/b.syx"};
    WINL_InitiateDragDropOfFileList(hwnd, nullptr, files, 2, nullptr);
  }
  return LoggingProc(hwnd, msg, wParam, lParam);
}

TEST_F(DragDropTest, HeadlessDragsRunThroughTheDragHook) {
  HWND target = AcceptingView();
  ShowWindow(target, 2);
  WmWindow* targetWindow = WINL_AsView(target)->window();
  auto* window = new WmWindow(WmRect{500, 100, 200, 100}, kWmTitled);
  g_dragFrom = MakeView(window, DragSourceProc);
  ShowWindow(g_dragFrom, 2);
  static std::string folder;
  folder = m_dir;
  WINL_DDrop_getDroppedFileTargetPath = [](const char*) { return folder.c_str(); };
  int drags = 0;
  WmApplication::Shared().dragHook = [&](const WmDragSource& source) {
    ++drags;
    EXPECT_EQ(source.view, WINL_AsView(g_dragFrom));
    return WmDeliverDrop(targetWindow, WmPoint{20, 150}, source);
  };
  WmMouseEvent press;
  press.kind = kWmLeftDown;
  press.window = window;
  press.location = WmPoint{10, 10};
  press.screen = window->BaseToScreen(press.location);
  WmApplication::Shared().mouseLocation = press.screen;  // where the hit test looks
  WmApplication::Shared().DeliverMouseEvent(press);
  EXPECT_EQ(drags, 1);
  EXPECT_EQ(g_promiseWritten, m_dir + "//Init Bank.syx");
  EXPECT_EQ(g_dropped.substr(16), m_dir + "/Init Bank.syx" + std::string("\0\0", 2));

  press.kind = kWmRightDown;
  WmApplication::Shared().DeliverMouseEvent(press);
  EXPECT_EQ(drags, 2);
  EXPECT_EQ(g_dropped.substr(16), std::string("/banks/a.syx\0/banks/b.syx\0\0", 27));

  // Without a hook (and without a display) a drag ends at once.
  WmApplication::Shared().dragHook = nullptr;
  g_dropped.clear();
  WmApplication::Shared().DeliverMouseEvent(press);
  EXPECT_TRUE(g_dropped.empty());
}

TEST(CarbonHostingAndNullHandles, AnswerNullOrFalse) {
  void* carbon = reinterpret_cast<void*>(1);
  EXPECT_EQ(WINL_CreateCarbonWindowView(nullptr, &carbon, nullptr, true), nullptr);
  EXPECT_EQ(carbon, nullptr);
  EXPECT_EQ(WINL_GetWindowFromCarbonWindowView(nullptr), nullptr);
  EXPECT_EQ(WINL_GetAudioUnitCocoaView(nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_FALSE(WINL_GetViewGL(nullptr));
  EXPECT_FALSE(WINL_SetGLContextToView(nullptr));
}

TEST_F(WndTest, GLViewsAreRefusedWithoutADisplay) {
  // No display to make a context on: the view stays without GL and paints
  // as any other.
  const char* display = getenv("DISPLAY");
  const std::string saved = display ? display : "";
  unsetenv("DISPLAY");
  auto* window = new WmWindow(WmRect{0, 0, 100, 100}, kWmTitled);
  HWND view = MakeView(window);
  WINL_SetViewGL(view, true);
  EXPECT_FALSE(WINL_GetViewGL(view));
  EXPECT_FALSE(WINL_SetGLContextToView(view));
  ShowWindow(view, 2);
  window->DisplayAll();
  EXPECT_GE(Count(view, WM_PAINT), 1);
  if (display) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
