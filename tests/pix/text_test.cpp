// System bitmaps over drawing contexts, and the cached font: the glyph cache
// gives the same pixels as native drawing of the same font and size;
// measuring, alignment, line breaks, clipping, flipped bitmaps, UTF-8
// decoding and the font flags of the glyph path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "KIT/pix/pix-font.h"
#include "KIT/pix/pix-sysbitmap.h"
#include "KIT/winl/winl-font.h"
#include "guarded_bitmap.h"

namespace {

const PIX_pixel kBlack = Argb(255, 0, 0, 0);
const PIX_pixel kWhite = 0xFFFFFFFFu;

// Every pixel of two bitmaps of the same size equal.
bool SamePixels(PIX_IBitmap* a, PIX_IBitmap* b) {
  if (a->getWidth() != b->getWidth() || a->getHeight() != b->getHeight()) return false;
  for (int y = 0; y < a->getHeight(); ++y)
    for (int x = 0; x < a->getWidth(); ++x)
      if (PIX_GetPixel(a, x, y) != PIX_GetPixel(b, x, y)) return false;
  return true;
}

// The box around pixels that differ from blank.
RECT InkBox(PIX_IBitmap* bm, PIX_pixel blank) {
  RECT box = {bm->getWidth(), bm->getHeight(), -1, -1};
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
      if (PIX_GetPixel(bm, x, y) != blank) {
        box.left = std::min<int32_t>(box.left, x), box.right = std::max<int32_t>(box.right, x + 1);
        box.top = std::min<int32_t>(box.top, y), box.bottom = std::max<int32_t>(box.bottom, y + 1);
      }
  return box;
}

// DejaVu Sans Mono, which the system installs, at a size and quality.
HGDIOBJ Face(int height, char quality) {
  return CreateFont(height, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, quality, 0, "DejaVu Sans Mono");
}

// A cached font owning its native font, with the flags given.
std::unique_ptr<PIX_CachedFont> Font(int flags, int height = -12, char quality = 3) {
  std::unique_ptr<PIX_CachedFont> font(new PIX_CachedFont);
  font->SetFromHFont(Face(height, quality), flags | PIX_FONT_OWNS_HFONT);
  return font;
}

// ---------------------------------------------------------------------------
// System bitmaps

TEST(SysBitmap, ContextSizesAndReuse) {
  PIX_SysBitmap bm(10, 10);
  EXPECT_EQ(bm.getRowSpan(), 12);
  ASSERT_NE(bm.getDC(), nullptr);
  EXPECT_EQ(static_cast<void*>(bm.getBits()), WINL_GetCtxFrameBuffer(bm.getDC()));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bm.getBits()) % 64, 0u);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(bm.getBits()[y * 12 + x], 0u);
  EXPECT_FALSE(bm.isFlipped());

  // Shrinking keeps the context and its pixels.
  const HDC first = bm.getDC();
  bm.getBits()[0] = 0x12345678u;
  EXPECT_TRUE(bm.resize(8, 8));
  EXPECT_EQ(bm.getDC(), first);
  EXPECT_EQ(bm.getRowSpan(), 12);
  EXPECT_EQ(bm.getBits()[0], 0x12345678u);
  // Growing past it makes a new, cleared one.
  EXPECT_TRUE(bm.resize(13, 8));
  EXPECT_EQ(bm.getRowSpan(), 16);
  EXPECT_EQ(bm.getBits()[0], 0u);
  EXPECT_FALSE(bm.resize(13, 8)) << "the same size";

  // No height: no context, the size as given.
  EXPECT_FALSE(bm.resize(0, 50));
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 50);
  // A size no context can have leaves it empty.
  EXPECT_TRUE(bm.resize(INT32_MAX, 3));
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  EXPECT_EQ(bm.getBits(), nullptr);
  PIX_SysBitmap empty(0, 0);
  EXPECT_EQ(empty.getDC(), nullptr);
}

