// Typing into text fields and editable combo boxes: the field editor that
// a press on such a control puts into it, its keys and mouse, its drawing,
// and the ends of editing (Return, Tab, another view taking the keyboard,
// a press elsewhere in the window).
#include <algorithm>
#include <cmath>

#include "KIT/winl/winl-font.h"
#include "KIT/winl/winl-gdi.h"
#include "platform/window/WindowControls.h"
#include "platform/window/WindowModel.h"

namespace {

// Key codes of the platform keyboard.
enum {
  kKeyReturn = 36,
  kKeyTab = 48,
  kKeyBackspace = 51,
  kKeyEnter = 76,
  kKeyHome = 115,
  kKeyDelete = 117,
  kKeyEnd = 119,
  kKeyLeft = 123,
  kKeyRight = 124,
};

// Pixels between the editor's left edge and its text.
const double kInset = 2;

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t PreviousBoundary(const std::string& s, size_t i) {
  if (i == 0) return 0;
  --i;
  while (i > 0 && IsContinuation(s[i])) --i;
  return i;
}

size_t NextBoundary(const std::string& s, size_t i) {
  if (i >= s.size()) return s.size();
  ++i;
  while (i < s.size() && IsContinuation(s[i])) ++i;
  return i;
}

// The UTF-8 form of a typed character; empty for one that types nothing.
std::string Encode(char32_t c) {
  std::string out;
  if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// What the editor shows for text: the text, or one bullet per character.
std::string Shown(const std::string& text, bool bullets) {
  if (!bullets) return text;
  std::string out;
  for (size_t i = 0; i < text.size(); i = NextBoundary(text, i)) out += "\xE2\x80\xA2";
  return out;
}

// The width in pixels of text in the drawing layer's default font.
double Width(const std::string& text) {
  if (text.empty()) return 0;
  HDC hdc = WINL_CreateMemContext(nullptr, 1, 1);
  if (!hdc) return 0;
  RECT r{0, 0, 0, 0};
  WINL_DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &r,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  WINL_DeleteGfxContext(hdc);
  return r.right - r.left;
}

// Depth first, the views of a window's tree in order.
void Collect(WmView* view, std::vector<WmView*>* out) {
  out->push_back(view);
  for (WmView* sub : view->subviews()) Collect(sub, out);
}

// The next (or previous) editable text field after from in the window,
// wrapping around; null when there is none other.
WmTextField* NextField(WmView* from, bool backwards) {
  WmWindow* window = from->window();
  if (!window || !window->contentView()) return nullptr;
  std::vector<WmView*> views;
  Collect(window->contentView(), &views);
  std::vector<WmTextField*> fields;
  for (WmView* view : views) {
    auto* field = dynamic_cast<WmTextField*>(view);
    if (field && field->editable && field->IsEnabled() && !field->IsHiddenOrHasHiddenAncestor())
      fields.push_back(field);
  }
  const auto at = std::find(fields.begin(), fields.end(), from);
  if (fields.empty() || (fields.size() == 1 && at != fields.end())) return nullptr;
  if (at == fields.end()) return backwards ? fields.back() : fields.front();
  const size_t i = static_cast<size_t>(at - fields.begin());
  return fields[backwards ? (i + fields.size() - 1) % fields.size() : (i + 1) % fields.size()];
}

}  // namespace

// ---- The field editor ---------------------------------------------------------------------

WmFieldEditor::WmFieldEditor(const WmRect& frame, WmTextEditingClient* client)
    : WmTextView(frame), m_client(client) {
  SetFlipped(true);
}

WmFieldEditor* WmCurrentFieldEditor(const WmWindow* window) {
  return window ? dynamic_cast<WmFieldEditor*>(window->firstResponder()) : nullptr;
}

WmFieldEditor* WmFieldEditor::Begin(WmTextEditingClient* client) {
  WmView* control = client ? client->EditedView() : nullptr;
  WmWindow* window = control ? control->window() : nullptr;
  if (!window) return nullptr;
  if (WmFieldEditor* current = WmCurrentFieldEditor(window)) {
    if (current->m_client == client) return current;
    current->End(WmTextEditingClient::kEndedElsewhere);
    if (!WmIsLive(control) || control->window() != window) return nullptr;
  }
  const WmRect area = client->EditingFrame();
  auto* clip = new WmClipView(area);
  clip->SetFlipped(true);
  auto* editor = new WmFieldEditor(WmRect{0, 0, area.width, area.height}, client);
  clip->AddSubview(editor);
  control->AddSubview(clip);
  editor->text = client->EditedText();
  editor->selectionStart = 0;
  editor->selectionLength = editor->text.size();
  editor->m_anchor = 0;
  window->MakeFirstResponder(editor);
  return editor;
}

void WmFieldEditor::End(WmTextEditingClient::EndReason reason) {
  if (m_ending) return;
  m_ending = true;
  WmWindow* window = this->window();
  // The window takes the keyboard back first, so that whatever the client
  // does next (another editor, a focus change) starts from a plain state.
  if (window && window->firstResponder() == this) window->MakeFirstResponder(nullptr);
  WmView* clip = superview();
  WmTextEditingClient* client = m_client;
  WmView* control = client->EditedView();
  if (clip) clip->RemoveFromSuperview();
  if (WmIsLive(control)) {
    control->SetNeedsDisplay(true);
    client->EditingDidEnd(reason);
  }
}

void WmFieldEditor::Replace(const std::string& with) {
  text.replace(selectionStart, selectionLength, with);
  selectionStart += with.size();
  selectionLength = 0;
  m_anchor = selectionStart;
  Changed();
}

void WmFieldEditor::Changed() {
  SetNeedsDisplay(true);
  m_client->EditedText() = text;
  WmView* control = m_client->EditedView();
  control->SetNeedsDisplay(true);
  m_client->EditedTextDidChange();
}

void WmFieldEditor::Normalize() {
  // The program may have set the text or the selection meanwhile.
  selectionStart = std::min(selectionStart, text.size());
  selectionLength = std::min(selectionLength, text.size() - selectionStart);
  if (m_anchor != selectionStart && m_anchor != selectionStart + selectionLength) m_anchor = selectionStart;
}

void WmFieldEditor::KeyEvent(const WmKeyEvent& event) {
  if (!event.down) return;
  Normalize();
  const bool shift = (event.modifiers & kWmShift) != 0;
  const size_t caret = selectionStart + selectionLength;
  // The moving end of the selection, for keys that move it.
  const size_t moving = m_anchor == selectionStart ? caret : selectionStart;
  auto moveTo = [&](size_t to) {
    if (shift) {
      selectionStart = std::min(m_anchor, to);
      selectionLength = std::max(m_anchor, to) - selectionStart;
    } else {
      selectionStart = to;
      selectionLength = 0;
      m_anchor = to;
    }
    SetNeedsDisplay(true);
  };
  switch (event.keyCode) {
    case kKeyReturn:
    case kKeyEnter:
      End(WmTextEditingClient::kEndedByReturn);
      return;
    case kKeyTab: {
      WmView* control = m_client->EditedView();
      End(WmTextEditingClient::kEndedByTab);
      if (!WmIsLive(control)) return;
      if (WmTextField* next = NextField(control, shift)) WmFieldEditor::Begin(next);
      return;
    }
    case kKeyBackspace:
      if (selectionLength == 0) {
        if (selectionStart == 0) return;
        const size_t from = PreviousBoundary(text, selectionStart);
        selectionLength = selectionStart - from;
        selectionStart = from;
      }
      Replace(std::string());
      return;
    case kKeyDelete:
      if (selectionLength == 0) {
        if (selectionStart >= text.size()) return;
        selectionLength = NextBoundary(text, selectionStart) - selectionStart;
      }
      Replace(std::string());
      return;
    case kKeyLeft:
      if (!shift && selectionLength)
        moveTo(selectionStart);
      else
        moveTo(PreviousBoundary(text, moving));
      return;
    case kKeyRight:
      if (!shift && selectionLength)
        moveTo(caret);
      else
        moveTo(NextBoundary(text, moving));
      return;
    case kKeyHome:
      moveTo(0);
      return;
    case kKeyEnd:
      moveTo(text.size());
      return;
    default:
      break;
  }
  // Characters typed without Control or Command.
  std::string typed;
  if (!(event.modifiers & (kWmControl | kWmCommand)))
    for (char32_t c : event.characters) typed += Encode(c);
  if (typed.empty()) {
    WmTextView::KeyEvent(event);  // not a key for the editor: on to the control
    return;
  }
  Replace(typed);
}

size_t WmFieldEditor::IndexAt(double x) const {
  const std::string& t = text;
  size_t best = 0;
  double bestDistance = std::fabs(OffsetOf(0) - x);
  for (size_t i = NextBoundary(t, 0); i <= t.size(); i = NextBoundary(t, i)) {
    const double d = std::fabs(OffsetOf(i) - x);
    if (d < bestDistance) best = i, bestDistance = d;
    if (i == t.size()) break;
  }
  return best;
}

double WmFieldEditor::OffsetOf(size_t index) const {
  return kInset - m_scroll + Width(Shown(text.substr(0, index), m_client->ShowsBullets()));
}

void WmFieldEditor::MouseEvent(const WmMouseEvent& event) {
  if (event.kind != kWmLeftDown && event.kind != kWmLeftDragged) return;
  Normalize();
  WmPoint p = ConvertFrom(event.location, nullptr);
  const size_t at = IndexAt(p.x);
  if (event.kind == kWmLeftDown && !(event.modifiers & kWmShift)) m_anchor = at;
  selectionStart = std::min(m_anchor, at);
  selectionLength = std::max(m_anchor, at) - selectionStart;
  SetNeedsDisplay(true);
}

void WmFieldEditor::Draw(const PaintTarget& t, const WmRect&) {
  Normalize();
  const WmRect f = bounds();
  WmFillRect(t, f, WmColor{1, 1, 1, 1});
  // Keep the caret in view: scroll the line as little as needed.
  const bool bullets = m_client->ShowsBullets();
  const double caretWidth = Width(Shown(text.substr(0, selectionStart + selectionLength), bullets));
  if (caretWidth - m_scroll > f.width - 2 * kInset) m_scroll = caretWidth - (f.width - 2 * kInset);
  if (caretWidth - m_scroll < 0) m_scroll = caretWidth;
  if (selectionLength) {
    const double from = OffsetOf(selectionStart), to = OffsetOf(selectionStart + selectionLength);
    WmFillRect(t, WmRect{from, 2, to - from, f.height - 4}, WmColor{0.65f, 0.8f, 1.0f, 1});
  }
  const std::string shown = Shown(text, bullets);
  if (!shown.empty()) {
    WmSurfaceContext context(t);
    if (context.hdc) {
      SetTextColor(context.hdc, 0);
      SetBkMode(context.hdc, 0);
      RECT r{t.originX + static_cast<int32_t>(std::floor(kInset - m_scroll)), t.originY,
             t.originX + static_cast<int32_t>(f.width) + 4096, t.originY + static_cast<int32_t>(f.height)};
      WINL_DrawText(context.hdc, shown.c_str(), static_cast<int>(shown.size()), &r,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
  }
  if (!selectionLength) {
    const double x = std::floor(OffsetOf(selectionStart));
    WmFillRect(t, WmRect{x, 3, 1, f.height - 6}, WmColor{0, 0, 0, 1});
  }
}

// ---- Text fields ------------------------------------------------------------------------------

WmFieldEditor* WmTextEditingClient::CurrentEditor() {
  WmFieldEditor* editor = WmCurrentFieldEditor(EditedView()->window());
  return editor && editor->client() == this ? editor : nullptr;
}

WmRect WmTextField::EditingFrame() const {
  const WmRect b = bounds();
  const double border = bordered ? 1 : 0;
  return WmRect{border, border, std::max(0.0, b.width - 2 * border), std::max(0.0, b.height - 2 * border)};
}

void WmTextField::MouseEvent(const WmMouseEvent& event) {
  if (!IsEnabled()) return;
  if (editable) {
    if (event.kind != kWmLeftDown) return;
    if (WmFieldEditor* editor = WmFieldEditor::Begin(this)) {
      if (!(event.clickCount >= 2)) editor->MouseEvent(event);  // the caret where the press was
    }
    return;
  }
  // A label: clicks act when it has an action, else they belong to the
  // view beneath. A read-only field keeps its clicks.
  if (selectable) return;
  if (!action) {
    WmControl::MouseEvent(event);
    return;
  }
  if (event.kind == kWmLeftUp) action(this);
}

void WmTextField::EditedTextDidChange() {
  if (textDidChange) textDidChange(this);
}

void WmTextField::EditingDidEnd(EndReason reason) {
  if (reason == kEndedByReturn && action) action(this);
}

// ---- Combo boxes --------------------------------------------------------------------------------

WmRect WmPopup::EditingFrame() const {
  const WmRect b = bounds();
  return WmRect{1, 1, std::max(0.0, b.width - ArrowWidth() - 2), std::max(0.0, b.height - 2)};
}

void WmPopup::EditedTextDidChange() {
  if (textDidChange) textDidChange(this);
}
