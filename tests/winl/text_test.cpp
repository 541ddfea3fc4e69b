// Native fonts and text: font sizes, styles, qualities and the face-name
// cache with its fallbacks; text metrics; measuring and drawing with
// prefixes, line breaks, alignment, clipping and the length limit. The
// checks are structural (extents, alignment, equal drawings of equivalent
// texts), not stored glyph images, so that they hold for any installed
// version of the faces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "KIT/winl/winl-font-native.h"
#include "KIT/winl/winl-font.h"

namespace {

// Collects the font log.
std::mutex s_logLock;
std::vector<std::string> s_log;
void CollectLog(const char* line) {
  std::lock_guard<std::mutex> lock(s_logLock);
  s_log.push_back(line);
}
std::vector<std::string> LogLines() {
  std::lock_guard<std::mutex> lock(s_logLock);
  return s_log;
}

HGDIOBJ MonoFont(int height = -12, int weight = 400, char quality = 3) {
  return CreateFont(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, quality, 0, "DejaVu Sans Mono");
}

// A memory context with a font selected, white text on black.
class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_hdc = WINL_CreateMemContext(nullptr, kWidth, kHeight);
    ASSERT_NE(m_hdc, nullptr);
    m_font = MonoFont();
    SelectObject(m_hdc, m_font);
    SetTextColor(m_hdc, 0xFFFFFF);
  }
  void TearDown() override {
    WINL_DeleteGfxContext(m_hdc);
    DeleteObject(m_font);
  }

  RECT Measure(const char* text, int flags = 0, int count = -1) {
    RECT rect = {10, 20, 10, 20};
    m_lastHeight = WINL_DrawText(m_hdc, text, count, &rect, flags | DT_CALCRECT);
    return rect;
  }
  // Clears the pixels, draws, and returns the red channel of every pixel.
  std::vector<uint8_t> Draw(const char* text, RECT rect, int flags = 0) {
    Clear();
    WINL_DrawText(m_hdc, text, -1, &rect, flags);
    return Red();
  }
  void Clear() {
    WINL_GraphicsContext* gc = WINL_GetCtxGC(m_hdc);
    std::fill(gc->pixels, gc->pixels + gc->rowBytes * gc->height, 0);
  }
  std::vector<uint8_t> Red() {
    const WINL_GraphicsContext* gc = WINL_GetCtxGC(m_hdc);
    std::vector<uint8_t> red;
    for (int i = 0; i < kWidth * kHeight; ++i) red.push_back(gc->pixels[i * 4 + 1]);
    return red;
  }
  // The smallest box around pixels whose red is not 0.
  RECT Ink(const std::vector<uint8_t>& red) {
    RECT box = {kWidth, kHeight, -1, -1};
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (red[y * kWidth + x]) {
          box.left = std::min<int32_t>(box.left, x), box.right = std::max<int32_t>(box.right, x + 1);
          box.top = std::min<int32_t>(box.top, y), box.bottom = std::max<int32_t>(box.bottom, y + 1);
        }
    return box;
  }

  static constexpr int kWidth = 200, kHeight = 120;
  HDC m_hdc = nullptr;
  HGDIOBJ m_font = nullptr;
  int m_lastHeight = 0;
};

