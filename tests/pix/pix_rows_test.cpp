// The vectorised row loops against the per-pixel operators they stand in
// for: every destination and source byte pair, every weight that selects
// them, rows long enough for whole vectors and with tails of each length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "KIT/pix/pix-rows.h"
#include "pix_test_util.h"

namespace {

// Runs each test with the widest loops the processor has (512-bit vectors),
// again with those of at most 256 bits (AVX2) and with the SSE2 ones. A
// processor without the wider ones runs the narrower loops in their place.
class RowLoops : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override { PIX_RowsWidestVectors(GetParam()); }
  void TearDown() override { PIX_RowsWidestVectors(512); }
};

// One row per destination byte d: pixel x has source alpha x and a colour
// that varies with x and d, over a destination made of d.
struct OverRows {
  explicit OverRows(int d, int n) : src(static_cast<size_t>(n) * 4), dest(static_cast<size_t>(n) * 4) {
    for (int x = 0; x < n; ++x) {
      const int s = x & 0xFF;
      unsigned char* p = &src[static_cast<size_t>(x) * 4];
      p[0] = static_cast<unsigned char>(s), p[1] = static_cast<unsigned char>(255 - s);
      p[2] = static_cast<unsigned char>(s ^ 0x5A), p[3] = static_cast<unsigned char>(d);
      unsigned char* q = &dest[static_cast<size_t>(x) * 4];
      q[0] = static_cast<unsigned char>(d), q[1] = static_cast<unsigned char>(d ^ 0x33);
      q[2] = static_cast<unsigned char>(255 - d), q[3] = static_cast<unsigned char>(s);
    }
  }
  std::vector<unsigned char> src, dest;
};

// Lengths with every tail of every build: each row up to three of the
// widest vectors (the per-pixel operator below four pixels, the narrower
// loops below eight and sixteen, then one and two whole vectors with each
// remainder after them), and rows of 256 and more, in which pixel x takes
// every value x & 0xFF.
const std::vector<int> kLengths = [] {
  std::vector<int> lengths;
  for (int n = 1; n <= 47; ++n) lengths.push_back(n);
  for (int n = 256; n <= 259; ++n) lengths.push_back(n);
  return lengths;
}();

TEST_P(RowLoops, SourceAlphaOverEqualsTheOperator) {
  int mismatches = 0;
  for (int n : kLengths)
    for (int d = 0; d < 256; ++d) {
      OverRows rows(d, n);
      std::vector<unsigned char> expected = rows.dest;
      for (int x = 0; x < n; ++x) {
        const unsigned char* p = &rows.src[static_cast<size_t>(x) * 4];
        _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp::doPix(&expected[static_cast<size_t>(x) * 4],
                                                                       p[1], p[2], p[3], p[0], 256);
      }
      PIX_RowSourceAlphaOver(rows.dest.data(), rows.src.data(), n);
      mismatches += rows.dest != expected;
    }
  EXPECT_EQ(mismatches, 0);
}

// Rows of every destination byte at each weight and length: the row loop
// against the per-pixel operator F, each differing case named.
template <class F, class Row>
void ExpectWeightedRowsEqual(std::initializer_list<int> weights, const std::vector<int>& lengths, Row row) {
  for (int w : weights)
    for (int n : lengths)
      for (int d = 0; d < 256; ++d) {
        OverRows rows(d, n);
        std::vector<unsigned char> expected = rows.dest;
        for (int x = 0; x < n; ++x) {
          const unsigned char* p = &rows.src[static_cast<size_t>(x) * 4];
          F::doPix(&expected[static_cast<size_t>(x) * 4], p[1], p[2], p[3], p[0], w);
        }
        row(rows.dest.data(), rows.src.data(), n, w);
        if (rows.dest != expected) ADD_FAILURE() << "weight " << w << " length " << n << " destination " << d;
      }
}

