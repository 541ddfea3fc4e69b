// Writing PNG images with libpng's writer, into memory or a file: any colour
// type and bit depth, interlaced or not, with a palette and transparency
// chunks. No time stamp and no text chunks are written, so the same image
// and settings always give the same bytes.
#pragma once

#include <png.h>

#include <cstdint>
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
  // zlib's level 0..9 (-1: libpng's own), and rows stored without a filter
  // (otherwise libpng picks one per row).
  int compressionLevel = -1;
  bool unfiltered = false;
};

// An 8-bit RGBA image whose pixel (x, y) is argb(x, y) as 0xAARRGGBB.
PngDescription RgbaPng(int width, int height, const std::function<uint32_t(int x, int y)>& argb);

// The bytes a row of the image takes in samples.
size_t PngRowBytes(const PngDescription& image);

// Appends the image as a PNG file's bytes to *out. False, with *out as it
// was, when the image is empty, its samples are fewer than its rows need or
// libpng refuses it.
bool EncodePng(const PngDescription& image, std::vector<uint8_t>* out);

// Writes the image as a PNG file at path. False when it cannot be encoded,
// or the file cannot be made, written or closed; then *error (when given)
// says so, naming the path.
bool WritePngFile(const std::string& path, const PngDescription& image, std::string* error = nullptr);