TEST(SysBitmap, NativeTextLandsInTheBitmap) {
  PIX_SysBitmap bm(40, 20);
  HGDIOBJ font = Face(-12, 3);
  SelectObject(bm.getDC(), font);
  SetTextColor(bm.getDC(), 0x00FF00);
  RECT rect = {2, 2, 40, 20};
  EXPECT_GT(WINL_DrawText(bm.getDC(), "Hi", -1, &rect, 0), 0);
  const RECT ink = InkBox(&bm, 0);
  EXPECT_GE(ink.left, 2);
  EXPECT_GT(ink.right, ink.left);
  EXPECT_EQ(PIX_Green(PIX_GetPixel(&bm, ink.left, ink.top)) |
                PIX_Green(PIX_GetPixel(&bm, ink.left, ink.bottom - 1)),
            255);
  DeleteObject(font);
}

// ---------------------------------------------------------------------------
// Glyph cache against native drawing

TEST(CachedFont, GlyphCacheDrawsTheNativePixels) {
  // A font without anti-aliasing: every pixel of the text is the same on the
  // two paths, whatever the colours.
  const char* const kTexts[] = {"Hello, World 123", "Varno: {[(&)]} 0.75 dB",
                                "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"};
  const PIX_pixel kColors[] = {kWhite, Argb(255, 200, 30, 90), Argb(255, 10, 250, 60)};
  for (const char* text : kTexts) {
    for (PIX_pixel color : kColors) {
      auto native = Font(PIX_FONT_PREFER_NATIVE);
      auto cached = Font(0);
      ASSERT_EQ(native->GetLineHeight(), cached->GetLineHeight());
      PIX_SysBitmap a(220, 40), b(220, 40);
      PIX_Clear(&a, Argb(255, 40, 40, 60));
      PIX_Clear(&b, Argb(255, 40, 40, 60));
      native->SetTextColor(color);
      cached->SetTextColor(color);
      RECT ra = {3, 5, 220, 40}, rb = ra;
      const int ha = native->DrawText(&a, text, -1, &ra, DT_NOCLIP);
      const int hb = cached->DrawText(&b, text, -1, &rb, DT_NOCLIP);
      EXPECT_GT(ha, 0);
      EXPECT_GT(hb, 0);
      EXPECT_NE(InkBox(&a, Argb(255, 40, 40, 60)).right, -1) << text;
      EXPECT_TRUE(SamePixels(&a, &b)) << text << " in " << Channels(color);
    }
  }
}

TEST(CachedFont, GlyphMasksAreTheNativeCoverage) {
  // An anti-aliased font: each stored mask is what native drawing puts down
  // white on black.
  for (char quality : {char(3), char(4)}) {
    auto font = Font(0, -15, quality);
    for (unsigned short c : {0x41, 0x67, 0x57, 0x40, 0xE9}) {  // A g W @ é
      ASSERT_TRUE(font->RenderGlyph(c));
      const GlyphEntry* entry = font->findChar(c);
      const unsigned char* mask = font->GlyphMask(entry);
      ASSERT_NE(mask, nullptr) << c;
      HGDIOBJ face = Face(-15, quality);
      PIX_SysBitmap bm(64, 64);
      HDC dc = bm.getDC();
      SelectObject(dc, face);
      SetTextColor(dc, 0xFFFFFF);
      const char text[4] = {c < 128 ? static_cast<char>(c) : '\xC3', c < 128 ? '\0' : '\xA9', 0, 0};
      RECT rect = {0, 0, entry->width, entry->height};
      WINL_DrawText(dc, text, -1, &rect, DT_SINGLELINE | DT_NOPREFIX);
      for (int y = 0; y < entry->height; ++y)
        for (int x = 0; x < entry->width; ++x)
          ASSERT_EQ(mask[y * entry->width + x], PIX_Red(PIX_GetPixel(&bm, x, y)))
              << c << " at " << x << "," << y;
      DeleteObject(face);
    }
  }
}

