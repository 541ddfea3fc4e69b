// Drag and drop between a dialog of the layer on the test display and
// another X program (xdnd_peer, a small Xlib client of the tests): files
// the other program drops onto a view arrive as WM_DROPFILES, a view that
// takes no files refuses them, and a list row dragged out of the dialog
// gives the other program the promised file. Skipped without a display.
#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "KIT/winl/winl-controls-view.h"
#include "KIT/winl/winl-creators.h"
#include "display_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace {

HWND g_dropView = nullptr;
std::vector<std::string> g_dropped;
POINT g_dropPoint{0, 0};
int g_enters = 0;

long DropViewProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_DROPFILES) {
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    const unsigned count = DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    for (unsigned i = 0; i < count; ++i) {
      char name[1024];
      DragQueryFile(drop, i, name, sizeof name);
      g_dropped.push_back(name);
    }
    DragQueryPoint(drop, &g_dropPoint);
    return 0;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

enum { kPatches = 30 };
std::string g_folderWritten;
// When not empty, a dragged row offers these files instead of a promise.
std::vector<std::string> g_dragFiles;

// The row the user drags out becomes a file: the promise's writer.
void WritePatch(const char* path) {
  g_folderWritten = path;
  std::ofstream(path) << "F0 3E 01 F7 from the dragged row";
}

long DndDialogProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_NOTIFY && lParam) {
    const auto* record = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if (record->hdr.code == LVN_BEGINDRAG) {
      // The drag starts from the dialog, a window view of the layer.
      RECT rect{10, 10, 110, 26};
      if (g_dragFiles.empty()) {
        WINL_InitiateDragDrop(hwnd, &rect, "Init Bank.syx", WritePatch);
      } else {
        std::vector<const char*> names;
        for (const std::string& file : g_dragFiles) names.push_back(file.c_str());
        WINL_InitiateDragDropOfFileList(hwnd, &rect, names.data(), static_cast<int>(names.size()), nullptr);
      }
    }
  }
  (void)wParam;
  return msg == WM_INITDIALOG ? 1 : 0;
}

void BuildDndDialog(HWND hwnd, int) {
  WINL_MakeSetCurParms(1, 1, 0, 0, hwnd, false, false);
  HWND list =
      WINL_MakeControl("", kPatches, "SysListView32", LVS_REPORT | LVS_SINGLESEL, 10, 10, 150, 100, 0);
  LVCOLUMN column{};
  column.mask = LVCF_WIDTH | LVCF_TEXT;
  column.cx = 140;
  column.pszText = const_cast<char*>("Patch");
  ListView_InsertColumn(list, 0, &column);
  LVITEM item{};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<char*>("Init");
  ListView_InsertItem(list, &item);
  // A view that takes files, beside the list.
  g_dropView = WINL_CreateWindowView(nullptr, hwnd, reinterpret_cast<DLGPROC>(DropViewProc), 0);
  SetWindowPos(g_dropView, nullptr, 180, 10, 120, 100, SWP_NOZORDER);
  SetWindowLong(g_dropView, GWL_EXSTYLE, 0x10);
  ShowWindow(g_dropView, 1);
}

char kDndDialog[] = "dnd dialog";
WINL_DialogResourceIndex g_dndRecord{kDndDialog, "Patches", 0x4 | 0x10, BuildDndDialog, 320, 130, nullptr};

class DisplayDndTest : public XDisplayTest {
 protected:
  void SetUp() override {
    XDisplayTest::SetUp();
    if (IsSkipped()) return;
    g_dropped.clear();
    g_folderWritten.clear();
    g_dragFiles.clear();
    g_enters = 0;
    ASSERT_TRUE(m_temp.Made());
    m_dir = m_temp.Name();
    m_dialog = ShowDialog(&g_dndRecord, reinterpret_cast<DLGPROC>(DndDialogProc), &m_xwindow);
    ASSERT_NE(m_dialog, nullptr);
  }
  void TearDown() override {
    WINL_DDrop_onDragEnter = nullptr;
    WINL_DDrop_getDroppedFileTargetPath = nullptr;
    EXPECT_TRUE(m_temp.Remove());
    XDisplayTest::TearDown();
  }
  // The root point of p in view (from its top left).
  void RootPoint(WmView* view, WmPoint p, int* x, int* y) {
    int wx, wy;
    WindowPoint(view, p, &wx, &wy);
    Window child;
    XTranslateCoordinates(m_display, m_xwindow, DefaultRootWindow(m_display), wx, wy, x, y, &child);
  }
  // Runs the peer, stepping the application until it ends; its exit code.
  // What it printed goes to the test's record.
  int RunPeer(ChildProcess& peer) {
    StepUntil([&] { return !peer.Running(); });
    std::string line;
    while (peer.ReadLine(line, std::chrono::milliseconds(100))) RecordProperty("peer", line);
    return peer.Running() ? -1 : peer.ExitCode();
  }

