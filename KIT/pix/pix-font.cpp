// The cached font: native drawing, glyph rendering into the shared scratch
// bitmap, mask post-processing, and glyph-cache measuring and drawing.
#include "KIT/pix/pix-font.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "KIT/pix/pix-blit.h"
#include "KIT/pix/pix-line-impl.h"
#include "KIT/pix/pix-rect.h"
#include "KIT/pix/pix-rows.h"
#include "KIT/pix/pix-sysbitmap.h"
#include "KIT/winl/winl-font.h"

namespace {

// Shared by every font: the bitmap glyphs are rendered into and the one
// native drawing goes through when the target has no drawing context. Made
// on first use, freed with the last font; the count and the pointers change
// under the lock, their use is the GUI thread's.
std::mutex& TempBitmapLock() {
  static std::mutex* lock = new std::mutex;  // outlives fonts destroyed at exit
  return *lock;
}
PIX_SysBitmap* s_tempbitmap = nullptr;
PIX_SysBitmap* s_nativerender_tempbitmap = nullptr;
int s_tempbitmap_refcnt = 0;

const int kMaxLineHeight = 1023;

// The layer's 0x00RRGGBB form of a pixel word.
int NativeColor(PIX_pixel c) {
  return static_cast<int>(((c << 8) & 0xFF0000u) | ((c >> 8) & 0xFF00u) | (c >> 24));
}

// The glyph bitmap, at least side x side, its context set for white text on
// an opaque black background whenever it is resized.
PIX_SysBitmap* GlyphBitmap(int side) {
  if (!s_tempbitmap) s_tempbitmap = new PIX_SysBitmap(0, 0);
  if (s_tempbitmap->getWidth() < side || s_tempbitmap->getHeight() < side) {
    s_tempbitmap->resize(side, side);
    HDC dc = s_tempbitmap->getDC();
    ::SetTextColor(dc, 0xFFFFFF);
    ::SetBkMode(dc, 1);
    ::SetBkColor(dc, 0);
  }
  return s_tempbitmap;
}

// Decodes one character from at most `available` bytes (negative: up to the
// NUL): a sequence that is cut short or malformed gives its first byte.
int Utf8Char(const char* s, int available, unsigned short* out) {
  const unsigned char b0 = static_cast<unsigned char>(s[0]);
  int length = 1;
  unsigned value = b0;
  if (b0 >= 0xC2 && b0 <= 0xF4) {
    length = b0 <= 0xDF ? 2 : b0 <= 0xEF ? 3 : 4;
    bool whole = available < 0 || available >= length;
    for (int k = 1; whole && k < length; ++k) whole = (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80;
    if (!whole) {
      length = 1;
    } else if (length == 2) {
      value = (b0 & 0x1Fu) << 6 | (s[1] & 0x3Fu);
    } else if (length == 3) {
      value = ((b0 << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu)) & 0xFFFFu;
    } else {
      value = 0x20;  // beyond 16 bits: a blank
    }
  }
  if (out) *out = static_cast<unsigned short>(value);
  return length;
}

// Walks the text under the glyph cache's rules: calls fn(c) for every
// character but carriage returns, with line feeds as '\n' (a blank under
// DT_SINGLELINE).
template <class Fn>
void WalkText(const char* str, int count, unsigned int flags, Fn fn) {
  if (!str || count == 0) return;
  while (*str) {
    unsigned short c;
    const int taken = Utf8Char(str, count, &c);
    str += taken;
    if (c == '\n' && (flags & DT_SINGLELINE)) c = ' ';
    if (c != '\r') fn(c);
    if (count > 0) {
      count -= taken;
      if (count <= 0) break;
    }
  }
}

// The mask loops over operator F. mask rows maskSpan apart, destination
// rows step pixels apart; w x h visible pixels; colour channels r, g, b.
template <class F>
struct GlyphRenderer {
  // Two-level masks: every non-zero byte at the weight.
  static void Mono(const unsigned char* mask, PIX_pixel* dest, int maskSpan, ptrdiff_t step, int w, int h,
                   int r, int g, int b, int weight) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (mask[y * maskSpan + x])
          F::doPix(reinterpret_cast<unsigned char*>(dest + y * step + x), r, g, b, 255, weight);
  }
  // Effect masks: 255 in the text colour, other non-zero bytes in the effect
  // colour (er, eg, eb).
  static void Effect(const unsigned char* mask, PIX_pixel* dest, int maskSpan, ptrdiff_t step, int w, int h,
                     int r, int g, int b, int er, int eg, int eb, int weight) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const unsigned char m = mask[y * maskSpan + x];
        unsigned char* d = reinterpret_cast<unsigned char*>(dest + y * step + x);
        if (m == 255)
          F::doPix(d, r, g, b, 255, weight);
        else if (m)
          F::doPix(d, er, eg, eb, 255, weight);
      }
  }
  // Coverage masks: the weight of a byte m is m + 1 at full alpha (a = 256),
  // else m * a / 256, at most 256.
  static void Normal(const unsigned char* mask, PIX_pixel* dest, int maskSpan, ptrdiff_t step, int w, int h,
                     int r, int g, int b, int a) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int m = mask[y * maskSpan + x];
        if (!m) continue;
        const int weight = a == 256 ? m + 1 : std::min(m * a / 256, 256);
        F::doPix(reinterpret_cast<unsigned char*>(dest + y * step + x), r, g, b, 255, weight);
      }
  }
};

