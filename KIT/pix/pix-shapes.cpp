// The trapezoid fill is the one primitive that touches pixels: its edges step
// in 16.16 fixed point, one integer addition per row. Polygons are cut into
// trapezoids between the rows of their vertices.
#include "KIT/pix/pix-shapes.h"

#include <algorithm>
#include <cstdlib>

#include "KIT/pix/pix-line.h"
#include "KIT/pix/pix-loops.h"
#include "KIT/pix/pix-rect.h"

namespace {

// One side of a trapezoid: its x (64 bits: a far-away top row can carry it
// a long way), the fraction accumulated in 1/65536 pixels, the step per row
// and its direction.
struct Edge {
  int64_t x;
  int64_t fraction;
  int64_t step;
  int direction;

  void Advance() {
    fraction += step;
    if (fraction >= 65536) {
      x += direction * (fraction >> 16);
      fraction &= 0xFFFF;
    }
  }
};

// Walks the rows of a clipped trapezoid and hands each row's column range
// [from, to) to span(row pointer, from, to); nothing for an empty range.
template <class Span>
void WalkTrapezoid(PIX_pixel* firstRow, ptrdiff_t span, int width, int rows, Edge left, Edge right,
                   Span spanFn) {
  if (left.step == 0 && right.step == 0) {
    const int64_t from = std::max<int64_t>(left.x, 0), to = std::min<int64_t>(right.x, width);
    if (from >= to) return;
    for (int r = 0; r < rows; ++r) spanFn(firstRow + r * span, static_cast<int>(from), static_cast<int>(to));
    return;
  }
  for (int r = 0; r < rows; ++r) {
    const int64_t from = std::max<int64_t>(left.x, 0), to = std::min<int64_t>(right.x, width);
    if (from < to) spanFn(firstRow + r * span, static_cast<int>(from), static_cast<int>(to));
    left.Advance();
    right.Advance();
  }
}

// Row fillers over a whole-word operator and over a combine operator.
template <class F>
struct _PIX_FillFast {
  static void FillClippedTrapezoidFAST(PIX_pixel* firstRow, ptrdiff_t span, int width, int rows,
                                       const Edge& left, const Edge& right, PIX_pixel color) {
    WalkTrapezoid(firstRow, span, width, rows, left, right, [color](PIX_pixel* row, int from, int to) {
      for (int x = from; x < to; ++x) row[x] = F::doPix(row[x], color);
    });
  }
};

template <class F>
struct _PIX_Fill {
  static void FillClippedTrapezoid(PIX_pixel* firstRow, ptrdiff_t span, int width, int rows, const Edge& left,
                                   const Edge& right, PIX_pixel color, int weight) {
    const int r = PIX_Red(color), g = PIX_Green(color), b = PIX_Blue(color), a = PIX_Alpha(color);
    WalkTrapezoid(firstRow, span, width, rows, left, right, [=](PIX_pixel* row, int from, int to) {
      for (int x = from; x < to; ++x) F::doPix(reinterpret_cast<unsigned char*>(row + x), r, g, b, a, weight);
    });
  }
};

Edge MakeEdge(int64_t topX, int64_t bottomX, double scale) {
  double step = static_cast<double>(bottomX - topX) * scale;
  if (step > 536870912.0) step = 536870912.0;
  if (step < -536870912.0) step = -536870912.0;
  const int64_t s = static_cast<int64_t>(step);
  return Edge{topX, 0, s < 0 ? -s : s, s < 0 ? -1 : 1};
}

}  // namespace