// A drawn glyph is its stored mask blended pixel by pixel in the text colour
// at the font's alpha (coverage m weighs m + 1 at full alpha, else
// m * weight / 256), clipped to the bitmap, in either row order.
TEST(CachedFont, GlyphsBlendTheirStoredMasks) {
  auto font = Font(0, -15, 4);
  const PIX_pixel kBackground = Argb(255, 40, 90, 160), kColour = Argb(255, 250, 120, 30);
  font->SetTextColor(kColour);
  for (unsigned short c : {0x57, 0x69, 0x67, 0x40})  // W i g @
    for (float alpha : {1.0f, 0.5f, 0.3f})
      for (bool flipped : {false, true})
        for (const auto& at : {std::make_pair(3, 2), std::make_pair(-4, -5), std::make_pair(14, 9)}) {
          ASSERT_TRUE(font->RenderGlyph(c));
          const GlyphEntry* entry = font->findChar(c);
          const unsigned char* mask = font->GlyphMask(entry);
          ASSERT_NE(mask, nullptr);
          font->SetCombineMode(0, alpha);
          GuardedBitmap bm(20, 18, kBackground, flipped);
          EXPECT_TRUE(font->DrawGlyph(&bm, c, at.first, at.second, RECT{0, 0, 20, 18}));
          const int weight = static_cast<int>(alpha * 256);
          int wrong = 0;
          for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 20; ++x) {
              const int mx = x - at.first, my = y - at.second;
              const bool inside = mx >= 0 && my >= 0 && mx < entry->width && my < entry->height;
              const int m = inside ? mask[my * entry->width + mx] : 0;
              PIX_pixel expected = kBackground;
              if (m)
                _PIX_CombinePixelsCopyNoClamp::doPix(
                    reinterpret_cast<unsigned char*>(&expected), PIX_Red(kColour), PIX_Green(kColour),
                    PIX_Blue(kColour), 255, weight == 256 ? m + 1 : std::min(m * weight / 256, 256));
              wrong += PIX_GetPixel(&bm, x, y) != expected;
            }
          EXPECT_EQ(wrong, 0) << "character " << c << " alpha " << alpha << " flipped " << flipped << " at "
                              << at.first << "," << at.second;
          EXPECT_TRUE(bm.GuardIntact());
        }
}

TEST(CachedFont, MeasuresAgreeOnBothPaths) {
  auto native = Font(PIX_FONT_PREFER_NATIVE);
  auto cached = Font(0);
  for (const char* text : {"Hello", "a\nlonger line", "x"}) {
    RECT ra = {5, 7, 5, 7}, rb = ra;
    const int ha = native->DrawText(nullptr, text, -1, &ra, DT_CALCRECT);
    const int hb = cached->DrawText(nullptr, text, -1, &rb, DT_CALCRECT);
    EXPECT_EQ(ra.right, rb.right) << text;
    EXPECT_EQ(rb.bottom - rb.top, hb) << text;
    if (!std::strchr(text, '\n')) {
      EXPECT_EQ(ha, hb) << text;
      EXPECT_EQ(ra.bottom, rb.bottom) << text;
    }
  }
  // An empty text or a count of 0 measures nothing.
  RECT rect = {5, 7, 50, 70};
  EXPECT_EQ(cached->DrawText(nullptr, "", -1, &rect, DT_CALCRECT), 0);
  EXPECT_EQ(rect.right, 5);
  EXPECT_EQ(rect.bottom, 7);
  rect = RECT{5, 7, 50, 70};
  EXPECT_EQ(cached->DrawText(nullptr, "abc", 0, &rect, DT_CALCRECT), 0);
  EXPECT_EQ(rect.right, 5);
}

