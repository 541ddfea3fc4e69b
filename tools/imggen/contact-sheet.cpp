#include "tools/imggen/contact-sheet.h"

#include <memory>

#include "KIT/pix/pix-blit.h"
#include "KIT/pix/pix-combine.h"
#include "KIT/pix/pix-png.h"
#include "KIT/pix/pix-scale.h"
#include "tools/imggen/image-table.h"
#include "tools/imggen/png-write.h"
#include "tools/imggen/widgets.h"

namespace imggen {

namespace {

// Draws (sx, sy, sw, sh) of src scaled into (x, y, w, h) of the sheet, with
// the bilinear filter the editor's bitmap cache uses.
void placeScaled(Canvas& sheet, PIX_IBitmap* src, float sx, float sy, float sw, float sh, int x, int y, int w,
                 int h) {
  Canvas tmp(w, h);
  PIX_ScaledBlit(&tmp.bitmap(), src, 0, 0, w, h, sx, sy, sw, sh, 1.0f, PIX_BLIT_FILTER_BILINEAR);
  sheet.draw(tmp, x, y);
}

}  // namespace

bool writeContactSheet(const std::string& imageDir, const std::string& sheetPath) {
  const int sheetWidth = 2300, margin = 24;
  Canvas sheet(sheetWidth, 4200);
  sheet.clear(rgb(27, 28, 31));
  int x = margin, y = margin, rowHeight = 0;
  auto next = [&](int w, int h) {
    if (x + w > sheetWidth - margin) {
      x = margin;
      y += rowHeight + 28;
      rowHeight = 0;
    }
    const int at = x;
    x += w + margin;
    rowHeight = std::max(rowHeight, h);
    return at;
  };
  for (size_t i = 0; i < kImageCount; ++i) {
    const ImageEntry& entry = kImages[i];
    std::unique_ptr<PIX_IBitmap> bm(PIX_LoadPNG((imageDir + "/" + entry.file).c_str(), nullptr));
    if (!bm) return false;
    const int fw = entry.width, fh = entry.frameHeight;
    const std::string caption = std::string(entry.identifier) + "  " + std::to_string(fw) + "x" +
                                std::to_string(fh) +
                                (entry.frames > 1 ? " x" + std::to_string(entry.frames) : "");
    if (entry.frames == 1 && fw > 600) {
      // Window-sized pictures at half size.
      const int w = fw / 2, h = fh / 2;
      const int at = next(w, h + 16);
      placeScaled(sheet, bm.get(), 0, 0, float(fw), float(fh), at, y, w, h);
      sheet.text(caption, float(at), float(y + h + 2), float(w), 14, fonts::kLabel, palette::kLabelText);
      continue;
    }
    // Up to nine frames evenly spread over the strip, then for knobs the same
    // frames at 0.75 and 1.25.
    const int shown = std::min(entry.frames, 9);
    const bool knob = entry.frames >= 21;
    const int w = std::max(shown * (fw + 6), 200);
    const int h = fh + (knob ? int(fh * 0.75f) + int(fh * 1.25f) + 12 : 0);
    const int at = next(w, h + 16);
    for (int s = 0; s < shown; ++s) {
      const int k = shown > 1 ? int(std::lround(float(s) * (entry.frames - 1) / (shown - 1))) : 0;
      Canvas frame(fw, fh);
      PIX_Blit(&frame.bitmap(), bm.get(), 0, 0, 0, k * fh, fw, fh, 1.0f, 0);
      sheet.draw(frame, at + s * (fw + 6), y);
      if (knob) {
        placeScaled(sheet, bm.get(), 0, float(k * fh), float(fw), float(fh), at + s * (fw + 6), y + fh + 6,
                    int(fw * 0.75f), int(fh * 0.75f));
        placeScaled(sheet, bm.get(), 0, float(k * fh), float(fw), float(fh), at + s * (fw + 6),
                    y + fh + 12 + int(fh * 0.75f), int(fw * 1.25f), int(fh * 1.25f));
      }
    }
    sheet.text(caption, float(at), float(y + h + 2), float(w), 14, fonts::kLabel, palette::kLabelText);
  }
  // Crop to what was used.
  const int used = y + rowHeight + 40;
  Canvas cropped(sheetWidth, used);
  PIX_Blit(&cropped.bitmap(), &sheet.bitmap(), 0, 0, 0, 0, sheetWidth, used, 1.0f, 0);
  return writePng(&cropped.bitmap(), sheetPath);
}

}  // namespace imggen
