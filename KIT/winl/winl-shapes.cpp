#include "KIT/winl/winl-shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-line.h"
#include "KIT/pix/pix-rect.h"
#include "KIT/winl/winl-wnd-view.h"

namespace {

HGDIOBJ MakeColourObject(int type, int width, int colour, float alpha) {
  HGDIOBJ__* object = GDP_OBJECT_NEW();
  if (!object) return nullptr;
  object->type = type;
  object->width = std::max(width, 0);
  object->colour = WINL_Colour{true, ((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
                               (colour & 0xFF) / 255.0f, alpha};
  return object;
}

// Blends a colour over the pixels of the rectangle, clipped to the context.
void Fill(HDC hdc, RECT r, const WINL_Colour& colour) {
  WINL_GraphicsContext* gc = WINL_GetCtxGC(hdc);
  if (!gc || !gc->pixels) return;
  if (r.bottom < r.top) std::swap(r.top, r.bottom);
  const int l = std::max(r.left, gc->clip.left), t = std::max(r.top, gc->clip.top);
  const int rr = std::min(r.right, gc->clip.right), b = std::min(r.bottom, gc->clip.bottom);
  const float a = std::max(0.0f, std::min(1.0f, colour.alpha));
  const float channel[3] = {colour.red * 255.0f, colour.green * 255.0f, colour.blue * 255.0f};
  for (int y = t; y < b; ++y) {
    uint8_t* row = gc->pixels + static_cast<size_t>(y) * static_cast<size_t>(gc->rowBytes);
    for (int x = l; x < rr; ++x) {
      uint8_t* px = row + static_cast<size_t>(x) * 4;
      px[0] = 255;
      for (int c = 0; c < 3; ++c)
        px[c + 1] = static_cast<uint8_t>(channel[c] * a + px[c + 1] * (1.0f - a) + 0.5f);
    }
  }
}

// The clipped part of a context's surface as a bitmap of the raster
// library; drawing coordinates move by the clip's top-left corner.
class ClipBitmap : public PIX_IBitmap {
 public:
  explicit ClipBitmap(WINL_GraphicsContext* gc) : m_gc(gc) {}
  PIX_pixel* getBits() override {
    return reinterpret_cast<PIX_pixel*>(m_gc->pixels + static_cast<size_t>(m_gc->clip.top) * m_gc->rowBytes) +
           m_gc->clip.left;
  }
  int getWidth() override { return m_gc->clip.right - m_gc->clip.left; }
  int getHeight() override { return m_gc->clip.bottom - m_gc->clip.top; }
  int getRowSpan() override { return m_gc->rowBytes / 4; }
  bool resize(int, int) override { return false; }
  int dx() const { return -m_gc->clip.left; }
  int dy() const { return -m_gc->clip.top; }

 private:
  WINL_GraphicsContext* m_gc;
};

bool Usable(HGDIOBJ object, int type) { return WINL_IsLiveObject(object, type) && object->width >= 0; }

PIX_pixel PixelOf(const WINL_Colour& c) {
  return PIX_MakePixel(static_cast<int>(c.red * 255 + 0.5f), static_cast<int>(c.green * 255 + 0.5f),
                       static_cast<int>(c.blue * 255 + 0.5f), 255);
}

WINL_GraphicsContext* Drawable(HDC hdc) {
  WINL_GraphicsContext* gc = WINL_IsLiveContext(hdc) ? WINL_GetCtxGC(hdc) : nullptr;
  if (!gc || !gc->pixels || gc->clip.right <= gc->clip.left || gc->clip.bottom <= gc->clip.top)
    return nullptr;
  return gc;
}

// A line of the pen's width between two integer points.
void PenLine(HDC hdc, int x1, int y1, int x2, int y2) {
  WINL_GraphicsContext* gc = Drawable(hdc);
  if (!gc || !Usable(hdc->pen, WINL_OBJ_PEN)) return;
  ClipBitmap bitmap(gc);
  const int width = std::max(1, hdc->pen->width);
  const bool steep = std::abs(y2 - y1) > std::abs(x2 - x1);
  for (int k = 0; k < width; ++k) {
    const int o = k - (width - 1) / 2;  // across the major axis
    const int ox = steep ? o : 0, oy = steep ? 0 : o;
    int ax = x1 + ox + bitmap.dx(), ay = y1 + oy + bitmap.dy(), bx = x2 + ox + bitmap.dx(),
        by = y2 + oy + bitmap.dy();
    if (ax == bx && ay == by) {
      if (ax >= 0 && ay >= 0 && ax < bitmap.getWidth() && ay < bitmap.getHeight())
        PIX_FillRect(&bitmap, ax, ay, 1, 1, PixelOf(hdc->pen->colour), hdc->pen->colour.alpha, 0);
      continue;
    }
    PIX_Line(&bitmap, ax, ay, bx, by, PixelOf(hdc->pen->colour), hdc->pen->colour.alpha, 0, false);
  }
}

std::mutex g_dcLock;
std::map<HDC, WINL_GraphicsContext*>& OwnSurfaces() {
  static auto* surfaces = new std::map<HDC, WINL_GraphicsContext*>;
  return *surfaces;
}

}  // namespace

HGDIOBJ CreatePen(int, int width, int colour) { return MakeColourObject(WINL_OBJ_PEN, width, colour, 1.0f); }
HGDIOBJ CreatePenAlpha(int, int width, int colour, float alpha) {
  return MakeColourObject(WINL_OBJ_PEN, width, colour, alpha);
}
HGDIOBJ CreateSolidBrush(int colour) { return MakeColourObject(WINL_OBJ_BRUSH, 0, colour, 1.0f); }
HGDIOBJ CreateSolidBrushAlpha(int colour, float alpha) {
  return MakeColourObject(WINL_OBJ_BRUSH, 0, colour, alpha);
}

void WINL_FillRect(HDC hdc, const RECT* rect, HGDIOBJ brush) {
  if (!rect || !WINL_IsLiveContext(hdc) || !WINL_IsLiveObject(brush, WINL_OBJ_BRUSH) || brush->width < 0)
    return;
  Fill(hdc, *rect, brush->colour);
}

void WINL_FillDialogBackground(HDC hdc, const RECT* rect, int) {
  if (!rect || !WINL_IsLiveContext(hdc)) return;
  const int c = WINL_DIALOG_BACKGROUND;
  Fill(hdc, *rect,
       WINL_Colour{true, ((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f, 1.0f});
}

int GetSysColor(int index) {
  static const int kColours[10] = {0x606060, 0xE0E0E0, 0xC0C0C0, 0x000000, 0xC0C0C0,
                                   0x202020, 0x303030, 0xC0C0C0, 0xFFF0C8, 0x000000};
  return index >= 0 && index < 10 ? kColours[index] : 0;
}

void Rectangle(HDC hdc, int l, int t, int r, int b) {
  WINL_GraphicsContext* gc = Drawable(hdc);
  if (!gc) return;
  if (Usable(hdc->brush, WINL_OBJ_BRUSH)) {
    RECT fill{l, t, r, b};
    Fill(hdc, fill, hdc->brush->colour);
  }
  if (Usable(hdc->pen, WINL_OBJ_PEN)) {
    const int w = hdc->pen->width < 2 ? 1 : hdc->pen->width;
    const WINL_Colour c = hdc->pen->colour;
    Fill(hdc, RECT{l, t, r, std::min(b, t + w)}, c);
    Fill(hdc, RECT{l, std::max(t, b - w), r, b}, c);
    Fill(hdc, RECT{l, t + w, std::min(r, l + w), b - w}, c);
    Fill(hdc, RECT{std::max(l, r - w), t + w, r, b - w}, c);
  }
}

void MoveToEx(HDC hdc, int x, int y, POINT* old) {
  if (!WINL_IsLiveContext(hdc)) return;
  if (old) *old = POINT{static_cast<int32_t>(hdc->positionX), static_cast<int32_t>(hdc->positionY)};
  hdc->positionX = static_cast<float>(x);
  hdc->positionY = static_cast<float>(y);
}

void WINL_LineTo(HDC hdc, int x, int y) {
  if (!WINL_IsLiveContext(hdc)) return;
  if (Usable(hdc->pen, WINL_OBJ_PEN))
    PenLine(hdc, static_cast<int>(hdc->positionX), static_cast<int>(hdc->positionY), x, y);
  hdc->positionX = static_cast<float>(x);
  hdc->positionY = static_cast<float>(y);
}

void WINL_SetPixel(HDC hdc, int x, int y, int colour) {
  WINL_GraphicsContext* gc = Drawable(hdc);
  if (!gc || x < gc->clip.left || x >= gc->clip.right || y < gc->clip.top || y >= gc->clip.bottom) return;
  Fill(hdc, RECT{x, y, x + 1, y + 1},
       WINL_Colour{true, ((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
                   (colour & 0xFF) / 255.0f, 1.0f});
}

namespace {

// The columns of row y whose pixel centres lie inside the ellipse of the
// rectangle; false when the row misses it.
bool EllipseSpan(double cx, double cy, double rx, double ry, int y, int* lo, int* hi) {
  const double dy = (y + 0.5 - cy) / ry;
  if (dy * dy > 1.0) return false;
  const double half = rx * std::sqrt(1.0 - dy * dy);
  *lo = static_cast<int>(std::ceil(cx - half - 0.5));
  *hi = static_cast<int>(std::floor(cx + half - 0.5));
  return *lo <= *hi;
}

void FillSpan(HDC hdc, int y, int lo, int hi, const WINL_Colour& c) {
  if (lo <= hi) Fill(hdc, RECT{lo, y, hi + 1, y + 1}, c);
}

}  // namespace

void Ellipse(HDC hdc, int l, int t, int r, int b) {
  WINL_GraphicsContext* gc = Drawable(hdc);
  if (!gc) return;
  const bool brush = Usable(hdc->brush, WINL_OBJ_BRUSH), pen = Usable(hdc->pen, WINL_OBJ_PEN);
  if (!brush && !pen) return;
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  if (r == l || b == t) return;
  const double cx = (static_cast<double>(l) + r) / 2, cy = (static_cast<double>(t) + b) / 2;
  const double rx = (static_cast<double>(r) - l) / 2, ry = (static_cast<double>(b) - t) / 2;
  const int y0 = std::max(t, gc->clip.top), y1 = std::min(b, gc->clip.bottom);
  for (int y = y0; y < y1; ++y) {
    int lo, hi;
    if (!EllipseSpan(cx, cy, rx, ry, y, &lo, &hi)) continue;
    if (brush) FillSpan(hdc, y, lo, hi, hdc->brush->colour);
    if (!pen) continue;
    // Border pixels: the ends of the row and what the rows above and below
    // do not cover.
    int innerLo = lo + 1, innerHi = hi - 1, nlo, nhi;
    for (int ny : {y - 1, y + 1}) {
      if (EllipseSpan(cx, cy, rx, ry, ny, &nlo, &nhi)) {
        innerLo = std::max(innerLo, nlo);
        innerHi = std::min(innerHi, nhi);
      } else {
        innerLo = hi + 1;
        innerHi = hi;
      }
    }
    if (innerLo > innerHi) {
      FillSpan(hdc, y, lo, hi, hdc->pen->colour);
    } else {
      FillSpan(hdc, y, lo, innerLo - 1, hdc->pen->colour);
      FillSpan(hdc, y, innerHi + 1, hi, hdc->pen->colour);
    }
  }
}

void WINL_Polygon(HDC hdc, const POINT* points, int n) {
  WINL_GraphicsContext* gc = Drawable(hdc);
  if (!gc || !points || n < 2) return;
  const bool brush = Usable(hdc->brush, WINL_OBJ_BRUSH), pen = Usable(hdc->pen, WINL_OBJ_PEN);
  if (brush && n >= 3) {
    int top = points[0].y, bottom = points[0].y;
    for (int i = 1; i < n; ++i) {
      top = std::min(top, points[i].y);
      bottom = std::max(bottom, points[i].y);
    }
    top = std::max(top, gc->clip.top);
    bottom = std::min(bottom, gc->clip.bottom);
    std::vector<std::pair<double, int>> crossings;
    for (int y = top; y < bottom; ++y) {
      const double yc = y + 0.5;
      crossings.clear();
      for (int i = 0; i < n; ++i) {
        const POINT& a = points[i];
        const POINT& e = points[(i + 1) % n];
        if (a.y == e.y) continue;
        const bool down = e.y > a.y;
        const double ylo = down ? a.y : e.y, yhi = down ? e.y : a.y;
        if (yc < ylo || yc >= yhi) continue;
        const double x =
            a.x + (yc - a.y) * (static_cast<double>(e.x) - a.x) / (static_cast<double>(e.y) - a.y);
        crossings.emplace_back(x, down ? 1 : -1);
      }
      std::sort(crossings.begin(), crossings.end());
      int winding = 0;
      for (size_t k = 0; k + 1 < crossings.size(); ++k) {
        winding += crossings[k].second;
        if (winding == 0) continue;
        // Pixels whose centres lie between the two crossings.
        const double left = gc->clip.left - 1.0, right = gc->clip.right + 1.0;
        const double xa = std::min(right, std::max(left, crossings[k].first));
        const double xb = std::min(right, std::max(left, crossings[k + 1].first));
        const int lo = static_cast<int>(std::ceil(xa - 0.5)), hi = static_cast<int>(std::ceil(xb - 0.5)) - 1;
        FillSpan(hdc, y, lo, hi, hdc->brush->colour);
      }
    }
  }
  if (pen)
    for (int i = 0; i + 1 < n; ++i) PenLine(hdc, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y);
}

void RoundRect(HDC hdc, int l, int t, int r, int b, int w, int h) {
  const int dx = w / 3, dy = h / 3;
  const POINT points[10] = {{l, t + dy}, {l + dx, t}, {r - dx, t}, {r, t + dy}, {r, b - dy},
                            {r - dx, b}, {l + dx, b}, {l, b - dy}, {l, t + dy}, {l + dx, t}};
  WINL_Polygon(hdc, points, 10);
}

void PolyPolyline(HDC hdc, const POINT* points, const int* counts, int n) {
  if (!Drawable(hdc) || !points || !counts || n <= 0 || !Usable(hdc->pen, WINL_OBJ_PEN)) return;
  const POINT* p = points;
  for (int i = 0; i < n; ++i) {
    const int count = counts[i];
    if (count <= 0) continue;
    for (int k = 0; k + 1 < count; ++k) PenLine(hdc, p[k].x, p[k].y, p[k + 1].x, p[k + 1].y);
    p += count;
  }
}

void PolyBezierTo(HDC hdc, const POINT* points, int n) {
  if (!WINL_IsLiveContext(hdc) || !points || n <= 2 || !Usable(hdc->pen, WINL_OBJ_PEN)) return;
  double x0 = hdc->positionX, y0 = hdc->positionY;
  for (int i = 0; i + 3 <= n; i += 3) {
    const double x1 = points[i].x, y1 = points[i].y, x2 = points[i + 1].x, y2 = points[i + 1].y;
    const double x3 = points[i + 2].x, y3 = points[i + 2].y;
    // Segments of about two pixels along the control polygon.
    const double length =
        std::hypot(x1 - x0, y1 - y0) + std::hypot(x2 - x1, y2 - y1) + std::hypot(x3 - x2, y3 - y2);
    const int steps = static_cast<int>(std::min(1024.0, std::max(1.0, std::ceil(length / 2))));
    int px = static_cast<int>(std::lround(x0)), py = static_cast<int>(std::lround(y0));
    for (int s = 1; s <= steps; ++s) {
      const double u = static_cast<double>(s) / steps, v = 1 - u;
      const double x = v * v * v * x0 + 3 * v * v * u * x1 + 3 * v * u * u * x2 + u * u * u * x3;
      const double y = v * v * v * y0 + 3 * v * v * u * y1 + 3 * v * u * u * y2 + u * u * u * y3;
      const int qx = static_cast<int>(std::lround(x)), qy = static_cast<int>(std::lround(y));
      if (qx != px || qy != py || s == steps) PenLine(hdc, px, py, qx, qy);
      px = qx;
      py = qy;
    }
    x0 = x3;
    y0 = y3;
  }
  hdc->positionX = static_cast<float>(x0);
  hdc->positionY = static_cast<float>(y0);
}

HDC GetDC(WmObject* hwnd) {
  WmView* view = WINL_AsView(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
  if (!view) return nullptr;
  if (auto* layer = WINL_AsLayerView(view)) {
    PAINTSTRUCT ps;
    // A paint in progress hands out its own context (BeginPaint's record).
    if (BeginPaint(layer, &ps)) {
      WINL_PushClipRegion(ps.hdc);
      return ps.hdc;
    }
  }
  WmWindow* window = view->window();
  if (!window) return nullptr;
  if (window->PixelWidth() != static_cast<int>(window->frame().width) ||
      window->PixelHeight() != static_cast<int>(window->frame().height))
    window->DisplayAll();
  const WmPoint topLeft =
      view->ConvertTo(WmPoint{0, view->IsFlipped() ? 0.0 : view->frame().height}, nullptr);
  const int ox = static_cast<int>(topLeft.x), oy = window->PixelHeight() - static_cast<int>(topLeft.y);
  if (ox < 0 || oy < 0 || ox >= window->PixelWidth() || oy >= window->PixelHeight()) return nullptr;
  auto* surface = new WINL_GraphicsContext{};
  uint32_t* pixels = const_cast<uint32_t*>(window->Pixels().data());
  surface->pixels = reinterpret_cast<uint8_t*>(pixels + static_cast<size_t>(oy) * window->PixelWidth() + ox);
  surface->width = window->PixelWidth() - ox;
  surface->height = window->PixelHeight() - oy;
  surface->rowBytes = window->PixelWidth() * 4;
  surface->clip = RECT{0, 0, std::min(surface->width, static_cast<int>(view->frame().width)),
                       std::min(surface->height, static_cast<int>(view->frame().height))};
  surface->antialias = true;
  HDC hdc = WINL_CreateGfxContext(surface);
  if (!hdc) {
    delete surface;
    return nullptr;
  }
  WINL_PushClipRegion(hdc);
  std::lock_guard<std::mutex> lock(g_dcLock);
  OwnSurfaces()[hdc] = surface;
  return hdc;
}

HDC GetWindowDC(WmObject* hwnd) { return GetDC(hwnd); }

void ReleaseDC(WmObject*, HDC hdc) {
  if (!WINL_IsLiveContext(hdc)) return;
  WINL_PopClipRegion(hdc);
  WINL_GraphicsContext* surface = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_dcLock);
    auto it = OwnSurfaces().find(hdc);
    if (it == OwnSurfaces().end()) return;  // a paint context stays with its view
    surface = it->second;
    OwnSurfaces().erase(it);
  }
  WINL_DeleteGfxContext(hdc);
  delete surface;
}
