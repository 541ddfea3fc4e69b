// The list view's rows, columns, states, sorting and colours, and the
// list-box messages.
#include <string.h>

#include <algorithm>
#include <cmath>

#include "KIT/winl/winl-controls-view.h"
#include "KIT/winl/winl-wnd-input.h"

namespace {

// Process-wide, shared by all list views: the depth of set-all calls and
// the guard against a second LVN_ITEMCHANGED from inside a handler.
int g_setAllDepth = 0;
bool g_itemChangedSending = false;

const std::string& TextOf(const WINL_ListView_Row* row, int sub) {
  static const std::string kEmpty;
  if (!row || sub < 0 || static_cast<size_t>(sub) >= row->texts.size()) return kEmpty;
  return row->texts[static_cast<size_t>(sub)];
}

void CopyOut(const std::string& text, char* out, int size) {
  if (!out || size < 1) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  memcpy(out, text.data(), n);
  out[n] = 0;
}

// The sorted position of text among the first texts of the rows: a binary
// search by byte-wise comparison that puts a new text before its equal.
int SortedPosition(const std::vector<WINL_ListView_Row*>& rows, const char* text, bool descending) {
  return WINL_SortedPosition(static_cast<int>(rows.size()), [&](int i) {
    const char* other = TextOf(rows[static_cast<size_t>(i)], 0).c_str();
    return descending ? strcmp(other, text) : strcmp(text, other);
  });
}

// The stable top-down merge sort of the rows.
void MergeSort(WINL_ListView_Row** rows, WINL_ListView_Row** scratch, size_t n, PFNLVCOMPARE compare,
               long lParamSort) {
  if (n < 2) return;
  const size_t left = n / 2, right = n - left;
  if (left > 1) MergeSort(rows, scratch, left, compare, lParamSort);
  if (right > 1) MergeSort(rows + left, scratch, right, compare, lParamSort);
  size_t i = 0, j = left, k = 0;
  while (i < left && j < n) {
    if (compare(rows[i]->param, rows[j]->param, lParamSort) <= 0)
      scratch[k++] = rows[i++];
    else
      scratch[k++] = rows[j++];
  }
  while (i < left) scratch[k++] = rows[i++];
  for (size_t m = 0; m < k; ++m) rows[m] = scratch[m];
}

// Steps 3 to 6 of an insertion at p: the row, the reload, the selection
// shift and the selection the record asks for.
int InsertRow(Winl_vVivivI_listview* lv, int p, const char* text, const LVITEM* item) {
  auto* row = new WINL_ListView_Row;
  row->texts.push_back(text ? text : "");
  if (item && (item->mask & LVIF_PARAM)) row->param = item->lParam;
  if (item && (item->mask & LVIF_STATE) && (item->stateMask & 0xFF0000))
    row->imageIndex = (item->state >> 16) & 0xFF;
  const std::vector<int> selected = lv->SelectedRows();
  lv->m_items.insert(lv->m_items.begin() + p, row);
  lv->ReloadData();
  if (p != static_cast<int>(lv->m_items.size()) - 1) {
    std::vector<int> moved;
    for (int s : selected) moved.push_back(s >= p ? s + 1 : s);
    lv->SelectRows(moved, false);
  }
  if (item && (item->mask & LVIF_STATE) && (item->stateMask & LVIS_SELECTED) && (item->state & LVIS_SELECTED))
    lv->SelectRows({p}, lv->ExtendsSelection());
  return p;
}

}  // namespace

// ---- The class ---------------------------------------------------------------------------------

Winl_vVivivI_listview::Winl_vVivivI_listview(const WmRect& frame) : WmTableView(frame) {}

Winl_vVivivI_listview::~Winl_vVivivI_listview() {
  for (WINL_ListView_Row* row : m_items) delete row;
}

int Winl_vVivivI_listview::ItemCount() const {
  return OwnerData() ? ownermode_cnt : static_cast<int>(m_items.size());
}

bool Winl_vVivivI_listview::ExtendsSelection() const {
  return m_lbMode ? (style & LBS_EXTENDEDSEL) != 0 : (style & LVS_SINGLESEL) == 0;
}

