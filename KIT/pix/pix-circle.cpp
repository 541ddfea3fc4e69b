// The circle engine: one drawer per combine operator with an anti-aliased and
// an aliased algorithm, and the four round shapes built on it.
#include "KIT/pix/pix-circle.h"

#include <cmath>

#include "KIT/pix/pix-glyph.h"
#include "KIT/pix/pix-line-impl.h"
#include "KIT/pix/pix-line.h"

namespace {

// Coverage masks of the small outlines, 2r + 1 pixels square, rows top to
// bottom; "Smooth" for anti-aliased drawing, "Plain" for aliased.
const uint8_t kSmooth1_5[16] = {
    0x4f, 0xff, 0xff, 0x4f, 0xff, 0x0f, 0x0f, 0xff, 0xff, 0x0f, 0x0f, 0xff, 0x4f, 0xff, 0xff, 0x4f,
};
const uint8_t kPlain1_5[16] = {
    0x00, 0xff, 0xff, 0x00, 0xff, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0xff, 0x00, 0xff, 0xff, 0x00,
};
const uint8_t kSmooth2_0[25] = {
    0x0f, 0xbf, 0xff, 0xbf, 0x0f, 0xbf, 0xd1, 0x4f, 0xd1, 0xbf, 0xff, 0x4f, 0x00,
    0x4f, 0xff, 0xbf, 0xd1, 0x4f, 0xd1, 0xbf, 0x0f, 0xbf, 0xff, 0xbf, 0x0f,
};
const uint8_t kPlain2_0[25] = {
    0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0xff, 0x00, 0xff, 0x00, 0x00,
    0x00, 0xff, 0x00, 0xff, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00,
};
const uint8_t kSmooth2_5[36] = {
    0x0f, 0xbf, 0xff, 0xff, 0xbf, 0x0f, 0xbf, 0xd1, 0x4f, 0x4f, 0xd1, 0xbf,
    0xff, 0x4f, 0x00, 0x00, 0x4f, 0xff, 0xff, 0x4f, 0x00, 0x00, 0x4f, 0xff,
    0xbf, 0xd1, 0x4f, 0x4f, 0xd1, 0xbf, 0x0f, 0xbf, 0xff, 0xff, 0xbf, 0x0f,
};
const uint8_t kPlain2_5[36] = {
    0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0xff, 0x00,
    0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff,
    0x00, 0xff, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00,
};
const uint8_t kSmooth3_0[49] = {
    0x00, 0x8f, 0xff, 0xff, 0xff, 0x8f, 0x00, 0x8f, 0xff, 0x61, 0x40, 0x61, 0xff, 0x8f, 0xff, 0x70, 0x00,
    0x00, 0x00, 0x70, 0xff, 0xff, 0x30, 0x00, 0x00, 0x00, 0x30, 0xff, 0xff, 0x70, 0x00, 0x00, 0x00, 0x70,
    0xff, 0x8f, 0xff, 0x61, 0x40, 0x61, 0xff, 0x8f, 0x00, 0x8f, 0xff, 0xff, 0xff, 0x8f, 0x00,
};
const uint8_t kPlain3_0[49] = {
    0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0xff, 0x00, 0x00,
    0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00,
    0xff, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00,
};
const uint8_t kSmooth3_5[64] = {
    0x00, 0x4f, 0xde, 0xff, 0xff, 0xde, 0x4f, 0x00, 0x4f, 0xff, 0xb0, 0x40, 0x40, 0xb0, 0xff, 0x4f,
    0xde, 0xb0, 0x00, 0x00, 0x00, 0x00, 0xb0, 0xde, 0xff, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0xff,
    0xff, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0xff, 0xde, 0xb0, 0x00, 0x00, 0x00, 0x00, 0xb0, 0xde,
    0x4f, 0xff, 0xb0, 0x40, 0x40, 0xb0, 0xff, 0x4f, 0x00, 0x4f, 0xde, 0xff, 0xff, 0xde, 0x4f, 0x00,
};
const uint8_t kPlain3_5[64] = {
    0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0xff, 0xff, 0x00,
    0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff,
    0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff,
    0x00, 0xff, 0xff, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00,
};
const uint8_t kSmooth4_0[81] = {
    0x00, 0x1f, 0xb0, 0xff, 0xff, 0xff, 0xb0, 0x1f, 0x00, 0x1f, 0xf0, 0xd1, 0x4f, 0x40, 0x4f, 0xd1, 0xf0,
    0x1f, 0xb0, 0xd1, 0x0f, 0x00, 0x00, 0x00, 0x0f, 0xd1, 0xb0, 0xff, 0x4f, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x4f, 0xff, 0xff, 0x30, 0x00, 0x00, 0x00, 0x00, 0x00, 0x30, 0xff, 0xff, 0x4f, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x4f, 0xff, 0xb0, 0xd1, 0x0f, 0x00, 0x00, 0x00, 0x0f, 0xd1, 0xb0, 0x1f, 0xf0, 0xd1, 0x4f, 0x40,
    0x4f, 0xd1, 0xf0, 0x1f, 0x00, 0x1f, 0xb0, 0xff, 0xff, 0xff, 0xb0, 0x1f, 0x00,
};
const uint8_t kPlain4_0[81] = {
    0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff,
    0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0xff, 0xff, 0x00, 0x00,
    0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00,
};

struct SmallCircle {
  float radius;
  int size;
  const uint8_t* smooth;
  const uint8_t* plain;
};
const SmallCircle kSmallCircles[] = {
    {1.5f, 4, kSmooth1_5, kPlain1_5}, {2.0f, 5, kSmooth2_0, kPlain2_0}, {2.5f, 6, kSmooth2_5, kPlain2_5},
    {3.0f, 7, kSmooth3_0, kPlain3_0}, {3.5f, 8, kSmooth3_5, kPlain3_5}, {4.0f, 9, kSmooth4_0, kPlain4_0},
};

// Radii beyond this are not drawn: no window is that large, and the octant
// walks would otherwise take seconds.
const float kMaxRadius = 65536.0f;

const float kPi = 3.1415927f;
const float kTwoPi = 6.2831855f;
const float kHalfPi = 1.5707964f;

// Where a circle's pixels go: the pixel array, its row span, the clip
// (right and bottom exclusive) and whether to test against it, and the
// colour's channels. Without the clip every pixel is known to be inside.
struct CircleTarget {
  PIX_pixel* bits;
  ptrdiff_t span;
  RECT clip;
  bool useClip;
  int r, g, b, a;
};

}  // namespace