TEST(CachedFont, NativeDrawingThroughTheSharedBitmap) {
  // A memory bitmap has no context: the text goes through the shared native
  // bitmap and comes back at the font's alpha, the same as drawn directly.
  auto font = Font(PIX_FONT_PREFER_NATIVE);
  font->SetTextColor(kWhite);
  PIX_SysBitmap direct(120, 30);
  PIX_MemBitmap memory(120, 30, 4);
  PIX_Clear(&direct, kBlack);
  PIX_Clear(&memory, kBlack);
  RECT r1 = {-4, 3, 110, 30}, r2 = r1;
  font->DrawText(&direct, "Clipped at left", -1, &r1, 0);
  font->DrawText(&memory, "Clipped at left", -1, &r2, 0);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x)
      ASSERT_EQ(PIX_GetPixel(&memory, x, y), PIX_GetPixel(&direct, x, y)) << x << "," << y;
  EXPECT_NE(InkBox(&memory, kBlack).right, -1);
}

TEST(CachedFont, CentringWinsOnTheGlyphPathOnly) {
  // Right and centre together: native text aligns right, glyph-cache text
  // centres; bottom and vertical centre: native bottom, glyph path centre.
  auto native = Font(PIX_FONT_PREFER_NATIVE);
  auto cached = Font(0);
  native->SetTextColor(kWhite);
  cached->SetTextColor(kWhite);
  PIX_MemBitmap a(100, 60, 4), b(100, 60, 4);
  PIX_Clear(&a, kBlack);
  PIX_Clear(&b, kBlack);
  RECT ra = {0, 0, 100, 60}, rb = ra;
  native->DrawText(&a, "Mid", -1, &ra, DT_RIGHT | DT_CENTER | DT_BOTTOM | DT_VCENTER);
  cached->DrawText(&b, "Mid", -1, &rb, DT_RIGHT | DT_CENTER | DT_BOTTOM | DT_VCENTER);
  const RECT right = InkBox(&a, kBlack), centre = InkBox(&b, kBlack);
  EXPECT_GE(right.right, 95);
  EXPECT_GE(right.bottom, 50);
  EXPECT_NEAR((centre.left + centre.right) / 2, 50, 3);
  EXPECT_NEAR((centre.top + centre.bottom) / 2, 30, 6);
}

TEST(CachedFont, FlippedBitmapShowsTheFirstLineAtTheTop) {
  auto font = Font(0);
  font->SetTextColor(kWhite);
  FlippedBitmap flipped(80, 40);
  auto plain = Filled(80, 40, kBlack);
  PIX_Clear(&flipped, kBlack);
  RECT r1 = {2, 1, 80, 40}, r2 = r1;
  font->DrawText(&flipped, "Top\nline", -1, &r1, 0);
  font->DrawText(plain.get(), "Top\nline", -1, &r2, 0);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) ASSERT_EQ(PIX_GetPixel(&flipped, x, y), PIX_GetPixel(plain.get(), x, y));
  EXPECT_LT(InkBox(plain.get(), kBlack).top, 10);
}

