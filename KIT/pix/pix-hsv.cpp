// The HSV-adjust combine operator (blend mode 5). Hue runs on a circle of 384
// steps, 64 per sixth, with red at 0, green at 128 and blue at 256;
// saturation and value are 0..255. Integer arithmetic only: a reciprocal
// table replaces the divisions by the channel maximum and spread.
#include "KIT/pix/pix-combine.h"

namespace {

// Entry 0 is 0, entry i is floor(65536 / i) - 1.
struct InverseTable {
  uint16_t entry[256];
  InverseTable() {
    entry[0] = 0;
    for (int i = 1; i < 256; ++i) entry[i] = static_cast<uint16_t>(65536 / i - 1);
  }
};
const InverseTable kInverse;

}  // namespace

void _PIX_CombinePixelsHSVAdjust::doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
  const int R = dest[1], G = dest[2], B = dest[3];
  int base, mx, mn, difference;
  if (R >= G && R > B) {
    mx = R;
    if (B <= G) {
      base = 0;
      mn = B;
    } else {
      base = 383;
      mn = G;
    }
    difference = G - B;
  } else if (R < G && B < G) {
    base = 128;
    mx = G;
    mn = R < B ? R : B;
    difference = B - R;
  } else {
    base = 256;
    mx = B;
    mn = R < G ? R : G;
    difference = R - G;
  }
  const int spread = mx - mn;
  int hue = base + ((kInverse.entry[spread] + 1) * difference) / 1024;
  int saturation = (kInverse.entry[mx] * spread) / 256;
  int value = mx;

  hue += ((r + r / 2 - 192) * w) / 256;
  // Weights above full strength can carry the hue more than one turn.
  hue %= 384;
  if (hue < 0) hue += 384;
  saturation = PIX_Clamp255(saturation + ((g - 128) * w) / 128);
  value = PIX_Clamp255(value + ((b - 128) * w) / 128);

  const int sector = hue / 64;
  const int f = hue - 64 * sector;
  const int low = ((256 - saturation) * value) / 256;
  const int falling = ((16384 - f * saturation) * value) / 16384;
  const int rising = ((16384 - (64 - f) * saturation) * value) / 16384;
  int outR, outG, outB;
  switch (sector) {
    case 0:
      outR = value, outG = rising, outB = low;
      break;
    case 1:
      outR = falling, outG = value, outB = low;
      break;
    case 2:
      outR = low, outG = value, outB = rising;
      break;
    case 3:
      outR = low, outG = falling, outB = value;
      break;
    case 4:
      outR = rising, outG = low, outB = value;
      break;
    default:
      outR = value, outG = low, outB = falling;
      break;
  }
  dest[0] = static_cast<unsigned char>(a);
  dest[1] = static_cast<unsigned char>(outR);
  dest[2] = static_cast<unsigned char>(outG);
  dest[3] = static_cast<unsigned char>(outB);
}