// The circle drawer over operator F. Coordinates are memory rows: callers
// mirror the centre of a flipped bitmap first.
template <class F>
struct _PIX_CircleDrawer {
  static void DrawClippedPt(const CircleTarget& t, int x, int y, int weight) {
    if (t.useClip && (x < t.clip.left || x >= t.clip.right || y < t.clip.top || y >= t.clip.bottom)) return;
    F::doPix(reinterpret_cast<unsigned char*>(t.bits + y * t.span + x), t.r, t.g, t.b, t.a, weight);
  }
  // Column x from y1 to y2, both included.
  static void DrawClippedVertLine(const CircleTarget& t, int x, int y1, int y2, int weight) {
    if (t.useClip) {
      if (x < t.clip.left || x >= t.clip.right) return;
      if (y1 < t.clip.top) y1 = t.clip.top;
      if (y2 > t.clip.bottom - 1) y2 = t.clip.bottom - 1;
    }
    for (int y = y1; y <= y2; ++y)
      F::doPix(reinterpret_cast<unsigned char*>(t.bits + y * t.span + x), t.r, t.g, t.b, t.a, weight);
  }
  // Row y from x1 to x2, both included.
  static void DrawClippedHorzLine(const CircleTarget& t, int y, int x1, int x2, int weight) {
    if (t.useClip) {
      if (y < t.clip.top || y >= t.clip.bottom) return;
      if (x1 < t.clip.left) x1 = t.clip.left;
      if (x2 > t.clip.right - 1) x2 = t.clip.right - 1;
    }
    PIX_pixel* row = t.bits + y * t.span;
    for (int x = x1; x <= x2; ++x)
      F::doPix(reinterpret_cast<unsigned char*>(row + x), t.r, t.g, t.b, t.a, weight);
  }

