// The control classes: redraw propagation, the text view's messages, the
// owner-drawn cells of buttons and list-box rows, the status cell, the
// progress messages, tab notifications and the selection colours shared by
// the list and tree views.
#include "KIT/winl/winl-controls-view.h"

#include <string.h>

#include <algorithm>
#include <cmath>

#include "KIT/winl/winl-font.h"
#include "KIT/winl/winl-image.h"
#include "KIT/winl/winl-shapes.h"

namespace {

// rcItem of an owner-drawn cell: corners rounded from the frame, in the
// context's coordinates.
RECT ItemRect(const WmView::PaintTarget& t, const WmRect& f) {
  RECT r;
  r.left = static_cast<int32_t>(f.x + 0.5) + t.originX;
  r.top = static_cast<int32_t>(f.y + 0.5) + t.originY;
  r.right = r.left + static_cast<int32_t>(f.width + 0.5);
  r.bottom = r.top + static_cast<int32_t>(f.height + 0.5);
  return r;
}

void DrawLabel(const WmView::PaintTarget& t, const WmRect& frame, const std::string& text, int alignment,
               bool wraps) {
  WmCell cell;
  cell.stringValue = text;
  cell.alignment = alignment;
  cell.wraps = wraps;
  cell.DrawText(t, frame);
}

}  // namespace

Winl_ControlProtocol* WINL_AsControl(HWND hwnd) {
  return WmIsLive(hwnd) ? dynamic_cast<Winl_ControlProtocol*>(hwnd) : nullptr;
}

void WINL_PropagateRedraw(WmView* view) {
  for (WmView* up = view ? view->superview() : nullptr; up; up = up->superview()) {
    auto* layer = WINL_AsLayerView(up);
    if (!layer) continue;
    if (layer->m_isdirty & 2) break;
    layer->m_isdirty |= 2;
  }
}

// The redraw propagation of every control class: the base marks the
// control, then the window views above learn that something inside them
// needs drawing.
#define WINL_REDRAW_PROPAGATION(Class, Base)              \
  void Class::SetNeedsDisplay(bool needs) {               \
    Base::SetNeedsDisplay(needs);                         \
    if (needs) WINL_PropagateRedraw(this);                \
  }                                                       \
  void Class::SetNeedsDisplayInRect(const WmRect& rect) { \
    Base::SetNeedsDisplayInRect(rect);                    \
    WINL_PropagateRedraw(this);                           \
  }
WINL_REDRAW_PROPAGATION(Winl_vVivivI_button, WmButton)
WINL_REDRAW_PROPAGATION(Winl_vVivivI_textview, WmTextView)
WINL_REDRAW_PROPAGATION(Winl_vVivivI_textfield, WmTextField)
WINL_REDRAW_PROPAGATION(Winl_vVivivI_box, WmBox)
WINL_REDRAW_PROPAGATION(Winl_vVivivI_pub, WmPopup)
WINL_REDRAW_PROPAGATION(Winl_vVivivI_cbox, WmPopup)
WINL_REDRAW_PROPAGATION(Winl_vVivivI_tabview, WmTabView)
WINL_REDRAW_PROPAGATION(Winl_vVivivI_progind, WmProgressIndicator)
#undef WINL_REDRAW_PROPAGATION

// ---- Buttons --------------------------------------------------------------------------------------

Winl_vVivivI_button::~Winl_vVivivI_button() { delete m_odcell; }

void Winl_vVivivI_button::SetOwnerDrawnCell(Winl_vVivivI_ODbuttoncell* cell) {
  if (cell == m_odcell) return;
  delete m_odcell;
  m_odcell = cell;
  SetNeedsDisplay(true);
}

void Winl_vVivivI_button::Draw(const PaintTarget& t, const WmRect& rect) {
  if (m_odcell) {
    m_odcell->DrawWithFrame(t, bounds(), this);
    return;
  }
  WmButton::Draw(t, rect);
  const WmRect f = bounds();
  const double box = kind == kPush ? 0 : std::min(f.width, f.height);
  const WmRect text = imagePosition == 3 || kind == kPush ? WmRect{0, 0, f.width - box, f.height}
                                                          : WmRect{box, 0, f.width - box, f.height};
  DrawLabel(t, text, title, kind == kPush ? 2 : 0, false);
}

