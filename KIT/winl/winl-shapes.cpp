#include "KIT/winl/winl-shapes.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

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
