#include "host/window_png.h"

#include "tools/pngwrite/png_writer.h"

bool WriteWindowPng(const std::string& path, const uint32_t* pixels, int rowSpan, int width, int height,
                    std::string* error) {
  if (!pixels || width <= 0 || height <= 0 || rowSpan < width) {
    *error = "no window pixels to write";
    return false;
  }
  PngDescription image;
  image.width = width;
  image.height = height;
  image.colorType = PNG_COLOR_TYPE_RGB;
  image.samples.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  uint8_t* to = image.samples.data();
  for (int y = 0; y < height; ++y) {
    const uint32_t* from = pixels + static_cast<size_t>(y) * rowSpan;
    for (int x = 0; x < width; ++x, to += 3) {
      to[0] = static_cast<uint8_t>(from[x] >> 8);
      to[1] = static_cast<uint8_t>(from[x] >> 16);
      to[2] = static_cast<uint8_t>(from[x] >> 24);
    }
  }
  return WritePngFile(path, image, error);
}
