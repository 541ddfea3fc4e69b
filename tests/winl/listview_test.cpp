// The list view and list box: rows, sorting, selection, states, columns,
// the list-box messages, the mouse sequences and the row geometry, headless.
#include <cstring>
#include <string>
#include <vector>

#include "KIT/winl/winl-controls-view.h"
#include "controls_fixture.h"

namespace {

class ListViewTest : public ControlTest {
 protected:
  Winl_vVivivI_listview* Make(long style, const char* classname = "SysListView32", int w = 200, int h = 100) {
    HWND scroll = WINL_MakeControl("", 7, classname, style, 0, 0, w, h, 0);
    Winl_vVivivI_listview* lv = WINL_AsListView(scroll);
    EXPECT_NE(lv, nullptr);
    if (lv && !lv->m_lbMode) {
      LVCOLUMN column{};
      column.mask = LVCF_WIDTH | LVCF_TEXT;
      column.cx = 100;
      column.pszText = const_cast<char*>("Name");
      ListView_InsertColumn(lv, 0, &column);
      column.pszText = const_cast<char*>("Size");
      ListView_InsertColumn(lv, 1, &column);
    }
    return lv;
  }
  static int Insert(HWND lv, int at, const char* text, long param = 0) {
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = at;
    item.pszText = const_cast<char*>(text);
    item.lParam = param;
    return ListView_InsertItem(lv, &item);
  }
  static std::string Text(HWND lv, int row, int sub = 0) {
    char buffer[64];
    ListView_GetItemText(lv, row, sub, buffer, sizeof buffer);
    return buffer;
  }
  static std::vector<std::string> Texts(HWND lv) {
    std::vector<std::string> out;
    for (int i = 0; i < ListView_GetItemCount(lv); ++i) out.push_back(Text(lv, i));
    return out;
  }
  static std::vector<int> Selected(Winl_vVivivI_listview* lv) { return lv->SelectedRows(); }
  // The centre of row `row` in column `column` (display position).
  static WmPoint Cell(Winl_vVivivI_listview* lv, int row, int column = 0) {
    const WmRect r = lv->FrameOfCell(column, row);
    return WmPoint{r.x + r.width / 2, r.y + r.height / 2};
  }
};

// ---- Rows and sorting ----------------------------------------------------------------------

TEST_F(ListViewTest, SortedListsInsertAtTheSortedPositionAndAnEqualTextBeforeItsTwin) {
  const struct {
    const char* why;
    long style;
    std::vector<const char*> inserted;
    std::vector<std::string> order;
    std::vector<int> positions;
  } kCases[] = {
      {"ascending", LVS_REPORT | LVS_SORTASCENDING, {"b", "a", "c"}, {"a", "b", "c"}, {0, 0, 2}},
      {"descending", LVS_REPORT | LVS_SORTDESCENDING, {"b", "a", "c"}, {"c", "b", "a"}, {0, 1, 0}},
      {"unsorted keeps the asked position", LVS_REPORT, {"b", "a", "c"}, {"b", "a", "c"}, {0, 1, 2}},
      {"bytes, not letters: upper case first",
       LVS_REPORT | LVS_SORTASCENDING,
       {"b", "B", "a"},
       {"B", "a", "b"},
       {0, 0, 1}},
  };
  for (const auto& c : kCases) {
    Winl_vVivivI_listview* lv = Make(c.style);
    std::vector<int> positions;
    for (const char* text : c.inserted) positions.push_back(Insert(lv, ListView_GetItemCount(lv), text));
    EXPECT_EQ(Texts(lv), c.order) << c.why;
    EXPECT_EQ(positions, c.positions) << c.why;
    DestroyWindow(lv->EnclosingScrollView());
  }
  // An equal text goes before the existing one: its param tells them apart.
  Winl_vVivivI_listview* lv = Make(LVS_REPORT | LVS_SORTASCENDING);
  Insert(lv, 0, "a", 1);
  Insert(lv, 0, "m", 2);
  EXPECT_EQ(Insert(lv, 5, "m", 3), 1);
  EXPECT_EQ(SendMessage(lv, LB_GETITEMDATA, 1, 0), 3);
  EXPECT_EQ(SendMessage(lv, LB_GETITEMDATA, 2, 0), 2);
}

TEST_F(ListViewTest, RefusedInsertionsReturnMinusOneAndInsertNothing) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  Insert(lv, 0, "kept");
  LVITEM sub{};
  sub.mask = LVIF_TEXT;
  sub.iSubItem = 1;
  sub.pszText = const_cast<char*>("x");
  Winl_vVivivI_listview* owner = Make(LVS_REPORT | LVS_OWNERDATA);
  LVITEM plain{};
  plain.mask = LVIF_TEXT;
  plain.pszText = const_cast<char*>("y");
  const struct {
    const char* why;
    HWND hwnd;
    const LVITEM* item;
  } kCases[] = {
      {"null record", lv, nullptr},
      {"sub-item other than 0", lv, &sub},
      {"owner data", owner, &plain},
      {"not a list view", m_content, &plain},
  };
  for (const auto& c : kCases) EXPECT_EQ(ListView_InsertItem(c.hwnd, c.item), -1) << c.why;
  EXPECT_EQ(Texts(lv), std::vector<std::string>{"kept"});
  EXPECT_EQ(ListView_GetItemCount(owner), 0);
}

