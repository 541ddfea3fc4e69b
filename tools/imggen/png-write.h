// Writing a bitmap as an 8-bit RGBA PNG file with fixed settings (no time
// stamp, no text chunks, one compression level, no row filter), so that the
// same pixels always give the same bytes, encoded for fast decoding.
#pragma once

#include <string>

#include "KIT/pix/pix-bitmap.h"

namespace imggen {

// False when the file cannot be written.
bool writePng(PIX_IBitmap* bitmap, const std::string& path);

}  // namespace imggen
