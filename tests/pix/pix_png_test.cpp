// PNG loading: every colour type and bit depth, transparency chunks and
// interlacing give the right pixel words; damaged, truncated and oversized
// images give no bitmap. Fixtures are written with libpng's writer.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pix_test_util.h"
#include "tools/pngwrite/png_writer.h"

namespace {

typedef std::vector<uint8_t> Bytes;

struct PngImage {
  const char* why;
  int width, height, colorType, depth;
  bool interlaced;
  Bytes samples;  // packed PNG samples, row after row
  std::vector<png_color> palette;
  Bytes paletteAlpha;
  bool colorKey;
  png_color_16 key;
  std::vector<PIX_pixel> expected;
};

// What the shared writer takes of a case.
PngDescription Description(const PngImage& s) {
  return {s.width,   s.height,  s.colorType,    s.depth,    s.interlaced,
          s.samples, s.palette, s.paletteAlpha, s.colorKey, s.key};
}

Bytes Png(const PngImage& s) {
  Bytes out;
  EXPECT_TRUE(EncodePng(Description(s), &out)) << s.why;
  return out;
}

png_color_16 Key(int gray, int r, int g, int b) {
  png_color_16 k = {};
  k.gray = static_cast<png_uint_16>(gray);
  k.red = static_cast<png_uint_16>(r);
  k.green = static_cast<png_uint_16>(g);
  k.blue = static_cast<png_uint_16>(b);
  return k;
}

PIX_pixel Grey(int v) { return Argb(255, v, v, v); }

const std::vector<png_color> kPalette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}};

