// Rectangle operations: fills with their fast paths and operators, masks,
// per-pixel processing, gradients, colour-key alpha and the flood fill.
#include <gtest/gtest.h>

#include <string>

#include "pix_test_util.h"

namespace {

TEST(FillRect, CopyWeightsAndModes) {
  const struct {
    const char* why;
    PIX_pixel under, colour;
    float alpha;
    int mode;
    PIX_pixel expected;
  } kCases[] = {
      {"full", 0, 0xFFFFFFFF, 1.0f, 0, 0xFFFFFFFF},
      {"half: word average", 0, 0xFFFFFFFF, 0.5f, 0, 0x7F7F7F7F},
      {"three quarters: 63 + 127", 0, 0xFFFFFFFF, 0.75f, 0, 0xBEBEBEBE},
      {"quarter", 0, 0xFFFFFFFF, 0.25f, 0, 0x3F3F3F3F},
      {"other weight: the weight stands in for the source alpha", 0, 0xFFFFFFFF, 0.3f, 0,
       Argb(23, 76, 76, 76)},
      {"tiny alpha", 0, 0xFFFFFFFF, 0.001f, 0, 0},
      {"source-alpha bit, transparent colour", 0, Argb(0, 255, 255, 255), 1.0f, 0x10000, 0},
      {"source-alpha bit scales the alpha by 127 / 255", 0, Argb(127, 255, 255, 255), 1.0f, 0x10000,
       Argb(64, 127, 127, 127)},
      {"add at half weight", Argb(0, 100, 100, 100), Argb(9, 200, 0, 255), 0.5f, 1, Argb(64, 200, 100, 227)},
      {"mode above 5", 0, 0xFFFFFFFF, 1.0f, 6, 0},
      {"channel-copy value", 0, 0xFFFFFFFF, 1.0f, 0xF4, 0},
  };
  for (const auto& c : kCases) {
    auto bm = Filled(6, 3, c.under);
    PIX_FillRect(bm.get(), 1, 1, 4, 1, c.colour, c.alpha, c.mode);
    EXPECT_EQ(Channels(PIX_GetPixel(bm.get(), 4, 1)), Channels(c.expected)) << c.why;
    EXPECT_EQ(PIX_GetPixel(bm.get(), 5, 1), c.under) << c.why;
    EXPECT_EQ(PIX_GetPixel(bm.get(), 1, 0), c.under) << c.why;
  }
}

TEST(FillRect, ClipsToTheBitmap) {
  auto bm = Filled(8, 4, 0);
  PIX_FillRect(bm.get(), -10, -1, 15, 2, 0xFFFFFFFF, 1.0f, 0);  // columns 0..4, row 0
  for (int x = 0; x < 8; ++x) EXPECT_EQ(PIX_GetPixel(bm.get(), x, 0), x < 5 ? 0xFFFFFFFFu : 0u) << x;
  EXPECT_EQ(PIX_GetPixel(bm.get(), 0, 1), 0u);
  PIX_FillRect(bm.get(), 6, 3, 100, 100, 0x11111111, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 7, 3), 0x11111111u);
  PIX_FillRect(bm.get(), -2000000000, -2000000000, 2100000000, 2000000002, 0x22222222, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 0, 0), 0x22222222u);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 7, 1), 0x22222222u);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 0, 2), 0x11111111u - 0x11111111u);
  PIX_FillRect(nullptr, 0, 0, 1, 1, 0, 1.0f, 0);
}

TEST(FillRect, FlippedBitmapFillsTheSameDrawingRows) {
  for (float alpha : {1.0f, 0.4f}) {
    FlippedBitmap flipped(4, 5);
    PIX_Clear(&flipped, 0);
    auto plain = Filled(4, 5, 0);
    PIX_FillRect(&flipped, 1, 1, 2, 2, Argb(200, 100, 50, 25), alpha, 0);
    PIX_FillRect(plain.get(), 1, 1, 2, 2, Argb(200, 100, 50, 25), alpha, 0);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(PIX_GetPixel(&flipped, x, y), PIX_GetPixel(plain.get(), x, y));
  }
}

TEST(ClearRect, MasksAndSetsBits) {
  auto bm = Filled(3, 3, 0xFFFFFFFF);
  PIX_ClearRect(bm.get(), 1, 0, 5, 2, 0xFFFFFF00, 0);  // alpha bytes only
  EXPECT_EQ(PIX_GetPixel(bm.get(), 2, 1), 0xFFFFFF00u);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 0, 1), 0xFFFFFFFFu);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 1, 2), 0xFFFFFFFFu);
  PIX_ClearRect(bm.get(), 0, 2, 1, 1, 0, 0x12345678);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 0, 2), 0x12345678u);
}

TEST(MultiplyAddRect, ScalesAndOffsetsEachChannel) {
  auto bm = Filled(2, 2, Argb(90, 200, 50, 100));
  PIX_MultiplyAddRect(bm.get(), 1, 0, 1, 1, 0.5f, 1.0f, -1.0f, 1.0f, 0.0f, 10.0f, 0.0f, -300.0f);
  EXPECT_EQ(Channels(PIX_GetPixel(bm.get(), 1, 0)), Channels(Argb(0, 100, 60, 0)));
  EXPECT_EQ(PIX_GetPixel(bm.get(), 0, 0), Argb(90, 200, 50, 100));
  PIX_MultiplyAddRect(bm.get(), 0, 0, 1, 1, 1e30f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(bm.get(), 0, 0)), 255);
}

