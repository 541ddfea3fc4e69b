// Input and notification translation: mouse events of the window view class
// become window messages (hit testing, non-client twins, cursor requests,
// wheels, gestures), and the controls inside a window view notify it.
#include "KIT/winl/winl-wnd-input.h"

#include <string.h>

#include <algorithm>
#include <cmath>

#include "KIT/winl/winl-controls-view.h"
#include "KIT/winl/winl-kb.h"
#include "KIT/winl/winl-misc.h"

namespace {

// Set while a mouse move is handed to another view, so that the receiver
// does not forward it again.
bool g_delegateMouseMove = false;

long Pack(int x, int y) { return (static_cast<long>(y) << 16) | (static_cast<long>(x) & 0xFFFF); }

Winl_vVivivI_hwnd* AliveWithProc(WmView* view) {
  Winl_vVivivI_hwnd* layer = WINL_AsLayerView(view);
  if (!layer || layer->winlHasBeenDestroyed() || !layer->getWinlWindowProc()) return nullptr;
  return layer;
}

long Send(Winl_vVivivI_hwnd* view, unsigned msg, unsigned long wParam, long lParam) {
  return view->onWinlMessage(msg, wParam, lParam);
}

bool SameWindowLayerView(HWND capture, WmView* view) {
  Winl_vVivivI_hwnd* holder = WINL_AsLayerView(capture);
  return holder && holder != view && holder->window() && holder->window() == view->window();
}

}  // namespace

// ---- WINL_SendMouseMessage ------------------------------------------------------------------------

long WINL_SendMouseMessage(WmView* view, int msg, const WmMouseEvent& event) {
  if (!view || !WmIsLive(view)) return 0;
  HWND capture = WINL_CaptureHolder();
  if (capture && SameWindowLayerView(capture, view))
    return WINL_SendMouseMessage(WINL_AsLayerView(capture), msg, event);
  Winl_vVivivI_hwnd* layer = AliveWithProc(view);
  if (!layer) return -1;
  WmPoint p = view->ConvertFrom(event.location, nullptr);
  if (!WINL_IsCursorVisible()) {
    // Relative mouse mode: the virtual cursor, in client coordinates.
    POINT q;
    GetCursorPos(&q);
    ScreenToClient(view, &q);
    p = WmPoint{static_cast<double>(q.x), static_cast<double>(q.y)};
  }
  const long point = Pack(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)));
  const bool wheel = msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL;
  long hit = HTCLIENT;
  if (!wheel && !capture) {
    hit = Send(layer, WM_NCHITTEST, 0, GetMessagePos());
    if (!AliveWithProc(view)) return -1;
    if (hit != HTCLIENT && msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK)
      return Send(layer, static_cast<unsigned>(msg - 0x160), static_cast<unsigned long>(hit),
                  GetMessagePos());
  }
  if (wheel) {
    const double delta = msg == WM_MOUSEWHEEL ? event.deltaY : event.deltaX;
    const unsigned long wParam =
        static_cast<unsigned long>(static_cast<uint32_t>(static_cast<int>(delta * 60)) << 16);
    POINT c;
    GetCursorPos(&c);
    return Send(layer, static_cast<unsigned>(msg), wParam, Pack(c.x, c.y));
  }
  const long result = Send(layer, static_cast<unsigned>(msg), 0, point);
  const bool cursorTime =
      msg == WM_MOUSEMOVE || msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
  if (cursorTime && !WINL_CaptureHolder()) {
    long answered = 0;
    if (Winl_vVivivI_hwnd* alive = AliveWithProc(view))
      answered = Send(alive, WM_SETCURSOR, reinterpret_cast<unsigned long>(static_cast<HWND>(alive)),
                      (hit & 0xFFFF) | (static_cast<long>(msg) << 16));
    WmApplication& app = WmApplication::Shared();
    if (answered == 0 && app.currentCursor) app.currentCursor = nullptr;  // the arrow
  }
  return result;
}

