// Text in any bitmap: natively through the Win32-style layer's text drawing,
// or through a glyph cache whose 8-bit masks are rendered once by the native
// layer (white on black) and then blended with the font's colour, alpha and
// combine mode.
//
// Text is UTF-8; count is a byte count (negative: up to the NUL). The text
// flags are the layer's DT_ flags (winl-font.h) plus PIX_TEXT_SCALEALPHA and
// PIX_TEXT_GLYPHCACHE. Fonts and the shared scratch bitmaps behind them are
// used from one thread (the GUI's).
#pragma once

#include <cstddef>
#include <cstdint>

#include "KIT/heapbuf.h"
#include "KIT/pix/pix-bitmap.h"

// Font flags.
enum {
  PIX_FONT_VERTICAL = 0x1,         // glyphs turned a quarter clockwise, pen moving down
  PIX_FONT_BOTTOMUP = 0x2,         // with VERTICAL: anticlockwise, pen moving up
  PIX_FONT_PRERENDER = 0x4,        // render 0..127 at once; never draw 128 and above
  PIX_FONT_BLUR = 0x10,            // blur each glyph before storing it
  PIX_FONT_INVERT = 0x20,          // invert the coverage
  PIX_FONT_MONO = 0x40,            // coverage 131 and above is ink, the rest none
  PIX_FONT_SHADOW = 0x80,          // effect-colour shadow below right of the ink
  PIX_FONT_OUTLINE = 0x100,        // effect-colour outline (ignored with SHADOW)
  PIX_FONT_OWNS_HFONT = 0x200,     // the font deletes its native font
  PIX_FONT_PREFER_NATIVE = 0x400,  // draw natively when nothing else asks for the cache
};

// Text flags beyond the DT_ ones.
enum : unsigned int {
  PIX_TEXT_SCALEALPHA = 0x40000000u,  // alpha times the text colour's alpha / 255; glyph cache
  PIX_TEXT_GLYPHCACHE = 0x80000000u,  // glyph cache; never passed to the native layer
};

// One cached character. base is the mask's offset in the glyph store plus 1
// (0: not rendered yet; -1: rendering failed or nothing to show).
struct GlyphEntry {
  int32_t base;
  int32_t width;  // of the mask, pixels
  int32_t height;
  int32_t advance;  // pen movement after the glyph
  int32_t code;     // the character (extra list only)
};

class PIX_IFont {
 public:
  virtual ~PIX_IFont() {}
  virtual void SetFromHFont(HGDIOBJ font, int flags) = 0;
  virtual PIX_pixel SetTextColor(PIX_pixel color) = 0;
  virtual PIX_pixel SetBkColor(PIX_pixel color) = 0;
  virtual PIX_pixel SetEffectColor(PIX_pixel color) = 0;
  virtual int SetBkMode(int mode) = 0;
  virtual void SetCombineMode(int mode, float alpha) = 0;
  virtual int DrawText(PIX_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags) = 0;
  virtual PIX_pixel GetTextColor() = 0;
  virtual HGDIOBJ GetHFont() = 0;
  virtual int GetLineHeight() = 0;
};

class PIX_CachedFont : public PIX_IFont {
 public:
  PIX_CachedFont();
  // Deletes the native font with PIX_FONT_OWNS_HFONT; the last font gone
  // frees the shared scratch bitmaps.
  ~PIX_CachedFont() override;
  PIX_CachedFont(const PIX_CachedFont&) = delete;
  PIX_CachedFont& operator=(const PIX_CachedFont&) = delete;

  // Takes the native font (deleting an owned previous one) and the font
  // flags, reads the line height from the font's metrics (kept when font is
  // null) and empties the glyph cache.
  void SetFromHFont(HGDIOBJ font, int flags) override;
  // The setters return the previous value.
  PIX_pixel SetTextColor(PIX_pixel color) override;
  PIX_pixel SetBkColor(PIX_pixel color) override;  // behind glyphs in mode 1
  PIX_pixel SetEffectColor(PIX_pixel color) override;
  int SetBkMode(int mode) override;  // 0 transparent, 1 opaque
  void SetCombineMode(int mode, float alpha) override;

  // Measures (DT_CALCRECT: rect.right and rect.bottom set) or draws text in
  // rect; returns the height drawn or measured (vertical fonts: the width).
  // Drawn natively when the line height is 256 or more, or with
  // PIX_FONT_PREFER_NATIVE, a native font, none of the other styling flags
  // and no PIX_TEXT_ flag; otherwise from the glyph cache, where carriage
  // returns are skipped, a line feed starts a line (a blank with
  // DT_SINGLELINE), characters that render to nothing are skipped without
  // moving the pen, and the centring flags win over DT_RIGHT and DT_BOTTOM.
  // 0 without a bitmap (unless measuring) or rect.
  int DrawText(PIX_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags) override;

  PIX_pixel GetTextColor() override { return m_textcolor; }
  HGDIOBJ GetHFont() override { return m_font; }
  int GetLineHeight() override { return m_lineheight; }

  // Renders a character into the cache; false when refused (line height
  // above 1023, or a character of 128 and above with PIX_FONT_PRERENDER).
  bool RenderGlyph(unsigned short c);
  // The entry of a character: always one below 128, else the rendered one
  // or null.
  GlyphEntry* findChar(unsigned short c);
  // Blends a rendered character's mask at (x, y), clipped to clip and to the
  // bitmap; false when it is not rendered or lies wholly outside.
  bool DrawGlyph(PIX_IBitmap* bm, unsigned short c, int x, int y, RECT clip);
  // The glyph mask of an entry (width x height bytes), or null.
  const unsigned char* GlyphMask(const GlyphEntry* entry) const;

  // Orders entries by character code.
  static int _charSortFunc(const void* a, const void* b);
  // Decodes one UTF-8 character of a NUL-terminated text: a byte that does
  // not start a valid sequence stands for itself; a four-byte sequence is a
  // blank. Returns the bytes taken; out may be null.
  static int utf8char(const char* s, unsigned short* out);

 private:
  int DrawTextImpl(PIX_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags);
  int DrawNative(PIX_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags);
  int MeasureCached(const char* str, int count, RECT* rect, unsigned int flags);
  int DrawCached(PIX_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags);
  GlyphEntry* Lookup(unsigned short c);
  // A bitmap's pixels and geometry (bits null when it has none), read once
  // for a whole text.
  struct Target {
    PIX_IBitmap* bm;
    PIX_pixel* bits;
    int width, height;
    ptrdiff_t span;
    bool flipped;
  };
  static Target TargetOf(PIX_IBitmap* bm);
  // DrawGlyph of an entry (null: false).
  bool DrawEntry(const Target& target, const GlyphEntry* entry, int x, int y, RECT clip);
  void EmptyCache();

  PIX_pixel m_textcolor = 0;
  PIX_pixel m_bkcolor = 0xFFFFFFFFu;
  PIX_pixel m_effectcolor = 0xFFFFFFFFu;
  int m_bkmode = 0;
  int m_combinemode = 0;
  float m_alpha = 1.0f;
  int m_flags = 0;
  int m_lineheight = 0;
  GlyphEntry m_lowchars[128] = {};
  KIT_TypedBuf<GlyphEntry> m_extrachars{4096};
  KIT_HeapBuf m_glyphstore{65536};
  HGDIOBJ m_font = nullptr;
};