TEST_F(ListViewTest, SelectionShiftsWithInsertsAndDeletes) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  for (const char* t : {"r0", "r1", "r2", "r3"}) Insert(lv, 99, t);
  ListView_SetItemState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
  Insert(lv, 1, "new");
  EXPECT_EQ(Selected(lv), std::vector<int>{2}) << "the selection stays on the old row, now row 2";
  EXPECT_EQ(Text(lv, 2), "r1");
  Insert(lv, 99, "last");
  EXPECT_EQ(Selected(lv), std::vector<int>{2}) << "appending moves nothing";

  ListView_SetItemState(lv, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(lv, 2, LVIS_SELECTED, LVIS_SELECTED);
  ListView_DeleteItem(lv, 0);
  EXPECT_EQ(Selected(lv), (std::vector<int>{0, 1})) << "rows 1 and 2 become 0 and 1";
  ListView_DeleteItem(lv, 0);
  EXPECT_EQ(Selected(lv), std::vector<int>{0}) << "the deleted row's own selection goes";
  ListView_DeleteItem(lv, 50);
  EXPECT_EQ(ListView_GetItemCount(lv), 4) << "a bad index deletes nothing";
}

TEST_F(ListViewTest, SetAllIsSilentAndASingleChangeNotifiesOnce) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  for (const char* t : {"a", "b", "c"}) Insert(lv, 99, t);
  EXPECT_TRUE(ListView_SetItemState(lv, -1, LVIS_SELECTED, LVIS_SELECTED));
  EXPECT_EQ(ListView_GetSelectedCount(lv), 3);
  EXPECT_TRUE(ListView_SetItemState(lv, -1, 0, LVIS_SELECTED));
  EXPECT_EQ(ListView_GetSelectedCount(lv), 0);
  EXPECT_EQ(CountNotices(WM_NOTIFY, LVN_ITEMCHANGED), 0) << "set-all sends nothing";

  ListView_SetItemState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_EQ(CountNotices(WM_NOTIFY, LVN_ITEMCHANGED), 1);
  EXPECT_EQ(Notices().back().item, 1);
  EXPECT_EQ(Notices().back().id, 7);
  ListView_SetItemState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(CountNotices(WM_NOTIFY, LVN_ITEMCHANGED), 1) << "no change, no notice";
  EXPECT_FALSE(ListView_SetItemState(lv, 3, LVIS_SELECTED, LVIS_SELECTED)) << "row 3 does not exist";
}

namespace {
HWND g_reentrantList = nullptr;
long ReentrantProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == LVN_ITEMCHANGED) {
    Notices().push_back(Notice{msg, LVN_ITEMCHANGED, 0, reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem, 0,
                               0, 0, POINT{0, 0}});
    ListView_SetItemState(g_reentrantList, 2, LVIS_SELECTED, LVIS_SELECTED);
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}
}  // namespace

TEST_F(ListViewTest, AChangeMadeInsideTheHandlerSendsNoSecondNotice) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  for (const char* t : {"a", "b", "c"}) Insert(lv, 99, t);
  g_reentrantList = lv;
  SetWindowLong(m_content, GWL_WNDPROC, reinterpret_cast<long>(ReentrantProc));
  ListView_SetItemState(lv, 0, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(CountNotices(WM_NOTIFY, LVN_ITEMCHANGED), 1);
  EXPECT_EQ(Selected(lv), (std::vector<int>{0, 2})) << "the handler's change itself is made";
}

