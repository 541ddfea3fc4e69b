// Handles and message dispatch: SendMessage with the fallbacks for plain
// controls, the window-long indices and broadcasting.
#include <string.h>

#include <algorithm>
#include <cmath>

#include "KIT/winl/winl-controls-view.h"
#include "KIT/winl/winl-controls.h"
#include "KIT/winl/winl-shapes.h"
#include "KIT/winl/winl-wnd-view.h"
#include "platform/window/WindowPresenter.h"

// ---- Handle helpers --------------------------------------------------------------------

WmView* WINL_AsView(HWND hwnd) { return WmIsLive(hwnd) ? dynamic_cast<WmView*>(hwnd) : nullptr; }
WmWindow* WINL_AsWindow(HWND hwnd) { return WmIsLive(hwnd) ? dynamic_cast<WmWindow*>(hwnd) : nullptr; }
Winl_vVivivI_hwnd* WINL_AsLayerView(HWND hwnd) {
  return WmIsLive(hwnd) ? dynamic_cast<Winl_vVivivI_hwnd*>(hwnd) : nullptr;
}
Winl_TopLevel* WINL_AsTopLevel(WmObject* object) {
  return WmIsLive(object) ? dynamic_cast<Winl_TopLevel*>(object) : nullptr;
}

WmWindow* WINL_WindowOfContent(WmView* view) {
  if (!view) return nullptr;
  WmWindow* window = view->window();
  return window && window->contentView() == view ? window : nullptr;
}

long WINL_Deliver(WmView* view, unsigned int msg, unsigned long wParam, long lParam) {
  auto* layer = WINL_AsLayerView(view);
  return layer ? layer->onWinlMessage(msg, wParam, lParam) : 0;
}

HWND WINL_NavigateUpScrollClipViews(HWND hwnd) {
  if (WmWindow* window = WINL_AsWindow(hwnd)) return window->contentView();
  WmView* view = WINL_AsView(hwnd);
  if (!view) return nullptr;
  WmView* clip = view->superview();
  if (clip && dynamic_cast<WmClipView*>(clip) && clip->superview() &&
      dynamic_cast<WmScrollView*>(clip->superview()))
    return clip->superview();
  return view;
}

// ---- SendMessage ----------------------------------------------------------------------

namespace {

// The combo-box messages on a popup button or combo box: the combo
// operations on the handle itself.
long ComboMessage(WmPopup* popup, unsigned int msg, unsigned long wParam, long lParam) {
  const int index = static_cast<int>(wParam);
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (msg) {
    case CB_ADDSTRING:
      return WINL_CB_InsertString(popup, 0, -1000, text);
    case CB_INSERTSTRING:
      return WINL_CB_InsertString(popup, 0, index, text);
    case CB_DELETESTRING:
      WINL_CB_DeleteString(popup, 0, index);
      return 1;
    case CB_GETCOUNT:
      return WINL_CB_GetNumItems(popup, 0);
    case CB_GETCURSEL:
      return WINL_CB_GetCurSel(popup, 0);
    case CB_GETLBTEXT:
      return WINL_CB_GetItemText(popup, 0, index, reinterpret_cast<char*>(lParam), 1024);
    case CB_RESETCONTENT:
      WINL_CB_Empty(popup, 0);
      return 0;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      if (!lParam) return -1;
      return WINL_CB_FindString(popup, 0, index, text, msg == CB_FINDSTRINGEXACT);
    case CB_SETCURSEL:
      WINL_CB_SetCurSel(popup, 0, index);
      return 0;
    case CB_GETITEMDATA:
      return WINL_CB_GetItemData(popup, 0, index);
    case CB_SETITEMDATA:
      WINL_CB_SetItemData(popup, 0, index, lParam);
      return 0;
    default:
      return 0;
  }
}

// The field editor of a text field while it is edited, else null.
WmTextView* FieldEditor(WmTextField* field) {
  WmWindow* window = field->window();
  WmView* responder = window ? window->firstResponder() : nullptr;
  if (!responder || !responder->IsDescendantOf(field) || responder == field) return nullptr;
  return dynamic_cast<WmTextView*>(responder);
}

// Step 3: plain controls by message and class. *handled tells whether a row
// applied.
long ControlMessage(WmView* view, unsigned int msg, unsigned long wParam, long lParam, bool* handled) {
  *handled = true;
  if (auto* button = dynamic_cast<WmButton*>(view)) {
    if (msg == BM_SETCHECK) {
      button->state = (wParam & 2) ? -1 : static_cast<int>(wParam & 1);
      button->SetNeedsDisplay(true);
      return 0;
    }
    if (msg == BM_GETCHECK) return button->state == -1 ? 2 : button->state ? 1 : 0;
  }
  if (auto* slider = dynamic_cast<WmSlider*>(view)) {
    switch (msg) {
      case TBM_GETPOS:
        return static_cast<long>(slider->value + 0.5);
      case 0x401:
      case 0x402:
      case 0x403:
        return 0;
      case TBM_SETTIC:
        return 1;
      case TBM_SETPOS:
        slider->value = static_cast<double>(lParam);
        return 1;
      case TBM_SETRANGE:
        slider->minimum = lParam & 0xFFFF;
        slider->maximum = (lParam >> 16) & 0xFFFF;
        return 1;
      default:
        break;
    }
  }
  if (auto* field = dynamic_cast<WmTextField*>(view)) {
    if (msg == EM_GETSEL) {
      int32_t start = 0, end = 0;
      if (WmTextView* editor = FieldEditor(field)) {
        start = static_cast<int32_t>(editor->selectionStart);
        end = static_cast<int32_t>(editor->selectionStart + editor->selectionLength);
      }
      if (wParam) *reinterpret_cast<int32_t*>(wParam) = start;
      if (lParam) *reinterpret_cast<int32_t*>(lParam) = end;
      return 0;
    }
    if (msg == EM_SETSEL) {
      if (WmTextView* editor = FieldEditor(field)) {
        const long length = static_cast<long>(editor->text.size());
        long start = static_cast<long>(static_cast<int>(wParam)), end = lParam;
        if (end == -1) end = length;
        if (start == -1) start = end = 0;
        start = std::max(0L, std::min(start, length));
        end = std::max(0L, std::min(end, length));
        if (end < start) std::swap(start, end);
        editor->selectionStart = static_cast<size_t>(start);
        editor->selectionLength = static_cast<size_t>(end - start);
      }
      return 0;
    }
    if (msg == 0xF0CC) return 0;
  }
  if (auto* popup = dynamic_cast<WmPopup*>(view))
    if (msg >= 0x143 && msg <= 0x161) return ComboMessage(popup, msg, wParam, lParam);
  *handled = false;
  return 0;
}

}  // namespace

