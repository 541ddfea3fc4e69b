// Bitmaps, icons and image lists; drawing images and copying between
// contexts, pixel-checked on small memory contexts.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "KIT/pix/pix-bitmap.h"
#include "KIT/winl/winl-image.h"
#include "KIT/winl/winl-shapes.h"
#include "tests/support/temp_folder.h"
#include "tools/pngwrite/png_writer.h"

namespace {

// Pixel bytes in the layer's order: alpha, red, green, blue.
std::vector<uint8_t> Pixels(std::initializer_list<uint32_t> argb) {
  std::vector<uint8_t> bytes;
  for (uint32_t p : argb)
    for (int shift : {24, 16, 8, 0}) bytes.push_back(static_cast<uint8_t>(p >> shift));
  return bytes;
}

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override { m_hdc = WINL_CreateMemContext(nullptr, kSize, kSize); }
  void TearDown() override {
    WINL_DeleteGfxContext(m_hdc);
    for (HGDIOBJ o : m_objects) DeleteObject(o);
  }
  HGDIOBJ Keep(HGDIOBJ o) {
    m_objects.push_back(o);
    return o;
  }
  static int At(HDC hdc, int x, int y) {
    const WINL_GraphicsContext* gc = WINL_GetCtxGC(hdc);
    const uint8_t* p = gc->pixels + y * gc->rowBytes + x * 4;
    return p[1] << 16 | p[2] << 8 | p[3];
  }
  int At(int x, int y) { return At(m_hdc, x, y); }
  void Clear(int colour) {
    RECT all{0, 0, kSize, kSize};
    HGDIOBJ brush = CreateSolidBrush(colour);
    WINL_FillRect(m_hdc, &all, brush);
    DeleteObject(brush);
  }
  static const int kSize = 16;
  HDC m_hdc = nullptr;
  std::vector<HGDIOBJ> m_objects;
};

TEST_F(ImageTest, CreateBitmapTakesOnly32BitRows) {
  const std::vector<uint8_t> data =
      Pixels({0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x00FFFFFF, 0xFF123456, 0xFF000000});
  HBITMAP bitmap = Keep(CreateBitmap(3, 2, 1, 32, data.data()));
  ASSERT_NE(bitmap, nullptr);
  const WINL_Image* image = GetNSImageFromHICON(bitmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 3);
  EXPECT_EQ(image->height, 2);

  int32_t size[3] = {7, 7, 7};
  EXPECT_EQ(GetObject(bitmap, 8, size), 1);
  EXPECT_EQ(size[0], 3);
  EXPECT_EQ(size[1], 2);
  EXPECT_EQ(size[2], 7) << "only size bytes are written";
  EXPECT_EQ(GetObject(bitmap, 12, size), 0);
  EXPECT_EQ(size[2], 0) << "size bytes are cleared";
  EXPECT_EQ(GetObject(bitmap, 8, nullptr), 0);
  EXPECT_EQ(GetObject(Keep(CreatePen(0, 0, 0)), 8, size), 0) << "a pen has no size";
  EXPECT_EQ(GetNSImageFromHICON(reinterpret_cast<HGDIOBJ>(4)), nullptr);

  const struct {
    int w, h, bits;
  } kRefused[] = {{3, 2, 24}, {3, 2, 8}, {0, 2, 32}, {3, -1, 32}, {40000, 1, 32}};
  for (const auto& c : kRefused) EXPECT_EQ(CreateBitmap(c.w, c.h, 1, c.bits, data.data()), nullptr) << c.bits;
  HBITMAP blank = Keep(CreateBitmap(2, 2, 1, 32, nullptr));
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(GetNSImageFromHICON(blank)->pixels[3], 0u) << "no data: a cleared image";
}

TEST_F(ImageTest, DrawImageInRectScalesAndBlendsThroughAlpha) {
  // Left column opaque red, right column transparent, bottom right half
  // transparent blue.
  const std::vector<uint8_t> data = Pixels({0xFFFF0000, 0x00FFFFFF, 0xFFFF0000, 0x800000FF});
  HBITMAP bitmap = Keep(CreateBitmap(2, 2, 1, 32, data.data()));
  Clear(0x00FF00);
  RECT rect{4, 4, 8, 8};
  DrawImageInRect(m_hdc, bitmap, &rect);
  EXPECT_EQ(At(4, 4), 0xFF0000);
  EXPECT_EQ(At(5, 7), 0xFF0000) << "each source pixel covers 2 x 2";
  EXPECT_EQ(At(6, 4), 0x00FF00) << "alpha 0 leaves the destination";
  EXPECT_EQ(At(7, 7), 0x007F80) << "alpha 128 blends";
  EXPECT_EQ(At(8, 4), 0x00FF00) << "right edge exclusive";
  EXPECT_EQ(At(3, 4), 0x00FF00);

  RECT empty{8, 8, 8, 12};
  DrawImageInRect(m_hdc, bitmap, &empty);
  EXPECT_EQ(At(8, 8), 0x00FF00);
  RECT clipped{-100, -100, 100, 100};  // mostly outside the context
  DrawImageInRect(m_hdc, bitmap, &clipped);
  EXPECT_EQ(At(0, 0), 0x007F80) << "the image's centre, bottom-right quarter";
}