// ---- The event methods -----------------------------------------------------------------------------

namespace {

void Gesture(Winl_vVivivI_hwnd* view, uint32_t id, uint64_t beginArg, uint64_t endArg,
             unsigned long endWParam, WmPoint start, WmPoint end) {
  for (int phase = 0; phase < 2; ++phase) {
    if (!AliveWithProc(view)) return;
    WINL_GestureRecord record{};
    record.cbSize = sizeof record;
    record.dwFlags = phase == 0 ? GF_BEGIN : GF_END;
    record.dwID = id;
    const WmPoint at = phase == 0 ? start : end;
    record.x = static_cast<int16_t>(std::floor(at.x));
    record.y = static_cast<int16_t>(std::floor(at.y));
    record.ullArguments = phase == 0 ? beginArg : endArg;
    GESTUREINFO info;
    static_assert(sizeof info == sizeof record, "gesture record size");
    memcpy(&info, &record, sizeof info);
    Send(view, WM_GESTURE, phase == 0 ? 0 : endWParam, reinterpret_cast<long>(&info));
  }
}

void MouseMoved(Winl_vVivivI_hwnd* view, const WmMouseEvent& event) {
  WmApplication& app = WmApplication::Shared();
  if (!g_delegateMouseMove && event.window) {
    if (!WINL_CaptureHolder()) {
      WmWindow* under = nullptr;
      for (WmWindow* w : app.windows())
        if (w->IsVisible() && w->frame().Contains(event.screen.x, event.screen.y)) {
          under = w;
          break;
        }
      if (under && under != event.window && !app.modalWindow()) {
        WmView* hit = nullptr;
        if (WINL_AsLayerView(under->contentView()))
          hit = under->contentView()->HitTest(under->ScreenToBase(event.screen));
        if (hit) {
          WmMouseEvent moved = event;
          moved.window = under;
          moved.location = under->ScreenToBase(event.screen);
          g_delegateMouseMove = true;
          hit->MouseEvent(moved);
          g_delegateMouseMove = false;
        } else {
          app.currentCursor = nullptr;
        }
        return;
      }
    }
    if (WmView* content = event.window->contentView()) {
      WmView* hit = content->HitTest(event.location);
      if (hit && hit != view) {
        g_delegateMouseMove = true;
        hit->MouseEvent(event);
        g_delegateMouseMove = false;
        return;
      }
    }
  }
  HWND capture = WINL_CaptureHolder();
  if (view->IsEnabled() && (!capture || capture == view)) WINL_SendMouseMessage(view, WM_MOUSEMOVE, event);
}

void FocusWindowOf(Winl_vVivivI_hwnd* view) {
  WmWindow* window = view->window();
  if (window && WmApplication::Shared().keyWindow() != window) SetFocus(window);
}

}  // namespace

