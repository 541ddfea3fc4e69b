// A review sheet of every image on one picture: backgrounds at half size,
// strips as a row of frames, knobs also at the 0.75 and 1.25 settings the
// editor's bitmap cache scales them to.
#pragma once

#include <string>

namespace imggen {

// False when an image file is missing or the sheet cannot be written.
bool writeContactSheet(const std::string& imageDir, const std::string& sheetPath);

}  // namespace imggen