TEST_F(ImageTest, IconsShareTheImageOfTheirBitmap) {
  const std::vector<uint8_t> data = Pixels({0xFF010203});
  HBITMAP bitmap = CreateBitmap(1, 1, 1, 32, data.data());
  ICONINFO info{0, 0, 0, nullptr, bitmap};
  EXPECT_EQ(CreateIconIndirect(&info), nullptr) << "the icon flag must be set";
  info.fIcon = 1;
  HICON icon = Keep(CreateIconIndirect(&info));
  ASSERT_NE(icon, nullptr);
  EXPECT_NE(icon, bitmap);
  EXPECT_EQ(GetNSImageFromHICON(icon), GetNSImageFromHICON(bitmap));
  DeleteObject(bitmap);
  EXPECT_EQ(GetNSImageFromHICON(bitmap), nullptr);
  ASSERT_NE(GetNSImageFromHICON(icon), nullptr) << "the icon keeps the image";
  RECT rect{0, 0, 1, 1};
  DrawImageInRect(m_hdc, icon, &rect);
  EXPECT_EQ(At(0, 0), 0x010203);
  info.hbmColor = bitmap;
  EXPECT_EQ(CreateIconIndirect(&info), nullptr) << "a deleted bitmap";
  EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
}

TEST_F(ImageTest, ImageListSlots) {
  const std::vector<uint8_t> data = Pixels({0xFF000000});
  HICON icon = Keep(CreateBitmap(1, 1, 1, 32, data.data()));
  HIMAGELIST list = ImageList_CreateEx();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, icon), 0) << "-1 appends";
  EXPECT_EQ(ImageList_ReplaceIcon(list, 5, icon), 1) << "an index past the end appends";
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, icon), 2);
  HICON second = WINL_ImageList_GetEntry(list, 1);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, icon) << "the list holds objects of its own";
  EXPECT_EQ(GetNSImageFromHICON(second), GetNSImageFromHICON(icon));

  EXPECT_EQ(ImageList_Remove(list, 1), 1);
  EXPECT_EQ(ImageList_GetImageCount(list), 3) << "the slot stays";
  EXPECT_EQ(WINL_ImageList_GetEntry(list, 1), nullptr);
  EXPECT_EQ(GetNSImageFromHICON(second), nullptr) << "its object was deleted";
  EXPECT_EQ(ImageList_Remove(list, 1), 1) << "removing an empty slot is harmless";
  EXPECT_EQ(ImageList_ReplaceIcon(list, 1, icon), 1) << "an empty slot is filled again";
  EXPECT_EQ(ImageList_Remove(list, 3), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, Keep(CreatePen(0, 0, 0))), -1) << "a pen is no icon";

  EXPECT_EQ(ImageList_Remove(list, -1), 1);
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, icon), 0);
  ImageList_Destroy(list);
  ASSERT_NE(GetNSImageFromHICON(icon), nullptr) << "the caller's icon is its own";
  EXPECT_EQ(ImageList_ReplaceIcon(nullptr, 0, icon), -1);
  EXPECT_EQ(ImageList_Remove(nullptr, 0), 0);
}

// A memory context of 4 x 4 whose pixel (x, y) has red 16 x, green 16 y and
// the alpha byte given.
HDC Source(uint8_t alpha) {
  HDC src = WINL_CreateMemContext(nullptr, 4, 4);
  auto* p = static_cast<uint8_t*>(WINL_GetCtxFrameBuffer(src));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x, p += 4) {
      p[0] = alpha;
      p[1] = static_cast<uint8_t>(16 * x);
      p[2] = static_cast<uint8_t>(16 * y);
      p[3] = 1;
    }
  return src;
}

int Expect(int x, int y) { return 16 * x << 16 | 16 * y << 8 | 1; }