std::vector<PngImage> FormatCases() {
  std::vector<PngImage> cases = {
      {"grey 8-bit",
       2,
       2,
       PNG_COLOR_TYPE_GRAY,
       8,
       false,
       {0, 50, 100, 255},
       {},
       {},
       false,
       {},
       {Grey(0), Grey(50), Grey(100), Grey(255)}},
      {"grey 1-bit",
       3,
       1,
       PNG_COLOR_TYPE_GRAY,
       1,
       false,
       {0xA0},
       {},
       {},
       false,
       {},
       {Grey(255), Grey(0), Grey(255)}},
      {"grey 2-bit",
       4,
       1,
       PNG_COLOR_TYPE_GRAY,
       2,
       false,
       {0x1B},
       {},
       {},
       false,
       {},
       {Grey(0), Grey(85), Grey(170), Grey(255)}},
      {"grey 4-bit",
       3,
       1,
       PNG_COLOR_TYPE_GRAY,
       4,
       false,
       {0x0F, 0x80},
       {},
       {},
       false,
       {},
       {Grey(0), Grey(255), Grey(0x88)}},
      {"grey 16-bit keeps the high byte",
       2,
       1,
       PNG_COLOR_TYPE_GRAY,
       16,
       false,
       {0x12, 0x34, 0xFF, 0x00},
       {},
       {},
       false,
       {},
       {Grey(0x12), Grey(0xFF)}},
      {"grey with alpha",
       1,
       1,
       PNG_COLOR_TYPE_GRAY_ALPHA,
       8,
       false,
       {10, 20},
       {},
       {},
       false,
       {},
       {Argb(20, 10, 10, 10)}},
      {"grey with alpha, 16-bit",
       1,
       1,
       PNG_COLOR_TYPE_GRAY_ALPHA,
       16,
       false,
       {10, 11, 0xC0, 1},
       {},
       {},
       false,
       {},
       {Argb(0xC0, 10, 10, 10)}},
      {"RGB",
       2,
       1,
       PNG_COLOR_TYPE_RGB,
       8,
       false,
       {1, 2, 3, 250, 251, 252},
       {},
       {},
       false,
       {},
       {Argb(255, 1, 2, 3), Argb(255, 250, 251, 252)}},
      {"RGBA keeps straight alpha",
       1,
       2,
       PNG_COLOR_TYPE_RGBA,
       8,
       false,
       {1, 2, 3, 4, 5, 6, 7, 0},
       {},
       {},
       false,
       {},
       {Argb(4, 1, 2, 3), Argb(0, 5, 6, 7)}},
      {"RGB 16-bit",
       1,
       1,
       PNG_COLOR_TYPE_RGB,
       16,
       false,
       {1, 0x99, 2, 0x98, 3, 0x97},
       {},
       {},
       false,
       {},
       {Argb(255, 1, 2, 3)}},
      {"RGBA 16-bit",
       1,
       1,
       PNG_COLOR_TYPE_RGBA,
       16,
       false,
       {1, 2, 3, 4, 5, 6, 7, 8},
       {},
       {},
       false,
       {},
       {Argb(7, 1, 3, 5)}},
      {"palette with per-entry alpha",
       3,
       1,
       PNG_COLOR_TYPE_PALETTE,
       8,
       false,
       {0, 1, 2},
       kPalette,
       {0, 128},
       false,
       {},
       {Argb(0, 10, 20, 30), Argb(128, 40, 50, 60), Argb(255, 70, 80, 90)}},
      {"palette 2-bit",
       4,
       1,
       PNG_COLOR_TYPE_PALETTE,
       2,
       false,
       {0xE4},
       kPalette,
       {},
       false,
       {},
       {Argb(255, 100, 110, 120), Argb(255, 70, 80, 90), Argb(255, 40, 50, 60), Argb(255, 10, 20, 30)}},
      {"palette 4-bit with alpha",
       2,
       1,
       PNG_COLOR_TYPE_PALETTE,
       4,
       false,
       {0x10},
       kPalette,
       {9, 99},
       false,
       {},
       {Argb(99, 40, 50, 60), Argb(9, 10, 20, 30)}},
      {"grey colour key",
       3,
       1,
       PNG_COLOR_TYPE_GRAY,
       8,
       false,
       {50, 51, 0},
       {},
       {},
       true,
       Key(50, 0, 0, 0),
       {Argb(0, 50, 50, 50), Grey(51), Grey(0)}},
      {"grey 16-bit colour key",
       2,
       1,
       PNG_COLOR_TYPE_GRAY,
       16,
       false,
       {0x12, 0x34, 0x12, 0x35},
       {},
       {},
       true,
       Key(0x1234, 0, 0, 0),
       {Argb(0, 0x12, 0x12, 0x12), Grey(0x12)}},
      {"RGB colour key",
       2,
       1,
       PNG_COLOR_TYPE_RGB,
       8,
       false,
       {1, 2, 3, 1, 2, 4},
       {},
       {},
       true,
       Key(0, 1, 2, 3),
       {Argb(0, 1, 2, 3), Argb(255, 1, 2, 4)}},
  };
  // Interlaced images, large enough for all seven passes.
  PngImage rgba = {"interlaced RGBA", 9, 7, PNG_COLOR_TYPE_RGBA, 8, true, {}, {}, {}, false, {}, {}};
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) {
      const int r = x * 20, g = y * 30, b = x + y, a = 200 - x;
      rgba.samples.insert(rgba.samples.end(), {static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                               static_cast<uint8_t>(b), static_cast<uint8_t>(a)});
      rgba.expected.push_back(Argb(a, r, g, b));
    }
  cases.push_back(rgba);
  PngImage checker = {"interlaced grey 1-bit", 9, 9, PNG_COLOR_TYPE_GRAY, 1, true, {}, {}, {}, false, {}, {}};
  for (int y = 0; y < 9; ++y) {
    uint8_t packed[2] = {0, 0};
    for (int x = 0; x < 9; ++x) {
      const bool on = (x + y) % 2 == 0;
      if (on) packed[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      checker.expected.push_back(Grey(on ? 255 : 0));
    }
    checker.samples.insert(checker.samples.end(), packed, packed + 2);
  }
  cases.push_back(checker);
  PngImage palette = {
      "interlaced palette", 8, 8, PNG_COLOR_TYPE_PALETTE, 8, true, {}, kPalette, {7}, false, {}, {}};
  for (int i = 0; i < 64; ++i) {
    palette.samples.push_back(static_cast<uint8_t>(i % 4));
    const png_color& c = kPalette[static_cast<size_t>(i % 4)];
    palette.expected.push_back(Argb(i % 4 == 0 ? 7 : 255, c.red, c.green, c.blue));
  }
  cases.push_back(palette);
  return cases;
}

void ExpectPixels(PIX_IBitmap* bm, const PngImage& s) {
  ASSERT_NE(bm, nullptr) << s.why;
  ASSERT_EQ(bm->getWidth(), s.width) << s.why;
  ASSERT_EQ(bm->getHeight(), s.height) << s.why;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      ASSERT_EQ(Channels(PIX_GetPixel(bm, x, y)), Channels(s.expected[static_cast<size_t>(y * s.width + x)]))
          << s.why << " at " << x << "," << y;
}

TEST(LoadPNG, EveryFormatGivesTheRightPixelWords) {
  for (const PngImage& s : FormatCases()) {
    const Bytes png = Png(s);
    PIX_IBitmap* bm = PIX_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), nullptr);
    ExpectPixels(bm, s);
    EXPECT_EQ(bm->getRowSpan() % 4, 0) << s.why;  // a new bitmap aligns rows to 4 pixels
    delete bm;
  }
}