TEST_F(ListViewTest, TextsAndItemRecords) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  Insert(lv, 0, "one", 11);
  ListView_SetItemText(lv, 0, 3, "fourth");
  EXPECT_EQ(Text(lv, 0, 1), "");
  EXPECT_EQ(Text(lv, 0, 2), "");
  EXPECT_EQ(Text(lv, 0, 3), "fourth");
  ASSERT_EQ(lv->m_items[0]->texts.size(), 4u) << "texts 1 and 2 filled with empty strings";
  ListView_SetItemText(lv, 0, 32, "too far");
  EXPECT_EQ(lv->m_items[0]->texts.size(), 4u) << "sub-item 32 does nothing";
  ListView_SetItemText(lv, 0, 3, nullptr);
  EXPECT_EQ(Text(lv, 0, 3), "") << "a null text sets the empty text";
  ListView_SetItemText(lv, 0, 0, nullptr);
  EXPECT_EQ(Text(lv, 0), "");

  ListView_SetItemText(lv, 0, 0, "abc");
  char one[1] = {'x'};
  LVITEM item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
  item.pszText = one;
  item.cchTextMax = 1;
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  ListView_SetItemState(lv, 0, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_TRUE(ListView_GetItem(lv, &item));
  EXPECT_EQ(one[0], 0) << "cchTextMax 1 gives the empty string";
  EXPECT_EQ(item.lParam, 11);
  EXPECT_EQ(item.state, static_cast<unsigned>(LVIS_SELECTED | LVIS_FOCUSED));
  item.iItem = 1;
  EXPECT_FALSE(ListView_GetItem(lv, &item)) << "row 1 does not exist";
}

TEST_F(ListViewTest, NextItemFlags) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  for (const char* t : {"a", "b", "c", "d"}) Insert(lv, 99, t);
  ListView_SetItemState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(lv, 3, LVIS_SELECTED, LVIS_SELECTED);
  const struct {
    int start, flags, result;
  } kCases[] = {{-1, 1, 1}, {1, 1, 3}, {3, 1, -1}, {-1, 2, 3}, {-1, 4, -1}, {0, 0, -1}};
  for (const auto& c : kCases)
    EXPECT_EQ(ListView_GetNextItem(lv, c.start, c.flags), c.result) << c.start << " " << c.flags;
  EXPECT_EQ(ListView_GetNextItem(nullptr, -1, 4), -1);
}

namespace {
int CompareParams(long a, long b, long) { return static_cast<int>(a / 10 - b / 10); }
}  // namespace

TEST_F(ListViewTest, SortingIsStableAndKeepsTheSelectionOnItsItems) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  // Params compare by their tens: 21 and 22 are equal, as are 11, 12, 13.
  const struct {
    const char* text;
    long param;
  } kRows[] = {{"c1", 21}, {"a1", 11}, {"c2", 22}, {"a2", 12}, {"b", 15}, {"a3", 13}, {"z", 5}};
  for (const auto& r : kRows) Insert(lv, 99, r.text, r.param);
  ListView_SetItemState(lv, 2, LVIS_SELECTED, LVIS_SELECTED);  // c2
  ListView_SetItemState(lv, 6, LVIS_SELECTED, LVIS_SELECTED);  // z
  ListView_SortItems(lv, CompareParams, 0);
  EXPECT_EQ(Texts(lv), (std::vector<std::string>{"z", "a1", "a2", "b", "a3", "c1", "c2"}));
  EXPECT_EQ(Selected(lv), (std::vector<int>{0, 6})) << "z and c2 stay selected";
  EXPECT_EQ(CountNotices(WM_NOTIFY, LVN_ITEMCHANGED), 2) << "the sort itself notifies nothing";
}

// ---- List boxes ---------------------------------------------------------------------------------

