// The GUI's drawing operations: its value types turned into raster library
// calls on the draw bitmap, text drawing and measuring, and the prompts for
// a parameter's value.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IGraphicsCaches.h"
#include "KIT/IModule/IPopupMenu.h"
#include "KIT/pix/pix.h"
#include "KIT/winl/winl-font.h"

namespace {

// A text without the blanks around it.
std::string TrimmedText(const char* text) {
  std::string trimmed = text ? text : "";
  const size_t first = trimmed.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return trimmed.substr(first, trimmed.find_last_not_of(' ') - first + 1);
}

// The raster weight and mode word of a blend.
struct RasterBlend {
  float weight;
  int mode;
};

RasterBlend RasterBlendOf(const IChannelBlend* blend) {
  if (!blend) return {1.0f, PIX_BLIT_USE_SOURCE_ALPHA};
  switch (blend->mMethod) {
    case IChannelBlend::kBlendClobber:
      return {blend->mWeight, PIX_BLIT_COPY};
    case IChannelBlend::kBlendAdd:
      return {blend->mWeight, PIX_BLIT_USE_SOURCE_ALPHA | PIX_BLIT_ADD};
    case IChannelBlend::kBlendColorDodge:
      return {blend->mWeight, PIX_BLIT_USE_SOURCE_ALPHA | PIX_BLIT_COLORDODGE};
    default:
      return {blend->mWeight, PIX_BLIT_USE_SOURCE_ALPHA};
  }
}

// Offset of frame i (1-based) along the frames: (int)((i - 1) x size / N + 0.5).
int FrameOffset(int i, int size, int frames) {
  return static_cast<int>(static_cast<double>(i - 1) * size / frames + 0.5);
}

// A window onto part of another bitmap's pixels: drawing into it cannot
// reach outside the part. Used to keep text inside the area being drawn
// when the font draws from its glyph cache, which knows no clip of its own.
class BitmapPart : public PIX_IBitmap {
 public:
  BitmapPart(PIX_IBitmap* whole, const IRECT& part)
      : mBits(whole->getBits() + static_cast<ptrdiff_t>(part.T) * whole->getRowSpan() + part.L),
        mWidth(part.W()),
        mHeight(part.H()),
        mSpan(whole->getRowSpan()) {}
  PIX_pixel* getBits() override { return mBits; }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mSpan; }
  bool resize(int, int) override { return false; }

 private:
  PIX_pixel* mBits;
  int mWidth, mHeight, mSpan;
};

// The decimal number at the start of text (after blanks, with a sign); 0
// when there is none, when it is written in hexadecimal or when it is not
// finite.
double ReadDecimal(const char* text) {
  const char* p = text;
  while (isspace(static_cast<unsigned char>(*p))) ++p;
  if (*p == '+' || *p == '-') ++p;
  if (!isdigit(static_cast<unsigned char>(*p)) && *p != '.') return 0.0;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return 0.0;
  char* end = nullptr;
  const double value = strtod(text, &end);
  return end != text && std::isfinite(value) ? value : 0.0;
}

}  // namespace