TEST(ProcessRect, CallsTheFunctionForEveryPixelOfTheClippedArea) {
  auto bm = Filled(4, 4, 0);
  int calls = 0;
  PIX_ProcessRect(
      bm.get(), -1, 2, 3, 5,
      [](PIX_pixel* p, void* parm) {
        *p = 0xABCDEF01;
        ++*static_cast<int*>(parm);
      },
      &calls);
  EXPECT_EQ(calls, 4);  // columns 0..1, rows 2..3
  EXPECT_EQ(PIX_GetPixel(bm.get(), 1, 3), 0xABCDEF01u);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 2, 3), 0u);
  PIX_ProcessRect(bm.get(), 0, 0, 4, 4, nullptr, nullptr);
}

TEST(GradRect, StepsTheColourPerColumnAndRow) {
  auto bm = Filled(4, 2, 0);
  // Red rises by a quarter (63.75 in 16.16) per column, blue by a half per
  // row; a constant full alpha writes without blending (alpha clamped to 255).
  PIX_GradRect(bm.get(), 0, 0, 4, 2, 0, 0, 0, 1.0f, 0.25f, 0, 0, 0, 0, 0, 0.5f, 0, 0);
  EXPECT_EQ(Channels(PIX_GetPixel(bm.get(), 0, 0)), Channels(Argb(255, 0, 0, 0)));
  EXPECT_EQ(Channels(PIX_GetPixel(bm.get(), 3, 0)), Channels(Argb(255, 191, 0, 0)));
  EXPECT_EQ(Channels(PIX_GetPixel(bm.get(), 2, 1)), Channels(Argb(255, 127, 0, 127)));
  // A negative corner moves the start colour by the columns cut off.
  auto cut = Filled(4, 1, 0);
  PIX_GradRect(cut.get(), -2, 0, 6, 1, 0, 0, 0, 1.0f, 0.25f, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(cut.get(), 0, 0)), 127);
  // Half alpha blends by the alpha: copy at weight 128 with source alpha 128.
  auto half = Filled(1, 1, Argb(0, 100, 0, 0));
  PIX_GradRect(half.get(), 0, 0, 1, 1, 1.0f, 0, 0, 0.5f, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(Channels(PIX_GetPixel(half.get(), 0, 0)), Channels(Argb(64, 178, 0, 0)));
  PIX_GradRect(half.get(), 0, 0, 1, 1, 1e30f, 0, 0, 1.0f, 1e30f, 0, 0, 0, 0, 0, 0, 0, 1);
  PIX_GradRect(half.get(), 0, 0, 1, 1, 0, 0, 0, 1.0f, 0, 0, 0, 0, 0, 0, 0, 0, 6);
}

TEST(ColorMask, KeyColourBecomesTransparentAndTheRestOpaque) {
  auto bm = Filled(3, 1, Argb(77, 1, 2, 3));
  PIX_PutPixel(bm.get(), 2, 0, Argb(77, 1, 2, 4), 1.0f, 0);
  PIX_SetAlphaFromColorMask(bm.get(), Argb(0, 1, 2, 3));
  EXPECT_EQ(PIX_GetPixel(bm.get(), 0, 0), Argb(0, 1, 2, 3));
  EXPECT_EQ(PIX_GetPixel(bm.get(), 2, 0), Argb(255, 1, 2, 4));
  PIX_SetAlphaFromColorMask(bm.get(), Argb(5, 1, 2, 3));  // an alpha byte never matches
  EXPECT_EQ(PIX_GetPixel(bm.get(), 0, 0), Argb(255, 1, 2, 3));
}

TEST(SimpleFill, FillsRunsConnectedThroughTheStartColumn) {
  const char* kBefore[] = {"..#...", "..#...", "......", ".#....", "......"};
  const char* kAfter[] = {"..#...", "..#...", "FFFFFF", ".#FFFF", "FFFFFF"};
  auto toPixel = [](char c) { return c == '#' ? 0xFF000000u : c == 'F' ? 0x000000FFu : 0u; };
  PIX_MemBitmap bm(6, 5, 4);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) PIX_PutPixel(&bm, x, y, toPixel(kBefore[y][x]), 1.0f, 0);
  PIX_SimpleFill(&bm, 2, 2, 0x000000FF, 0xFFFFFFFF, 0);
  for (int y = 0; y < 5; ++y) {
    std::string row;
    for (int x = 0; x < 6; ++x) {
      const PIX_pixel p = PIX_GetPixel(&bm, x, y);
      row += p == 0xFF000000u ? '#' : p == 0x000000FFu ? 'F' : '.';
    }
    EXPECT_EQ(row, kAfter[y]) << "row " << y;
  }
  PIX_SimpleFill(&bm, 6, 0, 0, 0xFFFFFFFF, 0);  // outside: nothing
  PIX_SimpleFill(nullptr, 0, 0, 0, 0, 0);
}

}  // namespace