TEST_F(ListViewTest, ListBoxMessages) {
  Winl_vVivivI_listview* lb = Make(LBS_SORT, "SysListView32_LB");
  ASSERT_TRUE(lb->m_lbMode);
  const auto text = [](const char* s) { return reinterpret_cast<long>(s); };
  const struct {
    const char* why;
    unsigned msg;
    unsigned long wParam;
    long lParam;
    long result;
  } kCases[] = {
      {"add to a sorted box", LB_ADDSTRING, 0, text("m"), 0},
      {"sorted before", LB_ADDSTRING, 0, text("c"), 0},
      {"sorted after", LB_ADDSTRING, 0, text("x"), 2},
      {"insert -1 appends", LB_INSERTSTRING, static_cast<unsigned long>(-1), text("a"), 3},
      {"insert at 1", LB_INSERTSTRING, 1, text("k"), 1},
      {"count", LB_GETCOUNT, 0, 0, 5},
      {"data", LB_SETITEMDATA, 2, 77, 0},
      {"data read", LB_GETITEMDATA, 2, 0, 77},
      {"data of a missing row", LB_GETITEMDATA, 9, 0, 0},
      {"select 3", LB_SETCURSEL, 3, 0, 0},
      {"current", LB_GETCURSEL, 0, 0, 3},
      {"selected", LB_GETSEL, 3, 0, 1},
      {"not selected", LB_GETSEL, 2, 0, 0},
      {"past the end clears", LB_SETCURSEL, 5, 0, 0},
      {"none selected", LB_GETSELCOUNT, 0, 0, 0},
      {"delete", LB_DELETESTRING, 0, 0, 0},
      {"one fewer", LB_GETCOUNT, 0, 0, 4},
      {"reset", LB_RESETCONTENT, 0, 0, 0},
      {"empty", LB_GETCOUNT, 0, 0, 0},
  };
  std::vector<std::string> order;
  for (const auto& c : kCases) {
    EXPECT_EQ(SendMessage(lb, c.msg, c.wParam, c.lParam), c.result) << c.why;
    if (c.msg == LB_GETCOUNT && c.result == 5) order = Texts(lb);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"c", "k", "m", "x", "a"}));
  char buffer[16] = "junk";
  SendMessage(lb, LB_ADDSTRING, 0, text("only"));
  SendMessage(lb, LB_GETTEXT, 0, reinterpret_cast<long>(buffer));
  EXPECT_STREQ(buffer, "only");
  EXPECT_EQ(SendMessage(lb, LB_GETTEXT, 0, 0), 0) << "a null buffer is skipped";
}

// ---- Columns ------------------------------------------------------------------------------------

TEST_F(ListViewTest, ColumnsByCreationIndexAndDisplayOrder) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  LVCOLUMN column{};
  column.cx = 0;
  column.pszText = const_cast<char*>("Hidden");
  ListView_InsertColumn(lv, 2, &column);
  EXPECT_EQ(ListView_GetColumnWidth(lv, 2), 0) << "width 0 hides";
  EXPECT_EQ(ListView_GetColumnWidth(lv, 0), 100);
  int order[3] = {};
  EXPECT_FALSE(ListView_GetColumnOrderArray(lv, 2, order)) << "the count must match";
  const int wanted[3] = {2, 0, 1};
  EXPECT_TRUE(ListView_SetColumnOrderArray(lv, 3, wanted));
  ASSERT_TRUE(ListView_GetColumnOrderArray(lv, 3, order));
  EXPECT_EQ(std::vector<int>(order, order + 3), std::vector<int>(wanted, wanted + 3));
  EXPECT_EQ(lv->getColumnIdx(0), 1) << "shown first: column 1";
  EXPECT_EQ(lv->getColumnPos(0), 2);
  EXPECT_EQ(lv->getColumnPos(7), 7) << "outside the list: the index itself";

  HDITEM header{};
  header.mask = HDI_FORMAT;
  header.fmt = HDF_SORTDOWN;
  EXPECT_TRUE(Header_SetItem(ListView_GetHeader(lv), 1, &header));
  header.fmt = 0;
  Header_GetItem(lv, 1, &header);
  EXPECT_EQ(header.fmt, HDF_SORTDOWN);
  Header_GetItem(lv, 0, &header);
  EXPECT_EQ(header.fmt, 0);
  EXPECT_TRUE(ListView_DeleteColumn(lv, 0));
  EXPECT_EQ(Header_GetItemCount(lv), 2);
  EXPECT_FALSE(ListView_DeleteColumn(lv, 2));
}