// ==== Bitmaps =====================================================================

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* r, int srcX, int srcY, const IChannelBlend* blend) {
  if (!bitmap || !r) return true;
  const IRECT c = r->Intersect(mDrawRECT);
  if (c.W() <= 0 || c.H() <= 0) return true;
  const RasterBlend b = RasterBlendOf(blend);
  PIX_Blit(mDrawBitmap, bitmap->mData, c.L, c.T, srcX + c.L - r->L, srcY + c.T - r->T, c.W(), c.H(), b.weight,
           b.mode);
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* r, int i, int srcX, int srcY, const IChannelBlend* blend) {
  if (bitmap && i >= 2 && bitmap->N >= 2) {
    if (bitmap->mFramesAreHorizontal)
      srcX = FrameOffset(i, bitmap->W, bitmap->N);
    else
      srcY = FrameOffset(i, bitmap->H, bitmap->N);
  }
  return DrawBitmap(bitmap, r, srcX, srcY, blend);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* r, int i, const IChannelBlend* blend) {
  return DrawBitmap(bitmap, r, i, 0, 0, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int cx, int cy, double angle, int yOffsetZeroDeg,
                                  const IChannelBlend* blend) {
  if (!bitmap) return true;
  const RasterBlend b = RasterBlendOf(blend);
  const int w = bitmap->W, h = bitmap->H;
  PIX_RotatedBlit(mDrawBitmap, bitmap->mData, cx - w / 2, cy - h / 2, w, h, 0.0f, 0.0f, static_cast<float>(w),
                  static_cast<float>(h), static_cast<float>(angle), false, b.weight,
                  b.mode | PIX_BLIT_FILTER_BILINEAR, 0.0f, static_cast<float>(yOffsetZeroDeg));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                                const IChannelBlend* blend) {
  if (!base || !mask || !top) return true;
  if (!mTmpBitmap) mTmpBitmap = new PIX_MemBitmap(0, 0, 4);
  const int w = base->W, h = base->H;
  PIX_Copy(mTmpBitmap, base->mData);
  PIX_ClearRect(mTmpBitmap, 0, 0, w, h, 0xFFFFFF00u, 0);
  const float radians = static_cast<float>(angle * M_PI / 180.0);
  const float centreX = (w & 1) ? -0.5f : 0.0f;
  PIX_RotatedBlit(mTmpBitmap, mask->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w),
                  static_cast<float>(h), radians, true, 1.0f,
                  PIX_BLIT_USE_SOURCE_ALPHA | PIX_BLIT_FILTER_BILINEAR | PIX_BLIT_ADD, centreX, 0.0f);
  PIX_RotatedBlit(mTmpBitmap, top->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w),
                  static_cast<float>(h), radians, true, 1.0f,
                  PIX_BLIT_USE_SOURCE_ALPHA | PIX_BLIT_FILTER_BILINEAR, centreX, 0.0f);
  IBitmap scratch(mTmpBitmap, w, h);
  IRECT r(x, y, x + w, y + h);
  return DrawBitmap(&scratch, &r, 0, 0, blend);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* bitmap, int w, int h) {
  if (!bitmap) return IBitmap();
  auto* scaled = new PIX_MemBitmap(w, h, 4);
  PIX_ScaledBlit(scaled, bitmap->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(bitmap->W),
                 static_cast<float>(bitmap->H), 1.0f, PIX_BLIT_FILTER_BILINEAR);
  TheBitmapStorage().Add(scaled, -1, -1.0, this);
  return IBitmap(scaled, scaled->getWidth(), scaled->getHeight(), bitmap->N, false);
}

IBitmap IGraphics::CropBitmap(IBitmap* bitmap, IRECT* r) {
  if (!bitmap || !r) return IBitmap();
  auto* cropped = new PIX_MemBitmap(r->W(), r->H(), 4);
  PIX_Blit(cropped, bitmap->mData, 0, 0, r->L, r->T, r->W(), r->H(), 1.0f, PIX_BLIT_COPY);
  TheBitmapStorage().Add(cropped, -1, -1.0, this);
  return IBitmap(cropped, cropped->getWidth(), cropped->getHeight(), bitmap->N, false);
}

// ==== Shapes ======================================================================

bool IGraphics::FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend) {
  if (!color || !r) return true;
  // Clipped like the blits: a panel that only overlaps the area being drawn
  // must not cover controls outside it that this pass does not repaint.
  const IRECT c = r->Intersect(mDrawRECT);
  if (c.W() <= 0 || c.H() <= 0) return true;
  const RasterBlend b = RasterBlendOf(blend);
  PIX_FillRect(mDrawBitmap, c.L, c.T, c.W(), c.H(), color->ToPixel(), b.weight, b.mode);
  return true;
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias) {
  if (!color) return true;
  const RasterBlend b = RasterBlendOf(blend);
  PIX_Line(mDrawBitmap, PIX_TruncToInt(x1), PIX_TruncToInt(y1), PIX_TruncToInt(x2), PIX_TruncToInt(y2),
           color->ToPixel(), b.weight, b.mode, antiAlias);
  return true;
}

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool) {
  if (!color) return true;
  const RasterBlend b = RasterBlendOf(blend);
  PIX_PutPixel(mDrawBitmap, PIX_TruncToInt(x + 0.5), PIX_TruncToInt(y + 0.5), color->ToPixel(), b.weight,
               b.mode);
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y) {
  if (!color || !mDrawBitmap || !mDrawBitmap->getBits()) return true;
  if (x < 0 || y < 0 || x >= mDrawBitmap->getWidth() || y >= mDrawBitmap->getHeight()) return true;
  mDrawBitmap->getBits()[static_cast<ptrdiff_t>(y) * mDrawBitmap->getRowSpan() + x] = color->ToPixel();
  return true;
}

