// The shared PNG writer: what it writes reads back as given under every
// setting; images it cannot write whole are refused before libpng reads a
// byte; a file that cannot be made, written or closed is reported, naming
// the path.
#include "tools/pngwrite/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

struct Decoded {
  bool ok = false;
  int width = 0, height = 0, colorType = -1, depth = 0, interlace = -1;
  std::vector<uint8_t> samples;
};

struct Source {
  const std::vector<uint8_t>* bytes;
  size_t at;
};

void ReadFrom(png_structp png, png_bytep data, size_t length) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (source->bytes->size() - source->at < length) png_error(png, "past the end");
  std::copy_n(source->bytes->data() + source->at, length, data);
  source->at += length;
}

// libpng's reader with no transformation: the samples as stored.
Decoded Decode(const std::vector<uint8_t>& bytes) {
  Decoded d;
  Source source{&bytes, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return Decoded();
  }
  png_set_read_fn(png, &source, ReadFrom);
  png_read_info(png, info);
  d.width = static_cast<int>(png_get_image_width(png, info));
  d.height = static_cast<int>(png_get_image_height(png, info));
  d.colorType = png_get_color_type(png, info);
  d.depth = png_get_bit_depth(png, info);
  d.interlace = png_get_interlace_type(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  d.samples.resize(rowBytes * static_cast<size_t>(d.height));
  std::vector<png_bytep> rows;
  for (int y = 0; y < d.height; ++y) rows.push_back(d.samples.data() + static_cast<size_t>(y) * rowBytes);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  d.ok = true;
  return d;
}

PngDescription Image(int width, int height, int colorType, int depth) {
  PngDescription image;
  image.width = width;
  image.height = height;
  image.colorType = colorType;
  image.depth = depth;
  image.samples.resize(PngRowBytes(image) * static_cast<size_t>(height));
  for (size_t i = 0; i < image.samples.size(); ++i) image.samples[i] = static_cast<uint8_t>(i * 37 + i / 7);
  // The bits past a row's last sample are not stored: zero, as they read back.
  const size_t rowBytes = PngRowBytes(image),
               rowBits = static_cast<size_t>(width) * static_cast<size_t>(depth);
  if (rowBits % 8 != 0)
    for (size_t end = rowBytes; end <= image.samples.size(); end += rowBytes)
      image.samples[end - 1] &= static_cast<uint8_t>(0xFF << (8 - rowBits % 8));
  return image;
}

struct WriteCase {
  const char* why;
  PngDescription image;
};

std::vector<WriteCase> WriteCases() {
  PngDescription fast = Image(33, 9, PNG_COLOR_TYPE_RGBA, 8);
  fast.compressionLevel = 3;
  fast.unfiltered = true;
  PngDescription interlaced = Image(13, 11, PNG_COLOR_TYPE_GRAY, 16);
  interlaced.interlaced = true;
  PngDescription palette = Image(7, 5, PNG_COLOR_TYPE_PALETTE, 2);
  palette.palette = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
  palette.paletteAlpha = {0, 128};
  PngDescription keyed = Image(5, 4, PNG_COLOR_TYPE_RGB, 8);
  keyed.colorKey = true;
  keyed.key.red = 7;
  return {
      {"8-bit RGBA at libpng's settings", Image(16, 8, PNG_COLOR_TYPE_RGBA, 8)},
      {"8-bit RGBA, level 3, no row filter", fast},
      {"8-bit RGB, as the host writes windows", Image(21, 3, PNG_COLOR_TYPE_RGB, 8)},
      {"16-bit grey, interlaced", interlaced},
      {"1-bit grey, a row not a whole byte", Image(11, 3, PNG_COLOR_TYPE_GRAY, 1)},
      {"2-bit palette with transparency", palette},
      {"8-bit RGB with a colour key", keyed},
  };
}

TEST(PngWriter, WhatItWritesReadsBackAsGiven) {
  for (const WriteCase& c : WriteCases()) {
    std::vector<uint8_t> bytes = {0xAB};  // appended to, not replaced
    ASSERT_TRUE(EncodePng(c.image, &bytes)) << c.why;
    ASSERT_EQ(bytes[0], 0xAB) << c.why;
    const Decoded d = Decode(std::vector<uint8_t>(bytes.begin() + 1, bytes.end()));
    ASSERT_TRUE(d.ok) << c.why;
    EXPECT_EQ(d.width, c.image.width) << c.why;
    EXPECT_EQ(d.height, c.image.height) << c.why;
    EXPECT_EQ(d.colorType, c.image.colorType) << c.why;
    EXPECT_EQ(d.depth, c.image.depth) << c.why;
    EXPECT_EQ(d.interlace, c.image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE) << c.why;
    EXPECT_EQ(d.samples, c.image.samples) << c.why;
  }
}

TEST(PngWriter, RefusesImagesItCannotWriteWhole) {
  PngDescription shortRows = Image(10, 10, PNG_COLOR_TYPE_RGBA, 8);
  shortRows.samples.resize(shortRows.samples.size() - 1);
  PngDescription noSamples = Image(4, 4, PNG_COLOR_TYPE_RGB, 8);
  noSamples.samples.clear();
  PngDescription badDepth = Image(4, 4, PNG_COLOR_TYPE_RGB, 8);
  badDepth.depth = 3;  // libpng refuses it
  const WriteCase cases[] = {
      {"one byte short of the last row", shortRows},    {"no samples", noSamples},
      {"no width", Image(0, 4, PNG_COLOR_TYPE_RGB, 8)}, {"no height", Image(4, 0, PNG_COLOR_TYPE_RGB, 8)},
      {"a depth PNG does not have", badDepth},
  };
  for (const WriteCase& c : cases) {
    std::vector<uint8_t> bytes = {1, 2, 3};
    EXPECT_FALSE(EncodePng(c.image, &bytes)) << c.why;
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3})) << c.why;
  }
}

