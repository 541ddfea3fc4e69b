#include "platform/view/ViewTextEntry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "KIT/pix/pix-combine.h"
#include "KIT/pix/pix-rect.h"
#include "platform/view/ViewText.h"

namespace {

const int kMargin = 2;

}  // namespace

ViewTextEntry::ViewTextEntry(const ViewTextEntryRequest& request) : m_request(request), m_text(request.text) {
  m_anchor = 0;
  m_caret = static_cast<int>(m_text.size());
}

int ViewTextEntry::Length(const std::string& text) const {
  return m_request.lengthInBytes ? static_cast<int>(text.size())
                                 : ViewUtf8Count(text.c_str(), static_cast<int>(text.size()));
}

int ViewTextEntry::PreviousBoundary(int offset) const {
  if (offset <= 0) return 0;
  --offset;
  while (offset > 0 && (static_cast<unsigned char>(m_text[static_cast<size_t>(offset)]) & 0xC0) == 0x80)
    --offset;
  return offset;
}

int ViewTextEntry::NextBoundary(int offset) const {
  const int size = static_cast<int>(m_text.size());
  if (offset >= size) return size;
  return std::min(size,
                  offset + ViewUtf8Length(static_cast<unsigned char>(m_text[static_cast<size_t>(offset)])));
}

void ViewTextEntry::Replace(int start, int end, const std::string& with) {
  m_text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), with);
  m_caret = m_anchor = start + static_cast<int>(with.size());
}

ViewTextEntry::KeyResult ViewTextEntry::Insert(const char* typed) {
  std::string add;
  for (const char* p = typed; *p;) {
    const int n = ViewUtf8Length(static_cast<unsigned char>(*p));
    if (static_cast<int>(strnlen(p, static_cast<size_t>(n))) < n) return kRefused;  // cut character
    // Control characters are no text.
    if (n == 1 && (static_cast<unsigned char>(*p) < 0x20 || *p == 0x7f)) return kIgnored;
    if (m_request.filtered && (n != 1 || m_request.allowed.find(*p) == std::string::npos)) return kRefused;
    add.append(p, static_cast<size_t>(n));
    p += n;
  }
  if (add.empty()) return kIgnored;
  std::string result = m_text;
  result.replace(static_cast<size_t>(SelectionStart()),
                 static_cast<size_t>(SelectionEnd() - SelectionStart()), add);
  if (m_request.maxLength > 0 && Length(result) > m_request.maxLength) return kRefused;
  Replace(SelectionStart(), SelectionEnd(), add);
  return kEdited;
}

ViewTextEntry::KeyResult ViewTextEntry::Key(ViewSpecialKey special, const char* text) {
  const bool selection = SelectionStart() != SelectionEnd();
  switch (special) {
    case kViewSpecialReturn:
    case kViewSpecialEnter:
    case kViewSpecialTab:
      return kCommit;
    case kViewSpecialBackspace:
      if (selection)
        Replace(SelectionStart(), SelectionEnd(), "");
      else if (m_caret > 0)
        Replace(PreviousBoundary(m_caret), m_caret, "");
      else
        return kIgnored;
      return kEdited;
    case kViewSpecialDelete:
      if (selection)
        Replace(SelectionStart(), SelectionEnd(), "");
      else if (m_caret < static_cast<int>(m_text.size()))
        Replace(m_caret, NextBoundary(m_caret), "");
      else
        return kIgnored;
      return kEdited;
    case kViewSpecialLeft:
      m_caret = m_anchor = selection ? SelectionStart() : PreviousBoundary(m_caret);
      return kEdited;
    case kViewSpecialRight:
      m_caret = m_anchor = selection ? SelectionEnd() : NextBoundary(m_caret);
      return kEdited;
    case kViewSpecialHome:
    case kViewSpecialUp:
      m_caret = m_anchor = 0;
      return kEdited;
    case kViewSpecialEnd:
    case kViewSpecialDown:
      m_caret = m_anchor = static_cast<int>(m_text.size());
      return kEdited;
    case kViewSpecialSpace:
      return Insert(" ");
    case kViewSpecialEscape:
      return kCancel;
    case kViewSpecialNone:
      break;
  }
  return text && *text ? Insert(text) : kIgnored;
}

int ViewTextEntry::TextLeft(const ViewFont& font, int fieldWidth) {
  int width = 0, height = 0;
  font.Measure(m_text.c_str(), static_cast<int>(m_text.size()), &width, &height);
  const int room = fieldWidth - 2 * kMargin;
  if (width <= room) {
    m_scroll = 0;
    if (m_request.align == 1) return kMargin + (room - width) / 2;
    if (m_request.align == 2) return kMargin + room - width;
    return kMargin;
  }
  // Longer than the field: scrolled just far enough to show the caret.
  int caretX = 0;
  font.Measure(m_text.c_str(), m_caret, &caretX, &height);
  if (caretX - m_scroll > room - 1) m_scroll = caretX - room + 1;
  if (caretX - m_scroll < 0) m_scroll = caretX;
  m_scroll = std::max(0, std::min(m_scroll, width - room + 1));
  return kMargin - m_scroll;
}

void ViewTextEntry::ClickAt(int x, const ViewFont& font) {
  const int left = TextLeft(font, m_request.rect.W());
  int best = 0, bestDistance = -1;
  for (int offset = 0;; offset = NextBoundary(offset)) {
    int w = 0, h = 0;
    font.Measure(m_text.c_str(), offset, &w, &h);
    const int distance = std::abs(left + w - x);
    if (bestDistance < 0 || distance < bestDistance) best = offset, bestDistance = distance;
    if (offset >= static_cast<int>(m_text.size())) break;
  }
  m_caret = m_anchor = best;
}

void ViewTextEntry::Paint(PIX_IBitmap* bm, const ViewFont& font) {
  const int w = m_request.rect.W(), h = m_request.rect.H();
  bm->resize(w, h);
  PIX_FillRect(bm, 0, 0, w, h, m_request.background, 1.0f, PIX_BLIT_COPY);
  const int left = TextLeft(font, w);
  const int top = (h - font.LineHeight()) / 2;
  int start = 0, end = 0, caret = 0, unused = 0;
  font.Measure(m_text.c_str(), SelectionStart(), &start, &unused);
  font.Measure(m_text.c_str(), SelectionEnd(), &end, &unused);
  font.Measure(m_text.c_str(), m_caret, &caret, &unused);
  if (end > start)
    PIX_FillRect(bm, left + start, 1, end - start, h - 2, m_request.selection, 1.0f, PIX_BLIT_COPY);
  const RECT clip{0, 0, w, h};
  font.Draw(bm, m_text.c_str(), static_cast<int>(m_text.size()), left, top, clip, m_request.foreground);
  if (end == start)
    PIX_FillRect(bm, left + caret, 2, 1, std::max(1, h - 4), m_request.foreground, 1.0f, PIX_BLIT_COPY);
}