TEST_F(ListViewTest, AClickOnAHeaderReportsTheColumnsCreationIndex) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  const int order[2] = {1, 0};
  ListView_SetColumnOrderArray(lv, 2, order);
  WmScrollView* scroll = lv->EnclosingScrollView();
  WmView* header = nullptr;
  for (WmView* sub : scroll->subviews())
    if (sub != scroll->clip()) header = sub;
  ASSERT_NE(header, nullptr);
  header->MouseEvent(At(header, kWmLeftUp, WmPoint{20, 5}));
  ASSERT_EQ(CountNotices(WM_NOTIFY, LVN_COLUMNCLICK), 1);
  EXPECT_EQ(Notices().back().subItem, 1) << "shown first, created second";
  EXPECT_EQ(Notices().back().item, -1);
  Winl_vVivivI_listview* lb = Make(0, "SysListView32_LB");
  EXPECT_EQ(lb->EnclosingScrollView()->subviews().size(), 1u) << "a list box has no header";
}

// ---- Mouse --------------------------------------------------------------------------------------

TEST_F(ListViewTest, PressAndReleaseSelectAtTheReleaseAndClickOnce) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  for (const char* t : {"a", "b", "c"}) Insert(lv, 99, t, 100 + (t[0] - 'a'));
  const WmPoint p = Cell(lv, 1);
  lv->MouseEvent(At(lv, kWmLeftDown, p));
  EXPECT_TRUE(Selected(lv).empty()) << "nothing selected at the press";
  EXPECT_EQ(CountNotices(WM_NOTIFY, NM_CLICK), 0);
  lv->MouseEvent(At(lv, kWmLeftUp, p));
  EXPECT_EQ(Selected(lv), std::vector<int>{1});
  ASSERT_EQ(CountNotices(WM_NOTIFY, NM_CLICK), 1);
  const Notice& click = Notices().back();
  EXPECT_EQ(click.item, 1);
  EXPECT_EQ(click.subItem, 0);
  EXPECT_EQ(click.lParam, 101);
  EXPECT_EQ(click.pt.y, static_cast<int>(p.y));
  EXPECT_EQ(CountNotices(WM_NOTIFY, LVN_ITEMCHANGED), 1) << "the user's selection change";

  // A column in the fast-click mask reports at the press, not at the release.
  WINL_SetListViewFastClickMask(lv, 1 << 1);
  Notices().clear();
  const WmPoint q = Cell(lv, 2, 1);
  lv->MouseEvent(At(lv, kWmLeftDown, q));
  ASSERT_EQ(CountNotices(WM_NOTIFY, NM_CLICK), 1);
  EXPECT_EQ(Notices().back().subItem, 1);
  lv->MouseEvent(At(lv, kWmLeftUp, q));
  EXPECT_EQ(CountNotices(WM_NOTIFY, NM_CLICK), 1);
  EXPECT_EQ(Selected(lv), std::vector<int>{1}) << "a fast click leaves the selection alone";
}

TEST_F(ListViewTest, DragSelectsOnTheFourthEventThenBeginsADragAndMovesTheParent) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  for (const char* t : {"a", "b", "c"}) Insert(lv, 99, t);
  const WmPoint p = Cell(lv, 2);
  lv->MouseEvent(At(lv, kWmLeftDown, p));
  for (int i = 1; i <= 6; ++i) {
    lv->MouseEvent(At(lv, kWmLeftDragged, WmPoint{p.x, p.y + i}));
    if (i == 3) {
      EXPECT_TRUE(Selected(lv).empty()) << "three drag events select nothing";
    }
    if (i == 4) {
      EXPECT_EQ(Selected(lv), std::vector<int>{2});
      EXPECT_EQ(CountNotices(WM_NOTIFY, LVN_BEGINDRAG), 1);
      EXPECT_EQ(Notices().back().item, 2);
    }
  }
  EXPECT_EQ(CountNotices(WM_NOTIFY, LVN_BEGINDRAG), 1) << "once";
  EXPECT_EQ(CountNotices(WM_MOUSEMOVE, 0), 2) << "events 5 and 6 move the parent";
  lv->MouseEvent(At(lv, kWmLeftUp, p));
  EXPECT_EQ(CountNotices(WM_LBUTTONUP, 0), 1);
  EXPECT_EQ(CountNotices(WM_NOTIFY, NM_CLICK), 0) << "a drag is no click";
}