TEST_P(RowLoops, WeightedSourceAlphaOverEqualsTheOperator) {
  ExpectWeightedRowsEqual<_PIX_CombinePixelsCopySourceAlphaNoClamp>(
      {1, 2, 63, 64, 100, 127, 128, 129, 192, 254, 255}, kLengths, PIX_RowSourceAlphaOverWeighted);
}

TEST_P(RowLoops, ConstantWeightBlendEqualsTheOperator) {
  ExpectWeightedRowsEqual<_PIX_CombinePixelsCopyNoClamp>({1, 2, 63, 64, 77, 127, 128, 129, 192, 254, 255},
                                                         kLengths, PIX_RowBlend);
}

// An area of w x h pixels in rows span pixels apart (span >= w), with pixels
// of every byte value and a guard word on either side of each row and in
// the gaps between rows.
struct Area {
  static constexpr PIX_pixel kGuard = 0xA55A5AA5u;
  Area(int w, int h, int span, uint32_t seed)
      : w(w), h(h), span(span), words(static_cast<size_t>(h * span + 2), kGuard) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        seed = seed * 1664525u + 1013904223u;
        // Byte values in turn along the row: every value in rows of 256.
        const uint32_t v = static_cast<uint32_t>(x + y * 77) & 0xFF;
        At(x, y) = v | ((v * 3 + 11) & 0xFF) << 8 | ((255 - v) << 16) | (seed & 0xFF000000u);
      }
  }
  PIX_pixel* First() { return words.data() + 1; }
  PIX_pixel& At(int x, int y) { return words[static_cast<size_t>(1 + y * span + x)]; }
  // True while the guard words and the gaps are as they were.
  bool GuardsIntact() const {
    for (size_t i = 0; i < words.size(); ++i) {
      const int at = static_cast<int>(i) - 1;
      const bool inside = at >= 0 && at < h * span && at % span < w;
      if (!inside && words[i] != kGuard) return false;
    }
    return true;
  }
  int w, h, span;
  std::vector<PIX_pixel> words;
};

// The fill's constant-weight copy of one colour: every colour byte against
// every destination byte at each weight, then areas of every row length, as
// one run (rows without gaps) and as separate rows.
TEST_P(RowLoops, ColourBlendEqualsTheOperator) {
  auto expectArea = [](int w, int h, int span, PIX_pixel source, int weight) {
    Area area(w, h, span, source ^ static_cast<uint32_t>(weight));
    Area expected = area;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        _PIX_CombinePixelsCopyNoClamp::doPix(reinterpret_cast<unsigned char*>(&expected.At(x, y)),
                                             PIX_Red(source), PIX_Green(source), PIX_Blue(source),
                                             PIX_Alpha(source), weight);
    PIX_RowsBlendColor(area.First(), span, w, h, source, weight);
    EXPECT_TRUE(area.GuardsIntact()) << w << " x " << h << " span " << span << " weight " << weight;
    EXPECT_EQ(area.words, expected.words)
        << w << " x " << h << " span " << span << " weight " << weight << " colour " << Channels(source);
  };
  for (int weight : {1, 2, 63, 64, 76, 127, 128, 129, 192, 254, 255}) {
    for (int v = 0; v < 256; ++v) expectArea(259, 1, 259, Argb(v, 255 - v, v ^ 0x5A, (v * 7) & 0xFF), weight);
    for (int n : kLengths)
      for (int span : {n, n + 3}) expectArea(n, 3, span, Argb(weight, 200, 17, 99), weight);
  }
}