TEST(CachedFont, LineFeedsCarriageReturnsAndClipping) {
  auto font = Font(0);
  font->SetTextColor(kWhite);
  auto draw = [&](const char* text, RECT rect, unsigned int flags) {
    auto bm = Filled(120, 60, kBlack);
    font->DrawText(bm.get(), text, -1, &rect, flags);
    return bm;
  };
  const RECT all = {2, 2, 120, 60};
  // A carriage return never draws or moves; under DT_SINGLELINE a line feed
  // is a blank.
  EXPECT_TRUE(SamePixels(draw("a\rb", all, 0).get(), draw("ab", all, 0).get()));
  EXPECT_TRUE(SamePixels(draw("a\nb", all, DT_SINGLELINE).get(), draw("a b", all, 0).get()));
  // A line feed starts a new line one line height lower.
  auto twoLines = draw("a\nb", all, 0);
  auto lower = draw("b", RECT{2, 2 + font->GetLineHeight(), 120, 60}, 0);
  auto first = draw("a", all, 0);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x) {
      const PIX_pixel expected =
          y < 2 + font->GetLineHeight() ? PIX_GetPixel(first.get(), x, y) : PIX_GetPixel(lower.get(), x, y);
      ASSERT_EQ(PIX_GetPixel(twoLines.get(), x, y), expected) << x << "," << y;
    }
  // Without DT_NOCLIP glyphs are cut at the rectangle; nothing is drawn
  // when the rectangle lies off the bitmap.
  const RECT ink = InkBox(draw("WWWWWWWW", RECT{10, 10, 30, 60}, 0).get(), kBlack);
  EXPECT_LE(ink.right, 30);
  auto off = draw("WWW", RECT{200, 10, 300, 60}, 0);
  EXPECT_EQ(InkBox(off.get(), kBlack).right, -1);
  RECT offRect = {200, 10, 300, 60};
  EXPECT_EQ(font->DrawText(off.get(), "WWW", -1, &offRect, 0), 0);
}

TEST(CachedFont, Utf8Decoding) {
  const struct {
    const char* why;
    const char* text;
    int length;
    unsigned short code;
  } kCases[] = {
      {"ASCII", "A", 1, 'A'},
      {"two bytes", "\xC3\xA9", 2, 0xE9},
      {"three bytes", "\xE2\x82\xAC", 3, 0x20AC},
      {"four bytes: a blank", "\xF0\x9F\x98\x80", 4, 0x20},
      {"lead byte without its continuation", "\xC3z", 1, 0xC3},
      {"lone continuation byte", "\xA9", 1, 0xA9},
      {"byte above 0xF4", "\xF8\x80\x80\x80", 1, 0xF8},
      {"cut short by the NUL", "\xE2\x82", 1, 0xE2},
  };
  for (const auto& c : kCases) {
    unsigned short code = 0;
    EXPECT_EQ(PIX_CachedFont::utf8char(c.text, &code), c.length) << c.why;
    EXPECT_EQ(code, c.code) << c.why;
    EXPECT_EQ(PIX_CachedFont::utf8char(c.text, nullptr), c.length) << c.why;
  }
  // Drawn: an invalid byte shows the character of its value; a count that
  // ends inside a character takes only the bytes it covers, from a buffer
  // that holds no more (read past, the address sanitizer would stop here).
  auto font = Font(0);
  font->SetTextColor(kWhite);
  auto draw = [&](const char* text, int count) {
    auto bm = Filled(80, 30, kBlack);
    RECT rect = {2, 2, 80, 30};
    font->DrawText(bm.get(), text, count, &rect, 0);
    return bm;
  };
  EXPECT_TRUE(SamePixels(draw("\xE9", -1).get(), draw("\xC3\xA9", -1).get()));
  EXPECT_TRUE(SamePixels(draw("\xF0\x9F\x98\x80"
                              "x",
                              -1)
                             .get(),
                         draw(" x", -1).get()));
  std::unique_ptr<char[]> exact(new char[1]);
  exact[0] = '\xC3';
  EXPECT_TRUE(SamePixels(draw(exact.get(), 1).get(), draw("\xC3\x83", -1).get()));
}

