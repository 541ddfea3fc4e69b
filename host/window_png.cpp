#include "host/window_png.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

bool WriteWindowPng(const std::string& path, const uint32_t* pixels, int rowSpan, int width, int height,
                    std::string* error) {
  if (!pixels || width <= 0 || height <= 0 || rowSpan < width) {
    *error = "no window pixels to write";
    return false;
  }
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) {
    *error = "cannot write \"" + path + "\": " + strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  bool ok = png && info;
  if (ok && setjmp(png_jmpbuf(png))) ok = false;
  if (ok) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
      const uint32_t* from = pixels + static_cast<size_t>(y) * rowSpan;
      for (int x = 0; x < width; ++x) {
        row[static_cast<size_t>(x) * 3 + 0] = static_cast<png_byte>(from[x] >> 8);
        row[static_cast<size_t>(x) * 3 + 1] = static_cast<png_byte>(from[x] >> 16);
        row[static_cast<size_t>(x) * 3 + 2] = static_cast<png_byte>(from[x] >> 24);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  if (fclose(file) != 0) ok = false;
  if (!ok) *error = "cannot write \"" + path + "\" as PNG";
  return ok;
}
