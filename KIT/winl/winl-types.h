// The plain types of the Win32-style drawing and windowing layer that other
// subsystems pass around before the layer itself is included: rectangles,
// points and the opaque handles of drawing contexts and drawing objects.
#pragma once

#include <cstdint>

// A rectangle of four signed 32-bit values; right and bottom are exclusive.
struct RECT {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// A point of two signed 32-bit values.
struct POINT {
  int32_t x;
  int32_t y;
};

// A drawing context; the record behind it belongs to the drawing layer.
struct HDC__;
typedef HDC__* HDC;

// A drawing object (pen, brush, font, bitmap or icon) of the drawing layer.
struct HGDIOBJ__;
typedef HGDIOBJ__* HGDIOBJ;
typedef HGDIOBJ HFONT;