TEST(CachedFont, AlphaScalingByTheTextColour) {
  auto font = Font(0);
  font->SetCombineMode(0, 1.0f);
  font->SetTextColor(Argb(0, 255, 255, 255));
  auto bm = Filled(60, 30, kBlack);
  RECT rect = {2, 2, 60, 30};
  EXPECT_EQ(font->DrawText(bm.get(), "Zero", -1, &rect, PIX_TEXT_SCALEALPHA), 0);
  EXPECT_EQ(InkBox(bm.get(), kBlack).right, -1);
  // The font's own alpha is back afterwards: the same call without the flag
  // draws at full strength.
  font->SetTextColor(Argb(128, 255, 255, 255));
  EXPECT_GT(font->DrawText(bm.get(), "Zero", -1, &rect, PIX_TEXT_SCALEALPHA), 0);
  const RECT half = InkBox(bm.get(), kBlack);
  int maxRed = 0;
  for (int y = half.top; y < half.bottom; ++y)
    for (int x = half.left; x < half.right; ++x)
      maxRed = std::max(maxRed, PIX_Red(PIX_GetPixel(bm.get(), x, y)));
  EXPECT_LT(maxRed, 140);
  EXPECT_GT(maxRed, 110);
  auto full = Filled(60, 30, kBlack);
  font->DrawText(full.get(), "Zero", -1, &rect, 0);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(full.get(), half.left, half.top)) |
                PIX_Red(PIX_GetPixel(full.get(), half.left, half.bottom - 1)),
            255);
}

TEST(CachedFont, PrerenderedFontsDrawOnlyTheLowCharacters) {
  auto font = Font(PIX_FONT_PRERENDER);
  for (unsigned short c = 33; c < 127; ++c) EXPECT_GT(font->findChar(c)->base, 0) << c;
  EXPECT_EQ(font->findChar(0xE9), nullptr);
  EXPECT_FALSE(font->RenderGlyph(0xE9));
  RECT a = {0, 0, 0, 0}, b = a;
  font->DrawText(nullptr, "a\xC3\xA9", -1, &a, DT_CALCRECT);
  font->DrawText(nullptr, "a", -1, &b, DT_CALCRECT);
  EXPECT_EQ(a.right, b.right);
}

TEST(CachedFont, ExtraCharactersStaySorted) {
  auto font = Font(0);
  const unsigned short kCodes[] = {0x20AC, 0xE9, 0x3A9, 0xC5, 0x2022, 0x100};
  for (unsigned short c : kCodes) font->RenderGlyph(c);
  for (unsigned short c : kCodes) {
    const GlyphEntry* e = font->findChar(c);
    ASSERT_NE(e, nullptr) << c;
    EXPECT_EQ(e->code, c);
  }
  EXPECT_EQ(font->findChar(0x101), nullptr);
  // Setting the font again empties the cache.
  font->SetFromHFont(font->GetHFont(), PIX_FONT_OWNS_HFONT);
  EXPECT_EQ(font->findChar(0xE9), nullptr);
  EXPECT_EQ(font->findChar('a')->base, 0);
}

TEST(CachedFont, ShadowAndOutlineMasks) {
  for (int effect : {int(PIX_FONT_SHADOW), int(PIX_FONT_OUTLINE)}) {
    auto font = Font(effect, -14, 4);
    ASSERT_TRUE(font->RenderGlyph('H'));
    const GlyphEntry* e = font->findChar('H');
    const unsigned char* m = font->GlyphMask(e);
    auto at = [&](int x, int y) {
      return x >= 0 && y >= 0 && x < e->width && y < e->height ? m[y * e->width + x] : 0;
    };
    int effectPixels = 0;
    for (int y = 0; y < e->height; ++y)
      for (int x = 0; x < e->width; ++x) {
        const int v = at(x, y);
        ASSERT_TRUE(v == 0 || v == 128 || v == 255);
        const bool nearInk =
            effect == PIX_FONT_SHADOW
                ? at(x - 1, y) == 255 || at(x - 1, y - 1) == 255 || at(x, y - 1) == 255
                : at(x, y - 1) == 255 || at(x, y + 1) == 255 || at(x - 1, y) == 255 || at(x + 1, y) == 255;
        if (v == 128) ++effectPixels;
        if (v != 255) {
          ASSERT_EQ(v == 128, nearInk) << effect << " at " << x << "," << y;
        }
      }
    EXPECT_GT(effectPixels, 0);
    // Drawn at full alpha in copy mode: ink in the text colour, the effect
    // in the effect colour.
    font->SetTextColor(kWhite);
    font->SetEffectColor(Argb(255, 0, 0, 255));
    auto bm = Filled(40, 30, kBlack);
    RECT rect = {2, 2, 40, 30};
    font->DrawText(bm.get(), "H", -1, &rect, 0);
    int white = 0, blue = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        const PIX_pixel p = PIX_GetPixel(bm.get(), x, y);
        white += p == kWhite;
        blue += p == Argb(255, 0, 0, 255);
      }
    EXPECT_GT(white, 0);
    EXPECT_EQ(blue, effectPixels);
  }
}

