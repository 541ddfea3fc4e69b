// Pixel combine modes: the blend-mode word, the weight, and the operators
// that mix one source colour into one destination pixel.
//
// Mode word: the low byte picks the operator (0 copy, 1 add, 2 colour dodge,
// 3 multiply, 4 overlay, 5 HSV adjust; a low byte with (mode & 0xf0) == 0xf0
// is the channel copy of PIX_Blit: source channel mode & 3 into destination
// channel (mode >> 2) & 3; any other value draws nothing). Bit 0x100 asks the
// scaling blits for bilinear filtering; bit 0x10000 picks the source-alpha
// operator of the mode (PIX_FillRect instead scales the alpha by the colour's
// alpha byte).
//
// Weight: (int)(alpha * 256), truncated toward zero; 256 is full strength.
// Weights are not clamped to 0..256: above 256 strengthens, below 0 turns add
// into subtract. They are limited to +-PIX_MAX_WEIGHT so that no operator's
// integer arithmetic can overflow.
//
// Operator contract: a class with one static doPix(dest, r, g, b, a, w):
// dest points at the destination pixel's four bytes (dest[0] alpha, dest[1]
// red, dest[2] green, dest[3] blue), r, g, b, a are the source channels and w
// the weight; it rewrites the four bytes. Divisions truncate toward zero and
// intermediates are signed 32-bit. NoClamp operators store the low 8 bits of
// their result (in range for channels 0..255 and weights 0..256); Clamp twins
// clamp to 0..255.
#pragma once

#include <cmath>
#include <cstdint>

#include "KIT/pix/pix-bitmap.h"

enum {
  PIX_BLIT_COPY = 0,
  PIX_BLIT_ADD = 1,
  PIX_BLIT_COLORDODGE = 2,
  PIX_BLIT_MULTIPLY = 3,
  PIX_BLIT_OVERLAY = 4,
  PIX_BLIT_HSVADJUST = 5,
  PIX_BLIT_FILTER_BILINEAR = 0x100,
  PIX_BLIT_USE_SOURCE_ALPHA = 0x10000,
};

// Largest magnitude of a weight (alpha 4.0) and of a channel value handed to
// the Clamp entry points; beyond them results would need more than 32 bits.
const int PIX_MAX_WEIGHT = 1024;
const int PIX_MAX_CHANNEL = 1024;

// Converts a float value to int the way a truncating cast does, but saturating
// at the limits (a NaN gives 0), so that no input makes the conversion
// undefined.
inline int PIX_TruncToInt(double v, int lo = INT32_MIN, int hi = INT32_MAX) {
  if (!(v == v)) return 0;
  if (v <= static_cast<double>(lo)) return lo;
  if (v >= static_cast<double>(hi)) return hi;
  return static_cast<int>(v);
}
// The weight of an alpha: (int)(alpha * 256), truncated and limited.
inline int PIX_WeightOf(double alpha) {
  return PIX_TruncToInt(alpha * 256.0, -PIX_MAX_WEIGHT, PIX_MAX_WEIGHT);
}
// A value in 16.16 fixed point, truncated toward zero and saturated.
inline int PIX_FixedOf(double v) { return PIX_TruncToInt(v * 65536.0); }

inline int PIX_Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// ---------------------------------------------------------------------------
// Plain operators: the same formula on each of the four channels, the alpha
// byte being a fourth channel with source value a.

struct _PIX_CombinePixelsClobberNoClamp {
  static inline int mix(int d, int s, int w) { return s; }
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    dest[0] = static_cast<unsigned char>(a);
    dest[1] = static_cast<unsigned char>(r);
    dest[2] = static_cast<unsigned char>(g);
    dest[3] = static_cast<unsigned char>(b);
  }
};

struct _PIX_CombinePixelsClobberClamp {
  static inline int mix(int d, int s, int w) { return PIX_Clamp255(s); }
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    dest[0] = static_cast<unsigned char>(mix(dest[0], a, w));
    dest[1] = static_cast<unsigned char>(mix(dest[1], r, w));
    dest[2] = static_cast<unsigned char>(mix(dest[2], g, w));
    dest[3] = static_cast<unsigned char>(mix(dest[3], b, w));
  }
};

