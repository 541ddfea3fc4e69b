#include "KIT/pix/pix-combine.h"

#include "KIT/pix/pix-loops.h"

namespace {

int Limit(int v, int limit) { return v < -limit ? -limit : (v > limit ? limit : v); }

}  // namespace

PIX_pixel PIX_CombinePixels(PIX_pixel dest, PIX_pixel src, float alpha, int mode) {
  const int w = PIX_WeightOf(alpha);
  PIX_pixel out = dest;
  unsigned char* bytes = reinterpret_cast<unsigned char*>(&out);
  const bool drawn = PIX_WithBlitOperator<false>(mode, w, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    F::doPix(bytes, PIX_Red(src), PIX_Green(src), PIX_Blue(src), PIX_Alpha(src), w);
  });
  return drawn ? out : dest;
}

void PIX_CombinePixels2(PIX_pixel* dest, int r, int g, int b, int a, int w, int mode) {
  if (!dest) return;
  w = Limit(w, PIX_MAX_WEIGHT);
  r = Limit(r, PIX_MAX_CHANNEL), g = Limit(g, PIX_MAX_CHANNEL), b = Limit(b, PIX_MAX_CHANNEL);
  a = Limit(a, PIX_MAX_CHANNEL);
  unsigned char* bytes = reinterpret_cast<unsigned char*>(dest);
  PIX_WithBlitOperator<false>(mode, w, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    F::doPix(bytes, r, g, b, a, w);
  });
}

void PIX_CombinePixels2Clamp(PIX_pixel* dest, int r, int g, int b, int a, int w, int mode) {
  if (!dest || w == 0) return;
  w = Limit(w, PIX_MAX_WEIGHT);
  r = Limit(r, PIX_MAX_CHANNEL), g = Limit(g, PIX_MAX_CHANNEL), b = Limit(b, PIX_MAX_CHANNEL);
  a = Limit(a, PIX_MAX_CHANNEL);
  unsigned char* bytes = reinterpret_cast<unsigned char*>(dest);
  switch (mode & 0x100ff) {
    case 0:
      if (w == 256)
        _PIX_CombinePixelsClobberClamp::doPix(bytes, r, g, b, a, w);
      else if (w > 0)
        _PIX_CombinePixelsCopyClamp::doPix(bytes, r, g, b, a, w);
      return;
    case 3:
      _PIX_CombinePixelsMulClamp::doPix(bytes, r, g, b, a, w);
      return;
    case 1:
    case 2:
    case 4:
    case 5:
      // These operators clamp what they store already.
      PIX_CombinePixels2(dest, r, g, b, a, w, mode);
      return;
    default:
      // The source-alpha operators have no clamping twins: their channels are
      // brought into 0..255 first, which keeps every stored value in range.
      PIX_CombinePixels2(dest, PIX_Clamp255(r), PIX_Clamp255(g), PIX_Clamp255(b), PIX_Clamp255(a), w, mode);
  }
}