void WINL_ViewMouseEvent(WmView* target, const WmMouseEvent& event) {
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(target);
  if (!view || view->winlHasBeenDestroyed()) return;
  const bool enabled = view->IsEnabled();
  switch (event.kind) {
    case kWmLeftDown:
      if (!enabled) return;
      WINL_FinishDragDrop();  // a press drops any pending drag source
      view->m_isfakerightmouse = 0;
      if ((event.modifiers & kWmControl) && IsRightClickEmulateEnabled()) {
        WmMouseEvent right = event;
        right.kind = kWmRightDown;
        WINL_ViewMouseEvent(view, right);
        if (WmIsLive(view) && event.clickCount == 1) view->m_isfakerightmouse = 1;
        return;
      }
      WINL_SendMouseMessage(
          view, event.clickCount >= 2 ? static_cast<int>(WM_LBUTTONDBLCLK) : static_cast<int>(WM_LBUTTONDOWN),
          event);
      return;
    case kWmLeftUp:
      if (!enabled) return;
      if (view->m_isfakerightmouse) {
        WmMouseEvent right = event;
        right.kind = kWmRightUp;
        WINL_ViewMouseEvent(view, right);
        return;
      }
      WINL_SendMouseMessage(view, WM_LBUTTONUP, event);
      return;
    case kWmRightDown:
      view->m_isfakerightmouse = 0;
      FocusWindowOf(view);
      WINL_SendMouseMessage(
          view, event.clickCount >= 2 ? static_cast<int>(WM_RBUTTONDBLCLK) : static_cast<int>(WM_RBUTTONDOWN),
          event);
      return;
    case kWmRightUp:
      if (!enabled) return;
      view->m_isfakerightmouse = 0;
      WINL_SendMouseMessage(view, WM_RBUTTONUP, event);
      return;
    case kWmOtherDown:
      FocusWindowOf(view);
      WINL_SendMouseMessage(view, event.clickCount >= 2 ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN, event);
      return;
    case kWmOtherUp:
      if (enabled) WINL_SendMouseMessage(view, WM_MBUTTONUP, event);
      return;
    case kWmLeftDragged:
    case kWmRightDragged:
    case kWmOtherDragged: {
      if (!enabled) return;
      WINL_SendMouseMessage(view, WM_MOUSEMOVE, event);
      HCURSOR last = WINL_GetLastSetCursor();
      if (last != WINL_GetCursor()) WINL_SetCursor(last);
      return;
    }
    case kWmMoved:
      MouseMoved(view, event);
      return;
    case kWmScrollWheel:
      if (!enabled) return;
      if (event.deltaY != 0) WINL_SendMouseMessage(view, WM_MOUSEWHEEL, event);
      if (event.deltaX != 0 && WmIsLive(view)) WINL_SendMouseMessage(view, WM_MOUSEHWHEEL, event);
      return;
    case kWmMagnify: {
      int r = static_cast<int>(1024 * event.deltaZ + 0.5);
      if (r == 0) r = event.deltaZ < 0 ? -1 : 1;
      const int arg = std::max(512, std::min(1024 + r, 2048));
      Gesture(view, GID_ZOOM, 1024, static_cast<uint64_t>(arg), static_cast<unsigned long>(arg), event.screen,
              event.screen);
      return;
    }
    case kWmRotate: {
      int r = static_cast<int>(32767 * event.rotation / 60);
      if (r == 0) r = event.rotation < 0 ? -1 : 1;
      const int arg = r < -32767 ? 0 : std::min(r + 32767, 65535);
      Gesture(view, GID_ROTATE, 0, static_cast<uint64_t>(arg), static_cast<unsigned long>(arg), event.screen,
              event.screen);
      return;
    }
    case kWmSwipe: {
      const WmRect f = view->frame();
      WmPoint end = event.screen;
      if (event.deltaX < 0)
        end.x -= f.width;
      else if (event.deltaX > 0)
        end.x += f.width;
      else if (event.deltaY < 0)
        end.y += f.height;
      else if (event.deltaY > 0)
        end.y -= f.height;
      Gesture(view, GID_PAN, 0, 0, 0, event.screen, end);
      return;
    }
    default:
      return;
  }
}

// ---- Control notifications ---------------------------------------------------------------------------