TEST(CreateFont, SizeRules) {
  const struct {
    const char* why;
    int height, width;
    float size;
  } kCases[] = {
      {"height 0 takes the width", 0, -14, 14},
      {"negative height", -12, 0, 12},
      {"positive height", 16, 3, 16},
      {"below 2 becomes 10", 1, 0, 10},
      {"both 0 become 10", 0, 0, 10},
      {"above 8192 becomes 10", 9000, 0, 10},
      {"the most negative int becomes 10", INT32_MIN, 0, 10},
  };
  for (const auto& c : kCases) {
    HGDIOBJ font = CreateFont(c.height, c.width, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    ASSERT_NE(font, nullptr) << c.why;
    EXPECT_EQ(font->type, WINL_OBJ_FONT);
    ASSERT_NE(font->nativeFont, nullptr) << c.why;
    EXPECT_EQ(font->nativeFont->size, c.size) << c.why;
    DeleteObject(font);
  }
}

TEST(CreateFont, QualityCodes) {
  const struct {
    char quality;
    int code;
  } kCases[] = {{0, 0}, {1, 0}, {2, 0}, {3, 3}, {4, 4}, {5, 0}, {static_cast<char>(200), 0}};
  for (const auto& c : kCases) {
    HGDIOBJ font = MonoFont(-12, 400, c.quality);
    EXPECT_EQ(font->quality, c.code) << static_cast<int>(static_cast<uint8_t>(c.quality));
    DeleteObject(font);
  }
}

TEST(CreateFont, MissingFacesFallBackOnceAndAreReported) {
  WINL_SetFontLog(CollectLog);
  const size_t before = LogLines().size();
  // A typewriter face the system lacks, asked for in three styles and twice:
  // one report, and the fixed-width fallback.
  HGDIOBJ fonts[] = {
      CreateFont(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Qwzx Console Mono"),
      CreateFont(-12, 0, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0, "Qwzx Console Mono"),
      CreateFont(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Qwzx Console Mono"),
      CreateFont(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans"),  // installed: no report
  };
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), before + 1);
  EXPECT_EQ(lines.back(), "FONTS: face \"Qwzx Console Mono\" is not installed; using \"DejaVu Sans Mono\"");
  for (HGDIOBJ f : fonts) {
    ASSERT_NE(f->nativeFont, nullptr);
    DeleteObject(f);
  }
  // An empty face is the default face, without a report.
  HGDIOBJ plain = CreateFont(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "");
  HGDIOBJ none = CreateFont(-12, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  EXPECT_NE(plain->nativeFont, nullptr);
  EXPECT_NE(none->nativeFont, nullptr);
  EXPECT_EQ(LogLines().size(), before + 1);
  DeleteObject(plain);
  DeleteObject(none);
  WINL_SetFontLog(nullptr);
}

TEST(CreateFont, IndirectReadsTheRecord) {
  LOGFONT record = {};
  record.lfHeight = -15;
  record.lfWeight = 400;
  record.lfQuality = 4;
  // A face name that fills the whole field without a NUL is read to the
  // field's end only.
  std::memset(record.lfFaceName, 'D', sizeof record.lfFaceName);
  WINL_SetFontLog(CollectLog);
  HGDIOBJ font = CreateFontIndirect(&record);
  WINL_SetFontLog(nullptr);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->nativeFont->size, 15);
  EXPECT_EQ(font->quality, 4);
  DeleteObject(font);
  EXPECT_EQ(CreateFontIndirect(nullptr), nullptr);
}

TEST(GetTextMetrics, DefaultsAndTheRoundingRule) {
  TEXTMETRIC metrics;
  EXPECT_FALSE(GetTextMetrics(nullptr, &metrics));
  EXPECT_EQ(metrics.tmHeight, 16);
  EXPECT_EQ(metrics.tmAscent, 12);
  EXPECT_EQ(metrics.tmDescent, 4);
  EXPECT_EQ(metrics.tmInternalLeading, 3);
  EXPECT_EQ(metrics.tmAveCharWidth, 10);

  HDC hdc = WINL_CreateMemContext(nullptr, 2, 2);
  EXPECT_FALSE(GetTextMetrics(hdc, nullptr));
  // Ascent 11.7, descent 3.2, leading 0: each truncated, the height 14 + 1,
  // the average width 14 * 2 / 3.
  HGDIOBJ font = MonoFont();
  font->nativeFont->ascent = 11.7f;
  font->nativeFont->descent = 3.2f;
  font->nativeFont->leading = 0;
  SelectObject(hdc, font);
  ASSERT_TRUE(GetTextMetrics(hdc, &metrics));
  EXPECT_EQ(metrics.tmAscent, 11);
  EXPECT_EQ(metrics.tmDescent, 3);
  EXPECT_EQ(metrics.tmInternalLeading, 0);
  EXPECT_EQ(metrics.tmAveCharWidth, 9);
  EXPECT_EQ(metrics.tmHeight, 15);
  // Without a live font: the default face, still 1.
  DeleteObject(font);
  EXPECT_TRUE(GetTextMetrics(hdc, &metrics));
  EXPECT_GT(metrics.tmHeight, 1);
  WINL_DeleteGfxContext(hdc);
}

TEST_F(TextTest, AmpersandPrefixes) {
  const struct {
    const char* text;
    int flags;
    const char* same;  // measured and drawn like this text with DT_NOPREFIX
  } kCases[] = {
      {"a&bc", 0, "abc"}, {"a&bc", DT_NOPREFIX, "a&bc"}, {"a&&b", 0, "a&b"}, {"ab&", 0, "ab"},
      {"&&&x", 0, "&x"},
  };
  const RECT box = {4, 4, 190, 60};
  for (const auto& c : kCases) {
    const RECT measured = Measure(c.text, c.flags);
    const RECT expected = Measure(c.same, DT_NOPREFIX);
    EXPECT_EQ(measured.right, expected.right) << c.text;
    EXPECT_EQ(measured.bottom, expected.bottom) << c.text;
    EXPECT_EQ(Draw(c.text, box, c.flags), Draw(c.same, box, DT_NOPREFIX)) << c.text;
  }
}

TEST_F(TextTest, LineBreaks) {
  // Under DT_SINGLELINE a line feed is a blank and the carriage return goes.
  const RECT single = Measure("one\r\ntwo", DT_SINGLELINE);
  const RECT spaced = Measure("one two", DT_SINGLELINE);
  EXPECT_EQ(single.right, spaced.right);
  EXPECT_EQ(single.bottom, spaced.bottom);
  // Otherwise two lines: the wider line's width, the two rounded line
  // heights plus 1; one line is its rounded height plus 1.
  const RECT one = Measure("one");
  const int lineHeight = one.bottom - one.top - 1;
  const RECT two = Measure("one\r\nthree");
  EXPECT_EQ(m_lastHeight, 2 * lineHeight + 1);
  EXPECT_EQ(two.bottom - two.top, 2 * lineHeight + 1);
  EXPECT_EQ(two.right - two.left, Measure("three").right - 10);
  // A final line feed opens no line; an empty line in between counts.
  EXPECT_EQ(Measure("one\n").bottom - 20, lineHeight + 1);
  EXPECT_EQ(Measure("one\n\ntwo").bottom - 20, 3 * lineHeight + 1);
  // All lines start at the same x: the block is aligned, not each line. The
  // short first line stands where it would stand alone at the long line's x.
  const int blockX = kWidth - (Measure("WWWW").right - 10);
  const std::vector<uint8_t> block = Draw("i\nWWWW", RECT{0, 0, kWidth, kHeight}, DT_RIGHT);
  const std::vector<uint8_t> alone = Draw("i", RECT{blockX, 0, kWidth, kHeight}, 0);
  const size_t firstRows = static_cast<size_t>(kWidth) * (lineHeight / 2);
  EXPECT_TRUE(std::equal(block.begin(), block.begin() + firstRows, alone.begin()));
  EXPECT_NE(Ink(alone).right, -1);
}

TEST_F(TextTest, EmptyTextLeavesTheRectangle) {
  for (const char* text : {"", "\r", "&", "\r\r&"}) {
    RECT rect = {1, 2, 3, 4};
    EXPECT_EQ(WINL_DrawText(m_hdc, text, -1, &rect, DT_CALCRECT), 0) << text;
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.top, 2);
    EXPECT_EQ(rect.right, 3);
    EXPECT_EQ(rect.bottom, 4);
  }
  RECT rect = {0, 0, 10, 10};
  EXPECT_EQ(WINL_DrawText(m_hdc, "abc", 0, &rect, 0), 0) << "a count of 0";
  EXPECT_EQ(WINL_DrawText(m_hdc, nullptr, -1, &rect, 0), 0);
  EXPECT_EQ(WINL_DrawText(m_hdc, "abc", -1, nullptr, 0), 0);
}

TEST_F(TextTest, CountAndEncoding) {
  EXPECT_EQ(Measure("abcdef", 0, 3).right, Measure("abc").right);
  // Not UTF-8 (nor ASCII): nothing.
  RECT rect = {0, 0, 10, 10};
  EXPECT_EQ(WINL_DrawText(m_hdc, "a\xE9z", -1, &rect, DT_CALCRECT), 0);
  EXPECT_EQ(WINL_DrawText(m_hdc, "\xC0\x80", -1, &rect, DT_CALCRECT), 0) << "over-long form";
  EXPECT_GT(WINL_DrawText(m_hdc, "a\xC3\xA9z", -1, &rect, DT_CALCRECT), 0);
}

TEST_F(TextTest, CutAtTheLengthLimit) {
  const std::string limit(4095, 'x'), longer(5000, 'x');
  EXPECT_EQ(Measure(longer.c_str(), DT_SINGLELINE).right, Measure(limit.c_str(), DT_SINGLELINE).right);
  EXPECT_GT(Measure(limit.c_str(), DT_SINGLELINE).right, Measure(std::string(4094, 'x').c_str()).right);
  // Ampersands do not count toward the limit, the characters they keep do.
  std::string prefixed;
  for (int i = 0; i < 5000; ++i) prefixed += "&x";
  EXPECT_EQ(Measure(prefixed.c_str(), DT_SINGLELINE).right, Measure(limit.c_str(), DT_SINGLELINE).right);
  // A cut inside a two-byte character drops that character, not the text.
  std::string accents = "a";
  for (int i = 0; i < 2500; ++i) accents += "\xC3\xA9";
  std::string kept = "a";
  for (int i = 0; i < 2047; ++i) kept += "\xC3\xA9";
  const RECT cut = Measure(accents.c_str(), DT_SINGLELINE);
  EXPECT_GT(cut.right, 10);
  EXPECT_EQ(cut.right, Measure(kept.c_str(), DT_SINGLELINE).right);
}

TEST_F(TextTest, AlignmentAndPrecedence) {
  const RECT box = {20, 10, 180, 110};
  const RECT size = Measure("Ab");
  const int w = size.right - size.left, h = m_lastHeight;
  const struct {
    int flags;
    int x, y;  // expected top-left of the text's box
  } kCases[] = {
      {0, 20, 10},
      {DT_RIGHT, 180 - w, 10},
      {DT_CENTER, 20 + (160 / 2 - w / 2), 10},
      {DT_BOTTOM, 20, 110 - h},
      {DT_VCENTER, 20, 10 + (100 / 2 - h / 2)},
      {DT_RIGHT | DT_CENTER, 180 - w, 10},
      {DT_BOTTOM | DT_VCENTER, 20, 110 - h},
  };
  // Opaque background shows the text's box exactly.
  SetBkMode(m_hdc, 1);
  SetBkColor(m_hdc, 0x808080);
  for (const auto& c : kCases) {
    const RECT ink = Ink(Draw("Ab", box, c.flags));
    EXPECT_EQ(ink.left, c.x) << c.flags;
    EXPECT_EQ(ink.top, c.y) << c.flags;
    EXPECT_EQ(ink.right - ink.left, w) << c.flags;
    EXPECT_EQ(ink.bottom - ink.top, h) << c.flags;
  }
  SetBkMode(m_hdc, 0);
}

TEST_F(TextTest, ClippingToTheRectangle) {
  const RECT small = {30, 30, 40, 36};
  const RECT ink = Ink(Draw("WWWWWW", small, 0));
  EXPECT_GE(ink.left, 30);
  EXPECT_LE(ink.right, 40);
  EXPECT_LE(ink.bottom, 36);
  const RECT unclipped = Ink(Draw("WWWWWW", small, DT_NOCLIP));
  EXPECT_GT(unclipped.right, 40);
  // Text running off the pixels is cut there.
  const RECT edge = Ink(Draw("WWWWWWWWWW", RECT{kWidth - 10, kHeight - 5, kWidth + 100, kHeight + 100}, 0));
  EXPECT_LE(edge.right, kWidth);
  EXPECT_LE(edge.bottom, kHeight);
}

TEST_F(TextTest, ColoursAndBackground) {
  SetTextColor(m_hdc, 0x00FF00);
  Clear();
  RECT rect = {5, 5, 100, 40};
  WINL_DrawText(m_hdc, "H", -1, &rect, 0);
  const WINL_GraphicsContext* gc = WINL_GetCtxGC(m_hdc);
  int green = 0;
  for (int i = 0; i < kWidth * kHeight; ++i) {
    const uint8_t* p = gc->pixels + i * 4;
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[3], 0);
    if (p[2]) {
      ++green;
      EXPECT_EQ(p[2], 255) << "a font without anti-aliasing draws whole pixels";
      EXPECT_EQ(p[0], 255);
    }
  }
  EXPECT_GT(green, 10);
  // An anti-aliased font blends partial coverage.
  HGDIOBJ smooth = MonoFont(-12, 400, 4);
  SelectObject(m_hdc, smooth);
  Clear();
  WINL_DrawText(m_hdc, "O", -1, &rect, 0);
  int partial = 0;
  for (int i = 0; i < kWidth * kHeight; ++i)
    partial += gc->pixels[i * 4 + 2] > 0 && gc->pixels[i * 4 + 2] < 255;
  EXPECT_GT(partial, 0);
  SelectObject(m_hdc, m_font);
  DeleteObject(smooth);
}

TEST_F(TextTest, BoldHasMoreInk) {
  auto inkOf = [&](HGDIOBJ font) {
    SelectObject(m_hdc, font);
    int ink = 0;
    for (uint8_t v : Draw("HHHH", RECT{0, 0, kWidth, kHeight}, 0)) ink += v != 0;
    SelectObject(m_hdc, m_font);
    return ink;
  };
  HGDIOBJ regular = MonoFont(-14, 400), almost = MonoFont(-14, 699), bold = MonoFont(-14, 700);
  EXPECT_EQ(inkOf(almost), inkOf(regular));
  EXPECT_GT(inkOf(bold), inkOf(regular));
  for (HGDIOBJ f : {regular, almost, bold}) DeleteObject(f);
}

TEST_F(TextTest, DeadFontsFallBackToTheDefaultFace) {
  HGDIOBJ doomed = MonoFont(-30);
  SelectObject(m_hdc, doomed);
  const int big = Measure("Ab").bottom;
  DeleteObject(doomed);
  // The slot still names the deleted font; the default face is used.
  const RECT fallback = Measure("Ab");
  EXPECT_GT(fallback.bottom, 20);
  EXPECT_LT(fallback.bottom, big);
  SelectObject(m_hdc, m_font);
}

}  // namespace