long SendMessage(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (!WmIsLive(hwnd)) return 0;
  if (auto* layer = dynamic_cast<Winl_vVivivI_hwnd*>(hwnd)) return layer->onWinlMessage(msg, wParam, lParam);
  if (auto* control = dynamic_cast<Winl_ControlProtocol*>(hwnd); control && control->answersWinlMessages())
    return control->onWinlMessage(msg, wParam, lParam);
  WmView* view = dynamic_cast<WmView*>(hwnd);
  if (view) {
    bool handled;
    const long result = ControlMessage(view, msg, wParam, lParam, &handled);
    if (handled) return result;
  }
  if (WmWindow* window = dynamic_cast<WmWindow*>(hwnd))
    if (auto* content = WINL_AsLayerView(window->contentView()))
      return content->onWinlMessage(msg, wParam, lParam);
  return 0;
}

// ---- Window longs ----------------------------------------------------------------------

namespace {
long ComputedStyle(WmView* view) {
  long style = 0;
  if (auto* button = dynamic_cast<WmButton*>(view))
    style = button->kind == WmButton::kRadio ? 9 : button->allowsMixedState ? 6 : 3;
  if (auto* button = dynamic_cast<Winl_vVivivI_button*>(view); button && button->winlGetRadioFlags())
    style = 9 | ((button->winlGetRadioFlags() & 2) << 16);
  if (WmWindow* window = WINL_WindowOfContent(view)) {
    if (window->IsTitled()) {
      style |= WS_CAPTION;
      if (window->IsResizable()) style |= WS_THICKFRAME;
    }
  } else {
    style |= WS_CHILD;
  }
  return style;
}
}  // namespace

long GetWindowLong(HWND hwnd, int index) {
  if (!WmIsLive(hwnd)) return 0;
  HWND target = hwnd;
  if (WmWindow* window = WINL_AsWindow(hwnd)) target = window->contentView();
  auto* layer = WINL_AsLayerView(target);
  switch (index) {
    case GWL_USERDATA:
      if (layer) return layer->getWinlUserData();
      if (dynamic_cast<WmTextView*>(target)) {
        WmView* view = WINL_AsView(target);
        if (view->superview() && view->superview()->superview() &&
            dynamic_cast<WmTextField*>(view->superview()->superview()))
          return 0xDEADF00B;
      }
      break;
    case GWL_EXSTYLE:
      if (layer) return layer->winlGetExtendedStyle();
      break;
    case GWL_STYLE:
      if (Winl_ControlProtocol* control = WINL_AsControl(target); control && control->winlStyleWord())
        return *control->winlStyleWord();
      if (WmView* view = WINL_AsView(target)) return ComputedStyle(view);
      return 0;
    case GWL_ID:
      if (layer) return layer->tag();
      if (Winl_ControlProtocol* control = WINL_AsControl(target); control && control->winlTagWord())
        return *control->winlTagWord();
      if (auto* control = dynamic_cast<WmControl*>(target)) return control->tag;
      break;
    case DWL_DLGPROC:
      if (layer) return reinterpret_cast<long>(layer->getWinlDialogProc());
      break;
    case GWL_WNDPROC:
      if (layer) return reinterpret_cast<long>(layer->getWinlWindowProc());
      break;
    default:
      break;
  }
  return layer ? layer->getWinlExtraData(index) : 0;
}

