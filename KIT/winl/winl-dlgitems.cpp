// The controls of a dialog by identifier: text, numbers, check states, the
// default button, fitted sizes and control kinds.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "KIT/winl/winl-dlg.h"
#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-wnd-view.h"
#include "platform/view/ViewText.h"

namespace {

// The identifier of a view: a control's or a layer view's tag.
bool TagOf(WmView* view, int* tag) {
  if (auto* control = dynamic_cast<WmControl*>(view)) {
    *tag = control->tag;
    return true;
  }
  if (auto* layer = dynamic_cast<Winl_vVivivI_hwnd*>(view)) {
    *tag = layer->tag();
    return true;
  }
  return false;
}

bool HasTag(WmView* view, int id) {
  int tag = 0;
  return view && TagOf(view, &tag) && tag == id;
}

// The item itself (id 0) or the dialog's item.
WmObject* Target(HWND dialog, int id) {
  if (id == 0) return WmIsLive(dialog) && (WINL_AsView(dialog) || WINL_AsWindow(dialog)) ? dialog : nullptr;
  return GetDlgItem(dialog, id);
}

// The text of an object by its kind; false for a kind without text.
bool TextOf(WmObject* object, std::string* text) {
  if (auto* view = dynamic_cast<WmView*>(object))
    if (WmWindow* window = WINL_WindowOfContent(view)) object = window;
  if (auto* layer = dynamic_cast<Winl_vVivivI_hwnd*>(object)) {
    *text = layer->onWinlGetText();
    return true;
  }
  if (auto* button = dynamic_cast<WmButton*>(object)) {
    *text = button->title;
  } else if (auto* window = dynamic_cast<WmWindow*>(object)) {
    *text = window->title;
  } else if (auto* field = dynamic_cast<WmTextField*>(object)) {
    *text = field->text;
  } else if (auto* popup = dynamic_cast<WmPopup*>(object)) {
    if (popup->isCombo) {
      *text = popup->text;  // a combo box's string is its own text, typed or chosen
      return true;
    }
    if (popup->selected < 0 || popup->selected >= static_cast<int>(popup->items.size())) return false;
    *text = popup->items[static_cast<size_t>(popup->selected)].text;
  } else if (auto* textView = dynamic_cast<WmTextView*>(object)) {
    *text = textView->text;
  } else if (auto* box = dynamic_cast<WmBox*>(object)) {
    *text = box->title;
  } else {
    return false;
  }
  return true;
}

const char kFace[] = "DejaVu Sans";

}  // namespace

HWND GetDlgItem(HWND dialog, int id) {
  WmView* view = WINL_AsView(dialog);
  if (!view)
    if (WmWindow* window = WINL_AsWindow(dialog)) view = window->contentView();
  if (!view) return nullptr;
  if (id == 0) return view;
  for (WmView* sub : view->subviews()) {
    if (HasTag(sub, id)) return sub;
    WmView* inner = sub;
    if (auto* scroll = dynamic_cast<WmScrollView*>(sub)) {
      inner = scroll->documentView();
      if (HasTag(inner, id)) return inner;
    }
    if (auto* clip = dynamic_cast<WmClipView*>(inner)) {
      WmView* document = clip->subviews().empty() ? nullptr : clip->subviews()[0];
      if (HasTag(document, id)) return document;
    }
  }
  return nullptr;
}

bool GetDlgItemText(HWND dialog, int id, char* buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  WmObject* target = Target(dialog, id);
  std::string text;
  if (!target || !TextOf(target, &text)) return false;
  WINL_CFStringToCString(&text, buffer, size);
  return true;
}

bool SetDlgItemText(HWND dialog, int id, const char* text) {
  WmObject* target = Target(dialog, id);
  if (!target) return false;
  const std::string value = text ? text : "";
  if (auto* view = dynamic_cast<WmView*>(target))
    if (WmWindow* window = WINL_WindowOfContent(view)) window->title = value;
  if (auto* layer = dynamic_cast<Winl_vVivivI_hwnd*>(target)) {
    layer->onWinlSetText(value.c_str());
    return true;
  }
  if (auto* window = dynamic_cast<WmWindow*>(target)) {
    window->title = value;
  } else if (auto* button = dynamic_cast<WmButton*>(target)) {
    button->title = value;
    button->SetNeedsDisplay(true);
  } else if (auto* field = dynamic_cast<WmTextField*>(target)) {
    field->text = value;
    field->SetNeedsDisplay(true);
    if (WmFieldEditor* editor = field->CurrentEditor()) {
      // Being typed into: the editor shows the new text, the caret at its end.
      editor->text = value;
      editor->selectionStart = value.size();
      editor->selectionLength = 0;
      editor->SetNeedsDisplay(true);
    }
    if (field->editable && field->superview())
      SendMessage(field->superview(), WM_COMMAND,
                  (static_cast<unsigned long>(EN_CHANGE) << 16) | (field->tag & 0xFFFF),
                  reinterpret_cast<long>(static_cast<HWND>(field)));
  } else if (auto* textView = dynamic_cast<WmTextView*>(target)) {
    textView->text = value;
    textView->SetNeedsDisplay(true);
  } else if (auto* combo = dynamic_cast<WmPopup*>(target); combo && combo->isCombo) {
    combo->text = value;
    combo->SetNeedsDisplay(true);
  } else if (auto* box = dynamic_cast<WmBox*>(target)) {
    box->title = value;
    box->SetNeedsDisplay(true);
  } else {
    return false;
  }
  return true;
}