void PIX_FillTrapezoid(PIX_IBitmap* bm, int x1a, int x1b, int y1, int x2a, int x2b, int y2, PIX_pixel color,
                       float alpha, int mode) {
  if (!bm) return;
  if (y1 > y2) {
    std::swap(x1a, x2a);
    std::swap(x1b, x2b);
    std::swap(y1, y2);
  }
  int topLeft = std::min(x1a, x1b), topRight = std::max(x1a, x1b);
  int bottomLeft = std::min(x2a, x2b), bottomRight = std::max(x2a, x2b);
  if (y1 == y2) {
    // One row covers both spans.
    topLeft = bottomLeft = std::min(topLeft, bottomLeft);
    topRight = bottomRight = std::max(topRight, bottomRight);
  }
  const int width = bm->getWidth(), height = bm->getHeight();
  if (topRight < 0 && bottomRight < 0) return;
  if (topLeft >= width && bottomLeft >= width) return;
  int64_t top = y1;
  const int64_t bottom = y2;
  if (bottom < 0 || top >= height) return;
  // Edges wholly beyond a side of the bitmap become that side.
  const bool leftVertical = topLeft <= 0 && bottomLeft <= 0;
  const bool rightVertical = topRight >= width - 1 && bottomRight >= width - 1;
  const double scale = bottom == top ? 0.0 : 65536.0 / static_cast<double>(bottom - top);
  Edge left = leftVertical ? Edge{0, 0, 0, 1} : MakeEdge(topLeft, bottomLeft, scale);
  Edge right = rightVertical ? Edge{width - 1, 0, 0, 1} : MakeEdge(topRight, bottomRight, scale);
  if (top < 0) {
    // Start at row 0 exactly where stepping from the true top would be.
    for (Edge* e : {&left, &right}) {
      const int64_t travel = e->step * -top;
      e->x += e->direction * (travel / 65536);
      e->fraction = travel % 65536;
    }
    top = 0;
  }
  const int64_t last = std::min<int64_t>(bottom, height - 1);
  const int rows = static_cast<int>(last - top + 1);
  right.x += 1;  // exclusive from here on

  PIX_pixel* bits = bm->getBits();
  if (!bits || width < 1 || rows < 1) return;
  const ptrdiff_t span = bm->getRowSpan();
  PIX_pixel* firstRow = bits + top * span;
  const int weight = PIX_WeightOf(static_cast<double>(alpha));
  if (weight == 0) return;
  const int low = mode & 0xff;
  if (low == 0) {
    const bool done = PIX_WithCopyWordOperator(weight, [&](auto tag) {
      _PIX_FillFast<typename decltype(tag)::type>::FillClippedTrapezoidFAST(firstRow, span, width, rows, left,
                                                                            right, color);
    });
    if (done) return;
    // Channel bytes of the colour: the byte form serves weights below 256.
    if (weight > 0 && weight < 256)
      _PIX_Fill<_PIX_CombinePixelsCopyBytes>::FillClippedTrapezoid(firstRow, span, width, rows, left, right,
                                                                   color, weight);
    else if (weight > 0)
      _PIX_Fill<_PIX_CombinePixelsCopyNoClamp>::FillClippedTrapezoid(firstRow, span, width, rows, left, right,
                                                                     color, weight);
    return;
  }
  PIX_WithPlainOperator(low, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    _PIX_Fill<F>::FillClippedTrapezoid(firstRow, span, width, rows, left, right, color, weight);
  });
}

namespace {

struct Point {
  int x, y;
};

// Orders points by y, then by x, both ascending.
bool _ysort(const Point& a, const Point& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; }

// The next vertex of a polygon chain below points[start]: among the later
// points not on the start's row, the one with the smallest (direction -1) or
// largest (+1) slope dx / dy, the farthest of equal slopes; start when none.
int FindNextEdgeVertex(const Point* points, int start, int n, int direction) {
  int found = start;
  float lastSlope = 0.0f;
  for (int i = start + 1; i < n; ++i) {
    if (points[i].y == points[start].y) continue;
    const float slope =
        static_cast<float>(static_cast<double>(static_cast<int64_t>(points[i].x) - points[start].x) /
                           static_cast<double>(static_cast<int64_t>(points[i].y) - points[start].y));
    if (found == start || slope == lastSlope || (direction < 0 ? slope < lastSlope : slope > lastSlope)) {
      found = i;
      lastSlope = slope;
    }
  }
  return found;
}

// x of the edge from points a to b (a.y <= b.y) at row r.
int EdgeX(const Point& a, const Point& b, int64_t r) {
  if (r <= a.y) return a.x;
  if (r >= b.y) return b.x;
  const float slope = static_cast<float>(static_cast<int64_t>(b.x) - a.x) /
                      static_cast<float>(static_cast<int64_t>(b.y) - a.y);
  return PIX_TruncToInt(a.x + static_cast<double>(PIX_TruncToInt(static_cast<float>(r - a.y) * slope)));
}

}  // namespace

