// The one-line text field of a text entry: what may be typed (a character
// filter and a length limit), the editing keys, the keys that end the entry,
// and the painting of the field with the layer's raster and text code.
//
// The field holds UTF-8 text with a caret and a selection (byte offsets at
// character boundaries). It opens with all of its text selected, so that
// typing replaces it.
#pragma once

#include <string>

#include "KIT/pix/pix-bitmap.h"
#include "platform/view/ViewTypes.h"

class ViewFont;

struct ViewTextEntryRequest {
  ViewRect rect;     // in the main window
  std::string text;  // the text it opens with, UTF-8
  // With filtered set, only the characters of allowed may be typed; an
  // empty allowed set then refuses every character.
  bool filtered = false;
  std::string allowed;
  // The longest text the field takes (0: no limit), counted in characters
  // or in UTF-8 bytes. The text a key would leave is tested, so a key that
  // replaces a selection is taken when the result fits.
  int maxLength = 0;
  bool lengthInBytes = false;
  std::string font = "Monaco";
  int fontSize = 10;
  bool bold = false;
  int align = 0;  // 0 left, 1 centre, 2 right
  PIX_pixel background = PIX_MakePixel(255, 255, 255, 255);
  PIX_pixel foreground = PIX_MakePixel(0, 0, 0, 255);
  // The fill behind selected text (the text keeps the foreground colour).
  PIX_pixel selection = PIX_MakePixel(168, 200, 245, 255);
};

class ViewTextEntry {
 public:
  enum KeyResult {
    kEdited,   // the text, caret or selection changed
    kRefused,  // the key was swallowed: the filter or the limit refused it
    kCommit,   // Return, Enter or Tab (where the view lets Tab end it): the text is taken
    kCancel,   // Escape: the entry is dropped, its text not taken
    kIgnored,  // a key the field has no use for
  };

  explicit ViewTextEntry(const ViewTextEntryRequest& request);

  // One key: a special key, or text (UTF-8, one or more characters).
  KeyResult Key(ViewSpecialKey special, const char* text);
  // Puts the caret at the character boundary nearest to x (field pixels).
  void ClickAt(int x, const ViewFont& font);

  const ViewTextEntryRequest& Request() const { return m_request; }
  const std::string& Text() const { return m_text; }
  int Caret() const { return m_caret; }
  int SelectionStart() const { return m_anchor < m_caret ? m_anchor : m_caret; }
  int SelectionEnd() const { return m_anchor < m_caret ? m_caret : m_anchor; }

  // Paints the field into bm (resized to the field's size).
  void Paint(PIX_IBitmap* bm, const ViewFont& font);

 private:
  KeyResult Insert(const char* typed);
  void Replace(int start, int end, const std::string& with);
  int PreviousBoundary(int offset) const;
  int NextBoundary(int offset) const;
  int Length(const std::string& text) const;
  // Left edge of the text inside the field, keeping the caret visible.
  int TextLeft(const ViewFont& font, int fieldWidth);

  ViewTextEntryRequest m_request;
  std::string m_text;
  int m_caret = 0;
  int m_anchor = 0;
  int m_scroll = 0;  // pixels the text is moved left to keep the caret in view
};