TEST(CachedFont, VerticalFontsTurnTheirGlyphs) {
  auto flat = Font(0);
  auto down = Font(PIX_FONT_VERTICAL);
  auto up = Font(PIX_FONT_VERTICAL | PIX_FONT_BOTTOMUP);
  for (auto* f : {flat.get(), down.get(), up.get()}) f->RenderGlyph('L');
  const GlyphEntry *e = flat->findChar('L'), *d = down->findChar('L'), *u = up->findChar('L');
  ASSERT_EQ(d->width, e->height);
  ASSERT_EQ(d->height, e->width);
  ASSERT_EQ(u->width, e->height);
  const unsigned char *m = flat->GlyphMask(e), *md = down->GlyphMask(d), *mu = up->GlyphMask(u);
  for (int r = 0; r < d->height; ++r)
    for (int k = 0; k < d->width; ++k) {
      ASSERT_EQ(md[r * d->width + k], m[(e->height - 1 - k) * e->width + r]);
      ASSERT_EQ(mu[r * u->width + k], m[k * e->width + (e->width - 1 - r)]);
    }
  // Measuring a vertical text gives its width; the pen moves down.
  RECT rect = {0, 0, 0, 0};
  const int extent = down->DrawText(nullptr, "LL", -1, &rect, DT_CALCRECT);
  EXPECT_EQ(extent, rect.right);
  EXPECT_EQ(rect.bottom, 2 * d->advance > d->advance + d->height ? 2 * d->advance : d->advance + d->height);
}

TEST(CachedFont, OpaqueBackgroundFillsEachGlyphBox) {
  auto font = Font(0);
  font->SetTextColor(kWhite);
  font->SetBkColor(Argb(255, 0, 90, 0));
  font->SetBkMode(1);
  auto bm = Filled(80, 30, kBlack);
  RECT rect = {2, 2, 80, 30};
  font->DrawText(bm.get(), "ab", -1, &rect, 0);
  const GlyphEntry* a = font->findChar('a');
  // The first glyph's box is filled (ink or background), its corner green.
  EXPECT_EQ(PIX_GetPixel(bm.get(), 2, 2), Argb(255, 0, 90, 0));
  EXPECT_EQ(PIX_GetPixel(bm.get(), 1, 2), kBlack);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 2, 2 + a->height), kBlack);
}

TEST(CachedFont, NothingWithoutABitmapOrRectangle) {
  auto font = Font(0);
  RECT rect = {0, 0, 10, 10};
  EXPECT_EQ(font->DrawText(nullptr, "abc", -1, &rect, 0), 0);
  auto bm = Filled(10, 10, kBlack);
  EXPECT_EQ(font->DrawText(bm.get(), "abc", -1, nullptr, 0), 0);
  EXPECT_EQ(font->DrawText(bm.get(), nullptr, -1, &rect, 0), 0);
  // A mode above 5 blends nothing.
  font->SetCombineMode(6, 1.0f);
  font->SetTextColor(kWhite);
  font->DrawText(bm.get(), "W", -1, &rect, 0);
  EXPECT_EQ(InkBox(bm.get(), kBlack).right, -1);
  // A font without a native font still measures with the default face.
  PIX_CachedFont bare;
  RECT measure = {0, 0, 0, 0};
  EXPECT_GT(bare.DrawText(nullptr, "abc", -1, &measure, DT_CALCRECT), 0);
}

}  // namespace