// Expands a per-channel mix(d, s, w) into the four-byte doPix.
template <class Mix>
struct _PIX_PerChannel {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    dest[0] = static_cast<unsigned char>(Mix::mix(dest[0], a, w));
    dest[1] = static_cast<unsigned char>(Mix::mix(dest[1], r, w));
    dest[2] = static_cast<unsigned char>(Mix::mix(dest[2], g, w));
    dest[3] = static_cast<unsigned char>(Mix::mix(dest[3], b, w));
  }
};

// s + (d - s) * (256 - w) / 256
struct _PIX_CombinePixelsCopyNoClamp : _PIX_PerChannel<_PIX_CombinePixelsCopyNoClamp> {
  static inline int mix(int d, int s, int w) { return s + (d - s) * (256 - w) / 256; }
};
struct _PIX_CombinePixelsCopyClamp : _PIX_PerChannel<_PIX_CombinePixelsCopyClamp> {
  static inline int mix(int d, int s, int w) { return PIX_Clamp255(s + (d - s) * (256 - w) / 256); }
};
// clamp(d + s * w / 256)
struct _PIX_CombinePixelsAdd : _PIX_PerChannel<_PIX_CombinePixelsAdd> {
  static inline int mix(int d, int s, int w) { return PIX_Clamp255(d + s * w / 256); }
};
// q = 256 - s * w / 256; d * 256, divided by q when q >= 2; at most 255.
struct _PIX_CombinePixelsColorDodge : _PIX_PerChannel<_PIX_CombinePixelsColorDodge> {
  static inline int mix(int d, int s, int w) {
    const int q = 256 - s * w / 256;
    int t = d * 256;
    if (q >= 2) t /= q;
    return t < 255 ? t : 255;
  }
};
// ((s * w + (256 - w) * 256) * d) / 65536
struct _PIX_CombinePixelsMulNoClamp : _PIX_PerChannel<_PIX_CombinePixelsMulNoClamp> {
  static inline int mix(int d, int s, int w) { return ((s * w + (256 - w) * 256) * d) / 65536; }
};
struct _PIX_CombinePixelsMulClamp : _PIX_PerChannel<_PIX_CombinePixelsMulClamp> {
  static inline int mix(int d, int s, int w) { return PIX_Clamp255(((s * w + (256 - w) * 256) * d) / 65536); }
};
// v = s * w + (256 - w) * 128; t = (32768 - v) * d / 256 + v; clamp(t * d / 32768)
struct _PIX_CombinePixelsOverlay : _PIX_PerChannel<_PIX_CombinePixelsOverlay> {
  static inline int mix(int d, int s, int w) {
    const int v = s * w + (256 - w) * 128;
    const int t = (32768 - v) * d / 256 + v;
    return PIX_Clamp255(t * d / 32768);
  }
};
// (d + s) >> 1, ignoring the weight.
struct _PIX_CombinePixelsHalfMixNoClamp : _PIX_PerChannel<_PIX_CombinePixelsHalfMixNoClamp> {
  static inline int mix(int d, int s, int w) { return (d + s) >> 1; }
};

// Treats r, g, b as adjustments of hue (128 keeps it; 0 turns it half a turn
// at full weight), saturation and value (128 keeps each), scaled by the weight,
// and applies them to the destination's colour; the destination's alpha byte
// becomes a. Defined in pix-hsv.cpp; called, not inlined.
struct _PIX_CombinePixelsHSVAdjust {
  static void doPix(unsigned char* dest, int r, int g, int b, int a, int w);
};

// ---------------------------------------------------------------------------
// Source-alpha operators. sa is the source alpha byte a (0..255) and
// w' = (sa + 1) * w / 256 the weight scaled by the source's opacity.

inline int _PIX_SourceAlphaWeight(int sa, int w) { return (sa + 1) * w / 256; }

// keep ? a : b, written with masks so that loops over it vectorise (a branch
// or a conditional move in the loop body stops the vectoriser).
inline int _PIX_Select(bool keep, int a, int b) {
  const int mask = -static_cast<int>(keep);
  return (a & mask) | (b & ~mask);
}

// A plain formula applied with w' to all four channels (the alpha byte being
// the fourth with source value sa). With SkipTransparent a source alpha of 0
// leaves the pixel as it is.
template <class Mix, bool SkipTransparent>
struct _PIX_SourceAlphaOf {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    const int ws = _PIX_SourceAlphaWeight(a, w);
    const int source[4] = {a, r, g, b};
    for (int k = 0; k < 4; ++k) {
      const int d = dest[k];
      const int mixed = Mix::mix(d, source[k], ws);
      dest[k] = static_cast<unsigned char>(SkipTransparent ? _PIX_Select(a != 0, mixed, d) : mixed);
    }
  }
};