int Winl_vVivivI_listview::ColumnCreationIndex(const WmTableColumn* column) const {
  auto it = std::find(m_cols.begin(), m_cols.end(), column);
  return it == m_cols.end() ? -1 : static_cast<int>(it - m_cols.begin());
}

WmTableColumn* Winl_vVivivI_listview::ColumnOfCreationIndex(int index) const {
  return index >= 0 && index < static_cast<int>(m_cols.size()) ? m_cols[static_cast<size_t>(index)] : nullptr;
}

int Winl_vVivivI_listview::getColumnPos(int i) const {
  WmTableColumn* column = ColumnOfCreationIndex(i);
  return column ? ColumnIndex(column) : i;
}

int Winl_vVivivI_listview::getColumnIdx(int p) const {
  if (p < 0 || p >= static_cast<int>(tableColumns().size())) return p;
  return ColumnCreationIndex(tableColumns()[static_cast<size_t>(p)]);
}

int Winl_vVivivI_listview::ColumnAtPoint(WmPoint p) const {
  return getColumnIdx(WmTableView::ColumnAtPoint(p));
}

HWND Winl_vVivivI_listview::Target() const {
  if (WmIsLive(target)) return target;
  return GetParent(const_cast<Winl_vVivivI_listview*>(this));
}

long Winl_vVivivI_listview::Notify(HWND to, NMLISTVIEW* record) {
  record->hdr.hwndFrom = this;
  record->hdr.idFrom = static_cast<uintptr_t>(tag);
  return SendMessage(to, WM_NOTIFY, static_cast<unsigned long>(tag), reinterpret_cast<long>(record));
}

void Winl_vVivivI_listview::SetNeedsDisplay(bool needs) {
  WmTableView::SetNeedsDisplay(needs);
  if (needs) WINL_PropagateRedraw(this);
}
void Winl_vVivivI_listview::SetNeedsDisplayInRect(const WmRect& rect) {
  WmTableView::SetNeedsDisplayInRect(rect);
  WINL_PropagateRedraw(this);
}

Winl_vVivivI_listview* WINL_AsListView(HWND hwnd) {
  WmView* view = WINL_AsView(hwnd);
  if (auto* scroll = dynamic_cast<WmScrollView*>(view)) view = scroll->documentView();
  return dynamic_cast<Winl_vVivivI_listview*>(view);
}

// ---- Items ------------------------------------------------------------------------------------------

int ListView_GetItemCount(HWND hwnd) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  return lv ? lv->ItemCount() : 0;
}

void ListView_SetItemCount(HWND hwnd, int count) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (lv && lv->OwnerData()) lv->ownermode_cnt = std::max(0, count);
}

int ListView_InsertItem(HWND hwnd, const LVITEM* item) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  // -1, not a row index, for every refusal: 0 would name the first row.
  if (!lv || !item || item->iSubItem != 0 || lv->OwnerData()) return -1;
  const int count = static_cast<int>(lv->m_items.size());
  int p = item->iItem < 0 ? 0 : std::min(item->iItem, count);
  const char* text = (item->mask & LVIF_TEXT) && item->pszText ? item->pszText : "";
  if ((item->mask & LVIF_TEXT) && !lv->m_lbMode) {
    if (lv->style & LVS_SORTASCENDING)
      p = SortedPosition(lv->m_items, text, false);
    else if (lv->style & LVS_SORTDESCENDING)
      p = SortedPosition(lv->m_items, text, true);
  }
  return InsertRow(lv, p, text, item);
}

void ListView_DeleteItem(HWND hwnd, int i) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || i < 0 || i >= static_cast<int>(lv->m_items.size())) return;
  const std::vector<int> selected = lv->SelectedRows();
  delete lv->m_items[static_cast<size_t>(i)];
  lv->m_items.erase(lv->m_items.begin() + i);
  lv->ReloadData();
  std::vector<int> moved;
  for (int s : selected)
    if (s != i) moved.push_back(s > i ? s - 1 : s);
  lv->SelectRows(moved, false);
}

void ListView_DeleteAllItems(HWND hwnd) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv) return;
  lv->ownermode_cnt = 0;
  for (WINL_ListView_Row* row : lv->m_items) delete row;
  lv->m_items.clear();
  lv->DeselectAll();
  lv->ReloadData();
}

