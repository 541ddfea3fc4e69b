// The list view's mouse handling (press, drag, release, right release),
// row geometry (hit test, rectangles, top index, page size, scrolling) and
// cell values: texts of kept rows or of owner data, the status image and the
// owner-drawn list-box row.
#include <algorithm>
#include <cmath>

#include "KIT/winl/winl-controls-view.h"
#include "KIT/winl/winl-kb.h"
#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-wnd-input.h"

namespace {

long Pack(int x, int y) { return (static_cast<long>(y) << 16) | (static_cast<long>(x) & 0xFFFF); }

// The cursor in target's client coordinates, packed.
long CursorInClient(HWND target) {
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(target, &p);
  return Pack(p.x, p.y);
}

long CursorOnScreen() {
  POINT p;
  GetCursorPos(&p);
  return Pack(p.x, p.y);
}

long RowParam(const Winl_vVivivI_listview* lv, int row) {
  if (lv->OwnerData() || row < 0 || row >= static_cast<int>(lv->m_items.size())) return 0;
  return lv->m_items[static_cast<size_t>(row)]->param;
}

}  // namespace

// ---- Mouse ------------------------------------------------------------------------------------

void Winl_vVivivI_listview::MouseEvent(const WmMouseEvent& event) {
  if (!IsEnabled()) return;
  const WmPoint p = LocalPoint(event);
  const bool control = (event.modifiers & kWmControl) != 0;
  switch (event.kind) {
    case kWmLeftDown: {
      if (control && IsRightClickEmulateEnabled()) {
        m_fakerightmouse = true;
        m_start_item = m_start_subitem = -1;
        return;
      }
      m_leftmousemovecnt = 0;
      m_fakerightmouse = false;
      m_start_item = RowAtPoint(p);
      m_start_subitem = ColumnAtPoint(p);
      m_start_item_clickmode = 0;
      if (m_start_item >= 0) {
        if (m_start_subitem >= 0 && m_start_subitem < 32 && (m_fastClickMask & (1 << m_start_subitem))) {
          NMLISTVIEW record{};
          record.hdr.code = NM_CLICK;
          record.iItem = m_start_item;
          record.iSubItem = m_start_subitem;
          record.ptAction =
              POINT{static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y))};
          record.lParam = RowParam(this, m_start_item);
          m_start_item_clickmode = 4;
          Notify(Target(), &record);
        } else if (m_status_imagelist && m_status_imagelist_type == 1 && p.x <= rowHeight) {
          m_start_item_clickmode = 1;
        }
      }
      return;
    }
    case kWmLeftDragged: {
      ++m_leftmousemovecnt;
      if (m_leftmousemovecnt == 4 && m_start_item >= 0 && !(m_start_item_clickmode & 3) && !m_lbMode) {
        if (!(m_start_item_clickmode & 4) && !IsRowSelected(m_start_item))
          SelectRows({m_start_item}, (GetAsyncKeyState(0x11) & 0x8000) != 0);
        NMLISTVIEW record{};
        record.hdr.code = LVN_BEGINDRAG;
        record.iItem = m_start_item;
        record.iSubItem = m_start_subitem;
        m_start_item_clickmode |= 2;
        Notify(Target(), &record);
      } else if (m_leftmousemovecnt >= 5 && !(m_start_item_clickmode & 1)) {
        HWND to = Target();
        SendMessage(to, WM_MOUSEMOVE, 0, CursorInClient(to));
      }
      return;
    }
    case kWmLeftUp: {
      const int mode = m_start_item_clickmode;
      if (!m_fakerightmouse && !control) {
        if (!(mode & 1)) {
          if (!(mode & 4) && m_leftmousemovecnt <= 3) {
            if (m_lbMode && !allowsMultipleSelection) DeselectAll();
            TrackPress(event);
            if (!WmIsLive(this)) return;
            TrackRelease(event);
            if (!WmIsLive(this)) return;
          } else if (m_leftmousemovecnt > 3) {
            HWND to = Target();
            SendMessage(to, WM_LBUTTONUP, 0, CursorInClient(to));
            if (!WmIsLive(this)) return;
          }
        }
      } else {
        RightRelease(event);
        if (!WmIsLive(this)) return;
      }
      if (!m_lbMode && !(mode & 6)) {
        NMLISTVIEW record{};
        record.hdr.code = NM_CLICK;
        record.iItem = RowAtPoint(p);
        record.iSubItem = ColumnAtPoint(p);
        record.ptAction = POINT{static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y))};
        record.lParam = RowParam(this, record.iItem);
        Notify(Target(), &record);
      }
      return;
    }
    case kWmRightUp:
      RightRelease(event);
      return;
    default:
      return;
  }
}

