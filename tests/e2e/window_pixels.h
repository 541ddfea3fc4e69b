// Pixels of a rectangle of a window written to a PNG file by the host's png
// command: enough to tell whether a part of the window changed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "KIT/pix/pix-png.h"

namespace e2e {

// A rectangle of the window, at the place the window design gives it.
struct Area {
  int left, top, width, height;
};

// The pixels of area, row by row; empty when the file cannot be read.
inline std::vector<uint32_t> Pixels(const std::string& png, const Area& area) {
  std::vector<uint32_t> pixels;
  std::unique_ptr<PIX_IBitmap> bitmap(PIX_LoadPNG(png.c_str(), nullptr));
  if (!bitmap) return pixels;
  for (int y = area.top; y < area.top + area.height && y < bitmap->getHeight(); ++y)
    for (int x = area.left; x < area.left + area.width && x < bitmap->getWidth(); ++x)
      pixels.push_back(bitmap->getBits()[y * bitmap->getRowSpan() + x]);
  return pixels;
}

}  // namespace e2e
