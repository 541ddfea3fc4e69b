// The 3 x 3 blur: whole 32-bit words, four channels at a time, each term a
// shifted and masked word that truncates on its own.
#include <cstdlib>

#include "KIT/pix/pix-blit.h"
#include "KIT/pix/pix-loops.h"

namespace {

inline PIX_pixel Half(PIX_pixel p) { return (p >> 1) & 0x7F7F7F7F; }
inline PIX_pixel Quarter(PIX_pixel p) { return (p >> 2) & 0x3F3F3F3F; }
inline PIX_pixel Eighth(PIX_pixel p) { return (p >> 3) & 0x1F1F1F1F; }

// One output row of w >= 2 pixels from the centre row and the rows above and
// below (null at the area's first and last row).
void BlurRow(PIX_pixel* out, const PIX_pixel* cur, const PIX_pixel* up, const PIX_pixel* down, int w) {
  for (int x = 0; x < w; ++x) {
    PIX_pixel v = Half(cur[x]);
    if (x == 0)
      v += Quarter(cur[1]);
    else if (x == w - 1)
      v += Quarter(cur[w - 2]);
    else
      v += Eighth(cur[x - 1]) + Eighth(cur[x + 1]);
    if (up && down)
      v += Eighth(up[x]) + Eighth(down[x]);
    else if (down)
      v += Quarter(down[x]);
    else
      v += Quarter(up[x]);
    out[x] = v;
  }
}

}  // namespace

void PIX_Blur(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw,
              int srch) {
  if (!dest || !src) return;
  int64_t left = srcx, top = srcy, right = static_cast<int64_t>(srcx) + srcw,
          bottom = static_cast<int64_t>(srcy) + srch;
  int64_t dx = dstx, dy = dsty;
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  if (right > src->getWidth()) right = src->getWidth();
  if (bottom > src->getHeight()) bottom = src->getHeight();
  if (dx < 0) left -= dx, dx = 0;
  if (dy < 0) top -= dy, dy = 0;
  if (dx + (right - left) > dest->getWidth()) right = left + dest->getWidth() - dx;
  if (dy + (bottom - top) > dest->getHeight()) bottom = top + dest->getHeight() - dy;
  if (right - left < 2 || bottom - top < 2) return;
  PIX_pixel* destBits = dest->getBits();
  PIX_pixel* srcBits = src->getBits();
  if (!destBits || !srcBits) return;
  const int w = static_cast<int>(right - left), h = static_cast<int>(bottom - top);
  ptrdiff_t dstep, sstep;
  PIX_pixel* out = PIX_DrawingRow(dest, destBits, static_cast<int>(dy), &dstep) + dx;
  const PIX_pixel* in = PIX_DrawingRow(src, srcBits, static_cast<int>(top), &sstep) + left;

  if (src != dest) {
    for (int y = 0; y < h; ++y)
      BlurRow(out + y * dstep, in + y * sstep, y > 0 ? in + (y - 1) * sstep : nullptr,
              y < h - 1 ? in + (y + 1) * sstep : nullptr, w);
    return;
  }
  // In place: each row is saved before it is overwritten, in the half of a
  // two-row buffer given by its parity, so the unblurred row above is at hand.
  PIX_pixel stackRows[2 * 1024];
  PIX_pixel* rows = stackRows;
  if (w > 1024) rows = static_cast<PIX_pixel*>(malloc(static_cast<size_t>(w) * 2 * sizeof(PIX_pixel)));
  for (int y = 0; y < h; ++y) {
    const PIX_pixel* cur = in + y * sstep;
    const PIX_pixel* up = y > 0 ? in + (y - 1) * sstep : nullptr;
    if (rows) {
      PIX_pixel* saved = rows + (y & 1) * w;
      for (int x = 0; x < w; ++x) saved[x] = cur[x];
      cur = saved;
      if (up) up = rows + ((y - 1) & 1) * w;
    }
    // Without a buffer the rows above come from the bitmap, already blurred.
    BlurRow(out + y * dstep, cur, up, y < h - 1 ? in + (y + 1) * sstep : nullptr, w);
  }
  if (rows != stackRows) free(rows);
}