TEST(PngWriter, WritesTheFileItEncodes) {
  TempFolder folder;
  ASSERT_TRUE(folder.Made());
  const PngDescription image = Image(9, 6, PNG_COLOR_TYPE_RGB, 8);
  std::string error = "untouched";
  ASSERT_TRUE(WritePngFile(folder.Name("window.png"), image, &error));
  EXPECT_EQ(error, "untouched");
  std::vector<uint8_t> encoded;
  ASSERT_TRUE(EncodePng(image, &encoded));
  EXPECT_EQ(std::filesystem::file_size(folder.Path() / "window.png"), encoded.size());
}

TEST(PngWriter, ReportsAFileItCannotMakeWriteOrEncode) {
  TempFolder folder;
  ASSERT_TRUE(folder.Made());
  PngDescription unwritable = Image(4, 4, PNG_COLOR_TYPE_RGB, 8);
  unwritable.samples.pop_back();
  const struct {
    const char* why;
    std::string path;
    PngDescription image;
    std::string says;
  } cases[] = {
      {"no such folder", folder.Name("missing/a.png"), Image(4, 4, PNG_COLOR_TYPE_RGB, 8),
       "cannot write \"" + folder.Name("missing/a.png") + "\": No such file or directory"},
      // The bytes go to the device only when the file is flushed or closed.
      {"a full device", "/dev/full", Image(64, 64, PNG_COLOR_TYPE_RGBA, 8),
       "cannot write \"/dev/full\": No space left on device"},
      {"an image it cannot encode", folder.Name("b.png"), unwritable,
       "cannot write \"" + folder.Name("b.png") + "\" as PNG"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(WritePngFile(c.path, c.image, &error)) << c.why;
    EXPECT_EQ(error, c.says) << c.why;
    EXPECT_FALSE(WritePngFile(c.path, c.image)) << c.why << ": without a message";
  }
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "b.png")) << "nothing written for an image refused";
}

}  // namespace