  // The four points at distance d straight above, right, below and left of
  // the centre.
  static void DrawAxisPoints(const CircleTarget& t, int xc, int yc, int d, int weight) {
    DrawClippedPt(t, xc, yc - d, weight);
    DrawClippedPt(t, xc + d, yc, weight);
    DrawClippedPt(t, xc, yc + d, weight);
    DrawClippedPt(t, xc - d, yc, weight);
  }
  // The disc's centre column and row out to R, the centre pixel once.
  static void DrawCentreSpans(const CircleTarget& t, int xc, int yc, int R, int weight) {
    DrawClippedVertLine(t, xc, yc - R, yc - 1, weight);
    DrawClippedVertLine(t, xc, yc + 1, yc + R, weight);
    DrawClippedHorzLine(t, yc, xc - R, xc + R, weight);
  }
  // The disc's spans at offset i whose far end is e: columns xc - i and
  // xc + i stop short of the diagonal, rows yc - i and yc + i start on it,
  // so that every pixel is blended once.
  static void DrawOffsetSpans(const CircleTarget& t, int xc, int yc, int i, int e, int weight) {
    DrawClippedVertLine(t, xc - i, yc - e, yc - i - 1, weight);
    DrawClippedVertLine(t, xc - i, yc + i + 1, yc + e, weight);
    DrawClippedVertLine(t, xc + i, yc - e, yc - i - 1, weight);
    DrawClippedVertLine(t, xc + i, yc + i + 1, yc + e, weight);
    DrawClippedHorzLine(t, yc - i, xc - e, xc - i, weight);
    DrawClippedHorzLine(t, yc - i, xc + i, xc + e, weight);
    DrawClippedHorzLine(t, yc + i, xc - e, xc - i, weight);
    DrawClippedHorzLine(t, yc + i, xc + i, xc + e, weight);
  }

  // Midpoint circle of radius (int)(r + 0.5), every pixel at the weight.
  static void DrawClippedCircle(const CircleTarget& t, float cx, float cy, float r, int weight, bool filled) {
    const int xc = static_cast<int>(cx + 0.5), yc = static_cast<int>(cy + 0.5);
    const int R = static_cast<int>(r + 0.5);
    if (filled)
      DrawCentreSpans(t, xc, yc, R, weight);
    else
      DrawAxisPoints(t, xc, yc, R, weight);
    if (R <= 1) return;
    int y = R, e = -R;
    for (int x = 1;; ++x) {
      if (e >= 0) {
        --y;
        e -= 2 * y;
      }
      e += 2 * x + 1;
      if (filled) {
        DrawOffsetSpans(t, xc, yc, x, y, weight);
      } else {
        DrawClippedPt(t, xc - x, yc - y, weight);
        DrawClippedPt(t, xc - x, yc + y, weight);
        DrawClippedPt(t, xc + x, yc - y, weight);
        DrawClippedPt(t, xc + x, yc + y, weight);
        if (x != y) {
          DrawClippedPt(t, xc - y, yc - x, weight);
          DrawClippedPt(t, xc - y, yc + x, weight);
          DrawClippedPt(t, xc + y, yc - x, weight);
          DrawClippedPt(t, xc + y, yc + x, weight);
        }
      }
      if (!(x + 1 < y)) break;
    }
  }

  // Anti-aliased circle: at each whole offset i from the centre the exact
  // extent d = sqrt(r^2 - i^2) splits the weight between the pixel at
  // (int)d and the one beyond it.
  static void DrawClippedCircleAA(const CircleTarget& t, float cx, float cy, float r, int weight,
                                  bool filled) {
    const int xc = static_cast<int>(cx + 0.5), yc = static_cast<int>(cy + 0.5);
    const int R = static_cast<int>(r);
    const int w0 = static_cast<int>((r - std::floor(r)) * static_cast<float>(weight));
    DrawAxisPoints(t, xc, yc, R + 1, w0);
    if (filled)
      DrawCentreSpans(t, xc, yc, R, weight);
    else
      DrawAxisPoints(t, xc, yc, R, weight - w0);
    const float r2 = r * r;
    for (int i = 1;; ++i) {
      // Below a radius of one, and past the radius, r^2 - i^2 turns
      // negative: there is no further step (its square root is no number).
      const double rest = static_cast<double>(r2) - static_cast<double>(i) * i;
      if (rest < 0) break;
      const double d = std::sqrt(rest);
      const int n = static_cast<int>(d + 0.5);
      if (!(i - 1 < n)) break;
      const int Y = static_cast<int>(d);
      const int w = static_cast<int>((d - std::floor(d)) * weight);
      const bool octantEdge = i == n;  // the 45-degree point: its mirror is itself
      DrawClippedPt(t, xc - i, yc - Y - 1, w);
      DrawClippedPt(t, xc - i, yc + Y + 1, w);
      DrawClippedPt(t, xc + i, yc - Y - 1, w);
      DrawClippedPt(t, xc + i, yc + Y + 1, w);
      if (!octantEdge) {
        DrawClippedPt(t, xc - Y - 1, yc - i, w);
        DrawClippedPt(t, xc + Y + 1, yc - i, w);
        DrawClippedPt(t, xc - Y - 1, yc + i, w);
        DrawClippedPt(t, xc + Y + 1, yc + i, w);
      }
      if (filled) {
        DrawOffsetSpans(t, xc, yc, i, Y, weight);
      } else {
        DrawClippedPt(t, xc - Y, yc - i, weight - w);
        DrawClippedPt(t, xc + Y, yc - i, weight - w);
        DrawClippedPt(t, xc - i, yc + Y, weight - w);
        DrawClippedPt(t, xc + i, yc + Y, weight - w);
        if (!octantEdge) {
          DrawClippedPt(t, xc - i, yc - Y, weight - w);
          DrawClippedPt(t, xc + i, yc - Y, weight - w);
          DrawClippedPt(t, xc - Y, yc + i, weight - w);
          DrawClippedPt(t, xc + Y, yc + i, weight - w);
        }
      }
      if (octantEdge) break;
    }
  }
};