void Winl_vVivivI_listview::RightRelease(const WmMouseEvent& event) {
  const WmPoint p = LocalPoint(event);
  if (!m_lbMode) {
    const int row = RowAtPoint(p);
    if (row >= 0 && !IsRowSelected(row)) SelectRows({row}, false);
    NMLISTVIEW record{};
    record.hdr.code = NM_RCLICK;
    record.iItem = row;
    record.iSubItem = ColumnAtPoint(p);
    record.ptAction = POINT{static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y))};
    const long result = Notify(Target(), &record);
    if (!WmIsLive(this)) return;
    if (result != 0) {
      m_fakerightmouse = false;
      return;
    }
  }
  SendMessage(Target(), WM_CONTEXTMENU, reinterpret_cast<unsigned long>(static_cast<HWND>(this)),
              CursorOnScreen());
  if (WmIsLive(this)) m_fakerightmouse = false;
}

// ---- Geometry ------------------------------------------------------------------------------------

int ListView_HitTest(HWND hwnd, LVHITTESTINFO* h) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || !h) return -1;
  h->flags = 0;
  h->iItem = -1;
  const WmRect v = lv->VisibleRect();
  const int dx = static_cast<int>(h->pt.x - v.x), dy = static_cast<int>(h->pt.y - v.y);
  if (dx < 0) h->flags |= LVHT_TOLEFT;
  if (dx >= v.width) h->flags |= LVHT_TORIGHT;
  if (dy < 0) h->flags |= LVHT_ABOVE;
  if (dy >= v.height) h->flags |= LVHT_BELOW;
  if (h->flags == 0) {
    const WmPoint p{static_cast<double>(h->pt.x), static_cast<double>(h->pt.y)};
    h->iItem = lv->RowAtPoint(p);
    if (h->iItem >= 0)
      h->flags = lv->m_status_imagelist && p.x <= lv->rowHeight ? LVHT_ONITEMSTATEICON : LVHT_ONITEMLABEL;
    else
      h->flags = LVHT_NOWHERE;
  }
  return h->iItem;
}

int ListView_SubItemHitTest(HWND hwnd, LVHITTESTINFO* h) {
  const int item = ListView_HitTest(hwnd, h);
  if (Winl_vVivivI_listview* lv = WINL_AsListView(hwnd); lv && h)
    h->iSubItem = lv->ColumnAtPoint(WmPoint{static_cast<double>(h->pt.x), static_cast<double>(h->pt.y)});
  return item;
}

bool ListView_GetSubItemRect(HWND hwnd, int i, int sub, int, RECT* rect) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || !rect || i < 0 || i >= lv->ItemCount() || sub >= static_cast<int>(lv->tableColumns().size()))
    return false;
  const WmRect r = sub < 0 ? lv->RectOfRow(i) : lv->FrameOfCell(lv->getColumnPos(sub), i);
  rect->left = static_cast<int32_t>(r.x);
  rect->top = static_cast<int32_t>(r.y);
  rect->right = static_cast<int32_t>(r.x + r.width + lv->intercellSpacing.width);
  rect->bottom = static_cast<int32_t>(r.y + r.height + lv->intercellSpacing.height);
  return true;
}

bool ListView_GetItemRect(HWND hwnd, int i, RECT* rect, int code) {
  return ListView_GetSubItemRect(hwnd, i, -1, code, rect);
}

int ListView_GetTopIndex(HWND hwnd) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv) return 0;
  if (!lv->EnclosingScrollView()) return -1;
  return lv->RowAtPoint(WmPoint{0, lv->VisibleRect().y});
}

int ListView_GetCountPerPage(HWND hwnd) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || !lv->EnclosingScrollView()) return 0;
  const int h = static_cast<int>(lv->rowHeight);
  return h > 0 ? static_cast<int>(lv->VisibleRect().height / h) : 0;
}

void ListView_EnsureVisible(HWND hwnd, int i, bool) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || lv->numberOfRows() == 0) return;
  lv->ScrollRowToVisible(std::max(0, std::min(i, lv->numberOfRows() - 1)));
}