long SetWindowLong(HWND hwnd, int index, long value) {
  if (!WmIsLive(hwnd)) return 0;
  HWND target = hwnd;
  if (WmWindow* window = WINL_AsWindow(hwnd)) target = window->contentView();
  auto* layer = WINL_AsLayerView(target);
  long previous = 0;
  switch (index) {
    case GWL_USERDATA:
      if (!layer) break;
      previous = layer->getWinlUserData();
      layer->setWinlUserData(value);
      return previous;
    case GWL_EXSTYLE:
      if (!layer) break;
      previous = layer->winlGetExtendedStyle();
      layer->winlSetExtendedStyle(value);
      return previous;
    case GWL_ID:
      if (layer) {
        previous = layer->tag();
        layer->setTag(static_cast<int>(value));
        return previous;
      }
      if (Winl_ControlProtocol* control = WINL_AsControl(target); control && control->winlTagWord()) {
        previous = *control->winlTagWord();
        *control->winlTagWord() = static_cast<int>(value);
        return previous;
      }
      if (auto* control = dynamic_cast<WmControl*>(target)) {
        previous = control->tag;
        control->tag = static_cast<int>(value);
        return previous;
      }
      break;
    case DWL_DLGPROC:
      if (!layer) break;
      previous = reinterpret_cast<long>(layer->getWinlDialogProc());
      layer->setWinlDialogProc(reinterpret_cast<DLGPROC>(value));
      return previous;
    case GWL_WNDPROC:
      if (!layer) break;
      previous = reinterpret_cast<long>(layer->getWinlWindowProc());
      layer->setWinlWindowProc(reinterpret_cast<WNDPROC>(value));
      return previous;
    case GWL_STYLE: {
      if (Winl_ControlProtocol* control = WINL_AsControl(target); control && control->winlStyleWord()) {
        previous = *control->winlStyleWord();
        *control->winlStyleWord() = value;
        return previous;
      }
      WmView* view = WINL_AsView(target);
      if (auto* button = dynamic_cast<WmButton*>(view)) {
        previous = ComputedStyle(button);
        switch (value & 0xF) {
          case 3:
            button->kind = WmButton::kSwitch, button->allowsMixedState = false;
            break;
          case 6:
            button->kind = WmButton::kSwitch, button->allowsMixedState = true;
            break;
          case 9:
            button->kind = WmButton::kRadio, button->allowsMixedState = false;
            break;
          default:
            break;
        }
        if (auto* layerButton = dynamic_cast<Winl_vVivivI_button*>(button)) {
          const long kind = value & 0xF;
          if (kind == 3 || kind == 6) layerButton->winlSetRadioFlags(0);
          if (kind == 9) layerButton->winlSetRadioFlags(static_cast<int>(1 | ((value >> 16) & 2)));
        }
        return previous;
      }
      // A content view: the frame style follows the caption and sizing bits;
      // the window keeps its content, owner, children and level.
      if (WmWindow* window = WINL_WindowOfContent(view)) {
        const long current = window->IsTitled()
                                 ? (static_cast<long>(WS_CAPTION) |
                                    (window->IsResizable() ? static_cast<long>(WS_THICKFRAME) : 0L))
                                 : 0L;
        const long wanted = value & (WS_CAPTION | WS_THICKFRAME);
        if (current != wanted) {
          unsigned style = 0;
          if (wanted & WS_CAPTION) style = (wanted & WS_THICKFRAME) ? 15 : 1;
          window->SetStyleMask(style);
          if (auto* content = WINL_AsLayerView(view)) content->setCreateWindowFlags(style);
          if (window->presenter()) window->presenter()->Update();
        }
      }
      return 0;
    }
    default:
      break;
  }
  if (!layer) return 0;
  previous = layer->getWinlExtraData(index);
  layer->setWinlExtraData(index, value);
  return previous;
}

void WINL_BroadcastMessage(unsigned int msg, unsigned long wParam, long lParam) {
  WmApplication& app = WmApplication::Shared();
  for (size_t i = 0; i < app.windows().size(); ++i) {
    WmView* content = app.windows()[i]->contentView();
    if (!WINL_AsLayerView(content)) continue;
    WINL_Deliver(content, msg, wParam, lParam);
    if (msg == WM_DISPLAYCHANGE && WmIsLive(content)) InvalidateRect(content, nullptr, 0);
  }
}
