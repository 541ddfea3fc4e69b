// A dialog of the layer on the test display, used as a program's user
// would: double clicks on its list box, list view, label and child window,
// and text typed into its field and combo box, all sent through the X
// server; the dialog's procedure hears the notifications, reads the texts,
// and the window shows what was typed. Skipped without a display.
#include <algorithm>
#include <string>
#include <vector>

#include "KIT/winl/winl-controls-view.h"
#include "KIT/winl/winl-controls.h"
#include "KIT/winl/winl-creators.h"
#include "KIT/winl/winl-wnd-input.h"
#include "display_fixture.h"

namespace {

enum { kListBox = 20, kListView = 21, kField = 22, kCombo = 23, kLabel = 24 };

struct Heard {
  HWND hwnd;
  unsigned msg;
  unsigned long wParam;
  int code, item;  // WM_NOTIFY: the record's code and item
  long param;      // WM_NOTIFY: the record's lParam
};
std::vector<Heard> g_heard;
HWND g_child = nullptr;

long ChildProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) g_heard.push_back(Heard{hwnd, msg, wParam, 0, 0, 0});
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

void BuildInputDialog(HWND hwnd, int) {
  WINL_MakeSetCurParms(1, 1, 0, 0, hwnd, false, false);
  WINL_MakeListBox(kListBox, 10, 10, 120, 80, 0);
  WINL_MakeControl("", kListView, "SysListView32", LVS_REPORT | LVS_SINGLESEL, 140, 10, 170, 80, 0);
  WINL_MakeEditField(kField, 10, 100, 150, 14, 0);
  WINL_MakeCombo(kCombo, 170, 100, 140, 12, 0);
  WINL_MakeLabel(-1, "Bank", kLabel, 10, 130, 60, 12, 0x100);
  g_child = WINL_CreateWindowView(nullptr, hwnd, reinterpret_cast<DLGPROC>(ChildProc), 0);
  SetWindowPos(g_child, nullptr, 170, 130, 100, 40, SWP_NOZORDER);
  ShowWindow(g_child, 1);
}

char kInputDialog[] = "input dialog";
WINL_DialogResourceIndex g_inputRecord{kInputDialog, "Input", 0x4 | 0x10, BuildInputDialog,
                                       320,          190,     nullptr};

long InputDialogProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_COMMAND) g_heard.push_back(Heard{hwnd, msg, wParam, 0, 0, 0});
  if (msg == WM_NOTIFY && lParam) {
    const auto* record = reinterpret_cast<const NMLISTVIEW*>(lParam);
    g_heard.push_back(Heard{hwnd, msg, wParam, record->hdr.code, record->iItem, record->lParam});
  }
  return msg == WM_INITDIALOG ? 0xBEEF : 0;
}

int HeardCommand(int id, int code) {
  int n = 0;
  for (const Heard& h : g_heard)
    if (h.msg == WM_COMMAND && static_cast<int>(h.wParam & 0xFFFF) == id &&
        static_cast<int>(h.wParam >> 16) == code)
      ++n;
  return n;
}

const Heard* HeardNotice(int code) {
  for (const Heard& h : g_heard)
    if (h.msg == WM_NOTIFY && h.code == code) return &h;
  return nullptr;
}

int HeardMessage(HWND hwnd, unsigned msg) {
  int n = 0;
  for (const Heard& h : g_heard)
    if (h.hwnd == hwnd && h.msg == msg) ++n;
  return n;
}

class DisplayInputTest : public XDisplayTest {
 protected:
  void SetUp() override {
    XDisplayTest::SetUp();
    if (IsSkipped()) return;
    g_heard.clear();
    m_dialog = ShowDialog(&g_inputRecord, reinterpret_cast<DLGPROC>(InputDialogProc), &m_xwindow);
    ASSERT_NE(m_dialog, nullptr);
  }
  // A double click at p of view: two clicks 150 ms apart in server time.
  void DoubleClick(WmView* view, WmPoint p) {
    int x, y;
    WindowPoint(view, p, &x, &y);
    SendClick(m_xwindow, x, y, m_time);
    SendClick(m_xwindow, x, y, m_time + 150);
    m_time += 5000;
  }
  void Click(WmView* view, WmPoint p) {
    int x, y;
    WindowPoint(view, p, &x, &y);
    SendClick(m_xwindow, x, y, m_time);
    m_time += 5000;
  }
  WmView* Item(int id) { return WINL_AsView(GetDlgItem(m_dialog, id)); }
  std::string Text(int id) {
    char buffer[128];
    return GetDlgItemText(m_dialog, id, buffer, sizeof buffer) ? buffer : "<none>";
  }
  // Dark (text) pixels the X server shows inside view.
  int DarkPixelsShown(WmView* view) {
    WmWindow* window = view->window();
    StepUntil([&] { return !window->ViewsNeedDisplay(); });
    XSync(m_display, False);
    int l, t;
    WindowPoint(view, WmPoint{0, 0}, &l, &t);
    const int w = static_cast<int>(view->frame().width), h = static_cast<int>(view->frame().height);
    XImage* image = XGetImage(m_display, m_xwindow, l, t, static_cast<unsigned>(w), static_cast<unsigned>(h),
                              AllPlanes, ZPixmap);
    if (!image) return -1;
    int dark = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        if (((p & image->red_mask) >> 16) < 96 && ((p & image->green_mask) >> 8) < 96 &&
            (p & image->blue_mask) < 96)
          ++dark;
      }
    XDestroyImage(image);
    return dark;
  }

  HWND m_dialog = nullptr;
  Window m_xwindow = 0;
  uint32_t m_time = 100000;
};

