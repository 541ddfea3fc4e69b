#include "KIT/IModule/IGraphicsStructs.h"

#include <algorithm>
#include <cstdio>

IRECT IRECT::Intersect(const IRECT& other) const {
  if (!Meets(other)) return IRECT();
  return IRECT(std::max(L, other.L), std::max(T, other.T), std::min(R, other.R), std::min(B, other.B));
}

IRECT IRECT::Union(const IRECT& other) const {
  if (Empty()) return other;
  if (other.Empty()) return *this;
  return IRECT(std::min(L, other.L), std::min(T, other.T), std::max(R, other.R), std::max(B, other.B));
}

IText::IText(int size, const IColor* color, const char* font, int style, int align, int orientation,
             int quality, const IColor* textEntryBGColor, const IColor* textEntryFGColor)
    : mSize(size),
      mColor(color ? *color : DEFAULT_TEXT_COLOR),
      mTextEntryBGColor(textEntryBGColor ? *textEntryBGColor : DEFAULT_TEXT_ENTRY_BGCOLOR),
      mTextEntryFGColor(textEntryFGColor ? *textEntryFGColor : DEFAULT_TEXT_ENTRY_FGCOLOR),
      mStyle(style),
      mAlign(align),
      mVAlign(kVAlignMiddle),
      mOrientation(orientation),
      mQuality(quality) {
  SetFont(font);
}

void IText::SetFont(const char* font) {
  snprintf(mFont, sizeof mFont, "%s", font ? font : "Consolas");
  mCached = nullptr;  // another face needs another font
}

int IBitmap::FrameOfValue(double value) const {
  if (N < 2) return 1;
  const double position = (N - 1) * value + 0.5;
  if (!(position >= 0.0)) return 1;  // below 0, or not a number
  if (position >= N) return N;
  return static_cast<int>(position) + 1;
}