TEST_F(ListViewTest, APressOnTheStateImageKeepsTheSelectionAndClicksAtTheRelease) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  HIMAGELIST images = ImageList_CreateEx();
  ListView_SetImageList(lv, images, LVSIL_STATE);
  for (const char* t : {"a", "b"}) Insert(lv, 99, t);
  const WmPoint p{2, Cell(lv, 1).y};
  LVHITTESTINFO hit{};
  hit.pt = POINT{2, static_cast<int32_t>(p.y)};
  EXPECT_EQ(ListView_HitTest(lv, &hit), 1);
  EXPECT_EQ(hit.flags, static_cast<unsigned>(LVHT_ONITEMSTATEICON));
  lv->MouseEvent(At(lv, kWmLeftDown, p));
  EXPECT_EQ(lv->m_start_item_clickmode, 1);
  lv->MouseEvent(At(lv, kWmLeftUp, p));
  EXPECT_TRUE(Selected(lv).empty());
  EXPECT_EQ(CountNotices(WM_NOTIFY, NM_CLICK), 1);
  ListView_SetImageList(lv, nullptr, -1);
  ImageList_Destroy(images);
}

TEST_F(ListViewTest, RightReleaseSelectsTheRowAloneAndAsksForAContextMenu) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  for (const char* t : {"a", "b", "c"}) Insert(lv, 99, t);
  ListView_SetItemState(lv, 0, LVIS_SELECTED, LVIS_SELECTED);
  Notices().clear();
  const struct {
    const char* why;
    long answer;
    int contextMenus;
  } kCases[] = {{"parent answers 0: the context menu follows", 0, 1},
                {"parent handles the right click", 1, 0}};
  for (const auto& c : kCases) {
    Notices().clear();
    RightClickAnswer() = c.answer;
    lv->MouseEvent(At(lv, kWmRightUp, Cell(lv, 2)));
    EXPECT_EQ(Selected(lv), std::vector<int>{2}) << c.why;
    EXPECT_EQ(CountNotices(WM_NOTIFY, NM_RCLICK), 1) << c.why;
    EXPECT_EQ(CountNotices(WM_CONTEXTMENU, 0), c.contextMenus) << c.why;
  }
}

TEST_F(ListViewTest, ControlClickWithEmulationIsARightClick) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  for (const char* t : {"a", "b"}) Insert(lv, 99, t);
  WINL_EnableRightClickEmulate(true);
  lv->MouseEvent(At(lv, kWmLeftDown, Cell(lv, 1), kWmControl));
  EXPECT_TRUE(lv->m_fakerightmouse);
  lv->MouseEvent(At(lv, kWmLeftUp, Cell(lv, 1), kWmControl));
  WINL_EnableRightClickEmulate(false);
  EXPECT_EQ(CountNotices(WM_NOTIFY, NM_RCLICK), 1);
  EXPECT_EQ(Selected(lv), std::vector<int>{1});
}

TEST_F(ListViewTest, ListBoxSelectionAndDoubleClickReachTheParentAsCommands) {
  Winl_vVivivI_listview* lb = Make(0, "SysListView32_LB");
  for (const char* t : {"a", "b"}) SendMessage(lb, LB_ADDSTRING, 0, reinterpret_cast<long>(t));
  const WmPoint p = Cell(lb, 1);
  lb->MouseEvent(At(lb, kWmLeftDown, p));
  lb->MouseEvent(At(lb, kWmLeftUp, p));
  ASSERT_EQ(CountNotices(WM_COMMAND, 1), 1) << "LBN_SELCHANGE";
  EXPECT_EQ(Notices().back().id, 7);
  lb->MouseEvent(At(lb, kWmLeftDown, p, 0, 2));
  lb->MouseEvent(At(lb, kWmLeftUp, p, 0, 2));
  EXPECT_EQ(CountNotices(WM_COMMAND, 2), 1) << "LBN_DBLCLK";
  EXPECT_EQ(CountNotices(WM_NOTIFY, NM_CLICK), 0) << "list boxes send no NM_CLICK";
}

// ---- Geometry -----------------------------------------------------------------------------------