bool ListView_GetItem(HWND hwnd, LVITEM* item) {
  if (!item) return false;
  if ((item->mask & LVIF_TEXT) && item->pszText && item->cchTextMax >= 1) item->pszText[0] = 0;
  item->state = 0;
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv) return false;
  const int i = item->iItem;
  if (i < 0 || i >= lv->ItemCount()) return false;
  if (!lv->OwnerData()) {
    const WINL_ListView_Row* row = lv->m_items[static_cast<size_t>(i)];
    if (item->mask & LVIF_PARAM) item->lParam = row->param;
    if (item->mask & LVIF_TEXT) CopyOut(TextOf(row, item->iSubItem), item->pszText, item->cchTextMax);
    if ((item->mask & LVIF_STATE) && (item->stateMask & 0xFF0000))
      item->state = static_cast<unsigned>(row->imageIndex) << 16;
  }
  if (item->mask & LVIF_STATE) {
    if ((item->stateMask & LVIS_SELECTED) && lv->IsRowSelected(i)) item->state |= LVIS_SELECTED;
    if ((item->stateMask & LVIS_FOCUSED) && lv->SelectedRow() == i) item->state |= LVIS_FOCUSED;
  }
  return true;
}

bool ListView_SetItem(HWND hwnd, LVITEM* item) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || !item) return false;
  if (!lv->OwnerData()) {
    const int i = item->iItem;
    if (i < 0 || i >= static_cast<int>(lv->m_items.size())) return false;
    WINL_ListView_Row* row = lv->m_items[static_cast<size_t>(i)];
    if (item->mask & LVIF_PARAM) row->param = item->lParam;
    if ((item->mask & LVIF_TEXT) && item->pszText) ListView_SetItemText(lv, i, item->iSubItem, item->pszText);
    if ((item->mask & LVIF_IMAGE) && item->iImage >= 0) {
      row->imageIndex = item->iImage + 1;
      lv->ReloadData();
    }
  }
  if ((item->mask & LVIF_STATE) && item->stateMask)
    ListView_SetItemState(lv, item->iItem, item->state, item->stateMask);
  return true;
}

void ListView_GetItemText(HWND hwnd, int item, int subItem, char* text, int size) {
  LVITEM record{};
  record.mask = LVIF_TEXT;
  record.iItem = item;
  record.iSubItem = subItem;
  record.pszText = text;
  record.cchTextMax = size;
  ListView_GetItem(hwnd, &record);
}

void ListView_SetItemText(HWND hwnd, int item, int subItem, const char* text) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || lv->OwnerData() || subItem < 0 || subItem > 31) return;
  if (item < 0 || item >= static_cast<int>(lv->m_items.size())) return;
  WINL_ListView_Row* row = lv->m_items[static_cast<size_t>(item)];
  if (row->texts.size() <= static_cast<size_t>(subItem)) row->texts.resize(static_cast<size_t>(subItem) + 1);
  row->texts[static_cast<size_t>(subItem)] = text ? text : "";
  lv->ReloadData();
}

int ListView_GetItemState(HWND hwnd, int i, unsigned int mask) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || i < 0 || i >= lv->ItemCount()) return 0;
  int state = 0;
  if (!lv->OwnerData() && (mask & 0xFF0000)) state = lv->m_items[static_cast<size_t>(i)]->imageIndex << 16;
  if ((mask & LVIS_SELECTED) && lv->IsRowSelected(i)) state |= LVIS_SELECTED;
  if ((mask & LVIS_FOCUSED) && lv->SelectedRow() == i) state |= LVIS_FOCUSED;
  return state;
}

