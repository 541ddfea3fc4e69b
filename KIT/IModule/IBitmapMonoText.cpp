#include "KIT/IModule/IBitmapMonoText.h"

#include <cstdint>
#include <cstring>

#include "KIT/IModule/IGraphics.h"

void DrawBitmapedText(IGraphics* graphics, IBitmap* font, IRECT* r, IText* style, IChannelBlend* blend,
                      const char* str, bool vCenter, bool wrap, int charWidth, int charHeight) {
  if (!graphics || !r || !str || !*str || charWidth < 1 || charHeight < 1) return;
  const int64_t cw = charWidth, ch = charHeight;
  const int64_t n = static_cast<int64_t>(strlen(str));
  const int64_t textWidth = n * cw;
  const int64_t top = vCenter ? r->T + (r->B - (r->T + ch)) / 2 : r->T;
  const int64_t left =
      style && style->mAlign == IText::kAlignCenter ? r->L + (r->R - (r->L + textWidth)) / 2 : r->L + cw;
  const int64_t usable = int64_t{r->R} - r->L - 2 * cw;

  // Wrapped text wider than one row gets as many rows as it needs; otherwise
  // a second row takes what the first could not (at most two rows).
  int64_t perRow = usable / cw, lastRow = 1;
  if (wrap && textWidth <= usable) perRow = n;
  if (perRow <= 0) return;
  if (wrap && textWidth > usable) lastRow = textWidth / usable;

  int64_t next = 0;
  for (int64_t row = 0; row <= lastRow && next < n; ++row) {
    const int64_t y = top + row * ch;
    int64_t x = left;
    for (int64_t k = 0; k < perRow && next < n; ++k, ++next, x += cw) {
      IRECT cell(static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + cw),
                 static_cast<int>(y + ch));
      const int frame = static_cast<signed char>(str[next]) - 31;
      graphics->DrawBitmap(font, &cell, frame, blend);
    }
  }
}

IBitmapTextControl::IBitmapTextControl(IModuleBase* plug, IRECT rect, const IBitmap* font, const char* text,
                                       const IText* style, int charWidth, int charHeight)
    : IControl(plug, rect),
      mStr(text),
      mCharWidth(charWidth),
      mCharHeight(charHeight),
      mFont(font ? *font : IBitmap()) {
  SetText(style);
}

void IBitmapTextControl::SetTextFromPlug(const char* text) {
  if (!text) text = "";
  if (strcmp(mStr.Get(), text) == 0) return;
  SetDirty(false);
  mStr.Set(text);
}

bool IBitmapTextControl::Draw(IGraphics* graphics) {
  if (*mStr.Get())
    DrawBitmapedText(graphics, &mFont, &mRECT, &mText, &mBlend, mStr.Get(), true, false, mCharWidth,
                     mCharHeight);
  return true;
}
