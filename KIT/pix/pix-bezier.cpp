#include "KIT/pix/pix-bezier.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "KIT/pix/pix-line.h"
#include "KIT/pix/pix-shapes.h"

namespace {

bool AllFinite(std::initializer_list<float> values) {
  for (float v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

float Distance(float x0, float y0, float x1, float y1) { return std::hypot(x1 - x0, y1 - y0); }

// Segments for a stretch of t of the given length along a polygon of the
// given length: at least 1, at most kBezierMaxSegments.
int SegmentCount(float polygonLength, float tRange, float tol) {
  if (!(tol > 0.0f)) tol = 1.0f;
  const double n = static_cast<double>(polygonLength) * tRange / tol;
  if (!(n >= 1.0)) return 1;
  return n >= kBezierMaxSegments ? kBezierMaxSegments : static_cast<int>(n);
}

// A cubic in power basis: p(t) = ((a t + b) t + c) t + p0 for x and y, the
// visible t range and its clipped end points, and its segment count.
struct Cubic {
  float ax, bx, cx, x0, ay, by, cy, y0;
  float tStart = 0.0f, tEnd = 1.0f;
  float xStart = 0.0f, yStart = 0.0f, xEnd = 0.0f, yEnd = 0.0f;
  float X(float t) const { return ((ax * t + bx) * t + cx) * t + x0; }
  float Y(float t) const { return ((ay * t + by) * t + cy) * t + y0; }
};

// Power-basis coefficients of the cubic with its end points ordered by x (or
// by y when byY), the t range clipped to 0 .. limit on that axis, and the
// segment count; 0 when nothing is visible. With byY the cubic is built with
// x and y exchanged, so callers read X as the row and Y as the column.
int CBezPrep(Cubic* c, float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3,
             float limit, float tol, bool byY) {
  if (byY) {
    std::swap(x0, y0);
    std::swap(x1, y1);
    std::swap(x2, y2);
    std::swap(x3, y3);
  }
  if (x0 > x3) {
    std::swap(x0, x3);
    std::swap(y0, y3);
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  if (x3 < 0.0f || x0 > limit) return 0;
  c->cx = 3.0f * (x1 - x0);
  c->bx = 3.0f * (x2 - x1) - c->cx;
  c->ax = x3 - x0 - c->cx - c->bx;
  c->x0 = x0;
  c->cy = 3.0f * (y1 - y0);
  c->by = 3.0f * (y2 - y1) - c->cy;
  c->ay = y3 - y0 - c->cy - c->by;
  c->y0 = y0;
  c->xStart = x0;
  c->yStart = y0;
  c->xEnd = x3;
  c->yEnd = y3;
  if (x0 < 0.0f) {
    c->yStart = PIX_CBezier_GetY(c->ax, c->bx, c->cx, c->x0, c->ay, c->by, c->cy, c->y0, 0.0f, &c->tStart);
    c->xStart = 0.0f;
  }
  if (x3 > limit) {
    c->yEnd = PIX_CBezier_GetY(c->ax, c->bx, c->cx, c->x0, c->ay, c->by, c->cy, c->y0, limit, &c->tEnd);
    c->xEnd = limit;
  }
  if (c->tEnd < c->tStart) return 0;
  const float length = Distance(x0, y0, x1, y1) + Distance(x1, y1, x2, y2) + Distance(x2, y2, x3, y3);
  return SegmentCount(length, c->tEnd - c->tStart, tol);
}

// Fills the strip between the piece (x1, y1)..(x2, y2) and row yfill.
void DoBezierFillSegment(PIX_IBitmap* bm, int x1, int y1, int x2, int y2, int yfill, PIX_pixel color,
                         float alpha, int mode) {
  if (x2 < x1) return;
  if (x2 == x1) {
    PIX_Line(bm, x1, y1, x1, yfill, color, alpha, mode, false);
    return;
  }
  if ((y1 >= yfill) == (y2 >= yfill) || y1 == yfill || y2 == yfill) {
    const int xs[4] = {x1, x2, x2, x1};
    const int ys[4] = {y1, y2, yfill, yfill};
    PIX_FillConvexPolygon(bm, xs, ys, 4, color, alpha, mode);
    return;
  }
  // The piece crosses the fill row: a triangle on each side.
  const int xc = x1 + static_cast<int>(static_cast<int64_t>(yfill - y1) * (x2 - x1) / (y2 - y1));
  PIX_FillTriangle(bm, x1, y1, xc, yfill, x1, yfill, color, alpha, mode);
  PIX_FillTriangle(bm, xc, yfill, x2, y2, x2, yfill, color, alpha, mode);
}

// The same with rows and columns exchanged: the strip between the piece
// (row y1, column x1)..(row y2, column x2) and column xfill.
void DoBezierFillSegmentX(PIX_IBitmap* bm, int y1, int x1, int y2, int x2, int xfill, PIX_pixel color,
                          float alpha, int mode) {
  if (y2 < y1) return;
  if (y2 == y1) {
    PIX_Line(bm, x1, y1, xfill, y1, color, alpha, mode, false);
    return;
  }
  if ((x1 >= xfill) == (x2 >= xfill) || x1 == xfill || x2 == xfill) {
    const int xs[4] = {x1, x2, xfill, xfill};
    const int ys[4] = {y1, y2, y2, y1};
    PIX_FillConvexPolygon(bm, xs, ys, 4, color, alpha, mode);
    return;
  }
  const int yc = y1 + static_cast<int>(static_cast<int64_t>(xfill - x1) * (y2 - y1) / (x2 - x1));
  PIX_FillTriangle(bm, x1, y1, xfill, yc, xfill, y1, color, alpha, mode);
  PIX_FillTriangle(bm, xfill, yc, x2, y2, xfill, y2, color, alpha, mode);
}

// Column-by-column (or, with byY, row-by-row) walk of a prepared cubic; each
// piece goes to the segment filler.
void FillCubic(PIX_IBitmap* bm, const Cubic& c, int n, int fill, PIX_pixel color, float alpha, int mode,
               bool byY) {
  auto piece = [&](int s1, int r1, int s2, int r2) {
    if (byY)
      DoBezierFillSegmentX(bm, s1, r1, s2, r2, fill, color, alpha, mode);
    else
      DoBezierFillSegment(bm, s1, r1, s2, r2, fill, color, alpha, mode);
  };
  const float dt = (c.tEnd - c.tStart) / n;
  int startColumn = static_cast<int>(c.xStart);
  int startRow = static_cast<int>(c.yStart + 0.5f);
  for (int k = 1; k <= n - 2; ++k) {
    const float t = c.tStart + k * dt;
    const int column = static_cast<int>(c.X(t));
    if (column < startColumn) continue;
    const int row = static_cast<int>(c.Y(t) + 0.5f);
    piece(startColumn, startRow, column, row);
    startColumn = column + 1;
    startRow = row;
  }
  const int lastColumn = static_cast<int>(c.xEnd - 1.0f);
  if (lastColumn >= startColumn) piece(startColumn, startRow, lastColumn, static_cast<int>(c.yEnd + 0.5f));
}

bool Drawable(PIX_IBitmap* bm) { return bm && bm->getBits() && bm->getWidth() > 0 && bm->getHeight() > 0; }

}  // namespace

float PIX_Bezier_GetY(float x0, float x1, float x2, float y0, float y1, float y2, float x, float* t) {
  float u;
  if (x <= x0) {
    u = 0.0f;
  } else if (x >= x2) {
    u = 1.0f;
  } else {
    const float a = x0 - 2.0f * x1 + x2;
    const float b = 2.0f * (x1 - x0);
    if (a == 0.0f) {
      u = b != 0.0f ? (x - x0) / b : 0.0f;
    } else {
      // A curve that bends back never reaching x: the vertex is the nearest t.
      const float discriminant = std::max(0.0f, b * b - 4.0f * a * (x0 - x));
      u = (std::sqrt(discriminant) - b) / (2.0f * a);
    }
    u = std::min(1.0f, std::max(0.0f, u));
  }
  if (t) *t = u;
  return y0 * (1.0f - u) * (1.0f - u) + 2.0f * y1 * u * (1.0f - u) + y2 * u * u;
}

float PIX_CBezier_GetY(float ax, float bx, float cx, float x0, float ay, float by, float cy, float y0,
                       float x, float* t) {
  auto X = [&](float u) { return ((ax * u + bx) * u + cx) * u + x0; };
  auto Y = [&](float u) { return ((ay * u + by) * u + cy) * u + y0; };
  float lo = 0.0f, hi = 1.0f;
  for (int i = 0; i < 8; ++i) {
    const float mid = 0.5f * (lo + hi);
    if (X(mid) < x)
      lo = mid;
    else
      hi = mid;
  }
  const float xlo = X(lo), xhi = X(hi);
  const float f = xhi != xlo ? std::min(1.0f, std::max(0.0f, (x - xlo) / (xhi - xlo))) : 0.0f;
  const float u = lo + f * (hi - lo);
  if (t) *t = u;
  return Y(lo) + f * (Y(hi) - Y(lo));
}

void PIX_DrawQBezier(PIX_IBitmap* bm, float xstart, float ystart, float xctl, float yctl, float xend,
                     float yend, PIX_pixel color, float alpha, int mode, bool aa, float tol) {
  if (!Drawable(bm) || !AllFinite({xstart, ystart, xctl, yctl, xend, yend})) return;
  if (xstart > xend) {
    std::swap(xstart, xend);
    std::swap(ystart, yend);
  }
  const float right = static_cast<float>(bm->getWidth() - 1);
  if (xend < 0.0f || xstart > right) return;
  float tStart = 0.0f, tEnd = 1.0f;
  float x0 = xstart, y0 = ystart, x2 = xend, y2 = yend;
  if (x0 < 0.0f) {
    y0 = PIX_Bezier_GetY(xstart, xctl, xend, ystart, yctl, yend, 0.0f, &tStart);
    x0 = 0.0f;
  }
  if (x2 > right) {
    y2 = PIX_Bezier_GetY(xstart, xctl, xend, ystart, yctl, yend, right, &tEnd);
    x2 = right;
  }
  if (tEnd < tStart) return;
  const int n = SegmentCount(Distance(xstart, ystart, xctl, yctl) + Distance(xctl, yctl, xend, yend),
                             tEnd - tStart, tol);
  const float dt = (tEnd - tStart) / n;
  float px = x0, py = y0;
  for (int k = 1; k <= n - 1; ++k) {
    const float t = tStart + k * dt;
    const float u = 1.0f - t;
    const float qx = u * u * xstart + 2.0f * u * t * xctl + t * t * xend;
    const float qy = u * u * ystart + 2.0f * u * t * yctl + t * t * yend;
    PIX_FLine(bm, px, py, qx, qy, color, alpha, mode, aa);
    px = qx;
    py = qy;
  }
  PIX_FLine(bm, px, py, x2, y2, color, alpha, mode, aa);
}

void PIX_DrawCBezier(PIX_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                     float yctl2, float xend, float yend, PIX_pixel color, float alpha, int mode, bool aa,
                     float tol) {
  if (!Drawable(bm) || !AllFinite({xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend})) return;
  Cubic c;
  const int n = CBezPrep(&c, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend,
                         static_cast<float>(bm->getWidth()), tol, false);
  if (n == 0) return;
  const float dt = (c.tEnd - c.tStart) / n;
  float px = c.xStart, py = c.yStart;
  for (int k = 1; k <= n - 2; ++k) {
    const float t = c.tStart + k * dt;
    const float qx = c.X(t), qy = c.Y(t);
    PIX_FLine(bm, px, py, qx, qy, color, alpha, mode, aa);
    px = qx;
    py = qy;
  }
  PIX_FLine(bm, px, py, c.xEnd, c.yEnd, color, alpha, mode, aa);
}

void PIX_FillCBezier(PIX_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                     float yctl2, float xend, float yend, int yfill, PIX_pixel color, float alpha, int mode,
                     float tol) {
  if (!Drawable(bm) || !AllFinite({xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend})) return;
  Cubic c;
  const int n = CBezPrep(&c, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend,
                         static_cast<float>(bm->getWidth()), tol, false);
  if (n > 0) FillCubic(bm, c, n, yfill, color, alpha, mode, false);
}

void PIX_FillCBezierX(PIX_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, int xfill, PIX_pixel color, float alpha, int mode,
                      float tol) {
  if (!Drawable(bm) || !AllFinite({xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend})) return;
  Cubic c;
  const int n = CBezPrep(&c, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend,
                         static_cast<float>(bm->getHeight()), tol, true);
  if (n > 0) FillCubic(bm, c, n, xfill, color, alpha, mode, true);
}