// The source-alpha copy: where the source shows (sa > 0) the colour becomes
// s + (d - s) * keep / 256 and the alpha min(d + added, 255).
inline void _PIX_CopyOver(unsigned char* dest, int r, int g, int b, bool shows, int keep, int added) {
  const int d0 = dest[0], d1 = dest[1], d2 = dest[2], d3 = dest[3];
  const int al = d0 + added;
  dest[0] = static_cast<unsigned char>(_PIX_Select(shows, al < 255 ? al : 255, d0));
  dest[1] = static_cast<unsigned char>(_PIX_Select(shows, r + (d1 - r) * keep / 256, d1));
  dest[2] = static_cast<unsigned char>(_PIX_Select(shows, g + (d2 - g) * keep / 256, d2));
  dest[3] = static_cast<unsigned char>(_PIX_Select(shows, b + (d3 - b) * keep / 256, d3));
}

// sa = 0: nothing. Colour: s + (d - s) * (256 - w') / 256; alpha: min(d + w', 255).
struct _PIX_CombinePixelsCopySourceAlphaNoClamp {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    const int ws = _PIX_SourceAlphaWeight(a, w);
    _PIX_CopyOver(dest, r, g, b, a != 0, 256 - ws, ws);
  }
};

// The full-weight copy with source alpha. sa = 0: nothing; sa = 255: the
// source colour with alpha 255, which the general formula already gives.
// Else colour: s + (d - s) * (255 - sa) / 256; alpha: min(d + sa, 255).
struct _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    _PIX_CopyOver(dest, r, g, b, a != 0, 255 - a, a);
  }
};

// sa = 0: nothing. Else the add formula with w' on all four channels.
struct _PIX_CombinePixelsAddSourceAlpha : _PIX_SourceAlphaOf<_PIX_CombinePixelsAdd, true> {};
// The colour-dodge formula with w' on all four channels, also when sa = 0.
struct _PIX_CombinePixelsColorDodgeSourceAlpha : _PIX_SourceAlphaOf<_PIX_CombinePixelsColorDodge, false> {};
// sa = 0: nothing. Else the multiply formula with w' on all four channels.
struct _PIX_CombinePixelsMulSourceAlphaNoClamp : _PIX_SourceAlphaOf<_PIX_CombinePixelsMulNoClamp, true> {};
// The overlay formula with w' on all four channels, also when sa = 0.
struct _PIX_CombinePixelsOverlaySourceAlpha : _PIX_SourceAlphaOf<_PIX_CombinePixelsOverlay, false> {};
// The HSV adjustment with weight w', also when sa = 0.
struct _PIX_CombinePixelsHSVAdjustSourceAlpha {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    _PIX_CombinePixelsHSVAdjust::doPix(dest, r, g, b, a, _PIX_SourceAlphaWeight(a, w));
  }
};

// ---------------------------------------------------------------------------
// Byte forms of the common operators, for loops whose source channels are
// bytes (every blit reads them from a bitmap): the same results as the
// operators above, computed in 16-bit arithmetic that the vectoriser packs
// eight lanes to a register.

// s + (d - s) * k / 256, truncated toward zero, for bytes d, s and
// 0 <= k <= 256: the product's magnitude fits 16 bits.
inline uint8_t _PIX_Toward(int s, int d, int k) {
  const uint16_t diff = static_cast<uint16_t>(d > s ? d - s : s - d);
  const uint16_t step = static_cast<uint16_t>(diff * static_cast<uint16_t>(k)) >> 8;
  return static_cast<uint8_t>(d > s ? s + step : s - step);
}
inline uint8_t _PIX_SelectByte(uint8_t mask, uint8_t a, uint8_t b) {
  return static_cast<uint8_t>((a & mask) | (b & ~mask));
}

// _PIX_CombinePixelsCopyNoClamp for weights 0..256.
struct _PIX_CombinePixelsCopyBytes {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    const int keep = 256 - w;
    dest[0] = _PIX_Toward(a, dest[0], keep);
    dest[1] = _PIX_Toward(r, dest[1], keep);
    dest[2] = _PIX_Toward(g, dest[2], keep);
    dest[3] = _PIX_Toward(b, dest[3], keep);
  }
};

