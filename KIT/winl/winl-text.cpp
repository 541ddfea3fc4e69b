// Text metrics, measuring and drawing: the text is prepared (prefixes, line
// breaks, length limit), laid out in whole pixels with the font's rounded
// advances, and its glyph coverage blended into the context's pixels.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "KIT/winl/winl-font-native.h"
#include "KIT/winl/winl-font.h"

namespace {

const size_t kMaxTextBytes = 4095;

struct ContextFont {
  WINL_NativeFont* native;  // null when no face at all can be had
  int quality;              // of the selected font record; 0 without one
};

// The selected live font's native font, else the default face.
ContextFont FontOf(HDC hdc) {
  ContextFont font{nullptr, 0};
  if (WINL_IsLiveObject(hdc->font, WINL_OBJ_FONT)) {
    font.native = hdc->font->nativeFont;
    font.quality = hdc->font->quality;
  }
  if (!font.native) font.native = WINL_DefaultNativeFont();
  return font;
}

// The text after prefix, carriage-return and line-feed processing, cut to
// kMaxTextBytes at a character boundary.
std::string PrepareText(const char* text, int count, int flags, bool* multiLine) {
  std::string out;
  *multiLine = false;
  const bool prefixes = !(flags & DT_NOPREFIX), singleLine = flags & DT_SINGLELINE;
  auto within = [&](int i) { return (count < 0 || i < count) && text[i] != 0; };
  for (int i = 0; within(i) && out.size() < kMaxTextBytes; ++i) {
    char c = text[i];
    // '&' is dropped and the character after it taken as it is; a '&' at
    // the end of the text is dropped.
    if (prefixes && c == '&') {
      if (!within(++i)) break;
      c = text[i];
    } else if (c == '\r') {
      continue;
    }
    if (c == '\n') {
      if (singleLine)
        c = ' ';
      else
        *multiLine = true;
    }
    out += c;
  }
  // A cut inside a multi-byte character drops the part of it that was kept.
  if (out.size() >= kMaxTextBytes) {
    size_t start = out.size();
    while (start > 0 && out.size() - start < 4 && (static_cast<unsigned char>(out[start - 1]) & 0xC0) == 0x80)
      --start;
    if (start > 0) {
      const unsigned char lead = static_cast<unsigned char>(out[start - 1]);
      const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      if (out.size() - (start - 1) < need) out.resize(start - 1);
    }
  }
  return out;
}

// Strict UTF-8 to characters; false for a malformed text (over-long forms,
// surrogates and values above U+10FFFF included).
bool DecodeUtf8(const std::string& text, std::vector<uint32_t>* out) {
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
      out->push_back(b0);
      ++i;
      continue;
    }
    size_t length;
    uint32_t value, minimum;
    if (b0 >= 0xC2 && b0 <= 0xDF)
      length = 2, value = b0 & 0x1F, minimum = 0x80;
    else if (b0 >= 0xE0 && b0 <= 0xEF)
      length = 3, value = b0 & 0x0F, minimum = 0x800;
    else if (b0 >= 0xF0 && b0 <= 0xF4)
      length = 4, value = b0 & 0x07, minimum = 0x10000;
    else
      return false;
    if (n - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      value = value << 6 | (b & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    out->push_back(value);
    i += length;
  }
  return true;
}

struct Line {
  size_t begin, end;  // characters [begin, end)
  int width;          // sum of the rounded advances
};

// Blends coverage c (0..255) of colour (r, g, b) into the pixel at p (bytes:
// first, red, green, blue), rounding; the first byte becomes 255.
inline void BlendCoverage(uint8_t* p, int c, int r, int g, int b) {
  const int keep = 255 - c;
  p[0] = 255;
  p[1] = static_cast<uint8_t>((p[1] * keep + r * c + 127) / 255);
  p[2] = static_cast<uint8_t>((p[2] * keep + g * c + 127) / 255);
  p[3] = static_cast<uint8_t>((p[3] * keep + b * c + 127) / 255);
}

// The rectangle [left, right) x [top, bottom) in 64 bits.
struct Box {
  int64_t left, top, right, bottom;
  Box Intersect(const Box& o) const {
    return Box{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
  }
};

void FillBox(WINL_GraphicsContext* gc, const Box& area, const Box& clip, int color) {
  const Box box = area.Intersect(clip);
  for (int64_t y = box.top; y < box.bottom; ++y)
    for (int64_t x = box.left; x < box.right; ++x) {
      uint8_t* p = gc->pixels + y * gc->rowBytes + x * 4;
      p[0] = 255;
      p[1] = static_cast<uint8_t>(color >> 16);
      p[2] = static_cast<uint8_t>(color >> 8);
      p[3] = static_cast<uint8_t>(color);
    }
}

void DrawGlyph(WINL_GraphicsContext* gc, const WINL_Glyph& glyph, int64_t left, int64_t top, const Box& clip,
               int color) {
  const Box box = Box{left, top, left + glyph.width, top + glyph.height}.Intersect(clip);
  const int r = (color >> 16) & 255, g = (color >> 8) & 255, b = color & 255;
  for (int64_t y = box.top; y < box.bottom; ++y) {
    const uint8_t* coverage = &glyph.coverage[static_cast<size_t>(y - top) * glyph.width];
    for (int64_t x = box.left; x < box.right; ++x) {
      const int c = coverage[x - left];
      if (c) BlendCoverage(gc->pixels + y * gc->rowBytes + x * 4, c, r, g, b);
    }
  }
}

}  // namespace

bool GetTextMetrics(HDC hdc, TEXTMETRIC* metrics) {
  if (metrics) *metrics = TEXTMETRIC{16, 12, 4, 3, 10};
  if (!metrics || !WINL_IsLiveContext(hdc)) return false;
  const WINL_NativeFont* font = FontOf(hdc).native;
  if (!font) return true;
  metrics->tmInternalLeading = static_cast<int32_t>(font->leading);
  metrics->tmAscent = static_cast<int32_t>(font->ascent);
  metrics->tmDescent = static_cast<int32_t>(font->descent);
  const int32_t height = metrics->tmAscent + metrics->tmDescent + metrics->tmInternalLeading;
  metrics->tmAveCharWidth = height * 2 / 3;
  metrics->tmHeight = height != 0 ? height + 1 : 0;
  return true;
}

int WINL_DrawText(HDC hdc, const char* text, int count, RECT* rect, int flags) {
  if (!WINL_IsLiveContext(hdc) || !text || !rect) return 0;
  bool multiLine = false;
  const std::string working = PrepareText(text, count, flags, &multiLine);
  if (working.empty()) return 0;
  std::vector<uint32_t> characters;
  if (!DecodeUtf8(working, &characters)) return 0;  // neither UTF-8 nor ASCII
  const ContextFont font = FontOf(hdc);
  if (!font.native) return 0;

  WINL_GraphicsContext* gc = hdc->gc;
  bool antialias = gc ? gc->antialias : true;
  if (font.quality != 0) antialias = font.quality == 4;

  std::lock_guard<std::mutex> lock(font.native->lock);
  // Lines: the text up to each line feed; a final line feed opens no line.
  std::vector<Line> lines;
  Line line{0, 0, 0};
  for (size_t i = 0; i < characters.size(); ++i) {
    if (multiLine && characters[i] == '\n') {
      line.end = i;
      lines.push_back(line);
      line = Line{i + 1, i + 1, 0};
      continue;
    }
    line.width += WINL_GetGlyph(font.native, characters[i], antialias).advance;
  }
  line.end = characters.size();
  if (!multiLine || line.begin < line.end) lines.push_back(line);

  const float extent = font.native->ascent + font.native->descent + font.native->leading;
  const int measuredLine = static_cast<int>(std::floor(extent + 1.5f));
  int width = 0;
  for (const Line& l : lines) width = std::max(width, l.width);
  const int height = measuredLine * static_cast<int>(lines.size());
  const int textHeight = height != 0 ? height + 1 : 0;

  if (flags & DT_CALCRECT) {
    rect->right = static_cast<int32_t>(std::min<int64_t>(int64_t{rect->left} + width, INT32_MAX));
    rect->bottom = static_cast<int32_t>(std::min<int64_t>(int64_t{rect->top} + textHeight, INT32_MAX));
    return textHeight;
  }
  if (!gc || !gc->pixels) return textHeight;

  int64_t x = rect->left, y = rect->top;
  if (flags & DT_RIGHT)
    x = int64_t{rect->right} - width;
  else if (flags & DT_CENTER)
    x = rect->left + ((int64_t{rect->right} - rect->left) / 2 - width / 2);
  if (flags & DT_BOTTOM)
    y = int64_t{rect->bottom} - textHeight;
  else if (flags & DT_VCENTER)
    y = rect->top + ((int64_t{rect->bottom} - rect->top) / 2 - textHeight / 2);

  Box clip = Box{gc->clip.left, gc->clip.top, gc->clip.right, gc->clip.bottom}.Intersect(
      Box{0, 0, gc->width, gc->height});
  if (!(flags & DT_NOCLIP)) clip = clip.Intersect(Box{rect->left, rect->top, rect->right, rect->bottom});

  const int color = hdc->textColorObject.present ? hdc->textColor : 0;
  const bool opaque = hdc->bkMode == 1;
  const int baseline = static_cast<int>(std::floor(font.native->ascent + 0.5f));
  const int lineStep = static_cast<int>(std::floor(extent + 0.5f));
  if (opaque && !multiLine) FillBox(gc, Box{x, y, x + width, y + textHeight}, clip, hdc->bkColor);
  int64_t lineTop = y;
  for (const Line& l : lines) {
    if (opaque && multiLine)
      FillBox(gc, Box{x, lineTop, x + l.width, lineTop + lineStep}, clip, hdc->bkColor);
    int64_t pen = x;
    for (size_t i = l.begin; i < l.end; ++i) {
      const WINL_Glyph& glyph = WINL_GetGlyph(font.native, characters[i], antialias);
      if (!glyph.coverage.empty())
        DrawGlyph(gc, glyph, pen + glyph.left, lineTop + baseline - glyph.top, clip, color);
      pen += glyph.advance;
    }
    lineTop += lineStep;
  }
  return textHeight;
}