// The weighted fill through PIX_FillRect: areas of every kind of row (a
// single pixel, around one vector and around four, whole rows with and
// without a gap between them) placed and clipped in bitmaps of varied
// pixels, at a weight of each factor form (76 and 230), against the
// per-pixel operator over the clipped area. Nothing outside it changes.
TEST_P(RowLoops, WeightedFillOfPlacedAreasEqualsTheOperator) {
  const struct {
    const char* why;
    int width, height, x, y, w, h;
  } kCases[] = {
      {"one pixel", 70, 68, 3, 5, 1, 1},
      {"below a vector", 70, 68, 1, 2, 15, 3},
      {"one vector", 70, 68, 2, 1, 16, 2},
      {"a vector and one", 70, 68, 5, 0, 17, 4},
      {"around four vectors", 70, 68, 7, 3, 63, 2},
      {"four vectors", 70, 68, 6, 4, 64, 3},
      {"four vectors and one", 70, 68, 1, 1, 65, 2},
      {"control-sized area in a wider bitmap", 70, 68, 0, 0, 64, 64},
      {"whole bitmap, rows with a gap", 70, 68, 0, 0, 70, 68},
      {"whole bitmap, rows without a gap", 64, 64, 0, 0, 64, 64},
      {"clipped left and top", 70, 68, -5, -3, 20, 10},
      {"clipped right and bottom", 70, 68, 60, 60, 50, 50},
      {"clipped on both sides", 70, 68, -10, 10, 200, 1},
  };
  const PIX_pixel colour = Argb(0x31, 0xE0, 0x07, 0x80);
  for (const auto& c : kCases)
    for (float alpha : {0.3f, 0.9f}) {
      PIX_MemBitmap bm(c.width, c.height, 4);
      uint32_t v = static_cast<uint32_t>(c.x * 131 + c.w);
      for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
          v = v * 1664525u + 1013904223u;
          bm.getBits()[y * bm.getRowSpan() + x] = v;
        }
      std::vector<PIX_pixel> expected(bm.getBits(), bm.getBits() + bm.getRowSpan() * c.height);
      const int weight = static_cast<int>(alpha * 256.0);
      for (int y = std::max(c.y, 0); y < std::min(c.y + c.h, c.height); ++y)
        for (int x = std::max(c.x, 0); x < std::min(c.x + c.w, c.width); ++x)
          _PIX_CombinePixelsCopyNoClamp::doPix(
              reinterpret_cast<unsigned char*>(&expected[static_cast<size_t>(y * bm.getRowSpan() + x)]),
              PIX_Red(colour), PIX_Green(colour), PIX_Blue(colour), weight, weight);
      PIX_FillRect(&bm, c.x, c.y, c.w, c.h, colour, alpha, 0);
      const std::vector<PIX_pixel> filled(bm.getBits(), bm.getBits() + bm.getRowSpan() * c.height);
      EXPECT_EQ(filled, expected) << c.why << " at alpha " << alpha;
    }
}

// The coverage blend of the glyph cache: each pixel takes the colour at the
// weight of its mask byte (m + 1 at full weight, m * weight / 256 below it;
// none for m = 0), as the per-pixel operator gives it.
void CoverageReference(PIX_pixel* first, ptrdiff_t span, const unsigned char* mask, ptrdiff_t maskSpan, int w,
                       int h, PIX_pixel source, int weight) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int m = mask[y * maskSpan + x];
      if (m)
        _PIX_CombinePixelsCopyNoClamp::doPix(reinterpret_cast<unsigned char*>(first + y * span + x),
                                             PIX_Red(source), PIX_Green(source), PIX_Blue(source),
                                             PIX_Alpha(source), weight == 256 ? m + 1 : m * weight / 256);
    }
}