bool ListView_SetItemState(HWND hwnd, int i, unsigned int state, unsigned int mask) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv) return false;
  if (i == -1) {
    ++g_setAllDepth;
    for (int r = 0; r < lv->ItemCount() && WmIsLive(lv); ++r) ListView_SetItemState(lv, r, state, mask);
    --g_setAllDepth;
    if (WmIsLive(lv)) lv->ReloadData();
    return true;
  }
  if (i < 0 || i >= lv->ItemCount()) return false;
  bool reload = false;
  if (!lv->OwnerData() && (mask & 0xFF0000)) {
    WINL_ListView_Row* row = lv->m_items[static_cast<size_t>(i)];
    const int image = static_cast<int>((state >> 16) & 0xFF);
    if (image != row->imageIndex) {
      row->imageIndex = image;
      reload = true;
    }
  }
  bool changed = false;
  if (mask & LVIS_SELECTED) {
    if ((state & LVIS_SELECTED) && !lv->IsRowSelected(i)) {
      lv->SelectRows({i}, lv->ExtendsSelection());
      changed = true;
    } else if (!(state & LVIS_SELECTED) && lv->IsRowSelected(i)) {
      lv->DeselectRow(i);
      changed = true;
    }
  }
  if (g_setAllDepth == 0 && changed && !g_itemChangedSending) {
    g_itemChangedSending = true;
    NMLISTVIEW record{};
    record.hdr.code = LVN_ITEMCHANGED;
    record.iItem = i;
    record.uNewState = state;
    lv->Notify(GetParent(lv), &record);
    g_itemChangedSending = false;
  }
  if (reload && WmIsLive(lv)) lv->ReloadData();
  return true;
}

int ListView_GetNextItem(HWND hwnd, int start, int flags) {
  if (flags != LVNI_SELECTED && flags != LVNI_FOCUSED) return -1;
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv) return -1;
  if (flags == LVNI_FOCUSED) return lv->SelectedRow();
  for (int row : lv->SelectedRows())
    if (row > start) return row;
  return -1;
}

int ListView_GetSelectedCount(HWND hwnd) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  return lv ? lv->NumberOfSelectedRows() : 0;
}

int ListView_GetSelectionMark(HWND hwnd) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  return lv ? lv->SelectedRow() : -1;
}

void ListView_RedrawItems(HWND hwnd, int, int) {
  if (Winl_vVivivI_listview* lv = WINL_AsListView(hwnd)) lv->ReloadData();
}

void ListView_SortItems(HWND hwnd, PFNLVCOMPARE compare, long lParamSort) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || !compare || lv->m_lbMode || lv->OwnerData()) return;
  for (size_t i = 0; i < lv->m_items.size(); ++i)
    lv->m_items[i]->scratch = lv->IsRowSelected(static_cast<int>(i));
  std::vector<WINL_ListView_Row*> scratch(lv->m_items.size());
  MergeSort(lv->m_items.data(), scratch.data(), lv->m_items.size(), compare, lParamSort);
  if (!lv->m_items.empty()) {
    std::vector<int> selected;
    for (size_t i = 0; i < lv->m_items.size(); ++i)
      if (lv->m_items[i]->scratch) selected.push_back(static_cast<int>(i));
    lv->SelectRows(selected, false);
  }
  lv->ReloadData();
}

// ---- Columns and header ----------------------------------------------------------------------------

int ListView_InsertColumn(HWND hwnd, int pos, const LVCOLUMN* c) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || !c) return -1;
  auto* column = new WmTableColumn;
  column->editable = false;
  if (c->cx != 0)
    column->width = c->cx;
  else
    column->hidden = true;
  if (c->fmt == LVCFMT_RIGHT || c->fmt == LVCFMT_CENTER) column->headerAlignment = c->fmt;
  if (!lv->m_lbMode && !(lv->style & LVS_NOCOLUMNHEADER)) column->title = c->pszText ? c->pszText : "";
  if (pos == 0 && lv->m_status_imagelist) {
    column->SetDataCell(new Winl_vVivivI_statuscell);
  } else {
    auto* cell = new Winl_vVivivI_listviewcell;
    cell->wraps = false;
    if (c->fmt == LVCFMT_RIGHT || c->fmt == LVCFMT_CENTER) cell->alignment = c->fmt;
    column->SetDataCell(cell);
  }
  lv->AddTableColumn(column);
  lv->m_cols.push_back(column);
  return static_cast<int>(lv->m_cols.size()) - 1;
}