void Winl_vVivivI_ODbuttoncell::DrawWithFrame(const WmView::PaintTarget& t, const WmRect& frame,
                                              WmView* controlView) {
  auto* button = dynamic_cast<Winl_vVivivI_button*>(controlView);
  if (!button) {
    DrawText(t, frame);
    return;
  }
  WmSurfaceContext context(t);
  if (!context.hdc) return;
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_BUTTON;
  dis.CtlID = static_cast<unsigned>(button->tag);
  dis.hwndItem = button;
  dis.hDC = context.hdc;
  dis.rcItem = ItemRect(t, frame);
  SendMessage(GetParent(button), WM_DRAWITEM, static_cast<unsigned long>(button->tag),
              reinterpret_cast<long>(&dis));
}

// ---- Text ---------------------------------------------------------------------------------------

long Winl_vVivivI_textview::onWinlMessage(unsigned int msg, unsigned long wParam, long lParam) {
  const long length = static_cast<long>(text.size());
  switch (msg) {
    case WM_SETFONT: {
      HGDIOBJ object = reinterpret_cast<HGDIOBJ>(wParam);
      if (WINL_IsLiveObject(object, WINL_OBJ_FONT) && object->nativeFont) {
        font = object;
        SetNeedsDisplay(true);
      }
      return 0;
    }
    case EM_GETSEL:
      if (wParam) *reinterpret_cast<int32_t*>(wParam) = static_cast<int32_t>(selectionStart);
      if (lParam)
        *reinterpret_cast<int32_t*>(lParam) = static_cast<int32_t>(selectionStart + selectionLength);
      return 0;
    case EM_SETSEL: {
      long start = static_cast<int32_t>(wParam), end = static_cast<int32_t>(lParam);
      if (end == -1) end = length;
      if (start == -1) start = end = 0;
      start = std::max(0L, std::min(start, length));
      end = std::max(0L, std::min(end, length));
      if (end < start) std::swap(start, end);
      selectionStart = static_cast<size_t>(start);
      selectionLength = static_cast<size_t>(end - start);
      SetNeedsDisplay(true);
      return 0;
    }
    case EM_SCROLL: {
      WmView* clip = superview();
      auto* scroll =
          clip && dynamic_cast<WmClipView*>(clip) ? dynamic_cast<WmScrollView*>(clip->superview()) : nullptr;
      if (!scroll) return 0;
      if (wParam == SB_BOTTOM) WmScrollToPoint(scroll, WmPoint{0, frame().height});
      if (wParam == SB_TOP) WmScrollToPoint(scroll, WmPoint{0, 0});
      return 0;
    }
    default:
      return 0;
  }
}

void Winl_vVivivI_textfield::Draw(const PaintTarget& t, const WmRect&) {
  const WmRect f = bounds();
  if (drawsBackground) WmFillRect(t, f, WmColor{1, 1, 1, 1});
  if (bordered || bezeled) {
    const WmColor line{0.6f, 0.6f, 0.6f, 1};
    WmFillRect(t, WmRect{0, 0, f.width, 1}, line);
    WmFillRect(t, WmRect{0, f.height - 1, f.width, 1}, line);
    WmFillRect(t, WmRect{0, 0, 1, f.height}, line);
    WmFillRect(t, WmRect{f.width - 1, 0, 1, f.height}, line);
  }
  DrawLabel(t, f, secure ? std::string(text.size(), '*') : text, alignment, wraps);
}

void Winl_vVivivI_box::Draw(const PaintTarget& t, const WmRect&) {
  const WmRect f = bounds();
  const WmColor line{0.7f, 0.7f, 0.7f, 1};
  const double top = title.empty() ? 0 : 7;
  WmFillRect(t, WmRect{0, top, f.width, 1}, line);
  WmFillRect(t, WmRect{0, f.height - 1, f.width, 1}, line);
  WmFillRect(t, WmRect{0, top, 1, f.height - top}, line);
  WmFillRect(t, WmRect{f.width - 1, top, 1, f.height - top}, line);
  if (!title.empty()) DrawLabel(t, WmRect{8, 0, f.width - 16, 14}, title, titleCentred ? 2 : 0, false);
}

// ---- Tabs and progress ----------------------------------------------------------------------------------

void Winl_vVivivI_tabview::DidSelectTab(int) {
  if (!WmIsLive(m_dest)) return;
  NMHDR hdr{this, static_cast<uintptr_t>(tag), -551};
  SendMessage(m_dest, WM_NOTIFY, static_cast<unsigned long>(tag), reinterpret_cast<long>(&hdr));
}