TEST_P(RowLoops, CoverageEqualsTheOperator) {
  const int kWeights[] = {256, 255, 129, 128, 77, 1};
  const PIX_pixel kColours[] = {0xFFFFFFFFu, Argb(255, 200, 30, 90), Argb(255, 0, 0, 0)};
  // Every mask byte over every destination byte: mask column m, rows of
  // every destination value.
  std::vector<unsigned char> ramp(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int m = 0; m < 256; ++m) ramp[static_cast<size_t>(y * 256 + m)] = static_cast<unsigned char>(m);
  for (int weight : kWeights)
    for (PIX_pixel colour : kColours) {
      Area area(256, 256, 256, colour), expected = area;
      for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
          area.At(x, y) = expected.At(x, y) = 0x01010101u * static_cast<uint32_t>(y);
      CoverageReference(expected.First(), 256, ramp.data(), 256, 256, 256, colour, weight);
      PIX_RowsCoverage(area.First(), 256, ramp.data(), 256, 256, 256, colour, weight);
      EXPECT_EQ(area.words, expected.words) << "weight " << weight << " colour " << Channels(colour);
    }
  // Glyph-like areas of every width and of odd and even heights, rows in
  // both directions, with blank mask rows above, between and below the ink.
  for (int weight : kWeights)
    for (int w = 1; w <= 35; ++w)
      for (int h : {1, 2, 3, 6, 7})
        for (bool upward : {false, true}) {
          std::vector<unsigned char> mask(static_cast<size_t>(w * h));
          for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
              const bool blank = y == 0 || y == h - 1 || y == 3;
              mask[static_cast<size_t>(y * w + x)] =
                  blank ? 0 : static_cast<unsigned char>((x * 53 + y * 31) & 0xFF);
            }
          Area area(w, h, w + 2, static_cast<uint32_t>(w * h)), expected = area;
          // Upward: the first row drawn is the area's last in memory.
          const ptrdiff_t span = upward ? -(w + 2) : w + 2;
          const int start = upward ? h - 1 : 0;
          CoverageReference(&expected.At(0, start), span, mask.data(), w, w, h, kColours[1], weight);
          PIX_RowsCoverage(&area.At(0, start), span, mask.data(), w, w, h, kColours[1], weight);
          EXPECT_TRUE(area.GuardsIntact()) << w << " x " << h << " upward " << upward;
          EXPECT_EQ(area.words, expected.words)
              << w << " x " << h << " upward " << upward << " weight " << weight;
        }
}

// Every other pixel of a source of exactly twice the length (the address
// sanitizer sees a read past it), nothing written past the row.
TEST_P(RowLoops, PickEvenTakesEveryOtherPixel) {
  std::vector<int> lengths = kLengths;
  lengths.push_back(0);
  for (int n : lengths) {
    std::vector<PIX_pixel> src(static_cast<size_t>(2 * n));
    for (size_t i = 0; i < src.size(); ++i) src[i] = 0x01000193u * static_cast<uint32_t>(i + 1);
    std::vector<PIX_pixel> dest(static_cast<size_t>(n) + 1, Area::kGuard);
    PIX_RowPickEven(dest.data(), src.data(), n);
    for (int i = 0; i < n; ++i)
      ASSERT_EQ(dest[static_cast<size_t>(i)], src[static_cast<size_t>(2 * i)]) << n << " at " << i;
    EXPECT_EQ(dest.back(), Area::kGuard) << "wrote past a row of " << n;
  }
}

// The scaled blit's four-tap formula, computed in integers: pixel i from
// source column columns[i] and the one right of it.
void BilinearReference(unsigned char* out, const unsigned char* row, const unsigned char* below,
                       const int32_t* columns, const uint16_t* fractions, int n, unsigned yf) {
  for (int i = 0; i < n; ++i) {
    const unsigned xf = fractions[i];
    const unsigned c = (xf * yf) >> 16;
    const unsigned wRight = xf - c, wBelow = yf - c, wHere = (65536 - yf) - wRight;
    const unsigned char* p = row + 4 * columns[i];
    const unsigned char* q = below + 4 * columns[i];
    for (int k = 0; k < 4; ++k)
      out[4 * i + k] =
          static_cast<unsigned char>((p[k] * wHere + p[4 + k] * wRight + q[k] * wBelow + q[4 + k] * c) >> 16);
  }
}

