// The vectorised row loops against the per-pixel operators they stand in
// for: every destination and source byte pair, every weight that selects
// them, rows long enough for whole vectors and with tails of each length.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "KIT/pix/pix-rows.h"
#include "pix_test_util.h"

namespace {

// Runs each test with the widest loops the processor has and again with the
// SSE2 ones.
class RowLoops : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { PIX_RowsBaselineOnly(GetParam()); }
  void TearDown() override { PIX_RowsBaselineOnly(false); }
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

// Lengths with every tail: 256 whole vectors and 1 to 3 pixels more, and
// rows shorter than one vector.
const int kLengths[] = {256, 257, 258, 259, 1, 3};

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
void ExpectWeightedRowsEqual(std::initializer_list<int> weights, std::initializer_list<int> lengths,
                             Row row) {
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
      {1, 2, 63, 64, 100, 127, 128, 129, 192, 254, 255}, {256, 259}, PIX_RowSourceAlphaOverWeighted);
}

TEST_P(RowLoops, ConstantWeightBlendEqualsTheOperator) {
  ExpectWeightedRowsEqual<_PIX_CombinePixelsCopyNoClamp>({1, 2, 63, 64, 77, 127, 128, 129, 192, 254, 255},
                                                         {256, 257, 258, 259, 1, 3}, PIX_RowBlend);
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

INSTANTIATE_TEST_SUITE_P(Builds, RowLoops, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Sse2") : std::string("Widest");
                         });

}  // namespace