void PIX_FillConvexPolygon(PIX_IBitmap* bm, const int* x, const int* y, int npoints, PIX_pixel color,
                           float alpha, int mode) {
  if (!bm || !x || !y || npoints < 3) return;
  Point local[512];
  Point* points = local;
  if (npoints > 512) {
    points = static_cast<Point*>(malloc(sizeof(Point) * static_cast<size_t>(npoints)));
    if (!points) return;
  }
  const bool flipped = bm->isFlipped();
  const int height = bm->getHeight();
  for (int i = 0; i < npoints; ++i)
    points[i] = Point{x[i], flipped ? PIX_TruncToInt(static_cast<double>(height) - 1 - y[i]) : y[i]};
  std::sort(points, points + npoints, _ysort);
  const int n = npoints;

  if (points[0].y == points[n - 1].y) {
    // A polygon on one row: that row from the smallest to the largest x.
    if (points[0].y >= 0 && points[0].y < height)
      PIX_FillTrapezoid(bm, points[0].x, points[n - 1].x, points[0].y, points[0].x, points[n - 1].x,
                        points[0].y, color, alpha, mode);
  } else {
    int topEnd = 0;
    while (topEnd + 1 < n && points[topEnd + 1].y == points[0].y) ++topEnd;
    int leftStart = 0;
    while (leftStart + 1 <= topEnd && points[leftStart + 1].x == points[0].x) ++leftStart;
    int rightStart = topEnd;
    int leftNext = FindNextEdgeVertex(points, leftStart, n, -1);
    int rightNext = FindNextEdgeVertex(points, rightStart, n, 1);
    int64_t row = points[0].y;
    // Each pass advances at least the chain whose next vertex is highest, so
    // the loop ends after at most n passes.
    while (leftStart != leftNext || rightStart != rightNext) {
      const int bandEnd = std::min(points[leftNext].y, points[rightNext].y);
      PIX_FillTrapezoid(bm, EdgeX(points[leftStart], points[leftNext], row),
                        EdgeX(points[rightStart], points[rightNext], row), static_cast<int>(row),
                        EdgeX(points[leftStart], points[leftNext], bandEnd),
                        EdgeX(points[rightStart], points[rightNext], bandEnd), bandEnd, color, alpha, mode);
      if (points[leftNext].y == bandEnd) {
        leftStart = leftNext;
        leftNext = FindNextEdgeVertex(points, leftStart, n, -1);
      }
      if (points[rightNext].y == bandEnd) {
        rightStart = rightNext;
        rightNext = FindNextEdgeVertex(points, rightStart, n, 1);
      }
      row = static_cast<int64_t>(bandEnd) + 1;
    }
  }
  if (points != local) free(points);
}

void PIX_FillTriangle(PIX_IBitmap* bm, int x1, int y1, int x2, int y2, int x3, int y3, PIX_pixel color,
                      float alpha, int mode) {
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  PIX_FillConvexPolygon(bm, xs, ys, 3, color, alpha, mode);
}

void PIX_BorderedRect(PIX_IBitmap* bm, int x, int y, int w, int h, PIX_pixel bgcolor, PIX_pixel fgcolor,
                      float alpha, int mode) {
  PIX_FillRect(bm, x + 1, y + 1, w - 1, h - 1, bgcolor, alpha, mode);
  PIX_DrawRect(bm, x, y, w, h, fgcolor, alpha, mode);
}
