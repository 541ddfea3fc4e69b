// Shapes, compositing and text of the generator's drawing surface.
#include "tools/imggen/canvas.h"

#include <map>
#include <tuple>

#include "KIT/pix/pix-blit.h"
#include "KIT/pix/pix-font.h"
#include "KIT/pix/pix-rect.h"
#include "KIT/winl/winl-font.h"

namespace imggen {

Rgba mix(Rgba a, Rgba b, float t) {
  return Rgba{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Canvas::Canvas(int w, int h) : m_width(w), m_height(h), m_bitmap(new PIX_MemBitmap(w, h, 0)) {
  PIX_Clear(m_bitmap.get(), 0);
}

void Canvas::clear(Rgba c) {
  const int alpha = int(std::lround(std::min(1.0f, std::max(0.0f, c.a)) * 255.0f));
  PIX_Clear(
      m_bitmap.get(),
      alpha ? PIX_MakePixel(int(std::lround(c.r)), int(std::lround(c.g)), int(std::lround(c.b)), alpha) : 0);
}

void Canvas::fillRows(int y0, int y1, Rgba (*colourOf)(float t), float t0, float t1) {
  for (int y = std::max(0, y0); y < std::min(m_height, y1); ++y) {
    const float t = t0 + (t1 - t0) * (y + 0.5f - y0) / float(y1 - y0);
    const Rgba c = colourOf(t);
    for (int x = 0; x < m_width; ++x) blend(x, y, c, 1.0f);
  }
}

void Canvas::blend(int x, int y, Rgba c, float coverage) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  PIX_pixel* p = m_bitmap->getBits() + y * m_bitmap->getRowSpan() + x;
  const float sa = std::min(1.0f, std::max(0.0f, c.a * coverage));
  if (sa <= 0.0f) return;
  if (sa >= 1.0f) {
    *p = PIX_MakePixel(int(std::lround(c.r)), int(std::lround(c.g)), int(std::lround(c.b)), 255);
    return;
  }
  const float da = PIX_Alpha(*p) / 255.0f;
  const float oa = sa + da * (1.0f - sa);
  const float keep = da * (1.0f - sa);
  auto channel = [&](float s, int d) {
    const float v = (s * sa + d * keep) / oa;
    return int(std::lround(std::min(255.0f, std::max(0.0f, v))));
  };
  *p = PIX_MakePixel(channel(c.r, PIX_Red(*p)), channel(c.g, PIX_Green(*p)), channel(c.b, PIX_Blue(*p)),
                     int(std::lround(oa * 255.0f)));
}

float roundRectDistance(float px, float py, float x, float y, float w, float h, float r) {
  r = std::min(r, std::min(w, h) * 0.5f);
  const float hx = w * 0.5f, hy = h * 0.5f;
  const float qx = std::fabs(px - (x + hx)) - (hx - r), qy = std::fabs(py - (y + hy)) - (hy - r);
  const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

float segmentDistance(float px, float py, float x0, float y0, float x1, float y1) {
  const float dx = x1 - x0, dy = y1 - y0;
  const float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0f;
  t = std::min(1.0f, std::max(0.0f, t));
  const float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

void Canvas::fillRoundRect(float x, float y, float w, float h, float r, Rgba c) {
  shade(
      x, y, x + w, y + h, [&](float px, float py) { return roundRectDistance(px, py, x, y, w, h, r); },
      [&](float, float) { return c; });
}

void Canvas::fillRoundRectV(float x, float y, float w, float h, float r, Rgba top, Rgba bottom) {
  shade(
      x, y, x + w, y + h, [&](float px, float py) { return roundRectDistance(px, py, x, y, w, h, r); },
      [&](float, float py) { return mix(top, bottom, std::min(1.0f, std::max(0.0f, (py - y) / h))); });
}

void Canvas::strokeRoundRect(float x, float y, float w, float h, float r, float width, Rgba c) {
  shade(
      x, y, x + w, y + h,
      [&](float px, float py) {
        const float outer = roundRectDistance(px, py, x, y, w, h, r);
        const float inner = roundRectDistance(px, py, x + width, y + width, w - 2 * width, h - 2 * width,
                                              std::max(0.0f, r - width));
        return std::max(outer, -inner);
      },
      [&](float, float) { return c; });
}

void Canvas::fillCircle(float cx, float cy, float r, Rgba c) { fillCircleV(cx, cy, r, c, c); }

void Canvas::fillCircleV(float cx, float cy, float r, Rgba top, Rgba bottom) {
  shade(
      cx - r, cy - r, cx + r, cy + r, [&](float px, float py) { return std::hypot(px - cx, py - cy) - r; },
      [&](float, float py) {
        return mix(top, bottom, std::min(1.0f, std::max(0.0f, (py - cy + r) / (2 * r))));
      });
}

void Canvas::strokeCircle(float cx, float cy, float r, float width, Rgba c) {
  const float outer = r + width * 0.5f;
  shade(
      cx - outer, cy - outer, cx + outer, cy + outer,
      [&](float px, float py) { return std::fabs(std::hypot(px - cx, py - cy) - r) - width * 0.5f; },
      [&](float, float) { return c; });
}

void Canvas::arc(float cx, float cy, float r, float width, float from, float to, Rgba c) {
  if (from > to) std::swap(from, to);
  const float half = width * 0.5f, outer = r + half;
  const float ax = cx + r * std::sin(from), ay = cy - r * std::cos(from);
  const float bx = cx + r * std::sin(to), by = cy - r * std::cos(to);
  shade(
      cx - outer, cy - outer, cx + outer, cy + outer,
      [&](float px, float py) {
        const float angle = std::atan2(px - cx, -(py - cy));  // 0 at the top, clockwise
        bool inside = false;
        for (int turn = -1; turn <= 1; ++turn) {
          const float a = angle + turn * 2 * kPi;
          if (a >= from && a <= to) inside = true;
        }
        if (inside) return std::fabs(std::hypot(px - cx, py - cy) - r) - half;
        return std::min(std::hypot(px - ax, py - ay), std::hypot(px - bx, py - by)) - half;
      },
      [&](float, float) { return c; });
}

void Canvas::line(float x0, float y0, float x1, float y1, float width, Rgba c) {
  const float half = width * 0.5f;
  shade(
      std::min(x0, x1) - half, std::min(y0, y1) - half, std::max(x0, x1) + half, std::max(y0, y1) + half,
      [&](float px, float py) { return segmentDistance(px, py, x0, y0, x1, y1) - half; },
      [&](float, float) { return c; });
}

void Canvas::glow(float cx, float cy, float r, Rgba c) {
  const int x0 = int(std::floor(cx - r)), y0 = int(std::floor(cy - r));
  const int x1 = int(std::ceil(cx + r)), y1 = int(std::ceil(cy + r));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / r;
      if (d >= 1.0f) continue;
      const float t = 1.0f - d;
      blend(x, y, c, t * t);
    }
}

void Canvas::shadow(float x, float y, float w, float h, float r, float spread, Rgba c) {
  for (int py = int(std::floor(y - spread)); py <= int(std::ceil(y + h + spread)); ++py)
    for (int px = int(std::floor(x - spread)); px <= int(std::ceil(x + w + spread)); ++px) {
      const float d = roundRectDistance(px + 0.5f, py + 0.5f, x, y, w, h, r);
      if (d >= spread) continue;
      const float t = d <= 0 ? 1.0f : 1.0f - d / spread;
      blend(px, py, c, t * t);
    }
}

namespace {

// One cached font per face, size and weight, kept for the program's run.
PIX_CachedFont& fontFor(const FontStyle& style) {
  static std::map<std::tuple<std::string, int, bool>, std::unique_ptr<PIX_CachedFont>> fonts;
  auto& slot = fonts[std::make_tuple(std::string(style.face), style.size, style.bold)];
  if (!slot) {
    slot.reset(new PIX_CachedFont);
    slot->SetFromHFont(
        CreateFont(-style.size, 0, 0, 0, style.bold ? 700 : 400, 0, 0, 0, 0, 0, 0, 4, 0, style.face),
        PIX_FONT_OWNS_HFONT);
    slot->SetTextColor(PIX_MakePixel(255, 255, 255, 255));
    slot->SetCombineMode(0, 1.0f);
  }
  return *slot;
}

const unsigned kTextFlags = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;

int runWidth(PIX_CachedFont& font, const std::string& s) {
  RECT r = {0, 0, 0, 0};
  font.DrawText(nullptr, s.c_str(), int(s.size()), &r, kTextFlags | DT_CALCRECT);
  return r.right - r.left;
}

}  // namespace

int Canvas::textWidth(const std::string& s, const FontStyle& style, int tracking) {
  PIX_CachedFont& font = fontFor(style);
  if (tracking == 0) return runWidth(font, s);
  int w = 0;
  for (size_t i = 0; i < s.size(); ++i)
    w += runWidth(font, s.substr(i, 1)) + (i + 1 < s.size() ? tracking : 0);
  return w;
}

int Canvas::text(const std::string& s, float x, float y, float w, float h, const FontStyle& style, Rgba c,
                 Align align, int tracking) {
  PIX_CachedFont& font = fontFor(style);
  const int total = textWidth(s, style, tracking);
  const int lineHeight = font.GetLineHeight();
  int left = int(x);
  if (align == Align::Centre) left = int(std::lround(x + (w - total) * 0.5f));
  if (align == Align::Right) left = int(std::lround(x + w - total));
  const int top = int(std::lround(y + (h - lineHeight) * 0.5f));

  // The glyphs are drawn white on black into a scratch bitmap whose red
  // channel is then the coverage of the colour.
  const int pad = 4;
  PIX_MemBitmap scratch(total + 2 * pad, lineHeight + 2 * pad, 0);
  PIX_Clear(&scratch, PIX_MakePixel(0, 0, 0, 255));
  int pen = pad;
  auto drawRun = [&](const std::string& run) {
    RECT r = {pen, pad, pen + runWidth(font, run) + 1, pad + lineHeight};
    font.DrawText(&scratch, run.c_str(), int(run.size()), &r, kTextFlags);
    pen += runWidth(font, run) + tracking;
  };
  if (tracking == 0)
    drawRun(s);
  else
    for (size_t i = 0; i < s.size(); ++i) drawRun(s.substr(i, 1));
  for (int sy = 0; sy < scratch.getHeight(); ++sy)
    for (int sx = 0; sx < scratch.getWidth(); ++sx) {
      const int cover = PIX_Red(PIX_GetPixel(&scratch, sx, sy));
      if (cover) blend(left - pad + sx, top - pad + sy, c, cover / 255.0f);
    }
  return total;
}

void Canvas::draw(Canvas& src, int x, int y) {
  for (int sy = 0; sy < src.height(); ++sy)
    for (int sx = 0; sx < src.width(); ++sx) {
      const PIX_pixel p = PIX_GetPixel(&src.bitmap(), sx, sy);
      if (PIX_Alpha(p) == 0) continue;
      blend(x + sx, y + sy, rgb(PIX_Red(p), PIX_Green(p), PIX_Blue(p), PIX_Alpha(p) / 255.0f), 1.0f);
    }
}

}  // namespace imggen