namespace {

Winl_vVivivI_hwnd* Receiver(HWND owner) { return AliveWithProc(WINL_AsView(owner)); }

int TagOf(WmObject* object) {
  if (auto* layer = WINL_AsLayerView(object)) return layer->tag();
  if (auto* control = dynamic_cast<Winl_ControlProtocol*>(object))
    if (int* word = control->winlTagWord()) return *word;
  if (auto* control = dynamic_cast<WmControl*>(object)) return control->tag;
  return 0;
}

unsigned long Command(WmObject* sender, int code) {
  return static_cast<unsigned long>(static_cast<uint32_t>((TagOf(sender) & 0xFFFF) | (code << 16)));
}

long Notify(Winl_vVivivI_hwnd* to, WmObject* sender, int code, int item, int subItem, long lParam) {
  NMLISTVIEW record{};
  record.hdr.hwndFrom = sender;
  record.hdr.idFrom = static_cast<uintptr_t>(TagOf(sender));
  record.hdr.code = code;
  record.iItem = item;
  record.iSubItem = subItem;
  record.lParam = lParam;
  return Send(to, WM_NOTIFY, static_cast<unsigned long>(TagOf(sender)), reinterpret_cast<long>(&record));
}

// Unchecks the other radios of the button's group among its siblings.
void RadioHandling(Winl_vVivivI_button* button) {
  const int flags = button->winlGetRadioFlags();
  WmView* parent = button->superview();
  if (!flags || !parent) return;
  const std::vector<WmView*> siblings = parent->subviews();
  const auto at = std::find(siblings.begin(), siblings.end(), button);
  if (at == siblings.end()) return;
  const size_t index = static_cast<size_t>(at - siblings.begin());
  auto uncheck = [](Winl_vVivivI_button* b) {
    if ((b->winlGetRadioFlags() & 1) && b->state == 1) {
      b->state = 0;
      b->SetNeedsDisplay(true);
    }
  };
  if (!(flags & 2))
    for (size_t i = index; i-- > 0;) {
      auto* b = dynamic_cast<Winl_vVivivI_button*>(siblings[i]);
      if (!b) break;
      uncheck(b);
      if (b->winlGetRadioFlags() & 2) break;
    }
  for (size_t i = index + 1; i < siblings.size(); ++i) {
    auto* b = dynamic_cast<Winl_vVivivI_button*>(siblings[i]);
    if (!b || (b->winlGetRadioFlags() & 2)) break;
    uncheck(b);
  }
}

}  // namespace

void WINL_OnWinlCommand(HWND owner, WmObject* sender) {
  Winl_vVivivI_hwnd* to = Receiver(owner);
  if (!to || !WmIsLive(sender)) return;
  HWND control = sender;
  if (dynamic_cast<WmSlider*>(sender)) {
    Send(to, 0x114, 0, reinterpret_cast<long>(control));
  } else if (dynamic_cast<WmTableView*>(sender)) {
    // Tables report through their selection and double-click paths.
  } else if (dynamic_cast<WmPopup*>(sender)) {
    Send(to, WM_COMMAND, Command(sender, 1), reinterpret_cast<long>(control));
  } else if (auto* button = dynamic_cast<Winl_vVivivI_button*>(sender)) {
    RadioHandling(button);
    if (Receiver(owner)) Send(to, WM_COMMAND, Command(sender, 0), reinterpret_cast<long>(control));
  } else if (dynamic_cast<WmControl*>(sender)) {
    // Another control: code 1 when the event that made it act is a left
    // press or release of a double (or further) click.
    const WmMouseEvent* event = WmApplication::Shared().currentMouseEvent();
    const bool doubled =
        event && (event->kind == kWmLeftDown || event->kind == kWmLeftUp) && event->clickCount >= 2;
    Send(to, WM_COMMAND, Command(sender, doubled ? 1 : 0), reinterpret_cast<long>(control));
  } else {
    Send(to, WM_COMMAND, Command(sender, 0), reinterpret_cast<long>(control));
  }
}