// _PIX_CopyOver in bytes: keep 0..256, added 0..255.
inline void _PIX_CopyOverBytes(unsigned char* dest, int r, int g, int b, bool shows, int keep, int added) {
  const uint8_t mask = shows ? 0xFF : 0;
  const uint8_t d0 = dest[0], d1 = dest[1], d2 = dest[2], d3 = dest[3];
  const uint8_t al = static_cast<uint8_t>(d0 + added < 255 ? d0 + added : 255);
  dest[0] = _PIX_SelectByte(mask, al, d0);
  dest[1] = _PIX_SelectByte(mask, _PIX_Toward(r, d1, keep), d1);
  dest[2] = _PIX_SelectByte(mask, _PIX_Toward(g, d2, keep), d2);
  dest[3] = _PIX_SelectByte(mask, _PIX_Toward(b, d3, keep), d3);
}

// _PIX_CombinePixelsCopySourceAlphaNoClamp for weights 0..255.
struct _PIX_CombinePixelsCopySourceAlphaBytes {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    const uint16_t ws = static_cast<uint16_t>(static_cast<uint16_t>(a + 1) * static_cast<uint16_t>(w)) >> 8;
    _PIX_CopyOverBytes(dest, r, g, b, a != 0, 256 - ws, ws);
  }
};

// _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp (any weight).
struct _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmBytes {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    _PIX_CopyOverBytes(dest, r, g, b, a != 0, 255 - a, a);
  }
};

// ---------------------------------------------------------------------------
// Whole-word operators of the copy fast paths: doPix(d, c) returns the new
// destination word from the old one and the source or fill colour c, all
// four bytes at once, each half or quarter truncated separately.

struct _PIX_CombinePixelsClobberFAST {
  static inline PIX_pixel doPix(PIX_pixel d, PIX_pixel c) { return c; }
};
// Half of each: d/2 + c/2.
struct _PIX_CombinePixelsHalfMixFAST {
  static inline PIX_pixel doPix(PIX_pixel d, PIX_pixel c) {
    return ((d >> 1) & 0x7F7F7F7F) + ((c >> 1) & 0x7F7F7F7F);
  }
};
// The fills' names for the same word operations.
typedef _PIX_CombinePixelsHalfMixFAST _PIX_CombinePixelsHalfMix2FAST;
// A quarter of c over d: d/4 + d/2 + c/4.
struct _PIX_CombinePixelsQuarterMix2FAST {
  static inline PIX_pixel doPix(PIX_pixel d, PIX_pixel c) {
    return ((d >> 2) & 0x3F3F3F3F) + ((d >> 1) & 0x7F7F7F7F) + ((c >> 2) & 0x3F3F3F3F);
  }
};
// Three quarters of c over d: d/4 + c/4 + c/2.
struct _PIX_CombinePixelsThreeQuarterMix2FAST {
  static inline PIX_pixel doPix(PIX_pixel d, PIX_pixel c) {
    return ((d >> 2) & 0x3F3F3F3F) + ((c >> 2) & 0x3F3F3F3F) + ((c >> 1) & 0x7F7F7F7F);
  }
};

// ---------------------------------------------------------------------------
// Single-pixel entry points.

// dest combined with src at alpha under mode (switched on mode & 0x100ff, the
// operators of PIX_Blit). Weight 0 or a mode outside 0..5 and 0x10000..0x10005
// returns dest. Copy: weight below 1 returns dest, weight 256 returns src.
PIX_pixel PIX_CombinePixels(PIX_pixel dest, PIX_pixel src, float alpha, int mode);
// The same with the source as channels and the weight given directly; weight
// 0 does nothing; copy at weight 256 stores r, g, b, a. Channels and weight
// are limited to +-PIX_MAX_CHANNEL and +-PIX_MAX_WEIGHT.
void PIX_CombinePixels2(PIX_pixel* dest, int r, int g, int b, int a, int w, int mode);
// As PIX_CombinePixels2, with channels that may lie outside 0..255 and every
// stored channel clamped.
void PIX_CombinePixels2Clamp(PIX_pixel* dest, int r, int g, int b, int a, int w, int mode);