bool ListView_Scroll(HWND hwnd, int dx, int dy) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || !lv->EnclosingScrollView()) return false;
  const WmRect v = lv->VisibleRect();
  WmPoint probe{v.x, v.y};
  if (dx > 0) probe.x = v.x + v.width - 1;
  if (dy > 0) probe.y = v.y + v.height - 1;
  const int rows = lv->numberOfRows(), columns = static_cast<int>(lv->tableColumns().size());
  auto clamp = [](int value, int count) { return std::max(0, std::min(value, count - 1)); };
  const int r = clamp(lv->RowAtPoint(probe), rows);
  const int c = clamp(lv->ColumnAtPoint(probe), columns);
  const WmRect cell = lv->FrameOfCell(lv->getColumnPos(c), r);
  const int colSteps = cell.width > 0 ? static_cast<int>(dx / cell.width) : 0;
  const int rowSteps = cell.height > 0 ? static_cast<int>(dy / cell.height) : 0;
  if (rows > 0) lv->ScrollRowToVisible(clamp(r + rowSteps, rows));
  if (columns > 0) lv->ScrollColumnToVisible(lv->getColumnPos(clamp(c + colSteps, columns)));
  return true;
}

bool ListView_GetScroll(HWND hwnd, POINT* origin) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!origin) return false;
  *origin = POINT{0, 0};
  if (!lv || !lv->EnclosingScrollView()) return false;
  const WmRect v = lv->VisibleRect();
  *origin = POINT{static_cast<int32_t>(v.x), static_cast<int32_t>(v.y)};
  return true;
}

int WINL_GetListViewHeaderHeight(HWND hwnd) {
  Winl_vVivivI_listview* lv = WINL_AsListView(hwnd);
  if (!lv || !lv->hasHeader || !lv->EnclosingScrollView()) return 0;
  return static_cast<int>(lv->headerHeight + 0.5);
}

// ---- Cell values and colours -----------------------------------------------------------------------

std::string Winl_vVivivI_listview::ObjectValue(WmTableColumn* column, int row) {
  const int sub = ColumnCreationIndex(column);
  std::string text;
  int image = 0;
  if (OwnerData()) {
    char buffer[1024] = "";
    NMLVDISPINFO info{};
    info.hdr.hwndFrom = this;
    info.hdr.idFrom = static_cast<uintptr_t>(tag);
    info.hdr.code = LVN_GETDISPINFO;
    info.item.mask = LVIF_TEXT;
    if (m_status_imagelist_type == 2) info.item.mask |= LVIF_IMAGE;
    if (m_status_imagelist_type == 1) info.item.mask |= LVIF_STATE;
    info.item.iItem = row;
    info.item.iSubItem = sub;
    info.item.pszText = buffer;
    info.item.cchTextMax = 1023;
    info.item.iImage = -1;
    SendMessage(Target(), WM_NOTIFY, static_cast<unsigned long>(tag), reinterpret_cast<long>(&info));
    buffer[sizeof buffer - 1] = 0;
    // The handler may point pszText at its own text.
    text = info.item.pszText ? info.item.pszText : "";
    if (m_status_imagelist_type == 2)
      image = info.item.iImage + 1;
    else if (m_status_imagelist_type == 1)
      image = static_cast<int>((info.item.state >> 16) & 0xFF);
  } else if (row >= 0 && row < static_cast<int>(m_items.size())) {
    const WINL_ListView_Row* r = m_items[static_cast<size_t>(row)];
    if (sub >= 0 && static_cast<size_t>(sub) < r->texts.size()) text = r->texts[static_cast<size_t>(sub)];
    if (m_status_imagelist_type == 1 || m_status_imagelist_type == 2) image = r->imageIndex;
    if (auto* od = dynamic_cast<Winl_vVivivI_ODlistviewcell*>(column->dataCell()); od && (style & 0x10))
      od->setItemIdx(row);
  }
  if (!m_lbMode && m_status_imagelist)
    if (auto* status = dynamic_cast<Winl_vVivivI_statuscell*>(column->dataCell()))
      status->setStatusImage(image > 0 ? WINL_ImageList_GetEntry(m_status_imagelist, image - 1) : nullptr);
  return text;
}

void Winl_vVivivI_listview::WillDisplayCell(WmCell* cell, WmTableColumn*, int row) {
  WINL_ApplyCellColours(this, cell, IsRowSelected(row), m_hasFgColor, m_fgColor, m_selColors);
}

void Winl_vVivivI_listview::SelectionDidChange() { WINL_TableSelectionDidChange(Target(), this); }

void Winl_vVivivI_listview::DidClickTableColumn(WmTableColumn* column) {
  WINL_TableDidClickColumn(Target(), this, column);
}

void Winl_vVivivI_listview::HighlightSelectionInClipRect(const PaintTarget& t, const WmRect& clip) {
  if (!WINL_FillSelection(this, t, clip, m_selColors, SelectedRows()))
    WmTableView::HighlightSelectionInClipRect(t, clip);
}
