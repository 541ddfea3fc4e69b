// PNG images that tests write with libpng's writer, into memory or a file:
// any colour type and bit depth, interlaced or not, with a palette and
// transparency chunks, or simply 8-bit RGBA from a pixel function.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct PngDescription {
  int width = 0, height = 0;
  int colorType = PNG_COLOR_TYPE_RGBA, depth = 8;
  bool interlaced = false;
  std::vector<uint8_t> samples;  // packed PNG samples, row after row
  std::vector<png_color> palette;
  std::vector<uint8_t> paletteAlpha;  // a tRNS chunk for the palette
  bool colorKey = false;              // a tRNS chunk of key
  png_color_16 key = {};
};

// An 8-bit RGBA image whose pixel (x, y) is argb(x, y) as 0xAARRGGBB.
PngDescription RgbaPng(int width, int height, const std::function<uint32_t(int x, int y)>& argb);

// Appends the image as a PNG file's bytes to *out; false on a writer error.
bool EncodePng(const PngDescription& image, std::vector<uint8_t>* out);
// Writes the image as a PNG file at path; false when it cannot be made or written.
bool WritePngFile(const std::string& path, const PngDescription& image);

// ---------------------------------------------------------------------------

inline PngDescription RgbaPng(int width, int height, const std::function<uint32_t(int x, int y)>& argb) {
  PngDescription image;
  image.width = width;
  image.height = height;
  image.samples.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t p = argb(x, y);
      for (int shift : {16, 8, 0, 24}) image.samples.push_back(static_cast<uint8_t>(p >> shift));
    }
  }
  return image;
}

namespace png_write_detail {

inline void Append(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

inline size_t RowBytes(const PngDescription& image) {
  const int channels = image.colorType == PNG_COLOR_TYPE_RGB          ? 3
                       : image.colorType == PNG_COLOR_TYPE_RGBA       ? 4
                       : image.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                      : 1;
  return (static_cast<size_t>(image.width) * channels * image.depth + 7) / 8;
}

}  // namespace png_write_detail

inline bool EncodePng(const PngDescription& image, std::vector<uint8_t>* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  // libpng takes the rows, palette and key as writable: copies of them.
  std::vector<uint8_t> samples = image.samples;
  std::vector<png_bytep> rows(static_cast<size_t>(image.height));
  for (size_t y = 0; y < rows.size(); ++y) rows[y] = samples.data() + y * png_write_detail::RowBytes(image);
  std::vector<png_color> palette = image.palette;
  std::vector<uint8_t> paletteAlpha = image.paletteAlpha;
  png_color_16 key = image.key;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, png_write_detail::Append, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
               image.depth, image.colorType, image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!paletteAlpha.empty())
    png_set_tRNS(png, info, paletteAlpha.data(), static_cast<int>(paletteAlpha.size()), nullptr);
  if (image.colorKey) png_set_tRNS(png, info, nullptr, 0, &key);
  png_write_info(png, info);
  png_set_interlace_handling(png);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

inline bool WritePngFile(const std::string& path, const PngDescription& image) {
  std::vector<uint8_t> bytes;
  if (!EncodePng(image, &bytes)) return false;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