TEST_P(RowLoops, BilinearEqualsTheIntegerFormula) {
  // Two source rows of varied bytes, the extremes among them.
  const int kWidth = 301;
  std::vector<unsigned char> row(kWidth * 4), below(kWidth * 4);
  uint32_t v = 12345;
  for (size_t i = 0; i < row.size(); ++i) {
    v = v * 1664525u + 1013904223u;
    row[i] = static_cast<unsigned char>(i % 7 == 0 ? 255 : v >> 24);
    below[i] = static_cast<unsigned char>(i % 11 == 0 ? 0 : (i % 5 == 0 ? 255 : v >> 16));
  }
  std::vector<int16_t> table((kWidth - 1) * kBilinearColumnValues);
  PIX_BilinearColumns(table.data(), row.data(), below.data(), kWidth - 1);
  // Every horizontal fraction, at columns all over the rows.
  const int n = 65536;
  std::vector<int32_t> columns(n);
  std::vector<uint16_t> fractions(n);
  for (int i = 0; i < n; ++i) {
    columns[static_cast<size_t>(i)] = (i * 7) % (kWidth - 1);
    fractions[static_cast<size_t>(i)] = static_cast<uint16_t>(i * 40503);  // a permutation of 0..65535
  }
  std::vector<unsigned char> out(n * 4), expected(n * 4);
  for (unsigned yf : {0u, 1u, 255u, 256u, 32767u, 32768u, 32769u, 65279u, 65535u, 12345u, 54321u}) {
    for (int length : {n, n - 1, n - 2, n - 3, n - 5, n - 7, 5}) {
      BilinearReference(expected.data(), row.data(), below.data(), columns.data(), fractions.data(), length,
                        yf);
      memset(out.data(), 0xCD, out.size());
      PIX_BilinearRow(out.data(), table.data(), columns.data(), fractions.data(), length, yf);
      ASSERT_EQ(memcmp(out.data(), expected.data(), static_cast<size_t>(length) * 4), 0)
          << "yf " << yf << " length " << length;
      if (length < n) {
        EXPECT_EQ(out[static_cast<size_t>(length) * 4], 0xCD) << "wrote past the row";
      }
    }
  }
  // Every vertical fraction at a few horizontal ones.
  for (unsigned yf = 0; yf < 65536; yf += 7) {
    BilinearReference(expected.data(), row.data(), below.data(), columns.data(), fractions.data(), 67, yf);
    PIX_BilinearRow(out.data(), table.data(), columns.data(), fractions.data(), 67, yf);
    ASSERT_EQ(memcmp(out.data(), expected.data(), 67 * 4), 0) << "yf " << yf;
  }
}

// Tables of every short width (each loop's tail) give the formula's pixels
// at every column and write nothing past their last column.
TEST_P(RowLoops, BilinearTablesOfEveryWidth) {
  for (int count = 1; count <= 13; ++count) {
    std::vector<unsigned char> row((count + 1) * 4), below((count + 1) * 4);
    for (size_t i = 0; i < row.size(); ++i) {
      row[i] = static_cast<unsigned char>(i * 37 + count);
      below[i] = static_cast<unsigned char>(255 - i * 53);
    }
    std::vector<int16_t> table((count + 1) * kBilinearColumnValues, 0x5A5A);
    PIX_BilinearColumns(table.data(), row.data(), below.data(), count);
    for (int v = count * kBilinearColumnValues; v < (count + 1) * kBilinearColumnValues; ++v)
      ASSERT_EQ(table[static_cast<size_t>(v)], 0x5A5A) << "wrote past column " << count - 1;
    std::vector<int32_t> columns;
    std::vector<uint16_t> fractions;
    for (int x = 0; x < count; ++x)
      for (uint16_t xf : {0, 1, 32768, 65535}) columns.push_back(x), fractions.push_back(xf);
    const int n = static_cast<int>(columns.size());
    for (unsigned yf : {0u, 40000u, 65535u}) {
      std::vector<unsigned char> out(n * 4), expected(n * 4);
      BilinearReference(expected.data(), row.data(), below.data(), columns.data(), fractions.data(), n, yf);
      PIX_BilinearRow(out.data(), table.data(), columns.data(), fractions.data(), n, yf);
      EXPECT_EQ(out, expected) << "width " << count << " yf " << yf;
    }
  }
}

