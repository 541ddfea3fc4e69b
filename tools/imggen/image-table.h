// The editor's 54 images: one row per image with its identifier, resource
// id, file name under resources/img/, frame size, frame count, direction and
// the drawing of one frame. The rows follow the editor's loading order.
#pragma once

#include <cstddef>

#include "tools/imggen/canvas.h"

namespace imggen {

struct ImageEntry {
  const char* identifier;
  int resourceId;
  const char* file;
  int width;        // of one frame
  int frameHeight;  // of one frame
  int frames;
  bool sideBySide;  // direction of the strip; every strip here is vertical
  // Draws frame k of n into a transparent canvas of one frame's size.
  void (*draw)(Canvas& c, int k, int n);
};

extern const ImageEntry kImages[];
extern const size_t kImageCount;

// Renders the whole strip of an image (frames one below the other).
void renderImage(const ImageEntry& style, Canvas& strip);

}  // namespace imggen