bool ListView_SetColumn(HWND hwnd, int col, const LVCOLUMN* c) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  WmTableColumn* column = lv ? lv->ColumnOfCreationIndex(col) : nullptr;
  if (!column || !c) return false;
  if ((c->mask & LVCF_FMT) && c->fmt >= 0 && c->fmt <= 2) column->headerAlignment = c->fmt;
  if (c->mask & LVCF_WIDTH) {
    column->hidden = c->cx == 0;
    if (c->cx != 0) column->width = c->cx;
  }
  if ((c->mask & LVCF_TEXT) && !lv->m_lbMode && !(lv->style & LVS_NOCOLUMNHEADER))
    column->title = c->pszText ? c->pszText : "";
  lv->Tile();
  lv->SetNeedsDisplay(true);
  return true;
}

bool ListView_DeleteColumn(HWND hwnd, int col) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  WmTableColumn* column = lv ? lv->ColumnOfCreationIndex(col) : nullptr;
  if (!column) return false;
  lv->m_cols.erase(lv->m_cols.begin() + col);
  lv->RemoveTableColumn(column);
  return true;
}

int ListView_GetColumnWidth(HWND hwnd, int col) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  WmTableColumn* column = lv ? lv->ColumnOfCreationIndex(col) : nullptr;
  if (!column || column->hidden) return 0;
  return static_cast<int>(column->width + 0.5);
}

void ListView_SetColumnWidth(HWND hwnd, int col, int width) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  WmTableColumn* column = lv ? lv->ColumnOfCreationIndex(col) : nullptr;
  if (!column) return;
  column->hidden = width == 0;
  if (width != 0) column->width = width;
  lv->Tile();
  lv->SetNeedsDisplay(true);
}

bool ListView_GetColumnOrderArray(HWND hwnd, int n, int* order) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || !order || n != static_cast<int>(lv->m_cols.size())) return false;
  for (int i = 0; i < n; ++i) order[i] = lv->getColumnPos(i);
  return true;
}

bool ListView_SetColumnOrderArray(HWND hwnd, int n, const int* order) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || !order || n != static_cast<int>(lv->m_cols.size())) return false;
  for (int i = 0; i < n; ++i) lv->MoveColumn(lv->getColumnPos(i), order[i]);
  return true;
}

void ListView_SetExtendedListViewStyleEx(HWND hwnd, int mask, int style) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv) return;
  if (mask & LVS_EX_GRIDLINES) lv->gridLines = (style & LVS_EX_GRIDLINES) != 0;
  if (mask & LVS_EX_HEADERDRAGDROP) lv->allowsColumnReordering = (style & LVS_EX_HEADERDRAGDROP) != 0;
  lv->SetNeedsDisplay(true);
}

void WINL_SetListViewFastClickMask(HWND hwnd, int mask) {
  if (Winl_vVivivI_listview* lv = WINL_AsListView(hwnd)) lv->m_fastClickMask = mask;
}

void ListView_SetImageList(HWND hwnd, HIMAGELIST list, int type) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv) return;
  lv->m_status_imagelist = list;
  lv->m_status_imagelist_type = type;
  if (!lv->m_cols.empty()) lv->m_cols[0]->SetDataCell(new Winl_vVivivI_statuscell);
  lv->SetNeedsDisplay(true);
}

HWND ListView_GetHeader(HWND hwnd) { return WINL_AsListView(hwnd); }

int Header_GetItemCount(HWND hwnd) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  return lv ? static_cast<int>(lv->m_cols.size()) : 0;
}

bool Header_GetItem(HWND hwnd, int col, HDITEM* item) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  WmTableColumn* column = lv ? lv->ColumnOfCreationIndex(col) : nullptr;
  if (!column || !item) return false;
  if (item->mask & HDI_FORMAT) {
    item->fmt = 0;
    if (column->indicatorImage == "NSAscendingSortIndicator") item->fmt |= HDF_SORTUP;
    if (column->indicatorImage == "NSDescendingSortIndicator") item->fmt |= HDF_SORTDOWN;
  }
  return true;
}