void WINL_OnControlDoubleClick(HWND owner, WmObject* sender) {
  Winl_vVivivI_hwnd* to = Receiver(owner);
  if (!to || !WmIsLive(sender)) return;
  auto* lv = dynamic_cast<Winl_vVivivI_listview*>(sender);
  if (lv && lv->m_lbMode) {
    Send(to, WM_COMMAND, Command(sender, 2), reinterpret_cast<long>(static_cast<HWND>(sender)));
  } else if (auto* table = dynamic_cast<WmTableView*>(sender)) {
    const int row = table->clickedRow;
    long param = 0;
    if (lv && !lv->OwnerData() && row >= 0 && row < static_cast<int>(lv->m_items.size()))
      param = lv->m_items[static_cast<size_t>(row)]->param;
    const int column = lv ? lv->getColumnIdx(table->clickedColumn) : table->clickedColumn;
    Notify(to, sender, NM_DBLCLK, row, column, param);
  } else {
    NMLISTVIEW record{};
    record.hdr.hwndFrom = sender;
    record.hdr.idFrom = static_cast<uintptr_t>(TagOf(sender));
    record.hdr.code = NM_DBLCLK;
    Send(to, WM_NOTIFY, static_cast<unsigned long>(TagOf(sender)), reinterpret_cast<long>(&record));
  }
}

void WINL_ComboWillPopUp(HWND owner, WmObject* combo) {
  if (Winl_vVivivI_hwnd* to = Receiver(owner))
    Send(to, WM_COMMAND, Command(combo, 7), reinterpret_cast<long>(combo));
}

void WINL_ComboSelectionDidChange(HWND owner, WmObject* combo) {
  if (Winl_vVivivI_hwnd* to = Receiver(owner))
    Send(to, WM_COMMAND, Command(combo, 1), reinterpret_cast<long>(combo));
}

void WINL_TextDidEndEditing(HWND owner, WmObject* field) {
  if (dynamic_cast<WmPopup*>(field)) return;
  if (Winl_vVivivI_hwnd* to = Receiver(owner))
    Send(to, WM_COMMAND, Command(field, 0x300), reinterpret_cast<long>(field));
}

void WINL_ControlTextDidChange(HWND owner, WmObject* field) {
  if (Winl_vVivivI_hwnd* to = Receiver(owner)) {
    const int code = dynamic_cast<WmPopup*>(field) ? 5 : 0x300;
    Send(to, WM_COMMAND, Command(field, code), reinterpret_cast<long>(field));
  }
}

void WINL_MenuNeedsUpdate(HWND owner, HMENU menu) {
  if (Winl_vVivivI_hwnd* to = Receiver(owner))
    Send(to, WM_INITMENUPOPUP, reinterpret_cast<unsigned long>(menu), 0);
}

void WINL_TableSelectionDidChange(HWND owner, WmTableView* table) {
  Winl_vVivivI_hwnd* to = Receiver(owner);
  if (!to || !WmIsLive(table)) return;
  auto* lv = dynamic_cast<Winl_vVivivI_listview*>(table);
  if (lv && lv->getWinlNotificationMode())
    Send(to, WM_COMMAND, Command(table, 1), reinterpret_cast<long>(static_cast<HWND>(table)));
  else
    Notify(to, table, LVN_ITEMCHANGED, table->SelectedRow(), 0, 0);
}

void WINL_OutlineSelectionDidChange(HWND owner, WmOutlineView* outline) {
  Winl_vVivivI_hwnd* to = Receiver(owner);
  if (!to || !WmIsLive(outline)) return;
  NMTREEVIEW record{};
  record.hdr.hwndFrom = outline;
  record.hdr.idFrom = static_cast<uintptr_t>(TagOf(outline));
  record.hdr.code = TVN_SELCHANGED;
  Send(to, WM_NOTIFY, static_cast<unsigned long>(TagOf(outline)), reinterpret_cast<long>(&record));
}

void WINL_TableDidClickColumn(HWND owner, WmTableView* table, WmTableColumn* column) {
  Winl_vVivivI_hwnd* to = Receiver(owner);
  auto* lv = dynamic_cast<Winl_vVivivI_listview*>(table);
  if (!to || !lv || lv->m_cols.empty() || lv->m_lbMode || lv->style < 0) return;
  Notify(to, table, LVN_COLUMNCLICK, -1, lv->ColumnCreationIndex(column), 0);
}
