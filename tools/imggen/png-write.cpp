#include "tools/imggen/png-write.h"

#include "KIT/pix/pix-blit.h"
#include "tools/pngwrite/png_writer.h"

namespace imggen {

bool writePng(PIX_IBitmap* bitmap, const std::string& path) {
  PngDescription image = RgbaPng(bitmap->getWidth(), bitmap->getHeight(), [bitmap](int x, int y) {
    const PIX_pixel p = PIX_GetPixel(bitmap, x, y);
    if (PIX_Alpha(p) == 0) return uint32_t{0};  // no hidden colour under full transparency
    return uint32_t(PIX_Alpha(p)) << 24 | uint32_t(PIX_Red(p)) << 16 | uint32_t(PIX_Green(p)) << 8 |
           uint32_t(PIX_Blue(p));
  });
  // Chosen for the editor's start-up, which decodes every image: without a
  // row filter and at the fast matcher's level our flat, repeating pictures
  // inflate about three times faster than with filters picked per row and
  // lazy matching, for files about a quarter larger.
  image.compressionLevel = 3;
  image.unfiltered = true;
  return WritePngFile(path, image);
}

}  // namespace imggen