// The scaled blits that use the row loops, against the same blits where
// source and destination share a bitmap's memory (which keep the pixel by
// pixel loops): both sample the same untouched source area.
TEST_P(RowLoops, ScaledBlitsMatchThePixelByPixelLoops) {
  const int kSourceW = 37, kSourceH = 23;
  for (int mode : {0, 0x100, 0x10100, 0x10000, 0x101, 0x10103})
    for (float alpha : {1.0f, 0.5f, 0.3f})
      for (const auto& size : {std::make_pair(74, 46), std::make_pair(50, 31), std::make_pair(18, 11)}) {
        const int w = size.first, h = size.second;
        // Apart: a source bitmap and a destination bitmap.
        PIX_MemBitmap src(kSourceW, kSourceH, 4);
        uint32_t v = 777;
        for (int y = 0; y < kSourceH; ++y)
          for (int x = 0; x < kSourceW; ++x) {
            v = v * 1664525u + 1013904223u;
            src.getBits()[y * src.getRowSpan() + x] = v;
          }
        auto apart = Filled(w, h, Argb(200, 10, 120, 250));
        PIX_ScaledBlit(apart.get(), &src, 0, 0, w, h, 0.25f, 0.5f, 35.0f, 21.0f, alpha, mode);
        // Shared: one bitmap holding the source on top and the destination
        // below it.
        PIX_MemBitmap shared(80, kSourceH + h, 4);
        PIX_Clear(&shared, Argb(200, 10, 120, 250));
        PIX_Blit(&shared, &src, 0, 0, nullptr, 1.0f, 0);
        PIX_ScaledBlit(&shared, &shared, 0, kSourceH, w, h, 0.25f, 0.5f, 35.0f, 21.0f, alpha, mode);
        int differing = 0;
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            differing += PIX_GetPixel(apart.get(), x, y) != PIX_GetPixel(&shared, x, kSourceH + y);
        EXPECT_EQ(differing, 0) << "mode " << mode << " alpha " << alpha << " size " << w << " x " << h;
      }
}

TEST_P(RowLoops, FillWritesExactlyTheWordsAsked) {
  for (size_t n = 0; n < 80; ++n)
    for (size_t start = 0; start < 3; ++start) {
      std::vector<uint32_t> words(90, 0x11223344u);
      PIX_RowFill(words.data() + start, n, 0xA5B6C7D8u);
      for (size_t i = 0; i < words.size(); ++i)
        ASSERT_EQ(words[i], i >= start && i < start + n ? 0xA5B6C7D8u : 0x11223344u)
            << "length " << n << " start " << start << " word " << i;
    }
}

// A bitmap whose pixels fill a heap block exactly, rows end to end (row
// span = width): the address sanitizer sees any read past its last pixel.
class ExactBitmap : public PIX_IBitmap {
 public:
  ExactBitmap(int w, int h, bool flipped)
      : m_pixels(static_cast<size_t>(w * h)), m_w(w), m_h(h), m_flipped(flipped) {}
  PIX_pixel* getBits() override { return m_pixels.data(); }
  int getWidth() override { return m_w; }
  int getHeight() override { return m_h; }
  int getRowSpan() override { return m_w; }
  bool isFlipped() override { return m_flipped; }
  bool resize(int, int) override { return false; }

 private:
  std::vector<PIX_pixel> m_pixels;
  int m_w, m_h;
  bool m_flipped;
};

