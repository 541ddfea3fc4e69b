// Text drawn with a bitmap font: a multi-frame bitmap holds one character
// per frame, the blank (code 32) in frame 1 up to code 126 in frame 95, all
// cells of one size. Characters outside 32..126 show whatever frame their
// code gives (a frame the bitmap lacks draws nothing).
#pragma once

#include "KIT/IModule/IControl.h"
#include "KIT/kitstring.h"

// Lays str out in r as rows of cells, one cell in from each side. The first
// row is centred vertically with vCenter, else at the top; rows are centred
// with the style's centre alignment, else start one cell in from the left.
// Without wrap at most two rows are drawn; with wrap a text wider than the
// usable width continues on as many rows as it needs. Nothing for a null
// or empty text, a cell size below 1, or a rectangle with no room for a
// cell. Only the style's alignment is read (null: left).
void DrawBitmapedText(IGraphics* graphics, IBitmap* font, IRECT* r, IText* style, IChannelBlend* blend,
                      const char* str, bool vCenter, bool wrap, int charWidth, int charHeight);

// A text display in a bitmap font, one row centred vertically.
class IBitmapTextControl : public IControl {
 public:
  // Bound to no parameter; text (null: none) is copied.
  IBitmapTextControl(IModuleBase* plug, IRECT rect, const IBitmap* font, const char* text = "",
                     const IText* style = nullptr, int charWidth = 6, int charHeight = 12);
  // When text differs from the current text: marked dirty (no push), then
  // the text is taken.
  void SetTextFromPlug(const char* text);
  const char* GetTextString() const { return mStr.Get(); }
  bool Draw(IGraphics* graphics) override;

 protected:
  KIT_String mStr;
  int mCharWidth, mCharHeight;
  IBitmap mFont;
};
