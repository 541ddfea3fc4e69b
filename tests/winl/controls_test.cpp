// The control classes and the smaller controls: text view messages, redraw
// propagation, owner-drawn buttons, the tab control, combo boxes and
// drop-down lists, trackbars and progress bars.
#include <cstring>
#include <string>
#include <vector>

#include "KIT/winl/winl-controls.h"
#include "KIT/winl/winl-font.h"
#include "KIT/winl/winl-shapes.h"
#include "controls_fixture.h"

namespace {

using ControlsTest = ControlTest;

// ---- Text view messages ---------------------------------------------------------------------

TEST_F(ControlsTest, SelectionMessagesOfTheTextView) {
  Winl_vVivivI_textview text(WmRect{0, 0, 100, 40});
  text.text = "0123456789";
  const struct {
    const char* why;
    long start, end;
    int32_t wantStart, wantEnd;
  } kCases[] = {
      {"start -1 selects nothing at the start", -1, 7, 0, 0},    {"end -1 runs to the end", 2, -1, 2, 10},
      {"reversed ends select from the lower", 5, 2, 2, 5},       {"clamped to the text", 3, 500, 3, 10},
      {"negative start other than -1 clamps to 0", -5, 4, 0, 4},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(SendMessage(&text, EM_SETSEL, static_cast<unsigned long>(c.start), c.end), 0) << c.why;
    int32_t start = -9, end = -9;
    SendMessage(&text, EM_GETSEL, reinterpret_cast<unsigned long>(&start), reinterpret_cast<long>(&end));
    EXPECT_EQ(start, c.wantStart) << c.why;
    EXPECT_EQ(end, c.wantEnd) << c.why;
  }
  SendMessage(&text, EM_SETSEL, 3, 6);
  int32_t start = -9;
  SendMessage(&text, EM_GETSEL, reinterpret_cast<unsigned long>(&start), 0);
  EXPECT_EQ(start, 3) << "a null lParam fills only the start";

  HGDIOBJ pen = CreatePen(0, 1, 0);
  SendMessage(&text, WM_SETFONT, reinterpret_cast<unsigned long>(pen), 0);
  EXPECT_EQ(text.font, nullptr) << "a pen is no font";
  HGDIOBJ font = CreateFont(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
  SendMessage(&text, WM_SETFONT, reinterpret_cast<unsigned long>(font), 0);
  EXPECT_EQ(text.font, font);
  DeleteObject(pen);
  DeleteObject(font);
}

TEST_F(ControlsTest, MarkingAControlTellsTheWindowViewsAboveIt) {
  HWND inner = MakeView(m_content);
  auto* outerLayer = WINL_AsLayerView(m_content);
  auto* innerLayer = WINL_AsLayerView(inner);
  auto* button = new Winl_vVivivI_button(WmRect{0, 0, 20, 20});
  WINL_AsView(inner)->AddSubview(button);
  outerLayer->m_isdirty = 0;
  innerLayer->m_isdirty = 0;
  button->SetNeedsDisplay(true);
  EXPECT_EQ(innerLayer->m_isdirty, 2);
  EXPECT_EQ(outerLayer->m_isdirty, 2);
  outerLayer->m_isdirty = 0;
  button->SetNeedsDisplay(true);
  EXPECT_EQ(outerLayer->m_isdirty, 0) << "the walk stops at the first view that has the mark";
  innerLayer->m_isdirty = 0;
  button->SetNeedsDisplay(false);
  EXPECT_EQ(innerLayer->m_isdirty, 0) << "clearing marks nothing";
  button->SetNeedsDisplayInRect(WmRect{0, 0, 2, 2});
  EXPECT_EQ(innerLayer->m_isdirty, 2);
}

TEST_F(ControlsTest, AnOwnerDrawnButtonAsksItsParentToDraw) {
  HWND made = WINL_MakeControl("", 12, "Button", 11, 10, 10, 40, 20, 0);
  ASSERT_NE(dynamic_cast<Winl_vVivivI_button*>(made), nullptr);
  ShowWindow(m_content, 1);
  ASSERT_GE(CountNotices(WM_DRAWITEM, 0), 1);
  EXPECT_EQ(Notices().back().wParam, 12u);
}

TEST_F(ControlsTest, WindowWordsOfTheControlClasses) {
  HWND radio = WINL_MakeControl("r", 3, "Button", 9 | 0x20000, 0, 0, 40, 10, 0);
  EXPECT_EQ(GetWindowLong(radio, GWL_STYLE), 9 | 0x20000 | WS_CHILD);
  EXPECT_EQ(GetWindowLong(radio, GWL_ID), 3);
  SetWindowLong(radio, GWL_STYLE, 3);
  EXPECT_EQ(dynamic_cast<Winl_vVivivI_button*>(radio)->winlGetRadioFlags(), 0);
  HWND list = WINL_MakeControl("", 4, "SysListView32", LVS_REPORT | LVS_SINGLESEL, 0, 0, 40, 40, 0);
  HWND lv = WINL_AsListView(list);
  EXPECT_EQ(GetWindowLong(lv, GWL_STYLE), LVS_REPORT | LVS_SINGLESEL);
  EXPECT_EQ(SetWindowLong(lv, GWL_ID, 40), 4);
  EXPECT_EQ(GetWindowLong(lv, GWL_ID), 40);
}

// ---- Tab control ------------------------------------------------------------------------------

TEST_F(ControlsTest, TabsNotifyOnlyWhenTheSelectionChangesByRequest) {
  HWND tab = WINL_MakeControl("", 20, "SysTabControl32", 0, 0, 0, 200, 100, 0);
  TCITEM item{};
  item.mask = TCIF_TEXT;
  for (const char* label : {"One", "Two", "Three"}) {
    item.pszText = const_cast<char*>(label);
    TabCtrl_InsertItem(tab, 99, &item);
  }
  EXPECT_EQ(TabCtrl_GetItemCount(tab), 3);
  EXPECT_EQ(CountNotices(WM_NOTIFY, TCN_SELCHANGE), 0) << "the first tab's selection is silent";
  EXPECT_EQ(TabCtrl_SetCurSel(tab, 2), 0);
  ASSERT_EQ(CountNotices(WM_NOTIFY, TCN_SELCHANGE), 1);
  EXPECT_EQ(Notices().back().id, 20);
  EXPECT_EQ(TabCtrl_GetCurSel(tab), 2);
  EXPECT_EQ(TabCtrl_SetCurSel(tab, 7), 2) << "a bad index changes nothing";
  item.mask = 0;
  EXPECT_EQ(TabCtrl_InsertItem(tab, 0, &item), -1) << "TCIF_TEXT is needed";
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>("Zero");
  EXPECT_EQ(TabCtrl_InsertItem(tab, -4, &item), 0);
  EXPECT_TRUE(TabCtrl_DeleteItem(tab, 0));
  EXPECT_FALSE(TabCtrl_DeleteItem(tab, 3));
  EXPECT_EQ(TabCtrl_SetCurSel(m_content, 0), -1) << "not a tab control";
}

TEST_F(ControlsTest, TabAdjustRect) {
  HWND tab = WINL_MakeControl("", 20, "SysTabControl32", 0, 0, 0, 200, 100, 0);
  const struct {
    bool larger;
    RECT want;
  } kCases[] = {{false, RECT{7, 26, 93, 97}}, {true, RECT{-7, -26, 107, 103}}};
  for (const auto& c : kCases) {
    RECT r{0, 0, 100, 100};
    EXPECT_TRUE(TabCtrl_AdjustRect(tab, c.larger, &r));
    EXPECT_EQ(r.left, c.want.left);
    EXPECT_EQ(r.top, c.want.top);
    EXPECT_EQ(r.right, c.want.right);
    EXPECT_EQ(r.bottom, c.want.bottom);
  }
  EXPECT_FALSE(TabCtrl_AdjustRect(tab, false, nullptr));
}

// ---- Combo boxes and drop-down lists -----------------------------------------------------------

TEST_F(ControlsTest, SortedComboKeepsDataWithItsItems) {
  for (long flags : {long{CBS_SORT}, long{CBS_SORT | CBS_DROPDOWNLIST}}) {
    HWND combo = WINL_MakeCombo(30, 0, 0, 100, 12, flags);
    SCOPED_TRACE(flags);
    EXPECT_EQ(WINL_CB_AddString(m_content, 30, "b"), 0);
    WINL_CB_SetItemData(m_content, 30, 0, 222);
    EXPECT_EQ(WINL_CB_AddString(m_content, 30, "a"), 0);
    EXPECT_EQ(WINL_CB_GetItemData(m_content, 30, 0), 0) << "a new item's data is 0";
    EXPECT_EQ(WINL_CB_GetItemData(m_content, 30, 1), 222) << "the data follows its item";
    EXPECT_EQ(WINL_CB_InsertString(m_content, 30, 0, "z"), 0) << "an insert at a position is not sorted";
    char text[8];
    EXPECT_TRUE(WINL_CB_GetItemText(m_content, 30, 2, text, sizeof text));
    EXPECT_STREQ(text, "b");
    EXPECT_FALSE(WINL_CB_GetItemText(m_content, 30, 3, text, sizeof text));
    EXPECT_STREQ(text, "");
    WINL_CB_SetCurSel(m_content, 30, 1);
    WINL_CB_SetCurSel(m_content, 30, 3);
    EXPECT_EQ(WINL_CB_GetCurSel(m_content, 30), 1) << "an index equal to the count changes nothing";
    WINL_CB_DeleteString(m_content, 30, 0);
    EXPECT_EQ(WINL_CB_GetNumItems(m_content, 30), 2);
    WINL_CB_Empty(m_content, 30);
    EXPECT_EQ(WINL_CB_GetNumItems(m_content, 30), 0);
    DestroyWindow(combo);
  }
  EXPECT_EQ(WINL_CB_AddString(m_content, 99, "x"), 0) << "no such control";
  EXPECT_EQ(WINL_CB_GetCurSel(m_content, 99), -1);
}

TEST_F(ControlsTest, FindStringStartsAfterAndIgnoresCase) {
  WINL_MakeCombo(31, 0, 0, 100, 12, 0);
  for (const char* s : {"ABC", "AB", "abx", "Q"}) WINL_CB_AddString(m_content, 31, s);
  const struct {
    const char* why;
    int after;
    const char* text;
    bool exact;
    int result;
  } kCases[] = {
      {"prefix from the start", -1, "ab", false, 0},
      {"after 0 starts at 1", 0, "ab", false, 1},
      {"exact needs the whole text", -1, "ab", true, 1},
      {"no wrap around", 2, "ab", false, -1},
      {"case ignored", -1, "q", true, 3},
      {"nothing", -1, "zz", false, -1},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(WINL_CB_FindString(m_content, 31, c.after, c.text, c.exact), c.result) << c.why;
}

TEST_F(ControlsTest, ComboFromTheCreatorHasFixedHeights) {
  WINL_MakeSetCurParms(1.8f, 1.8f, 0, 0, m_content, false, false);
  HWND combo = WINL_MakeCombo(32, 10, 10, 50, 12, 0);
  HWND list = WINL_MakeCombo(33, 10, 30, 50, 12, CBS_DROPDOWNLIST);
  EXPECT_EQ(WINL_AsView(combo)->frame().height, 22);
  EXPECT_EQ(WINL_AsView(list)->frame().height, 18);
  EXPECT_STREQ(WINL_AsView(combo)->ClassName(), "Winl_vVivivI_cbox");
  EXPECT_STREQ(WINL_AsView(list)->ClassName(), "Winl_vVivivI_pub");
  HWND hidden = WINL_MakeCombo(34, 10, 30, 50, 12, -1);
  EXPECT_TRUE(WINL_AsView(hidden)->IsHidden()) << "a negative flags word hides";
}

// ---- Trackbars and progress bars -----------------------------------------------------------------

TEST_F(ControlsTest, TrackbarsAndProgressBars) {
  HWND slider = WINL_MakeControl("", 40, "msctls_trackbar32", 0, 0, 0, 100, 20, 0);
  auto* s = dynamic_cast<WmSlider*>(slider);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->maximum, 1000);
  WINL_TB_SetRange(m_content, 40, 5, 50);
  WINL_TB_SetPos(m_content, 40, 17);
  WINL_TB_SetTic(m_content, 40, 3);
  EXPECT_EQ(s->minimum, 5);
  EXPECT_EQ(s->maximum, 50);
  EXPECT_EQ(WINL_TB_GetPos(m_content, 40), 17);
  EXPECT_EQ(WINL_TB_GetPos(m_content, 41), 0) << "no such control";

  HWND bar = WINL_MakeControl("", 41, "msctls_progress32", 0, 0, 30, 100, 10, 0);
  auto* p = dynamic_cast<Winl_vVivivI_progind*>(bar);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(SendMessage(bar, PBM_SETRANGE, 0, 100L << 16), 0);
  EXPECT_EQ(p->minValue, 0);
  EXPECT_EQ(p->maxValue, 100);
  SendMessage(bar, PBM_SETPOS, 40, 0);
  SendMessage(bar, PBM_DELTAPOS, 5, 0);
  EXPECT_EQ(p->value, 45);
  EXPECT_EQ(GetWindowLong(bar, GWL_ID), 41);
}

// ---- Sliders and popups under the mouse ------------------------------------------------------------

TEST_F(ControlsTest, SlidersFollowThePressAndReport) {
  auto* slider = dynamic_cast<WmSlider*>(WINL_MakeControl("", 60, "ZIDEDIhfader", 0, 0, 0, 112, 12, 0));
  ASSERT_NE(slider, nullptr);
  slider->MouseEvent(At(slider, kWmLeftDown, WmPoint{6 + 75, 6}));
  EXPECT_NEAR(slider->value, 750, 1) << "three quarters of the track";
  slider->MouseEvent(At(slider, kWmLeftDragged, WmPoint{500, 6}));
  EXPECT_EQ(slider->value, 1000) << "clamped at the end";
  EXPECT_EQ(CountNotices(0x114, 0), 2);
  slider->MouseEvent(At(slider, kWmLeftDragged, WmPoint{600, 6}));
  EXPECT_EQ(CountNotices(0x114, 0), 2) << "no change, no report";
}

TEST_F(ControlsTest, PopupsChooseThroughThePopupHook) {
  int offered = 0;
  int pick = 1;
  WmApplication::Shared().popupMenuHook = [&](WmMenu* menu, WmView*, WmPoint, WmMenu** chosen, int* index) {
    offered = static_cast<int>(menu->items.size());
    if (pick < 0) return false;
    *chosen = menu;
    *index = pick;
    return true;
  };
  auto* list = dynamic_cast<WmPopup*>(WINL_MakeCombo(61, 0, 0, 100, 12, CBS_DROPDOWNLIST));
  auto* combo = dynamic_cast<WmPopup*>(WINL_MakeCombo(62, 0, 30, 100, 12, 0));
  for (const char* s : {"a", "b"}) {
    WINL_CB_AddString(m_content, 61, s);
    WINL_CB_AddString(m_content, 62, s);
  }
  list->MouseEvent(At(list, kWmLeftDown, WmPoint{5, 5}));
  EXPECT_EQ(offered, 2);
  EXPECT_EQ(WINL_CB_GetCurSel(m_content, 61), 1);
  ASSERT_EQ(CountNotices(WM_COMMAND, 1), 1);
  EXPECT_EQ(Notices().back().id, 61);
  // An editable combo box pops up from its arrow (its text is typed into).
  const WmPoint arrow{combo->frame().width - 4, 5};
  combo->MouseEvent(At(combo, kWmLeftDown, arrow));
  EXPECT_EQ(CountNotices(WM_COMMAND, 7), 1) << "the combo tells that it pops up";
  EXPECT_EQ(CountNotices(WM_COMMAND, 1), 2) << "and that its selection changed";
  pick = -1;
  combo->MouseEvent(At(combo, kWmLeftDown, arrow));
  EXPECT_EQ(CountNotices(WM_COMMAND, 7), 2);
  EXPECT_EQ(CountNotices(WM_COMMAND, 1), 2) << "a dismissed list changes nothing";
  EXPECT_EQ(WINL_CB_GetCurSel(m_content, 62), 1);
}

TEST_F(ControlsTest, SelectionColoursPaintTheSelectedRows) {
  Winl_vVivivI_listview* lv =
      WINL_AsListView(WINL_MakeControl("", 63, "SysListView32", LVS_REPORT, 0, 0, 200, 100, 0));
  LVCOLUMN column{};
  column.cx = 150;
  ListView_InsertColumn(lv, 0, &column);
  LVITEM item{};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<char*>("");
  for (int i = 0; i < 3; ++i) {
    item.iItem = i;
    ListView_InsertItem(lv, &item);
  }
  ListView_SetItemState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
  const int colours[4] = {0xFF0000, 0xFFFFFF, 0x00FF00, 0x000000};
  ListView_SetSelColors(lv, colours, 4);
  ListView_SetBkColor(lv, 0x0000FF);
  ShowWindow(m_content, 1);
  m_window->DisplayAll();
  auto pixel = [&](int row) {
    const WmRect r = lv->RectOfRow(row);
    const WmPoint base = lv->ConvertTo(WmPoint{r.x + 160, r.y + r.height / 2}, nullptr);
    const int x = static_cast<int>(base.x), y = m_window->PixelHeight() - static_cast<int>(base.y);
    const uint32_t word = m_window->Pixels()[static_cast<size_t>(y) * m_window->PixelWidth() + x];
    uint8_t bytes[4];
    memcpy(bytes, &word, 4);
    return (bytes[1] << 16) | (bytes[2] << 8) | bytes[3];
  };
  EXPECT_EQ(pixel(1), 0x00FF00) << "without the focus: entry 2";
  EXPECT_EQ(pixel(0), 0x0000FF) << "the background";
  EXPECT_EQ(pixel(2), 0x0000FF);
}

}  // namespace
