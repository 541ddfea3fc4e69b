#include "tools/pngwrite/png_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

PngDescription RgbaPng(int width, int height, const std::function<uint32_t(int x, int y)>& argb) {
  PngDescription image;
  image.width = width;
  image.height = height;
  if (width <= 0 || height <= 0) return image;
  image.samples.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  uint8_t* to = image.samples.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, to += 4) {
      const uint32_t p = argb(x, y);
      to[0] = static_cast<uint8_t>(p >> 16);
      to[1] = static_cast<uint8_t>(p >> 8);
      to[2] = static_cast<uint8_t>(p);
      to[3] = static_cast<uint8_t>(p >> 24);
    }
  }
  return image;
}

size_t PngRowBytes(const PngDescription& image) {
  const size_t channels = image.colorType == PNG_COLOR_TYPE_RGB          ? 3
                          : image.colorType == PNG_COLOR_TYPE_RGBA       ? 4
                          : image.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                         : 1;
  const size_t width = image.width > 0 ? static_cast<size_t>(image.width) : 0;
  const size_t depth = image.depth > 0 ? static_cast<size_t>(image.depth) : 0;
  return (width * channels * depth + 7) / 8;
}

namespace {

void Append(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

// Memory has nothing to flush; libpng's own flush would take the vector for
// a FILE.
void NoFlush(png_structp) {}

}  // namespace

bool EncodePng(const PngDescription& image, std::vector<uint8_t>* out) {
  if (image.width <= 0 || image.height <= 0 || image.depth <= 0) return false;
  const size_t rowBytes = PngRowBytes(image);
  if (image.samples.size() / rowBytes < static_cast<size_t>(image.height)) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  // libpng only reads the rows it is given, though its call takes them as
  // writable.
  std::vector<png_bytep> rows(static_cast<size_t>(image.height));
  for (size_t y = 0; y < rows.size(); ++y)
    rows[y] = const_cast<png_bytep>(image.samples.data() + y * rowBytes);
  const size_t sizeBefore = out->size();
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    out->resize(sizeBefore);
    return false;
  }
  png_set_write_fn(png, out, Append, NoFlush);
  if (image.compressionLevel >= 0) png_set_compression_level(png, image.compressionLevel);
  if (image.unfiltered) png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
               image.depth, image.colorType, image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty())
    png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
  if (!image.paletteAlpha.empty())
    png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()), nullptr);
  if (image.colorKey) png_set_tRNS(png, info, nullptr, 0, &image.key);
  png_write_info(png, info);
  png_set_interlace_handling(png);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool WritePngFile(const std::string& path, const PngDescription& image, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!EncodePng(image, &bytes)) {
    if (error) *error = "cannot write \"" + path + "\" as PNG";
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    if (error) *error = "cannot write \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  errno = 0;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  if (error) {
    const int why = !written ? writeErrno : errno;
    *error = "cannot write \"" + path + "\"" + (why ? std::string(": ") + std::strerror(why) : std::string());
  }
  return false;
}