TEST_F(ImageTest, StretchBltClipsTheSourceAndKeepsTheScale) {
  HDC src = Source(255);
  const int kBack = 0xFFFFFF;
  const struct {
    const char* why;
    int x, y, w, h, sx, sy, sw, sh;
    int probeX, probeY, expected;
  } kCases[] = {
      {"same size", 2, 3, 4, 4, 0, 0, 4, 4, 5, 6, Expect(3, 3)},
      {"doubled", 0, 0, 8, 8, 0, 0, 4, 4, 3, 5, Expect(1, 2)},
      {"halved", 0, 0, 2, 2, 0, 0, 4, 4, 1, 1, Expect(3, 3)},
      {"negative sx moves the destination", 0, 0, 8, 4, -2, 0, 4, 4, 3, 0, kBack},
      {"negative sx: the visible part", 0, 0, 8, 4, -2, 0, 4, 4, 4, 0, Expect(0, 0)},
      {"negative sx keeps the scale", 0, 0, 8, 4, -2, 0, 4, 4, 7, 0, Expect(1, 0)},
      {"past the right edge is cut", 0, 0, 8, 8, 2, 0, 4, 4, 4, 0, kBack},
      {"past the right edge: the rest", 0, 0, 8, 8, 2, 0, 4, 4, 3, 0, Expect(3, 0)},
      {"past the bottom edge is cut", 0, 0, 4, 4, 0, 3, 4, 4, 0, 1, kBack},
      {"source wholly outside", 0, 0, 4, 4, 4, 0, 4, 4, 0, 0, kBack},
      {"zero source width", 0, 0, 4, 4, 0, 0, 0, 4, 0, 0, kBack},
      {"zero destination height", 0, 0, 4, 0, 0, 0, 4, 4, 0, 0, kBack},
  };
  for (const auto& c : kCases) {
    Clear(kBack);
    StretchBlt(m_hdc, c.x, c.y, c.w, c.h, src, c.sx, c.sy, c.sw, c.sh, 0);
    EXPECT_EQ(At(c.probeX, c.probeY), c.expected) << c.why;
  }
  WINL_DeleteGfxContext(src);
}

TEST_F(ImageTest, BlitModesAndSources) {
  HDC src = Source(0);
  Clear(0x00FF00);
  BitBlt(m_hdc, 0, 0, 4, 4, src, 0, 0, 0);
  EXPECT_EQ(At(2, 1), Expect(2, 1)) << "any mode but the alpha mode copies opaque";
  Clear(0x00FF00);
  BitBlt(m_hdc, 0, 0, 4, 4, src, 0, 0, WINL_BLT_SOURCE_ALPHA);
  EXPECT_EQ(At(2, 1), 0x00FF00) << "the first byte is the alpha";

  // Only memory contexts are sources.
  std::vector<uint8_t> pixels(4 * 4 * 4, 0x55);
  WINL_GraphicsContext surface{pixels.data(), 4, 4, 16, RECT{0, 0, 4, 4}, true, {}};
  HDC borrowed = WINL_CreateGfxContext(&surface);
  BitBlt(m_hdc, 0, 0, 4, 4, borrowed, 0, 0, 0);
  EXPECT_EQ(At(0, 0), 0x00FF00);
  // Into a borrowed surface is fine.
  BitBlt(borrowed, 1, 1, 2, 2, src, 1, 1, 0);
  EXPECT_EQ(pixels[16 + 4 + 1], 16);
  EXPECT_EQ(pixels[0], 0x55);
  WINL_DeleteGfxContext(borrowed);

  // A context onto itself, overlapping.
  WINL_DeleteGfxContext(src);
  src = Source(255);
  BitBlt(src, 1, 0, 3, 4, src, 0, 0, 0);
  EXPECT_EQ(At(src, 1, 0), Expect(0, 0));
  EXPECT_EQ(At(src, 3, 2), Expect(2, 2)) << "read before written";
  BitBlt(src, 0, 0, 4, 4, nullptr, 0, 0, 0);
  WINL_DeleteGfxContext(src);
}

TEST_F(ImageTest, LoadNamedImageReadsFilesAndClearsMagenta) {
  const TempFolder temp("winl-image-");
  ASSERT_TRUE(temp.Made());
  const std::string folder = temp.Name();
  const std::string path = folder + "/mask.png";
  const uint32_t pixels[] = {0x80FF00FF, 0xFF123456};  // 0xAARRGGBB
  ASSERT_TRUE(WritePngFile(path, RgbaPng(2, 1, [&](int x, int) { return pixels[x]; })));

  HBITMAP plain = Keep(LoadNamedImage(path.c_str(), false));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(GetNSImageFromHICON(plain)->width, 2);
  EXPECT_EQ(PIX_Alpha(GetNSImageFromHICON(plain)->pixels[0]), 0x80) << "magenta kept without the mask";
  HBITMAP masked = Keep(LoadNamedImage(path.c_str(), true));
  ASSERT_NE(masked, nullptr);
  EXPECT_EQ(GetNSImageFromHICON(masked)->pixels[0], 0u) << "magenta becomes transparent";
  EXPECT_EQ(GetNSImageFromHICON(masked)->pixels[1], PIX_MakePixel(0x12, 0x34, 0x56, 255));

  EXPECT_EQ(LoadNamedImage((folder + "/missing.png").c_str(), false), nullptr);
  EXPECT_EQ(LoadNamedImage("no-such-image", false), nullptr);
  EXPECT_EQ(LoadNamedImage("", false), nullptr);
  EXPECT_EQ(LoadNamedImage(nullptr, false), nullptr);
}

}  // namespace