TEST_F(ListViewTest, HitTestFlagsAndRectangles) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT, "SysListView32", 200, 100);
  for (int i = 0; i < 20; ++i) Insert(lv, 99, "row");
  const WmRect v = lv->VisibleRect();
  ASSERT_GT(v.height, 0);
  const struct {
    const char* why;
    POINT pt;
    unsigned flags;
    int item;
  } kCases[] = {
      {"left of and above", POINT{-3, -3}, LVHT_TOLEFT | LVHT_ABOVE, -1},
      {"right of", POINT{static_cast<int32_t>(v.width) + 5, 5}, LVHT_TORIGHT, -1},
      {"below", POINT{5, static_cast<int32_t>(v.height) + 1}, LVHT_BELOW, -1},
      {"on a row's label", POINT{50, 1}, LVHT_ONITEMLABEL, 0},
  };
  for (const auto& c : kCases) {
    LVHITTESTINFO hit{};
    hit.pt = c.pt;
    EXPECT_EQ(ListView_HitTest(lv, &hit), c.item) << c.why;
    EXPECT_EQ(hit.flags, c.flags) << c.why;
  }
  RECT r;
  EXPECT_FALSE(ListView_GetItemRect(lv, 20, &r, 0)) << "the index equal to the count";
  EXPECT_FALSE(ListView_GetSubItemRect(lv, 0, 2, 0, &r)) << "sub-item past the columns";
  ASSERT_TRUE(ListView_GetItemRect(lv, 1, &r, 0));
  const double pitch = lv->rowHeight + lv->intercellSpacing.height;
  EXPECT_EQ(r.top, static_cast<int>(pitch));
  EXPECT_GT(ListView_GetCountPerPage(lv), 0);
  EXPECT_EQ(ListView_GetTopIndex(lv), 0);
  ListView_EnsureVisible(lv, 19, false);
  EXPECT_GT(ListView_GetTopIndex(lv), 0);
  POINT origin;
  EXPECT_TRUE(ListView_GetScroll(lv, &origin));
  EXPECT_GT(origin.y, 0);
  ListView_Scroll(lv, 0, -10000);
  EXPECT_EQ(ListView_GetTopIndex(lv), 0) << "scrolling far up stops at the first row";
  EXPECT_EQ(WINL_GetListViewHeaderHeight(lv), 17);
}

TEST_F(ListViewTest, AStatusCellIndentsItsTextWithOrWithoutAnImage) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT);
  HIMAGELIST images = ImageList_CreateEx();
  ListView_SetImageList(lv, images, LVSIL_SMALL);
  LVCOLUMN column{};
  column.cx = 100;
  ListView_InsertColumn(lv, 0, &column);  // a fresh first-position column gets a status cell
  ASSERT_NE(dynamic_cast<Winl_vVivivI_statuscell*>(lv->m_cols[0]->dataCell()), nullptr);
  Insert(lv, 0, "WWWWWWWW");
  ShowWindow(m_content, 1);
  m_window->DisplayAll();
  // The first row's left square of row height + 2 stays background.
  const WmPoint topLeft = lv->ConvertTo(WmPoint{0, 0}, nullptr);
  const int x0 = static_cast<int>(topLeft.x), y0 = m_window->PixelHeight() - static_cast<int>(topLeft.y);
  const int h = static_cast<int>(lv->rowHeight);
  const uint32_t background =
      m_window->Pixels()[static_cast<size_t>(y0 + h / 2) * m_window->PixelWidth() + x0 + 1];
  int inked = 0, inkedInIndent = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + 90; ++x) {
      const bool ink = m_window->Pixels()[static_cast<size_t>(y) * m_window->PixelWidth() + x] != background;
      inked += ink;
      if (ink && x < x0 + h + 2) ++inkedInIndent;
    }
  EXPECT_GT(inked, 0) << "the text is drawn";
  EXPECT_EQ(inkedInIndent, 0) << "nothing left of the indent";
  ListView_SetImageList(lv, nullptr, -1);
  ImageList_Destroy(images);
}

TEST_F(ListViewTest, OwnerDataAsksTheParentForTexts) {
  Winl_vVivivI_listview* lv = Make(LVS_REPORT | LVS_OWNERDATA);
  ListView_SetItemCount(lv, 3);
  lv->ReloadData();
  EXPECT_EQ(ListView_GetItemCount(lv), 3);
  EXPECT_EQ(lv->ObjectValue(lv->m_cols[1], 2), "");
  ASSERT_EQ(CountNotices(WM_NOTIFY, LVN_GETDISPINFO), 1);
  ListView_SetItemText(lv, 0, 0, "x");
  EXPECT_EQ(ListView_GetItemCount(lv), 3) << "owner data keeps no texts";
}

}  // namespace