namespace {

// Picks the drawer for the mode and weight and draws the circle around
// (cx, cy) in memory rows. The caller has checked the bitmap, that r is a
// number from 0 to kMaxRadius and that the centre is finite.
void __DrawCircleClipped(PIX_IBitmap* bm, float cx, float cy, float r, PIX_pixel color, int weight, bool aa,
                         bool filled, int mode, const RECT& clip, bool useClip) {
  // The circle's box, reach of the anti-aliased fringe included, must meet
  // the clip; this also keeps every coordinate far from int overflow.
  const RECT area = useClip ? clip : RECT{0, 0, bm->getWidth(), bm->getHeight()};
  if (cx + r + 2 < area.left || cx - r - 2 >= area.right || cy + r + 2 < area.top ||
      cy - r - 2 >= area.bottom)
    return;
  const CircleTarget target = {bm->getBits(),   bm->getRowSpan(), clip,
                               useClip,         PIX_Red(color),   PIX_Green(color),
                               PIX_Blue(color), PIX_Alpha(color)};
  PIX_WithStrokeOperator(mode & 0xff, weight, !aa, !aa, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    if (aa)
      _PIX_CircleDrawer<F>::DrawClippedCircleAA(target, cx, cy, r, weight, filled);
    else
      _PIX_CircleDrawer<F>::DrawClippedCircle(target, cx, cy, r, weight, filled);
  });
}

bool HasPixels(PIX_IBitmap* bm) {
  return bm && bm->getBits() && bm->getWidth() > 0 && bm->getHeight() > 0 && bm->getRowSpan() > 0;
}

// The whole outline or disc, clipped to the bitmap only when it comes within
// two pixels of an edge.
void DrawCircle(PIX_IBitmap* bm, float cx, float cy, float r, PIX_pixel color, float alpha, int mode, bool aa,
                bool filled) {
  if (!HasPixels(bm)) return;
  const int width = bm->getWidth(), height = bm->getHeight();
  if (bm->isFlipped()) cy = static_cast<float>(height - 1) - cy;
  const int weight = PIX_WeightOf(alpha);
  if (weight == 0) return;
  if (!(r >= 0 && r <= kMaxRadius) || !std::isfinite(cx) || !std::isfinite(cy)) return;
  const bool inside = cx - r - 2 >= 0 && cy - r - 2 >= 0 && cx + r + 2 < width && cy + r + 2 < height;
  __DrawCircleClipped(bm, cx, cy, r, color, weight, aa, filled, mode, RECT{0, 0, width, height}, !inside);
}

// The pixel of the outline at angle a (radians, clockwise from the top).
POINT ArcPoint(double a, float cx, float cy, float r) {
  return POINT{PIX_TruncToInt(r * std::sin(a) + cx + 0.5), PIX_TruncToInt(cy - r * std::cos(a) + 0.5)};
}

}  // namespace

void PIX_FillCircle(PIX_IBitmap* bm, float cx, float cy, float r, PIX_pixel color, float alpha, int mode,
                    bool aa) {
  DrawCircle(bm, cx, cy, r, color, alpha, mode, aa, true);
}

void PIX_Circle(PIX_IBitmap* bm, float cx, float cy, float r, PIX_pixel color, float alpha, int mode,
                bool aa) {
  for (const SmallCircle& small : kSmallCircles) {
    if (r != small.radius) continue;
    if (!std::isfinite(cx) || !std::isfinite(cy)) return;
    PIX_DrawGlyph(bm, PIX_TruncToInt(cx - r), PIX_TruncToInt(cy - r), color, aa ? small.smooth : small.plain,
                  small.size, small.size, alpha, mode);
    return;
  }
  DrawCircle(bm, cx, cy, r, color, alpha, mode, aa, false);
}

