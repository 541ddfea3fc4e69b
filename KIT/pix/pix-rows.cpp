// The vectorised row loops. Each is written once with SSE2 intrinsics and
// plain loops; GCC builds it twice (baseline and AVX2) and picks the build
// when the program starts, by the processor's features. The tail of a row
// that fills no whole vector goes through the per-pixel operator itself.
#include "KIT/pix/pix-rows.h"

#include <emmintrin.h>

#include "KIT/pix/pix-combine.h"

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define PIX_BUILD_PER_CPU __attribute__((target_clones("avx2", "default")))
#else
#define PIX_BUILD_PER_CPU
#endif

namespace {

// _PIX_Toward on eight 16-bit lanes: s + (d - s) * k / 256 truncated toward
// zero, for bytes s and d and 0 <= k <= 256.
inline __m128i Toward(__m128i s, __m128i d, __m128i k) {
  const __m128i diff = _mm_sub_epi16(_mm_max_epi16(s, d), _mm_min_epi16(s, d));
  const __m128i step = _mm_srli_epi16(_mm_mullo_epi16(diff, k), 8);
  const __m128i down = _mm_cmpgt_epi16(s, d);  // s - step where the source is above
  return _mm_add_epi16(s, _mm_sub_epi16(_mm_xor_si128(step, down), down));
}

// Each pixel's lane 0 (its alpha) copied to its four lanes.
inline __m128i SpreadAlpha(__m128i pixels16) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels16, 0), 0);
}

// Four pixels of the source-alpha copy: keep (16-bit lanes, 0..256) is how
// much of the destination colour stays, added (bytes at each pixel's alpha)
// what the alpha byte gains; pixels whose source alpha is 0 stay as they are.
template <class KeepOf>
inline __m128i CopyOver4(__m128i d, __m128i s, KeepOf keepOf) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaMask = _mm_set1_epi32(0xFF);
  const __m128i sLow = _mm_unpacklo_epi8(s, zero), sHigh = _mm_unpackhi_epi8(s, zero);
  const __m128i dLow = _mm_unpacklo_epi8(d, zero), dHigh = _mm_unpackhi_epi8(d, zero);
  __m128i keepLow, keepHigh, addedLow, addedHigh;
  keepOf(SpreadAlpha(sLow), &keepLow, &addedLow);
  keepOf(SpreadAlpha(sHigh), &keepHigh, &addedHigh);
  const __m128i colour = _mm_packus_epi16(Toward(sLow, dLow, keepLow), Toward(sHigh, dHigh, keepHigh));
  const __m128i alpha = _mm_adds_epu8(d, _mm_packus_epi16(addedLow, addedHigh));
  const __m128i over = _mm_or_si128(_mm_and_si128(alphaMask, alpha), _mm_andnot_si128(alphaMask, colour));
  const __m128i hidden = _mm_cmpeq_epi32(_mm_and_si128(s, alphaMask), zero);
  return _mm_or_si128(_mm_and_si128(hidden, d), _mm_andnot_si128(hidden, over));
}

}  // namespace

PIX_BUILD_PER_CPU
void PIX_RowSourceAlphaOver(unsigned char* dest, const unsigned char* src, int n) {
  const __m128i full = _mm_set1_epi16(255);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i* d = reinterpret_cast<__m128i*>(dest + 4 * i);
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
    // keep 255 - a, added a.
    _mm_storeu_si128(d, CopyOver4(_mm_loadu_si128(d), s, [&](__m128i a, __m128i* keep, __m128i* added) {
                       *keep = _mm_sub_epi16(full, a);
                       *added = a;
                     }));
  }
  for (; i < n; ++i) {
    const unsigned char* p = src + 4 * i;
    _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmBytes::doPix(dest + 4 * i, p[1], p[2], p[3], p[0], 256);
  }
}

PIX_BUILD_PER_CPU
void PIX_RowSourceAlphaOverWeighted(unsigned char* dest, const unsigned char* src, int n, int weight) {
  const __m128i one = _mm_set1_epi16(1), all = _mm_set1_epi16(256);
  const __m128i w = _mm_set1_epi16(static_cast<int16_t>(weight));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i* d = reinterpret_cast<__m128i*>(dest + 4 * i);
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
    // ws = (a + 1) * w >> 8 (at most 65280 before the shift); keep 256 - ws,
    // added ws.
    _mm_storeu_si128(d, CopyOver4(_mm_loadu_si128(d), s, [&](__m128i a, __m128i* keep, __m128i* added) {
                       const __m128i ws = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(a, one), w), 8);
                       *keep = _mm_sub_epi16(all, ws);
                       *added = ws;
                     }));
  }
  for (; i < n; ++i) {
    const unsigned char* p = src + 4 * i;
    _PIX_CombinePixelsCopySourceAlphaBytes::doPix(dest + 4 * i, p[1], p[2], p[3], p[0], weight);
  }
}

// The four products of each channel and their sum stay below 2^24 (255 *
// 65536 at most), where floats hold integers exactly: the float sums equal
// the integer ones, and the truncating conversion after the exact scaling by
// 2^-16 is the shift.
PIX_BUILD_PER_CPU
void PIX_RowBilinear(unsigned char* out, const unsigned char* row, const unsigned char* below,
                     const int32_t* offsets, const uint16_t* fractions, int n, unsigned yf) {
  constexpr int kChunk = 64;
  alignas(16) float here[kChunk], right[kChunk], down[kChunk], corner[kChunk];
  const __m128i zero = _mm_setzero_si128();
  const __m128 scale = _mm_set1_ps(1.0f / 65536.0f);
  const uint16_t yf16 = static_cast<uint16_t>(yf);
  for (int start = 0; start < n; start += kChunk) {
    const int m = n - start < kChunk ? n - start : kChunk;
    for (int k = 0; k < m; ++k) {
      const uint16_t xf = fractions[start + k];
      const int c = static_cast<uint16_t>((static_cast<uint32_t>(xf) * yf16) >> 16);
      const int wRight = xf - c;
      right[k] = static_cast<float>(wRight);
      down[k] = static_cast<float>(yf16 - c);
      corner[k] = static_cast<float>(c);
      here[k] = static_cast<float>(65536 - yf16 - wRight);
    }
    // Channel sums of pixel k of the chunk, shifted, in four 32-bit lanes.
    auto interpolate = [&](int k) {
      const int32_t offset = offsets[start + k];
      const __m128i p =
          _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + offset)), zero);
      const __m128i q =
          _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(below + offset)), zero);
      __m128 sum = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(p, zero)), _mm_set1_ps(here[k]));
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(p, zero)), _mm_set1_ps(right[k])));
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(q, zero)), _mm_set1_ps(down[k])));
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(q, zero)), _mm_set1_ps(corner[k])));
      return _mm_cvttps_epi32(_mm_mul_ps(sum, scale));
    };
    int k = 0;
    for (; k + 4 <= m; k += 4) {
      const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(interpolate(k), interpolate(k + 1)),
                                             _mm_packs_epi32(interpolate(k + 2), interpolate(k + 3)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * (start + k)), bytes);
    }
    for (; k < m; ++k) {
      const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(interpolate(k), zero), zero);
      const int32_t word = _mm_cvtsi128_si32(bytes);
      __builtin_memcpy(out + 4 * (start + k), &word, 4);
    }
  }
}