TEST(LoadPNG, IntoAGivenBitmapFlippedOrNot) {
  const PngImage s = FormatCases().back();
  const Bytes png = Png(s);
  PIX_MemBitmap plain(1, 1, 4);
  EXPECT_EQ(PIX_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), &plain), &plain);
  ExpectPixels(&plain, s);
  FlippedBitmap flipped(3, 3);
  EXPECT_EQ(PIX_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), &flipped), &flipped);
  ExpectPixels(&flipped, s);  // upright in drawing rows
  EXPECT_EQ(flipped.Memory(0, s.height - 1), s.expected[0]);
}

// A bitmap that cannot take the image's size.
class FixedBitmap : public PIX_IBitmap {
 public:
  PIX_pixel* getBits() override { return m_pixels.getBits(); }
  int getWidth() override { return 2; }
  int getHeight() override { return 2; }
  int getRowSpan() override { return m_pixels.getRowSpan(); }
  bool resize(int, int) override { return false; }

 private:
  PIX_MemBitmap m_pixels{2, 2, 4};
};

TEST(LoadPNG, RefusesABitmapThatCannotTakeTheSize) {
  const Bytes png = Png(FormatCases()[0]);  // 2 x 2: fits
  FixedBitmap fixed;
  EXPECT_EQ(PIX_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), &fixed), &fixed);
  const Bytes wide = Png(FormatCases()[1]);  // 3 x 1
  EXPECT_EQ(PIX_LoadPNGFromMemory(wide.data(), static_cast<int>(wide.size()), &fixed), nullptr);
}

// Chunk surgery on written fixtures.
void PutU32(Bytes* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
uint32_t GetU32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
         static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
}
Bytes Chunk(const char* type, const Bytes& data) {
  Bytes c(8);
  PutU32(&c, 0, static_cast<uint32_t>(data.size()));
  memcpy(c.data() + 4, type, 4);
  c.insert(c.end(), data.begin(), data.end());
  c.resize(c.size() + 4);
  PutU32(&c, c.size() - 4, static_cast<uint32_t>(crc32(0, c.data() + 4, static_cast<uInt>(data.size() + 4))));
  return c;
}
const Bytes kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A PNG of the given header and image data, with correct CRCs.
Bytes Assemble(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, const Bytes& idat) {
  Bytes header(13);
  PutU32(&header, 0, width);
  PutU32(&header, 4, height);
  header[8] = depth;
  header[9] = colorType;
  Bytes png = kSignature;
  for (const Bytes& c : {Chunk("IHDR", header), Chunk("IDAT", idat), Chunk("IEND", {})})
    png.insert(png.end(), c.begin(), c.end());
  return png;
}

Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  out.resize(size);
  return out;
}

// Offset just past the last IDAT chunk of a written PNG.
size_t EndOfImageData(const Bytes& png) {
  size_t at = 8, end = 0;
  while (at + 12 <= png.size()) {
    const uint32_t length = GetU32(png, at);
    if (!memcmp(png.data() + at + 4, "IDAT", 4)) end = at + 12 + length;
    at += 12 + length;
  }
  return end;
}

TEST(LoadPNG, AssembledImageLoads) {
  // The assembler used below is right: 2 x 1 grey, filter byte 0 per row.
  const Bytes png = Assemble(2, 1, 8, PNG_COLOR_TYPE_GRAY, Deflate({0, 7, 9}));
  PIX_IBitmap* bm = PIX_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), nullptr);
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(PIX_GetPixel(bm, 1, 0), Grey(9));
  delete bm;
}