// Replaces every non-zero mask pixel by a word (255: word, else other).
void ReplaceWords(const unsigned char* mask, PIX_pixel* dest, int maskSpan, ptrdiff_t step, int w, int h,
                  PIX_pixel word, PIX_pixel other) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned char m = mask[y * maskSpan + x];
      if (m) dest[y * step + x] = m == 255 ? word : other;
    }
}

// Coverage of 131 and above becomes 255, the rest 0.
void MakeMonochrome(unsigned char* mask, size_t n) {
  for (size_t i = 0; i < n; ++i) mask[i] = mask[i] >= 131 ? 255 : 0;
}

// One pass in row order: a 0 byte next to ink (255) becomes 128. Shadow:
// ink to the left, above-left or above; outline: ink above, below, left or
// right. Bytes set in this pass are 128, never 255, so they do not spread.
void AddEffect(unsigned char* mask, int w, int h, bool shadow) {
  auto ink = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && mask[y * w + x] == 255; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (mask[y * w + x] != 0) continue;
      const bool near = shadow ? ink(x - 1, y) || ink(x - 1, y - 1) || ink(x, y - 1)
                               : ink(x, y - 1) || ink(x, y + 1) || ink(x - 1, y) || ink(x + 1, y);
      if (near) mask[y * w + x] = 128;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Life, settings

PIX_CachedFont::PIX_CachedFont() {
  std::lock_guard<std::mutex> lock(TempBitmapLock());
  ++s_tempbitmap_refcnt;
}

PIX_CachedFont::~PIX_CachedFont() {
  if ((m_flags & PIX_FONT_OWNS_HFONT) && m_font) DeleteObject(m_font);
  std::lock_guard<std::mutex> lock(TempBitmapLock());
  if (--s_tempbitmap_refcnt == 0) {
    delete s_tempbitmap;
    delete s_nativerender_tempbitmap;
    s_tempbitmap = s_nativerender_tempbitmap = nullptr;
  }
}

void PIX_CachedFont::EmptyCache() {
  std::memset(m_lowchars, 0, sizeof m_lowchars);
  m_extrachars.Resize(0);
  m_glyphstore.Resize(0, true);
}

void PIX_CachedFont::SetFromHFont(HGDIOBJ font, int flags) {
  if ((m_flags & PIX_FONT_OWNS_HFONT) && m_font && m_font != font) DeleteObject(m_font);
  m_flags = flags;
  m_font = font;
  if (font) {
    HDC dc = GlyphBitmap(256)->getDC();
    const HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRIC metrics;
    GetTextMetrics(dc, &metrics);
    m_lineheight = metrics.tmHeight;
    if (previous) SelectObject(dc, previous);
  }
  EmptyCache();
  if (flags & PIX_FONT_PRERENDER)
    for (unsigned short c = 0; c < 128; ++c) RenderGlyph(c);
}

PIX_pixel PIX_CachedFont::SetTextColor(PIX_pixel color) {
  const PIX_pixel old = m_textcolor;
  m_textcolor = color;
  return old;
}
PIX_pixel PIX_CachedFont::SetBkColor(PIX_pixel color) {
  const PIX_pixel old = m_bkcolor;
  m_bkcolor = color;
  return old;
}
PIX_pixel PIX_CachedFont::SetEffectColor(PIX_pixel color) {
  const PIX_pixel old = m_effectcolor;
  m_effectcolor = color;
  return old;
}
int PIX_CachedFont::SetBkMode(int mode) {
  const int old = m_bkmode;
  m_bkmode = mode;
  return old;
}
void PIX_CachedFont::SetCombineMode(int mode, float alpha) {
  m_combinemode = mode;
  m_alpha = alpha;
}

// ---------------------------------------------------------------------------
// The cache

int PIX_CachedFont::_charSortFunc(const void* a, const void* b) {
  return static_cast<const GlyphEntry*>(a)->code - static_cast<const GlyphEntry*>(b)->code;
}

int PIX_CachedFont::utf8char(const char* s, unsigned short* out) { return Utf8Char(s, -1, out); }

GlyphEntry* PIX_CachedFont::findChar(unsigned short c) {
  if (c < 128) return &m_lowchars[c];
  GlyphEntry* list = m_extrachars.Get();
  int lo = 0, hi = m_extrachars.GetSize() - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    if (list[mid].code == c) return &list[mid];
    if (list[mid].code < c)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return nullptr;
}

const unsigned char* PIX_CachedFont::GlyphMask(const GlyphEntry* entry) const {
  if (!entry || entry->base <= 0) return nullptr;
  return static_cast<const unsigned char*>(m_glyphstore.Get()) + entry->base - 1;
}

bool PIX_CachedFont::RenderGlyph(unsigned short c) {
  if (m_lineheight > kMaxLineHeight) return false;
  GlyphEntry* entry = findChar(c);
  bool added = false;
  if (!entry) {
    if (m_flags & PIX_FONT_PRERENDER) return false;
    GlyphEntry fresh = {0, 0, 0, 0, c};
    entry = m_extrachars.Add(fresh);
    if (!entry) return false;
    added = true;
  }
  auto finish = [&](bool failed) {
    if (failed) *entry = GlyphEntry{-1, 0, 0, 0, entry->code};
    if (added && m_extrachars.GetSize() >= 2)
      std::qsort(m_extrachars.Get(), static_cast<size_t>(m_extrachars.GetSize()), sizeof(GlyphEntry),
                 _charSortFunc);
    return true;
  };

  PIX_SysBitmap* bitmap = GlyphBitmap(2 * std::max(m_lineheight, 1) + 8);
  HDC dc = bitmap->getDC();
  const HGDIOBJ previous = m_font ? SelectObject(dc, m_font) : nullptr;

  char text[4] = {0, 0, 0, 0};
  if (c < 0x80) {
    text[0] = static_cast<char>(c);
  } else if (c < 0x800) {
    text[0] = static_cast<char>(0xC0 | (c >> 6));
    text[1] = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text[0] = static_cast<char>(0xE0 | (c >> 12));
    text[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text[2] = static_cast<char>(0x80 | (c & 0x3F));
  }
  // Measure, widen the cell to catch ink overhanging the advance, then draw
  // the character white on black into it.
  RECT cell = {0, 0, 0, 0};
  WINL_DrawText(dc, text, -1, &cell, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  int advance = cell.right - cell.left;
  cell.right += m_lineheight > 15 ? m_lineheight / 16 + 2 : 2;
  int cellWidth = cell.right, cellHeight = cell.bottom;
  PIX_FillRect(bitmap, 0, 0, cellWidth, cellHeight, 0, 1.0f, 0);
  WINL_DrawText(dc, text, -1, &cell, DT_SINGLELINE | DT_NOPREFIX);
  advance = std::min(advance, bitmap->getWidth());
  cellWidth = std::min(cellWidth, bitmap->getWidth());
  cellHeight = std::min(cellHeight, bitmap->getHeight());
  if (previous) SelectObject(dc, previous);
  if (advance < 1 || cellHeight < 1 || !bitmap->getBits()) return finish(true);

  if (m_flags & PIX_FONT_BLUR) PIX_Blur(bitmap, bitmap, 0, 0, 0, 0, cellWidth, cellHeight);

  // Append the cell to the store; the total stays within an int.
  const int storeSize = m_glyphstore.GetSize();
  const int64_t cellBytes = int64_t{cellWidth} * cellHeight;
  if (cellBytes > INT32_MAX - 1 - storeSize) return finish(true);
  m_glyphstore.Resize(storeSize + static_cast<int>(cellBytes), false);
  if (m_glyphstore.GetSize() != storeSize + cellBytes) return finish(true);
  unsigned char* mask = static_cast<unsigned char*>(m_glyphstore.Get()) + storeSize;

  // Coverage is the red byte. Ink right of the advance widens the glyph.
  const bool invert = m_flags & PIX_FONT_INVERT;
  int glyphWidth = advance;
  for (int y = 0; y < cellHeight; ++y) {
    ptrdiff_t step;
    const PIX_pixel* row = PIX_DrawingRow(bitmap, bitmap->getBits(), y, &step);
    for (int x = 0; x < cellWidth; ++x) {
      const int red = PIX_Red(row[x]);
      mask[y * cellWidth + x] = static_cast<unsigned char>(invert ? 255 - red : red);
      if (x >= glyphWidth && red != 0) glyphWidth = x + 1;
    }
  }
  if (glyphWidth < cellWidth) {
    for (int y = 1; y < cellHeight; ++y)
      std::memmove(mask + y * glyphWidth, mask + y * cellWidth, glyphWidth);
    m_glyphstore.Resize(storeSize + glyphWidth * cellHeight, false);
    mask = static_cast<unsigned char*>(m_glyphstore.Get()) + storeSize;
  }

  int width = glyphWidth, height = cellHeight;
  if (m_flags & PIX_FONT_VERTICAL) {
    const std::vector<unsigned char> source(mask, mask + width * height);
    const int W = width, H = height;
    for (int r = 0; r < W; ++r)
      for (int k = 0; k < H; ++k)
        mask[r * H + k] =
            (m_flags & PIX_FONT_BOTTOMUP) ? source[k * W + (W - 1 - r)] : source[(H - 1 - k) * W + r];
    width = H, height = W;
  }
  const size_t bytes = static_cast<size_t>(width) * height;
  if (m_flags & (PIX_FONT_MONO | PIX_FONT_SHADOW | PIX_FONT_OUTLINE)) MakeMonochrome(mask, bytes);
  if (m_flags & (PIX_FONT_SHADOW | PIX_FONT_OUTLINE))
    AddEffect(mask, width, height, m_flags & PIX_FONT_SHADOW);

  *entry = GlyphEntry{storeSize + 1, width, height, advance, entry->code};
  return finish(false);
}

GlyphEntry* PIX_CachedFont::Lookup(unsigned short c) {
  GlyphEntry* entry = findChar(c);
  if (!entry) {
    const int before = m_extrachars.GetSize();
    RenderGlyph(c);
    if (m_extrachars.GetSize() > before) entry = findChar(c);
  } else if (entry->base == 0) {
    RenderGlyph(c);
    entry = findChar(c);
  }
  return entry && entry->base > 0 ? entry : nullptr;
}

PIX_CachedFont::Target PIX_CachedFont::TargetOf(PIX_IBitmap* bm) {
  Target target = {bm, nullptr, 0, 0, 0, false};
  if (bm && (target.bits = bm->getBits()) != nullptr) {
    target.width = bm->getWidth(), target.height = bm->getHeight();
    target.span = bm->getRowSpan(), target.flipped = bm->isFlipped();
  }
  return target;
}

bool PIX_CachedFont::DrawGlyph(PIX_IBitmap* bm, unsigned short c, int x, int y, RECT clip) {
  return DrawEntry(TargetOf(bm), findChar(c), x, y, clip);
}

bool PIX_CachedFont::DrawEntry(const Target& target, const GlyphEntry* entry, int x, int y, RECT clip) {
  const unsigned char* mask = GlyphMask(entry);
  if (!target.bits || !mask) return false;
  PIX_IBitmap* bm = target.bm;
  // The glyph box against the clip, which never reaches past the bitmap.
  clip.left = std::max(clip.left, 0);
  clip.top = std::max(clip.top, 0);
  clip.right = std::min(clip.right, target.width);
  clip.bottom = std::min(clip.bottom, target.height);
  const int64_t right = int64_t{x} + entry->width, bottom = int64_t{y} + entry->height;
  if (right <= clip.left || x >= clip.right || bottom <= clip.top || y >= clip.bottom) return false;
  const int left = std::max(x, clip.left), top = std::max(y, clip.top);
  const int w = static_cast<int>(std::min<int64_t>(right, clip.right)) - left;
  const int h = static_cast<int>(std::min<int64_t>(bottom, clip.bottom)) - top;
  if (w <= 0 || h <= 0) return true;
  mask += static_cast<ptrdiff_t>(top - y) * entry->width + (left - x);

  if (m_bkmode == 1)
    PIX_FillRect(bm, left, top, w, h, m_bkcolor, m_alpha, m_combinemode & ~PIX_BLIT_USE_SOURCE_ALPHA);

  // Drawing row top in memory; bottom-up rows for a flipped bitmap.
  const ptrdiff_t step = target.flipped ? -target.span : target.span;
  PIX_pixel* dest = target.bits + (target.flipped ? target.height - 1 - top : top) * target.span + left;
  const int r = PIX_Red(m_textcolor), g = PIX_Green(m_textcolor), b = PIX_Blue(m_textcolor);
  const int lowByte = m_combinemode & 0xff;
  const bool mono = m_flags & PIX_FONT_MONO, effect = m_flags & (PIX_FONT_SHADOW | PIX_FONT_OUTLINE);
  if ((mono || effect) && m_alpha == 1.0f && lowByte == 0) {
    ReplaceWords(mask, dest, entry->width, step, w, h, m_textcolor, effect ? m_effectcolor : m_textcolor);
    return true;
  }
  const int a = PIX_WeightOf(m_alpha);
  const int weight = std::min(a, 256);
  // Coverage in copy mode, the common case, has a row loop of its own.
  if (!mono && !effect && lowByte == 0 && a >= 1 && a <= 256) {
    PIX_RowsCoverage(dest, step, mask, entry->width, w, h, m_textcolor | 0xFFu, a);
    return true;
  }
  PIX_WithStrokeOperator(lowByte, mono || effect ? weight : a, false, false, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    if (effect)
      GlyphRenderer<F>::Effect(mask, dest, entry->width, step, w, h, r, g, b, PIX_Red(m_effectcolor),
                               PIX_Green(m_effectcolor), PIX_Blue(m_effectcolor), weight);
    else if (mono)
      GlyphRenderer<F>::Mono(mask, dest, entry->width, step, w, h, r, g, b, weight);
    else
      GlyphRenderer<F>::Normal(mask, dest, entry->width, step, w, h, r, g, b, a);
  });
  return true;
}

// ---------------------------------------------------------------------------
// Text

int PIX_CachedFont::DrawText(PIX_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags) {
  return DrawTextImpl(bm, str, count, rect, flags);
}

int PIX_CachedFont::DrawTextImpl(PIX_IBitmap* bm, const char* str, int count, RECT* rect,
                                 unsigned int flags) {
  if (!rect || !str) return 0;
  if (!(flags & DT_CALCRECT) && !bm) return 0;
  const int styling = PIX_FONT_VERTICAL | PIX_FONT_BOTTOMUP | PIX_FONT_PRERENDER | PIX_FONT_BLUR |
                      PIX_FONT_INVERT | PIX_FONT_MONO | PIX_FONT_SHADOW | PIX_FONT_OUTLINE;
  const bool native = m_lineheight >= 256 || ((m_flags & PIX_FONT_PREFER_NATIVE) && !(m_flags & styling) &&
                                              flags < PIX_TEXT_SCALEALPHA && m_font);
  if (native) return DrawNative(bm, str, count, rect, flags);
  if (flags & DT_CALCRECT) return MeasureCached(str, count, rect, flags);
  return DrawCached(bm, str, count, rect, flags);
}

int PIX_CachedFont::DrawNative(PIX_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags) {
  HDC target = bm ? bm->getDC() : nullptr;
  if (target) {
    const HGDIOBJ previous = SelectObject(target, m_font);
    ::SetTextColor(target, NativeColor(m_textcolor));
    ::SetBkMode(target, m_bkmode);
    if (m_bkmode == 1) ::SetBkColor(target, NativeColor(m_bkcolor));
    RECT r = *rect;
    const int result =
        WINL_DrawText(target, str, count, &r, static_cast<int>((flags & 0x7FFFFFFFu) | DT_NOPREFIX));
    if (flags & DT_CALCRECT) *rect = r;
    if (previous) SelectObject(target, previous);
    return result;
  }

  // No context of its own: measure, copy the text's box into the shared
  // native bitmap, draw there and copy the box back at the font's alpha.
  if (!s_nativerender_tempbitmap) s_nativerender_tempbitmap = new PIX_SysBitmap(0, 0);
  PIX_SysBitmap* scratch = s_nativerender_tempbitmap;
  if (scratch->getWidth() < 4 || scratch->getHeight() < 4) scratch->resize(4, 4);
  HDC dc = scratch->getDC();
  if (!dc) return 0;
  HGDIOBJ previous = SelectObject(dc, m_font);
  RECT measure = {0, 0, 0, 0};
  const int measured = WINL_DrawText(dc, str, count, &measure,
                                     static_cast<int>((flags & 0x7FFFFF48u) | DT_CALCRECT | DT_NOPREFIX));
  const int width = measure.right, height = measure.bottom;
  auto deselect = [&]() {
    if (previous) SelectObject(dc, previous);
  };
  if (flags & DT_CALCRECT) {
    rect->right = static_cast<int32_t>(std::min<int64_t>(int64_t{rect->left} + width, INT32_MAX));
    rect->bottom = static_cast<int32_t>(std::min<int64_t>(int64_t{rect->top} + height, INT32_MAX));
    deselect();
    return measured;
  }
  if (!bm || !bm->getBits()) {
    deselect();
    return measured;
  }
  int64_t x = rect->left, y = rect->top;
  if (flags & DT_RIGHT)
    x = int64_t{rect->right} - width;
  else if (flags & DT_CENTER)
    x = (int64_t{rect->left} + rect->right - width) / 2;
  if (flags & DT_BOTTOM)
    y = int64_t{rect->bottom} - height;
  else if (flags & DT_VCENTER)
    y = (int64_t{rect->top} + rect->bottom - height) / 2;
  int64_t left = x, top = y, right = x + width, bottom = y + height;
  right = std::min<int64_t>(right, bm->getWidth());
  bottom = std::min<int64_t>(bottom, bm->getHeight());
  if (flags & DT_NOCLIP) {
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
  } else {
    right = std::min<int64_t>(right, rect->right);
    bottom = std::min<int64_t>(bottom, rect->bottom);
    left = std::max<int64_t>(left, std::max(rect->left, 0));
    top = std::max<int64_t>(top, std::max(rect->top, 0));
  }
  if (right <= left || bottom <= top) {
    deselect();
    return measured;
  }
  const int boxW = static_cast<int>(right - left), boxH = static_cast<int>(bottom - top);
  if (scratch->getWidth() < boxW || scratch->getHeight() < boxH) {
    deselect();
    scratch->resize(boxW, boxH);
    dc = scratch->getDC();
    if (!dc) return 0;
    previous = SelectObject(dc, m_font);
  }
  PIX_Blit(scratch, bm, 0, 0, static_cast<int>(left), static_cast<int>(top), boxW, boxH, 1.0f, 0);
  ::SetTextColor(dc, NativeColor(m_textcolor));
  ::SetBkMode(dc, m_bkmode);
  if (m_bkmode == 1) ::SetBkColor(dc, NativeColor(m_bkcolor));
  // The part cut away at the left or top is a negative offset.
  const int offsetX = static_cast<int>(x - left), offsetY = static_cast<int>(y - top);
  RECT draw = {offsetX, offsetY, offsetX + width, offsetY + height};
  const int drawn =
      WINL_DrawText(dc, str, count, &draw, static_cast<int>((flags & 0x7FFFFEC9u) | DT_NOPREFIX));
  PIX_Blit(bm, scratch, static_cast<int>(left), static_cast<int>(top), 0, 0, boxW, boxH, m_alpha, 0);
  deselect();
  return drawn;
}

int PIX_CachedFont::MeasureCached(const char* str, int count, RECT* rect, unsigned int flags) {
  const bool vertical = m_flags & PIX_FONT_VERTICAL;
  int64_t penX = 0, penY = 0, extentX = 0, extentY = 0;
  WalkText(str, count, flags, [&](unsigned short c) {
    if (c == '\n') {
      if (vertical)
        penX += m_lineheight, penY = 0;
      else
        penX = 0, penY += m_lineheight;
      return;
    }
    const GlyphEntry* e = Lookup(c);
    if (!e) return;
    if (vertical) {
      extentX = std::max(extentX, penX + e->width);
      const int64_t old = penY;
      penY += e->advance;
      extentY = std::max({extentY, penY, old + e->height});
    } else {
      extentY = std::max(extentY, penY + e->height);
      const int64_t old = penX;
      penX += e->advance;
      extentX = std::max({extentX, penX, old + e->width});
    }
  });
  extentX = std::min<int64_t>(extentX, INT32_MAX);
  extentY = std::min<int64_t>(extentY, INT32_MAX);
  rect->right = static_cast<int32_t>(std::min<int64_t>(int64_t{rect->left} + extentX, INT32_MAX));
  rect->bottom = static_cast<int32_t>(std::min<int64_t>(int64_t{rect->top} + extentY, INT32_MAX));
  return static_cast<int>(vertical ? extentX : extentY);
}

int PIX_CachedFont::DrawCached(PIX_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags) {
  const float savedAlpha = m_alpha;
  if (flags & PIX_TEXT_SCALEALPHA) m_alpha *= static_cast<float>(m_textcolor & 0xFF) / 255.0f;
  if (m_alpha == 0.0f) {
    m_alpha = savedAlpha;
    return 0;
  }
  const bool vertical = m_flags & PIX_FONT_VERTICAL;
  const bool bottomUp = vertical && (m_flags & PIX_FONT_BOTTOMUP);
  int64_t x = rect->left, y = rect->top, height = 0;
  if ((flags & (DT_VCENTER | DT_CENTER | DT_BOTTOM | DT_RIGHT)) || bottomUp) {
    // Measured as the font would measure it: natively when it draws so.
    RECT measure = *rect;
    DrawTextImpl(bm, str, count, &measure, (flags & (PIX_TEXT_GLYPHCACHE | DT_SINGLELINE)) | DT_CALCRECT);
    const int64_t width = int64_t{measure.right} - measure.left;
    height = int64_t{measure.bottom} - measure.top;
    if (flags & DT_CENTER)
      x = (int64_t{rect->left} + rect->right - width) / 2;
    else if (flags & DT_RIGHT)
      x = rect->right - width;
    if (flags & DT_VCENTER)
      y = (int64_t{rect->top} + rect->bottom - height) / 2;
    else if (flags & DT_BOTTOM)
      y = rect->bottom - height;
  }
  const int64_t startY = y + (bottomUp ? height : 0);

  // The bitmap's geometry, read once for all the glyphs.
  const Target target = TargetOf(bm);
  RECT clip = {0, 0, bm->getWidth(), bm->getHeight()};
  if (!(flags & DT_NOCLIP)) {
    clip = RECT{std::max(rect->left, 0), std::max(rect->top, 0), std::min(rect->right, bm->getWidth()),
                std::min(rect->bottom, bm->getHeight())};
    if (clip.right <= clip.left || clip.bottom <= clip.top) {
      m_alpha = savedAlpha;
      return 0;
    }
  }

  // Pen positions beyond the int range draw nothing (DrawGlyph is only
  // asked for positions that fit).
  auto fits = [](int64_t v) { return v > INT32_MIN / 2 && v < INT32_MAX / 2; };
  int64_t penX = x, penY = startY;
  int64_t extent = vertical ? x : startY;
  WalkText(str, count, flags, [&](unsigned short c) {
    if (c == '\n') {
      if (vertical)
        penX += m_lineheight, penY = startY;
      else
        penX = x, penY += m_lineheight;
      return;
    }
    const GlyphEntry* e = Lookup(c);
    if (!e) return;
    const int64_t glyphY = bottomUp ? penY - e->height : penY;
    const bool drawn = fits(penX) && fits(glyphY) &&
                       DrawEntry(target, e, static_cast<int>(penX), static_cast<int>(glyphY), clip);
    if (vertical) {
      penY += bottomUp ? -e->advance : e->advance;
      if (drawn) extent = std::max(extent, penX + e->width);
    } else {
      penX += e->advance;
      if (drawn) extent = std::max(extent, glyphY + e->height);
    }
  });
  m_alpha = savedAlpha;
  return static_cast<int>(std::min<int64_t>(extent - (vertical ? x : startY), INT32_MAX));
}