long Winl_vVivivI_progind::onWinlMessage(unsigned int msg, unsigned long wParam, long lParam) {
  switch (msg) {
    case 0x401:  // PBM_SETRANGE
      minValue = lParam & 0xFFFF;
      maxValue = (lParam >> 16) & 0xFFFF;
      SetNeedsDisplay(true);
      return 0;
    case 0x402:  // PBM_SETPOS
      value = static_cast<double>(static_cast<unsigned int>(wParam));
      animating = false;
      SetNeedsDisplay(true);
      return 0;
    case 0x403:  // PBM_DELTAPOS
      value += static_cast<double>(static_cast<unsigned int>(wParam));
      SetNeedsDisplay(true);
      return 0;
    default:
      return 0;
  }
}

// ---- List cells ------------------------------------------------------------------------------------------

bool Winl_vVivivI_listviewcell::UsesDefaultHighlight(const WmView* controlView) const {
  if (auto* lv = dynamic_cast<const Winl_vVivivI_listview*>(controlView)) return lv->m_selColors.empty();
  if (auto* tv = dynamic_cast<const Winl_vVivivI_treeview*>(controlView)) return tv->m_selColors.empty();
  return true;
}

bool Winl_vVivivI_statuscell::UsesDefaultHighlight(const WmView* controlView) const {
  auto* lv = dynamic_cast<const Winl_vVivivI_listview*>(controlView);
  return !lv || lv->m_selColors.empty();
}

void Winl_vVivivI_statuscell::DrawWithFrame(const WmView::PaintTarget& t, const WmRect& frame, WmView*) {
  const double h = frame.height;
  if (status && GetNSImageFromHICON(status)) {
    WmSurfaceContext context(t);
    const RECT square{t.originX + static_cast<int32_t>(frame.x), t.originY + static_cast<int32_t>(frame.y),
                      t.originX + static_cast<int32_t>(frame.x + h),
                      t.originY + static_cast<int32_t>(frame.y + h)};
    if (context.hdc) DrawImageInRect(context.hdc, status, &square);
  }
  DrawText(t, WmRect{frame.x + h + 2, frame.y, frame.width - (h + 2), frame.height});
}

void Winl_vVivivI_ODlistviewcell::DrawWithFrame(const WmView::PaintTarget& t, const WmRect& frame, WmView*) {
  Winl_vVivivI_listview* owner = m_ownctl;
  if (!owner || !WmIsLive(owner)) {
    DrawText(t, frame);
    return;
  }
  WmSurfaceContext context(t);
  if (!context.hdc) return;
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_LISTBOX;
  dis.CtlID = static_cast<unsigned>(owner->tag);
  dis.itemID = static_cast<unsigned>(m_lastidx);
  dis.hwndItem = owner;
  dis.hDC = context.hdc;
  dis.rcItem = ItemRect(t, frame);
  if (m_lastidx >= 0 && m_lastidx < static_cast<int>(owner->m_items.size()))
    dis.itemData = static_cast<uintptr_t>(owner->m_items[static_cast<size_t>(m_lastidx)]->param);
  SendMessage(GetParent(owner), WM_DRAWITEM, static_cast<unsigned long>(owner->tag),
              reinterpret_cast<long>(&dis));
}

// ---- Selection colours
// -------------------------------------------------------------------------------------

void WINL_ApplyCellColours(WmTableView* table, WmCell* cell, bool selected, bool hasFg, const WmColor& fg,
                           const std::vector<WmColor>& selColors) {
  if (!cell || !cell->RespondsToTextColor()) return;
  const bool focus = table->HasFocus();
  if (selected && selColors.size() >= (focus ? 2u : 4u)) {
    cell->hasTextColor = true;
    cell->textColor = selColors[focus ? 1 : 3];
  } else if (hasFg) {
    cell->hasTextColor = true;
    cell->textColor = fg;
  } else {
    cell->hasTextColor = false;
  }
}

bool WINL_FillSelection(WmTableView* table, const WmView::PaintTarget& t, const WmRect& clip,
                        const std::vector<WmColor>& selColors, const std::vector<int>& rows) {
  const size_t entry = table->HasFocus() ? 0 : 2;
  if (selColors.size() <= entry) return false;
  const int first = std::max(0, table->RowAtPoint(WmPoint{0, clip.y}));
  for (int row = first; row < table->numberOfRows(); ++row) {
    const WmRect r = table->RectOfRow(row);
    if (r.y >= clip.y + clip.height) break;
    if (!std::binary_search(rows.begin(), rows.end(), row)) continue;
    const double top = std::max(r.y, clip.y), bottom = std::min(r.y + r.height, clip.y + clip.height);
    const double left = std::max(r.x, clip.x), right = std::min(r.x + r.width, clip.x + clip.width);
    if (bottom > top && right > left)
      WmFillRect(t, WmRect{left, top, right - left, bottom - top}, selColors[entry]);
  }
  return true;
}