void PIX_Arc(PIX_IBitmap* bm, float cx, float cy, float r, float minAngle, float maxAngle, PIX_pixel color,
             float alpha, int mode, bool aa) {
  if (!HasPixels(bm)) return;
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(minAngle) || !std::isfinite(maxAngle))
    return;
  if (!(r >= 0 && r <= kMaxRadius)) return;
  const int width = bm->getWidth(), height = bm->getHeight();
  float centreY = cy, a1 = minAngle, a2 = maxAngle;
  if (bm->isFlipped()) {
    centreY = static_cast<float>(height - 1) - cy;
    a1 = kPi - a1;
    a2 = kPi - a2;
  }
  float lo = a1 < a2 ? a1 : a2, hi = a1 < a2 ? a2 : a1;
  // A whole turn: the circle mirrors the caller's centre itself.
  if (hi - lo >= kTwoPi) return PIX_Circle(bm, cx, cy, r, color, alpha, mode, aa);
  if (hi >= kTwoPi) {
    const float turned = std::fmod(hi, kTwoPi);
    lo -= hi - turned;
    hi = turned;
  } else if (lo <= -kTwoPi) {
    const float turned = std::fmod(lo, kTwoPi);
    hi -= lo - turned;
    lo = turned;
  }
  const int weight = PIX_WeightOf(alpha);
  if (weight == 0) return;
  const double quarter = kHalfPi;
  double a = static_cast<double>(lo) + kTwoPi;
  const double end = static_cast<double>(hi) + kTwoPi;
  if (a >= end) return;
  // Quarter by quarter: the whole outline is drawn under a clip that keeps
  // only the pixels between the segment's two end points.
  POINT p0 = ArcPoint(a, cx, centreY, r);
  double segmentEnd = a - std::fmod(a, quarter) + quarter;
  for (int segment = 0; segment < 8; ++segment) {
    if (segmentEnd > end) segmentEnd = end;
    const POINT p1 = ArcPoint(segmentEnd, cx, centreY, r);
    const int maxX = p0.x > p1.x ? p0.x : p1.x, maxY = p0.y > p1.y ? p0.y : p1.y;
    const int minX = p0.x < p1.x ? p0.x : p1.x, minY = p0.y < p1.y ? p0.y : p1.y;
    const int64_t right = int64_t{maxX} + (static_cast<float>(maxX) == cx ? 0 : 1);
    const int64_t bottom = int64_t{maxY} + (static_cast<float>(maxY) == centreY ? 0 : 1);
    const RECT clip = {minX > 0 ? minX : 0, minY > 0 ? minY : 0,
                       static_cast<int>(right < width ? right : width),
                       static_cast<int>(bottom < height ? bottom : height)};
    if (clip.left < clip.right && clip.top < clip.bottom)
      __DrawCircleClipped(bm, cx, centreY, r, color, weight, aa, false, mode, clip, true);
    p0 = p1;
    if (segmentEnd >= end) break;
    segmentEnd += quarter;
  }
}

void PIX_RoundRect(PIX_IBitmap* bm, float x, float y, float w, float h, int cornerRadius, PIX_pixel color,
                   float alpha, int mode, bool aa) {
  auto T = [](float v) { return PIX_TruncToInt(v); };
  const int x0 = T(x), y0 = T(y);
  if (cornerRadius > 0) {
    float c = static_cast<float>(cornerRadius);
    if (c > w * 0.5f) c = w * 0.5f;
    if (c > h * 0.5f) c = h * 0.5f;
    c = std::floor(c);
    if (c >= 2) {
      PIX_Line(bm, T(x + c), y0, T(x + w - c), y0, color, alpha, mode, aa);
      PIX_Line(bm, T(x + c - 1), T(y + h), T(x + w - c), T(y + h), color, alpha, mode, aa);
      PIX_Line(bm, T(x + w), T(y + c), T(x + w), T(y + h - c), color, alpha, mode, aa);
      PIX_Line(bm, x0, T(y + c - 1), x0, T(y + h - c), color, alpha, mode, aa);
      PIX_Arc(bm, x + c, y + c, c, -kHalfPi, 0, color, alpha, mode, aa);
      PIX_Arc(bm, x + w - c, y + c, c, 0, kHalfPi, color, alpha, mode, aa);
      PIX_Arc(bm, x + w - c, y + h - c, c, kHalfPi, kPi, color, alpha, mode, aa);
      PIX_Arc(bm, x + c, y + h - c, c, kPi, kPi + kHalfPi, color, alpha, mode, aa);
      return;
    }
  }
  PIX_DrawRect(bm, x0, y0, T(w), T(h), color, alpha, mode);
}