IColor IGraphics::GetPoint(int x, int y) { return IColor::FromPixel(PIX_GetPixel(mDrawBitmap, x, y)); }

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* blend, bool antiAlias) {
  if (!color) return true;
  const RasterBlend b = RasterBlendOf(blend);
  PIX_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, color->ToPixel(), b.weight, b.mode, antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend,
                           bool antiAlias) {
  if (!color) return true;
  const RasterBlend b = RasterBlendOf(blend);
  PIX_Circle(mDrawBitmap, cx, cy, r, color->ToPixel(), b.weight, b.mode, antiAlias);
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias) {
  if (!color) return true;
  const RasterBlend b = RasterBlendOf(blend);
  PIX_FillCircle(mDrawBitmap, static_cast<float>(cx), static_cast<float>(cy), r, color->ToPixel(), b.weight,
                 b.mode, antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius,
                          bool antiAlias) {
  if (!color || !r) return true;
  const RasterBlend b = RasterBlendOf(blend);
  PIX_RoundRect(mDrawBitmap, static_cast<float>(r->L), static_cast<float>(r->T), static_cast<float>(r->W()),
                static_cast<float>(r->H()), cornerRadius, color->ToPixel(), b.weight, b.mode, antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int k,
                              bool antiAlias) {
  if (!color || !r) return true;
  const RasterBlend b = RasterBlendOf(blend);
  const PIX_pixel c = color->ToPixel();
  const int w = r->W(), h = r->H();
  PIX_FillRect(mDrawBitmap, r->L + k, r->T, w - 2 * k, h, c, b.weight, b.mode);
  PIX_FillRect(mDrawBitmap, r->L, r->T + k, k, h - 2 * k, c, b.weight, b.mode);
  PIX_FillRect(mDrawBitmap, r->R - k, r->T + k, k, h - 2 * k, c, b.weight, b.mode);
  const float radius = static_cast<float>(k);
  const int corners[4][2] = {{r->L + k, r->T + k},
                             {r->L + w - k - 1, r->T + h - k - 1},
                             {r->L + w - k - 1, r->T + k},
                             {r->L + k, r->T + h - k - 1}};
  for (const auto& corner : corners)
    PIX_FillCircle(mDrawBitmap, static_cast<float>(corner[0]), static_cast<float>(corner[1]), radius, c,
                   b.weight, b.mode, antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend) {
  if (!color) return true;
  const RasterBlend b = RasterBlendOf(blend);
  PIX_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, color->ToPixel(), b.weight, b.mode);
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints,
                                   const IChannelBlend* blend) {
  if (!color || !x || !y) return true;
  const RasterBlend b = RasterBlendOf(blend);
  PIX_FillConvexPolygon(mDrawBitmap, x, y, npoints, color->ToPixel(), b.weight, b.mode);
  return true;
}

bool IGraphics::DrawRect(const IColor* color, IRECT* r) {
  if (!color || !r) return true;
  const PIX_pixel c = color->ToPixel();
  PIX_Line(mDrawBitmap, r->L, r->T, r->R, r->T, c, 1.0f, PIX_BLIT_COPY, false);
  PIX_Line(mDrawBitmap, r->L, r->B, r->R, r->B, c, 1.0f, PIX_BLIT_COPY, false);
  PIX_Line(mDrawBitmap, r->L, r->T, r->L, r->B, c, 1.0f, PIX_BLIT_COPY, false);
  PIX_Line(mDrawBitmap, r->R, r->T, r->R, r->B, c, 1.0f, PIX_BLIT_COPY, false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int y1, int y2) {
  if (color) PIX_Line(mDrawBitmap, x, y1, x, y2, color->ToPixel(), 1.0f, PIX_BLIT_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int y, int x1, int x2) {
  if (color) PIX_Line(mDrawBitmap, x1, y, x2, y, color->ToPixel(), 1.0f, PIX_BLIT_COPY, false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* r, float x) {
  if (!r) return true;
  x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
  return DrawVerticalLine(color, r->L + static_cast<int>(r->W() * x), r->T, r->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* r, float y) {
  if (!r) return true;
  y = y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y);
  return DrawHorizontalLine(color, r->B - static_cast<int>(r->H() * y), r->L, r->R);
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* blend, bool antiAlias) {
  const float s = sinf(angle), k = cosf(angle);
  return DrawLine(color, static_cast<float>(PIX_TruncToInt(cx + rMin * s)),
                  static_cast<float>(PIX_TruncToInt(cy - rMin * k)),
                  static_cast<float>(PIX_TruncToInt(cx + rMax * s)),
                  static_cast<float>(PIX_TruncToInt(cy - rMax * k)), blend, antiAlias);
}

// ==== Text ========================================================================

bool IGraphics::DrawIText(IText* text, char* str, IRECT* r, bool measure) {
  if (!str || !*str) return true;
  if (!text || !r) return false;
  PIX_IFont* font = text->mCached ? text->mCached : CacheFont(text);
  if (!font) return false;
  font->SetTextColor(text->mColor.ToPixel());

  unsigned int format = DT_NOCLIP;
  if ((text->mColor.A & 0xff) < 255) format |= PIX_TEXT_SCALEALPHA;
  if (text->mAlign == IText::kAlignCenter)
    format |= DT_CENTER;
  else if (text->mAlign != IText::kAlignNear)
    format |= DT_RIGHT;
  if (text->mVAlign == IText::kVAlignBottom)
    format |= DT_BOTTOM;
  else if (text->mVAlign != IText::kVAlignTop)
    format |= DT_VCENTER;

  if (measure) {
    RECT m = {0, 0, 0, 0};
    font->DrawText(mDrawBitmap, str, -1, &m, format | DT_CALCRECT);
    const int w = m.right, h = m.bottom;
    if (text->mAlign == IText::kAlignCenter) {
      r->L = static_cast<int>((r->L + r->R) * 0.5) - w / 2;
      r->R = r->L + w;
    } else if (text->mAlign == IText::kAlignNear) {
      r->R = r->L + w;
    } else {
      r->L = r->R - w;
    }
    r->B = r->T + h;
    return true;
  }

  // The text may overflow its own rectangle but not the area being drawn:
  // drawn again over an unrepainted neighbour, anti-aliased text would grow
  // darker with every pass.
  if (!mDrawBitmap || !mDrawBitmap->getBits()) return true;
  const IRECT window(0, 0, mDrawBitmap->getWidth(), mDrawBitmap->getHeight());
  const IRECT area = mDrawRECT.Intersect(window);
  if (area.W() <= 0 || area.H() <= 0) return true;
  BitmapPart part(mDrawBitmap, area);
  RECT box = {r->L - area.L, r->T - area.T, r->R - area.L, r->B - area.T};
  HDC dc = mDrawBitmap->getDC();
  if (dc && !(format & PIX_TEXT_SCALEALPHA) && font->GetLineHeight() < 256) {
    // Native drawing goes straight into the draw bitmap's context, clipped.
    RECT clip = {area.L, area.T, area.R, area.B};
    RECT whole = {r->L, r->T, r->R, r->B};
    WINL_PushClipRegion(dc);
    WINL_SetClipRegion(dc, &clip);
    font->DrawText(mDrawBitmap, str, -1, &whole, format);
    WINL_PopClipRegion(dc);
  } else {
    font->DrawText(&part, str, -1, &box, format);
  }
  return true;
}

// ==== Prompts =====================================================================

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* r) {
  if (!control || !param || !r) return;
  const int kind = param->Type();
  const int nTexts = param->GetNDisplayTexts();
  char current[IParam::kDisplayBufferSize] = {};
  if ((kind == IParam::kTypeBool || kind == IParam::kTypeEnum) && nTexts > 0) {
    param->GetDisplayForHost(current, true);
    IPopupMenu menu;
    // A long list: one submenu per group, each holding its texts; the
    // value of an entry is its group's first value plus its index.
    const bool grouped = nTexts > kPromptListLimit;
    std::vector<std::unique_ptr<IPopupMenu>> groups;
    for (int first = 0; grouped && first < nTexts; first += kPromptGroupSize) {
      const int last = std::min(nTexts, first + kPromptGroupSize) - 1;
      groups.emplace_back(new IPopupMenu);
      const std::string title =
          TrimmedText(param->GetDisplayText(first)) + " - " + TrimmedText(param->GetDisplayText(last));
      menu.AddItem(title.c_str(), groups.back().get());
    }
    for (int v = 0; v < nTexts; ++v) {
      const char* entry = param->GetDisplayText(v);
      IPopupMenu& into = grouped ? *groups[static_cast<size_t>(v / kPromptGroupSize)] : menu;
      IPopupMenuItem* item = into.AddItem(entry, -1, 0);
      if (item && strcmp(entry, current) == 0) item->SetChecked(true);
    }
    IPopupMenu* chosen = CreateIPopupMenu(&menu, r);
    if (!chosen || chosen->GetChosenItemIdx() < 0) return;
    int value = chosen->GetChosenItemIdx();
    for (size_t g = 0; g < groups.size(); ++g)
      if (chosen == groups[g].get()) value += static_cast<int>(g) * kPromptGroupSize;
    if (grouped && chosen == &menu) return;  // a group's title is no value
    control->SetValueFromUserInput(param->GetNormalized(value));
    return;
  }
  param->GetDisplayForHost(current, kind == IParam::kTypeText);
  CreateTextEntry(control, control->GetText(), r, current, param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text) {
  if (!control || !param) return;
  if (!text) text = "";
  double value = 0.0;
  const int kind = param->Type();
  if (kind == IParam::kTypeBool || kind == IParam::kTypeEnum) {
    int mapped = 0;
    if (param->MapDisplayText(text, &mapped)) value = mapped;
  } else if (kind == IParam::kTypeText) {
    param->SetDisplayText(0, text);
    const double toggled = control->GetValue() == 0.0 ? 1.0 : 0.0;
    param->Set(std::min(std::max(toggled, param->GetMin()), param->GetMax()));
    control->SetValueFromUserInput(toggled);
  } else {
    value = ReadDecimal(text);
    if (param->GetNegateDisplay()) value = -value;
  }
  control->SetValueFromUserInput(param->GetNormalized(value));
}