bool Header_SetItem(HWND hwnd, int col, const HDITEM* item) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  WmTableColumn* column = lv ? lv->ColumnOfCreationIndex(col) : nullptr;
  if (!column || !item) return false;
  if (item->mask & HDI_FORMAT) {
    if (item->fmt & HDF_SORTUP)
      column->indicatorImage = "NSAscendingSortIndicator";
    else if (item->fmt & HDF_SORTDOWN)
      column->indicatorImage = "NSDescendingSortIndicator";
    else
      column->indicatorImage.clear();
    if (WmScrollView* scroll = lv->EnclosingScrollView()) scroll->SetNeedsDisplay(true);
  }
  return true;
}

// ---- Colours ------------------------------------------------------------------------------------------

void ListView_SetBkColor(HWND hwnd, int colour) {
  if (Winl_vVivivI_listview* lv = WINL_AsListView(hwnd)) {
    lv->backgroundColor = WmColorFromRGB(colour);
    lv->SetNeedsDisplay(true);
  }
}

void ListView_SetGridColor(HWND hwnd, int colour) {
  if (Winl_vVivivI_listview* lv = WINL_AsListView(hwnd)) {
    lv->gridColor = WmColorFromRGB(colour);
    lv->SetNeedsDisplay(true);
  }
}

void ListView_SetTextColor(HWND hwnd, int colour) {
  if (Winl_vVivivI_listview* lv = WINL_AsListView(hwnd)) {
    lv->m_hasFgColor = true;
    lv->m_fgColor = WmColorFromRGB(colour);
    lv->SetNeedsDisplay(true);
  }
}

void ListView_SetTextBkColor(HWND, int) {}

void ListView_SetSelColors(HWND hwnd, const int* colours, int n) {
  std::vector<WmColor> list;
  for (int i = 0; i < n; ++i) list.push_back(colours ? WmColorFromRGB(colours[i]) : WmColor{0, 0, 0, 1});
  if (Winl_vVivivI_listview* lv = WINL_AsListView(hwnd)) {
    lv->m_selColors = list;
    lv->SetNeedsDisplay(true);
  } else if (Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd)) {
    tv->m_selColors = list;
    tv->SetNeedsDisplay(true);
  }
}

// ---- List-box messages ----------------------------------------------------------------------------------

long Winl_vVivivI_listview::onWinlMessage(unsigned int msg, unsigned long wParam, long lParam) {
  const int count = ItemCount();
  const int index = static_cast<int>(wParam);
  const bool exists = !OwnerData() && index >= 0 && index < static_cast<int>(m_items.size());
  switch (msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      if (OwnerData()) return -1;
      const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      int p;
      if (msg == LB_ADDSTRING)
        p = m_lbMode && (style & LBS_SORT) ? SortedPosition(m_items, text, false) : count;
      else
        p = static_cast<int>(std::min<unsigned long>(wParam, static_cast<unsigned long>(count)));
      LVITEM item{};
      item.mask = LVIF_TEXT;
      return InsertRow(this, p, text, &item);
    }
    case LB_DELETESTRING:
      ListView_DeleteItem(this, index);
      return 0;
    case LB_GETTEXT:
      if (lParam)
        CopyOut(exists ? TextOf(m_items[static_cast<size_t>(index)], 0) : std::string(),
                reinterpret_cast<char*>(lParam), 4096);
      return 0;
    case LB_RESETCONTENT:
      ListView_DeleteAllItems(this);
      return 0;
    case LB_SETSEL:
      ListView_SetItemState(this, static_cast<int>(lParam), wParam != 0 ? 1 : 0, 1);
      return 0;
    case LB_SETCURSEL:
      if (index >= 0 && index < count)
        SelectRows({index}, false);
      else
        DeselectAll();
      return 0;
    case LB_GETSEL:
      return index >= 0 && index < count && IsRowSelected(index) ? 1 : 0;
    case LB_GETCURSEL:
      return SelectedRow();
    case LB_GETCOUNT:
      return count;
    case LB_GETSELCOUNT:
      return NumberOfSelectedRows();
    case LB_GETITEMDATA:
      return exists ? m_items[static_cast<size_t>(index)]->param : 0;
    case LB_SETITEMDATA:
      if (exists) m_items[static_cast<size_t>(index)]->param = lParam;
      return 0;
    default:
      return 0;
  }
}