TEST_F(DisplayInputTest, DoubleClicksReachTheDialog) {
  Winl_vVivivI_listview* listBox = WINL_AsListView(GetDlgItem(m_dialog, kListBox));
  Winl_vVivivI_listview* listView = WINL_AsListView(GetDlgItem(m_dialog, kListView));
  ASSERT_NE(listBox, nullptr);
  ASSERT_NE(listView, nullptr);
  for (const char* name : {"Init", "Bass", "Lead"})
    SendMessage(listBox, LB_ADDSTRING, 0, reinterpret_cast<long>(name));
  LVCOLUMN column{};
  column.mask = LVCF_WIDTH | LVCF_TEXT;
  column.cx = 150;
  column.pszText = const_cast<char*>("Patch");
  ListView_InsertColumn(listView, 0, &column);
  for (int i = 0; i < 3; ++i) {
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = i;
    item.pszText = const_cast<char*>(i == 0 ? "Pad" : i == 1 ? "Brass" : "Keys");
    item.lParam = 700 + i;
    ListView_InsertItem(listView, &item);
  }
  auto rowCentre = [](Winl_vVivivI_listview* lv, int row) {
    const WmRect r = lv->FrameOfCell(0, row);
    return WmPoint{r.x + 20, r.y + r.height / 2};
  };

  // Two clicks far apart in time are two single clicks.
  Click(listBox, rowCentre(listBox, 2));
  Click(listBox, rowCentre(listBox, 2));
  ASSERT_TRUE(StepUntil([] { return HeardCommand(kListBox, 1) >= 1; })) << "the selection change";
  EXPECT_EQ(HeardCommand(kListBox, 2), 0);

  // The list box: LBN_DBLCLK on its row.
  DoubleClick(listBox, rowCentre(listBox, 1));
  ASSERT_TRUE(StepUntil([] { return HeardCommand(kListBox, 2) == 1; })) << "the list box's double click";
  EXPECT_EQ(SendMessage(listBox, LB_GETCURSEL, 0, 0), 1);

  // The list view: NM_DBLCLK with the row and its stored parameter.
  DoubleClick(listView, rowCentre(listView, 2));
  ASSERT_TRUE(StepUntil([] { return HeardNotice(NM_DBLCLK) != nullptr; })) << "the list view's double click";
  EXPECT_EQ(HeardNotice(NM_DBLCLK)->item, 2);
  EXPECT_EQ(HeardNotice(NM_DBLCLK)->param, 702);

  // A label that notifies: its command carries the double-click code.
  DoubleClick(Item(kLabel), WmPoint{5, 5});
  ASSERT_TRUE(StepUntil([] { return HeardCommand(kLabel, 1) == 1; })) << "the label's double click";
  EXPECT_EQ(HeardCommand(kLabel, 0), 1) << "its first click";

  // A child window: WM_LBUTTONDOWN, then WM_LBUTTONDBLCLK.
  DoubleClick(WINL_AsView(g_child), WmPoint{10, 10});
  ASSERT_TRUE(StepUntil([] { return HeardMessage(g_child, WM_LBUTTONDBLCLK) == 1; }));
  EXPECT_EQ(HeardMessage(g_child, WM_LBUTTONDOWN), 1);
}

TEST_F(DisplayInputTest, TypedTextReachesTheDialogAndTheWindow) {
  WmView* field = Item(kField);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(DarkPixelsShown(field), 0) << "the empty field";
  Click(field, WmPoint{5, 5});
  SendText(m_xwindow, "Pad 7");
  ASSERT_TRUE(StepUntil([] { return HeardCommand(kField, 0x300) == 5; })) << "a text change for each key";
  EXPECT_EQ(Text(kField), "Pad 7");
  EXPECT_GT(DarkPixelsShown(field), 20) << "the typed text on the display";

  SendKey(m_xwindow, XK_BackSpace);
  SendKey(m_xwindow, XK_Return);
  ASSERT_TRUE(StepUntil([] { return HeardCommand(kField, 0) == 1; })) << "Return runs the field's command";
  EXPECT_EQ(Text(kField), "Pad ");

  // The combo box: edit changes, and its text.
  WmView* combo = Item(kCombo);
  Click(combo, WmPoint{5, 5});
  SendText(m_xwindow, "Tri");
  ASSERT_TRUE(StepUntil([] { return HeardCommand(kCombo, 5) == 3; })) << "an edit change for each key";
  EXPECT_EQ(Text(kCombo), "Tri");
  EXPECT_EQ(Text(kField), "Pad ") << "the field keeps its text";
}

TEST_F(DisplayInputTest, AccessibilityFollowsWhatTheUserDid) {
  WmView* field = Item(kField);
  WmView* dialog = WINL_AsView(m_dialog);
  EXPECT_EQ(dialog->AccessibilityFocusedElement(), nullptr);
  Click(field, WmPoint{5, 5});
  ASSERT_TRUE(StepUntil([&] { return dialog->AccessibilityFocusedElement() == field; }))
      << "the field being typed into holds the keyboard";
  const WmPoint onCombo = dialog->window()->BaseToScreen(Item(kCombo)->ConvertTo(WmPoint{5, 5}, nullptr));
  EXPECT_EQ(dialog->AccessibilityHitTest(onCombo), Item(kCombo));
  std::vector<WmAccessibilityElement*> children = dialog->AccessibilityVisibleChildren();
  EXPECT_NE(std::find(children.begin(), children.end(), field), children.end());
}

}  // namespace