int GetDlgItemInt(HWND dialog, int id, int* ok, int isSigned) {
  if (ok) *ok = 0;
  char text[128];
  if (!GetDlgItemText(dialog, id, text, sizeof text)) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  const int value = atoi(p);
  if (value < 0 && !isSigned) return 0;
  if (value == 0 && *p != '0') return 0;
  if (ok) *ok = 1;
  return value;
}

void SetDlgItemInt(HWND dialog, int id, int value, int isSigned) {
  char text[16];
  snprintf(text, sizeof text, isSigned ? "%d" : "%u",
           isSigned ? value : static_cast<int>(static_cast<unsigned>(value)));
  SetDlgItemText(dialog, id, text);
}

void CheckDlgButton(HWND dialog, int id, int check) {
  auto* button = dynamic_cast<WmButton*>(GetDlgItem(dialog, id));
  if (!button) return;
  button->state = (check & 2) ? -1 : (check & 1);
  button->SetNeedsDisplay(true);
}

int IsDlgButtonChecked(HWND dialog, int id) {
  auto* button = dynamic_cast<WmButton*>(GetDlgItem(dialog, id));
  if (!button) return 0;
  return button->state == -1 ? BST_INDETERMINATE : button->state ? BST_CHECKED : BST_UNCHECKED;
}

int WINL_GetDefaultButtonID(HWND hwnd, bool onlyIfEnabled) {
  WmView* view = WINL_AsView(hwnd);
  WmWindow* window = view ? view->window() : nullptr;
  if (!window || !window->defaultButton || !WmIsLive(window->defaultButton)) return 0;
  if (onlyIfEnabled && !window->defaultButton->IsEnabled()) return 0;
  return window->defaultButton->tag;
}

void WINL_GetDesiredControlSize(HWND control, RECT* r) {
  auto* view = dynamic_cast<WmControl*>(WINL_AsView(control));
  if (!view || !r) return;
  static ViewFont* font = new ViewFont(kFace, 12);  // lives to the end of the process
  auto measure = [](const std::string& text, int* w, int* h) {
    font->Measure(text.c_str(), static_cast<int>(text.size()), w, h);
    if (*h < font->LineHeight()) *h = font->LineHeight();
  };
  int w = static_cast<int>(view->frame().width), h = static_cast<int>(view->frame().height);
  if (auto* button = dynamic_cast<WmButton*>(view)) {
    measure(button->title, &w, &h);
    w += button->kind == WmButton::kPush ? 24 : 22;  // bezel, or the box beside the text
    h += 8;
  } else if (auto* field = dynamic_cast<WmTextField*>(view)) {
    measure(field->text, &w, &h);
    w += field->bordered ? 8 : 4;
    h += field->bordered ? 6 : 2;
  } else if (auto* popup = dynamic_cast<WmPopup*>(view)) {
    int widest = 0, lineHeight = 0;
    for (const WmPopup::Item& item : popup->items) {
      int iw = 0;
      measure(item.text, &iw, &lineHeight);
      if (iw > widest) widest = iw;
    }
    measure("", &w, &h);
    w = widest + 34;  // text and the arrows
    h += 8;
  }
  *r = RECT{0, 0, w, h};
}

bool WINL_IsGroupBox(HWND hwnd) {
  WmView* view = WINL_AsView(hwnd);
  return view && strcmp(view->ClassName(), "Winl_vVivivI_box") == 0;
}

bool WINL_IsButton(HWND hwnd) {
  WmView* view = WINL_AsView(hwnd);
  return view && strcmp(view->ClassName(), "Winl_vVivivI_button") == 0;
}

bool WINL_IsStaticText(HWND hwnd) { return dynamic_cast<WmTextField*>(WINL_AsView(hwnd)) != nullptr; }