  // Starts the other program taking drops in a window at (700, 100) of
  // 200 x 150; false when it did not come up.
  bool StartReceiver(std::unique_ptr<ChildProcess>* peer) {
    peer->reset(new ChildProcess(XDND_PEER, {"receive", m_dir, "700", "100", "200", "150"}, {},
                                 ChildStreams{false, true, "", ""}));
    std::string line;
    return (*peer)->Started() && (*peer)->ReadLine(line, std::chrono::seconds(10)) &&
           line.rfind("ready ", 0) == 0;
  }
  // The user presses on the list's row and drags it out of the dialog onto
  // the other program's window, where the button comes up: the list counts
  // four drag steps before it begins a drag, and by the fourth the pointer
  // is over the other window.
  void DragRowOut() {
    Winl_vVivivI_listview* list = WINL_AsListView(GetDlgItem(m_dialog, kPatches));
    const WmRect row = list->FrameOfCell(0, 0);
    int x, y;
    WindowPoint(list, WmPoint{row.x + 20, row.y + row.height / 2}, &x, &y);
    XEvent press{};
    press.xbutton.type = ButtonPress;
    press.xbutton.button = Button1;
    press.xbutton.x = x;
    press.xbutton.y = y;
    press.xbutton.time = 5000;
    press.xbutton.same_screen = True;
    Send(m_xwindow, press);
    for (int step = 1; step <= 4; ++step) {
      if (step == 4) {
        XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, 800, 170);
        XSync(m_display, False);
      }
      XEvent motion{};
      motion.xmotion.type = MotionNotify;
      motion.xmotion.x = x + 5 * step;
      motion.xmotion.y = y;
      motion.xmotion.state = Button1Mask;
      motion.xmotion.time = 5000 + 20 * step;
      motion.xmotion.same_screen = True;
      Send(m_xwindow, motion);
      WmApplication::Shared().Step(0);
      XSync(m_display, False);
      WmApplication::Shared().Step(20);
    }
  }

  TempFolder m_temp{"winl-dnd-"};
  std::string m_dir;
  HWND m_dialog = nullptr;
  Window m_xwindow = 0;
};

TEST_F(DisplayDndTest, FilesDroppedByAnotherProgramArriveAtTheView) {
  const std::string first = m_dir + "/Bass 1.syx", second = m_dir + "/100% Pads.mid";
  std::ofstream(first) << "x";
  std::ofstream(second) << "y";
  WINL_DDrop_onDragEnter = [](HGLOBAL drop, int, int) {
    if (drop) ++g_enters;
  };
  int x, y;
  RootPoint(WINL_AsView(g_dropView), WmPoint{30, 40}, &x, &y);

  ChildProcess peer(XDND_PEER,
                    {"drop", std::to_string(m_xwindow), std::to_string(x), std::to_string(y), first, second},
                    {}, ChildStreams{false, true, "", ""});
  ASSERT_TRUE(peer.Started());
  EXPECT_EQ(RunPeer(peer), 0) << "the other program saw its drop taken";
  EXPECT_EQ(g_dropped, (std::vector<std::string>{first, second}))
      << "names with a blank and a % arrive whole";
  EXPECT_EQ(g_dropPoint.x, 30);
  EXPECT_EQ(g_dropPoint.y, 40) << "in the view's own coordinates";
  EXPECT_EQ(g_enters, 1) << "the enter hook saw the files";

  // Over the list, which takes no files, the drop is refused.
  g_dropped.clear();
  RootPoint(WINL_AsView(GetDlgItem(m_dialog, kPatches)), WmPoint{20, 20}, &x, &y);
  ChildProcess refused(XDND_PEER,
                       {"drop", std::to_string(m_xwindow), std::to_string(x), std::to_string(y), first}, {},
                       ChildStreams{false, true, "", ""});
  EXPECT_EQ(RunPeer(refused), 2);
  EXPECT_TRUE(g_dropped.empty());
}

TEST_F(DisplayDndTest, AFilePromisedByAnotherProgramIsWrittenWhereTheViewSays) {
  static std::string folder;
  folder = m_dir;
  WINL_DDrop_getDroppedFileTargetPath = [](const char* type) {
    EXPECT_STREQ(type, "syx") << "the promised file's type";
    return folder.c_str();
  };
  int x, y;
  RootPoint(WINL_AsView(g_dropView), WmPoint{10, 10}, &x, &y);
  ChildProcess peer(XDND_PEER,
                    {"promise", std::to_string(m_xwindow), std::to_string(x), std::to_string(y), "Lead 2.syx",
                     "promised bytes"},
                    {}, ChildStreams{false, true, "", ""});
  ASSERT_TRUE(peer.Started());
  EXPECT_EQ(RunPeer(peer), 0);
  const std::string path = m_dir + "/Lead 2.syx";
  EXPECT_EQ(g_dropped, std::vector<std::string>{path}) << "the written file arrives as the drop";
  std::ifstream written(path);
  std::stringstream contents;
  contents << written.rdbuf();
  EXPECT_EQ(contents.str(), "promised bytes");
}

TEST_F(DisplayDndTest, ARowDraggedOutGivesTheOtherProgramThePromisedFile) {
  std::unique_ptr<ChildProcess> peer;
  ASSERT_TRUE(StartReceiver(&peer));
  DragRowOut();
  std::string line;
  ASSERT_TRUE(peer->ReadLine(line, std::chrono::seconds(20)));
  EXPECT_EQ(line, "saved " + m_dir + "/Init Bank.syx S");
  EXPECT_EQ(peer->Wait(), 0);
  EXPECT_EQ(g_folderWritten, m_dir + "/Init Bank.syx");
  std::ifstream written(m_dir + "/Init Bank.syx");
  std::stringstream contents;
  contents << written.rdbuf();
  EXPECT_EQ(contents.str(), "F0 3E 01 F7 from the dragged row") << "the promised file's contents arrived";
}

TEST_F(DisplayDndTest, FilesDraggedOutReachTheOtherProgramAsTheirNames) {
  g_dragFiles = {m_dir + "/a b.syx", m_dir + "/c.mid"};
  std::unique_ptr<ChildProcess> peer;
  ASSERT_TRUE(StartReceiver(&peer));
  DragRowOut();
  std::vector<std::string> lines;
  std::string line;
  while (lines.size() < 2 && peer->ReadLine(line, std::chrono::seconds(20))) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"uri file://" + m_dir + "/a%20b.syx",
                                             "uri file://" + m_dir + "/c.mid"}));
  EXPECT_EQ(peer->Wait(), 0);
}

}  // namespace
