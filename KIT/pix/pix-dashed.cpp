// Dashed horizontal and vertical lines.
#include "KIT/pix/pix-line-impl.h"
#include "KIT/pix/pix-line.h"

template <class F>
void __PIX_LineClass<F>::DashedLine(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int dash, int gap,
                                    PIX_pixel color, int aw) {
  if (x1 != x2 && y1 != y2) return;
  const ptrdiff_t span = dest->getRowSpan();
  const bool horizontal = x1 != x2;
  const ptrdiff_t step = horizontal ? 1 : span;
  const int64_t first = horizontal ? x1 : y1, last = horizontal ? x2 : y2;
  PIX_pixel* const start = dest->getBits() + static_cast<ptrdiff_t>(y1) * span + x1;
  // 64-bit positions: dash + gap and last - dash cannot overflow. Since
  // dash + gap >= 1 the walk always advances; each run starts at a position
  // between first and last, so no pointer leaves the line.
  int64_t i = first;
  while (i < last - dash) {
    PIX_pixel* p = start + (i - first) * step;
    for (int k = 0; k < dash; ++k, p += step) PIX_BlendColor<F>(p, color, aw);
    i += int64_t{dash} + gap;
  }
  const int64_t rest = last - i < dash ? last - i : dash;
  if (rest < 1) return;
  PIX_pixel* p = start + (i - first) * step;
  for (int64_t k = 0; k < rest; ++k, p += step) PIX_BlendColor<F>(p, color, aw);
}

void PIX_DashedLine(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int dash, int gap, PIX_pixel color,
                    float alpha, int mode, bool aa) {
  if (!dest || !dest->getBits()) return;
  // A pattern that does not advance by at least one pixel would never end;
  // a dash below one pixel draws nothing anyway.
  if (dash < 1 || int64_t{dash} + gap < 1) return;
  if (!ClipLine(&x1, &y1, &x2, &y2, dest->getWidth(), dest->getHeight())) return;
  if (y1 > y2) {
    const int t = y1;
    y1 = y2, y2 = t;
  }
  if (dash == 1 && gap == 1 && x1 == x2 && alpha == 1.0f && (mode & 0xff) == 0) {
    const ptrdiff_t span = dest->getRowSpan();
    PIX_pixel* p = dest->getBits() + static_cast<ptrdiff_t>(y1) * span + x1;
    for (int k = 0; k < (y2 - y1 + 1) / 2; ++k, p += 2 * span) *p = color;
    return;
  }
  if (x1 > x2) {
    const int t = x1;
    x1 = x2, x2 = t;
  }
  const int weight = PIX_WeightOf(alpha);
  PIX_WithStrokeOperator(mode & 0xff, weight, true, true, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    __PIX_LineClass<F>::DashedLine(dest, x1, y1, x2, y2, dash, gap, color, weight);
  });
}