TEST(LoadPNG, DamagedImagesGiveNoBitmap) {
  const Bytes good = Png(FormatCases()[17]);  // interlaced RGBA
  struct Damage {
    const char* why;
    Bytes png;
  };
  std::vector<Damage> cases;
  Bytes flipped = good;
  flipped[EndOfImageData(good) - 20] ^= 0x40;
  cases.push_back({"a changed byte in the image data", flipped});
  Bytes badHeader = good;
  badHeader[17] ^= 0x01;  // width, under the header's CRC
  cases.push_back({"a changed header byte", badHeader});
  Bytes badSignature = good;
  badSignature[1] = 'p';
  cases.push_back({"bad signature", badSignature});
  cases.push_back({"7 bytes", Bytes(good.begin(), good.begin() + 7)});
  cases.push_back(
      {"too little image data", Assemble(4, 4, 8, PNG_COLOR_TYPE_GRAY, Deflate({0, 1, 2, 3, 4}))});
  cases.push_back({"bit depth 3", Assemble(2, 2, 3, PNG_COLOR_TYPE_GRAY, Deflate(Bytes(6)))});
  cases.push_back(
      {"palette image without palette", Assemble(2, 1, 8, PNG_COLOR_TYPE_PALETTE, Deflate({0, 0, 0}))});
  cases.push_back({"zero width", Assemble(0, 1, 8, PNG_COLOR_TYPE_GRAY, Deflate({0}))});
  // Sizes whose pixels would overflow or exhaust memory are refused before
  // any pixel memory is taken.
  cases.push_back({"huge dimensions", Assemble(100000, 100000, 8, PNG_COLOR_TYPE_RGBA, Deflate({0}))});
  cases.push_back(
      {"largest dimensions", Assemble(0x7FFFFFFF, 0x7FFFFFFF, 16, PNG_COLOR_TYPE_RGBA, Deflate({0}))});
  cases.push_back(
      {"wider than the limit", Assemble(PIX_PNG_MAX_SIDE + 1, 1, 8, PNG_COLOR_TYPE_GRAY, Deflate({0}))});
  for (const Damage& c : cases) {
    PIX_MemBitmap given(3, 3, 4);
    EXPECT_EQ(PIX_LoadPNGFromMemory(c.png.data(), static_cast<int>(c.png.size()), nullptr), nullptr) << c.why;
    EXPECT_EQ(PIX_LoadPNGFromMemory(c.png.data(), static_cast<int>(c.png.size()), &given), nullptr) << c.why;
  }
  EXPECT_EQ(PIX_LoadPNGFromMemory(nullptr, 100, nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromMemory(good.data(), -5, nullptr), nullptr);
}

// Every cut before the end of the image data is refused; none reads past the
// bytes it was given (the sanitizers watch).
TEST(LoadPNG, TruncatedImagesGiveNoBitmap) {
  for (size_t which : {size_t{0}, size_t{17}}) {
    const Bytes good = Png(FormatCases()[which]);
    const size_t end = EndOfImageData(good);
    for (size_t length = 0; length < end; ++length) {
      Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
      cut.shrink_to_fit();
      EXPECT_EQ(PIX_LoadPNGFromMemory(cut.data(), static_cast<int>(cut.size()), nullptr), nullptr) << length;
    }
  }
}

class PngFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = ::testing::TempDir() + "pix_png_" + std::to_string(getpid()) + "/";
    ASSERT_EQ(system(("mkdir -p '" + m_folder + "dir.png'").c_str()), 0);
  }
  void TearDown() override { system(("rm -rf '" + m_folder + "'").c_str()); }
  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = m_folder + name;
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    return path;
  }
  std::string m_folder;
};

TEST_F(PngFiles, LoadsFromAFileAndChecksTheExtension) {
  const PngImage s = FormatCases()[7];  // RGB
  const Bytes png = Png(s);
  const std::string upper = Write("image.PNG", png), backup = Write("image.png.bak", png);
  const std::string inDirectory = Write("dir.png/file", png);
  PIX_IBitmap* bm = PIX_LoadPNG(upper.c_str(), nullptr);
  ExpectPixels(bm, s);
  delete bm;
  EXPECT_EQ(PIX_LoadPNG((m_folder + "missing.png").c_str(), nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNG(nullptr, nullptr), nullptr);

  bm = PIX_PNGLoader::loadfunc(upper.c_str(), true, nullptr);
  EXPECT_NE(bm, nullptr);
  delete bm;
  EXPECT_EQ(PIX_PNGLoader::loadfunc(backup.c_str(), true, nullptr), nullptr);
  EXPECT_EQ(PIX_PNGLoader::loadfunc(inDirectory.c_str(), true, nullptr), nullptr);
  bm = PIX_PNGLoader::loadfunc(backup.c_str(), false, nullptr);
  EXPECT_NE(bm, nullptr);
  delete bm;
}

TEST_F(PngFiles, DamagedFileGivesNoBitmap) {
  Bytes png = Png(FormatCases()[0]);
  png.resize(png.size() / 2);
  EXPECT_EQ(PIX_LoadPNG(Write("half.png", png).c_str(), nullptr), nullptr);
}

TEST(ImageLoaders, PngLoaderIsListed) {
  ASSERT_NE(PIX_ImageLoader_list, nullptr);
  bool found = false;
  for (PIX_ImageLoader* l = PIX_ImageLoader_list; l; l = l->next)
    found |= l->loadfunc == PIX_PNGLoader::loadfunc;
  EXPECT_TRUE(found);
  const char* list = PIX_PNGLoader::get_extlist();
  EXPECT_STREQ(list, "PNG files (*.PNG)");
  EXPECT_STREQ(list + strlen(list) + 1, "*.PNG");
  EXPECT_EQ(list[strlen(list) + 1 + strlen("*.PNG") + 1], '\0');
}

TEST(ImageLoaders, ResourceVariants) {
  EXPECT_EQ(PIX_LoadPNGFromResource(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromNamedResource(std::string(401, 'a').c_str(), nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromNamedResource("no-such-image.png", nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromNamedResource(nullptr, nullptr), nullptr);
}

}  // namespace