// Nearest copies whose columns step by whole pixels (a shrink by 2, a
// vertical-only stretch) read their rows straight: every pixel is the one
// sampled, also where the source rectangle reaches past an odd-width bitmap,
// starts inside it, or the destination is clipped, in either row order.
TEST_P(RowLoops, NearestWholeStepsSampleTheirColumns) {
  struct Case {
    const char* name;
    int srcW, srcH;      // source bitmap
    int sx, sy, sw, sh;  // source rectangle
    int destW, destH;    // destination bitmap
    int dx, dy, dw, dh;  // destination rectangle
  };
  const Case kCases[] = {
      {"shrink by 2", 34, 10, 0, 0, 34, 10, 17, 5, 0, 0, 17, 5},
      {"past an odd-width bitmap", 33, 10, 0, 0, 34, 10, 17, 5, 0, 0, 17, 5},
      {"from inside the source", 40, 12, 3, 2, 30, 8, 20, 8, 2, 1, 15, 4},
      {"clipped destination", 40, 12, 0, 0, 40, 12, 12, 4, -3, -1, 20, 6},
      {"long rows", 600, 4, 0, 0, 600, 4, 300, 2, 0, 0, 300, 2},
      {"vertical stretch only", 21, 6, 0, 0, 21, 6, 21, 12, 0, 0, 21, 12},
  };
  const PIX_pixel kBackground = Argb(9, 8, 7, 6);
  for (const Case& c : kCases)
    for (bool flippedSource : {false, true})
      for (bool flippedDest : {false, true}) {
        ExactBitmap source(c.srcW, c.srcH, flippedSource);
        FlippedBitmap flippedDst(c.destW, c.destH);
        PIX_MemBitmap plainDst(c.destW, c.destH, 4);
        PIX_IBitmap* src = &source;
        PIX_IBitmap* dest = flippedDest ? static_cast<PIX_IBitmap*>(&flippedDst) : &plainDst;
        PaintMarkers(src);
        PIX_Clear(dest, kBackground);
        PIX_ScaledBlit(dest, src, c.dx, c.dy, c.dw, c.dh, static_cast<float>(c.sx), static_cast<float>(c.sy),
                       static_cast<float>(c.sw), static_cast<float>(c.sh), 1.0f, 0);
        int wrong = 0;
        for (int y = 0; y < c.destH; ++y)
          for (int x = 0; x < c.destW; ++x) {
            const int column = c.sx + (x - c.dx) * c.sw / c.dw, row = c.sy + (y - c.dy) * c.sh / c.dh;
            const bool drawn =
                x >= c.dx && x < c.dx + c.dw && y >= c.dy && y < c.dy + c.dh && column < c.srcW;
            const PIX_pixel expected = drawn ? Marker(column, row) : kBackground;
            if (PIX_GetPixel(dest, x, y) != expected && wrong++ < 3)
              ADD_FAILURE() << c.name << " flipped " << flippedSource << flippedDest << " at " << x << ","
                            << y << ": " << Channels(PIX_GetPixel(dest, x, y)) << " for "
                            << Channels(expected);
          }
        EXPECT_EQ(wrong, 0) << c.name;
      }
}

// A plain nearest copy that samples a source row twice copies the row
// already drawn: the picture is that of sampling every pixel.
TEST_P(RowLoops, NearestUpscaleRepeatsRowsAndColumns) {
  PIX_MemBitmap src(9, 7, 4);
  PaintMarkers(&src);
  for (bool flipped : {false, true}) {
    FlippedBitmap flippedDest(18, 14);
    PIX_MemBitmap plainDest(18, 14, 4);
    PIX_IBitmap* dest = flipped ? static_cast<PIX_IBitmap*>(&flippedDest) : &plainDest;
    PIX_ScaledBlit(dest, &src, 0, 0, 18, 14, 0, 0, 9, 7, 1.0f, 0);
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 18; ++x)
        ASSERT_EQ(Channels(PIX_GetPixel(dest, x, y)), Channels(Marker(x / 2, y / 2)))
            << "flipped " << flipped << " at " << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, RowLoops, ::testing::Values(512, 256, 128),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 512   ? std::string("Widest")
                                  : info.param == 256 ? std::string("Avx2")
                                                      : std::string("Sse2");
                         });

}  // namespace
