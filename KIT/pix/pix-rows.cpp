// The vectorised row loops: SSE2, and for the blends, the interpolation and
// the fill a second loop on 256-bit registers, taken when the processor has AVX2 (asked
// once). The tail of a row that fills no whole vector goes to the narrower
// loop and, below four pixels, to the per-pixel operator itself.
#include "KIT/pix/pix-rows.h"

#include <emmintrin.h>
#include <immintrin.h>

#include <atomic>
#include <cstring>

#include "KIT/pix/pix-combine.h"

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

void SourceAlphaOverSse2(unsigned char* dest, const unsigned char* src, int n) {
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

void SourceAlphaOverWeightedSse2(unsigned char* dest, const unsigned char* src, int n, int weight) {
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

#if defined(__GNUC__) && defined(__x86_64__)
#define PIX_HAVE_AVX2_ROWS 1

std::atomic<bool> g_baselineOnly{false};

bool HaveAvx2() {
  static const bool have = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return have && !g_baselineOnly.load(std::memory_order_relaxed);
}

// Toward and SpreadAlpha on 16 lanes.
__attribute__((target("avx2"))) inline __m256i Toward16(__m256i s, __m256i d, __m256i k) {
  const __m256i diff = _mm256_sub_epi16(_mm256_max_epi16(s, d), _mm256_min_epi16(s, d));
  const __m256i step = _mm256_srli_epi16(_mm256_mullo_epi16(diff, k), 8);
  const __m256i down = _mm256_cmpgt_epi16(s, d);
  return _mm256_add_epi16(s, _mm256_sub_epi16(_mm256_xor_si256(step, down), down));
}
__attribute__((target("avx2"))) inline __m256i SpreadAlpha16(__m256i pixels16) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(pixels16, 0), 0);
}

// Eight pixels of the source-alpha copy; weight 256 is the full-weight
// operator (keep 255 - a, added a), else keep 256 - ws and added ws with
// ws = (a + 1) * weight >> 8.
__attribute__((target("avx2"))) void SourceAlphaOverAvx2(unsigned char* dest, const unsigned char* src, int n,
                                                         int weight) {
  const __m256i zero = _mm256_setzero_si256(), alphaMask = _mm256_set1_epi32(0xFF);
  const __m256i full = _mm256_set1_epi16(255), one = _mm256_set1_epi16(1), all = _mm256_set1_epi16(256);
  const __m256i w = _mm256_set1_epi16(static_cast<int16_t>(weight));
  const bool weighted = weight != 256;
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i* at = reinterpret_cast<__m256i*>(dest + 4 * i);
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * i));
    const __m256i d = _mm256_loadu_si256(at);
    const __m256i hidden = _mm256_cmpeq_epi32(_mm256_and_si256(s, alphaMask), zero);
    if (_mm256_movemask_epi8(hidden) == -1) continue;  // no pixel shows
    const __m256i sLow = _mm256_unpacklo_epi8(s, zero), sHigh = _mm256_unpackhi_epi8(s, zero);
    const __m256i dLow = _mm256_unpacklo_epi8(d, zero), dHigh = _mm256_unpackhi_epi8(d, zero);
    const __m256i aLow = SpreadAlpha16(sLow), aHigh = SpreadAlpha16(sHigh);
    __m256i keepLow, keepHigh, addedLow, addedHigh;
    if (weighted) {
      addedLow = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_add_epi16(aLow, one), w), 8);
      addedHigh = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_add_epi16(aHigh, one), w), 8);
      keepLow = _mm256_sub_epi16(all, addedLow), keepHigh = _mm256_sub_epi16(all, addedHigh);
    } else {
      addedLow = aLow, addedHigh = aHigh;
      keepLow = _mm256_sub_epi16(full, aLow), keepHigh = _mm256_sub_epi16(full, aHigh);
    }
    const __m256i colour =
        _mm256_packus_epi16(Toward16(sLow, dLow, keepLow), Toward16(sHigh, dHigh, keepHigh));
    const __m256i alpha = _mm256_adds_epu8(d, _mm256_packus_epi16(addedLow, addedHigh));
    const __m256i over =
        _mm256_or_si256(_mm256_and_si256(alphaMask, alpha), _mm256_andnot_si256(alphaMask, colour));
    _mm256_storeu_si256(at, _mm256_or_si256(_mm256_and_si256(hidden, d), _mm256_andnot_si256(hidden, over)));
  }
  if (i < n) {
    if (weighted)
      SourceAlphaOverWeightedSse2(dest + 4 * i, src + 4 * i, n - i, weight);
    else
      SourceAlphaOverSse2(dest + 4 * i, src + 4 * i, n - i);
  }
}
__attribute__((target("avx2"))) void FillAvx2(uint32_t* words, size_t n, uint32_t value) {
  const __m256i v = _mm256_set1_epi32(static_cast<int>(value));
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    __m256i* at = reinterpret_cast<__m256i*>(words + i);
    _mm256_storeu_si256(at, v), _mm256_storeu_si256(at + 1, v);
    _mm256_storeu_si256(at + 2, v), _mm256_storeu_si256(at + 3, v);
  }
  for (; i + 8 <= n; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(words + i), v);
  for (; i < n; ++i) words[i] = value;
}
#endif

void FillSse2(uint32_t* words, size_t n, uint32_t value) {
  const __m128i v = _mm_set1_epi32(static_cast<int>(value));
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i* at = reinterpret_cast<__m128i*>(words + i);
    _mm_storeu_si128(at, v), _mm_storeu_si128(at + 1, v), _mm_storeu_si128(at + 2, v),
        _mm_storeu_si128(at + 3, v);
  }
  for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(words + i), v);
  for (; i < n; ++i) words[i] = value;
}

}  // namespace

void PIX_RowFill(uint32_t* words, size_t n, uint32_t value) {
#ifdef PIX_HAVE_AVX2_ROWS
  if (HaveAvx2()) return FillAvx2(words, n, value);
#endif
  FillSse2(words, n, value);
}

void PIX_RowsBaselineOnly(bool baseline) {
#ifdef PIX_HAVE_AVX2_ROWS
  g_baselineOnly.store(baseline);
#else
  (void)baseline;
#endif
}

void PIX_RowSourceAlphaOver(unsigned char* dest, const unsigned char* src, int n) {
#ifdef PIX_HAVE_AVX2_ROWS
  if (HaveAvx2()) return SourceAlphaOverAvx2(dest, src, n, 256);
#endif
  SourceAlphaOverSse2(dest, src, n);
}

void PIX_RowSourceAlphaOverWeighted(unsigned char* dest, const unsigned char* src, int n, int weight) {
#ifdef PIX_HAVE_AVX2_ROWS
  if (HaveAvx2()) return SourceAlphaOverAvx2(dest, src, n, weight);
#endif
  SourceAlphaOverWeightedSse2(dest, src, n, weight);
}

void PIX_BilinearColumns(int16_t* table, const unsigned char* row, const unsigned char* below, int count) {
  const __m128i zero = _mm_setzero_si128();
  for (int x = 0; x < count; ++x) {
    // Lanes 0..3 the left pixel's channels, 4..7 the right one's.
    const __m128i p = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + 4 * x)), zero);
    const __m128i q =
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(below + 4 * x)), zero);
    const __m128i p1 = _mm_srli_si128(p, 8), q1 = _mm_srli_si128(q, 8);
    const __m128i right = _mm_sub_epi16(p1, p);  // p1 - p0
    const __m128i down = _mm_sub_epi16(q, p);    // q0 - p0
    const __m128i corner = _mm_sub_epi16(_mm_sub_epi16(q1, p1), down);
    const __m128i base = _mm_slli_epi16(_mm_add_epi16(p, q1), 1);  // 2 (p0 + q1)
    __m128i* out = reinterpret_cast<__m128i*>(table + kBilinearColumnValues * x);
    _mm_storeu_si128(out, _mm_unpacklo_epi16(right, down));
    _mm_storeu_si128(out + 1, _mm_unpacklo_epi16(corner, base));
  }
}

namespace {

// The weights of a pixel as pairs of 16-bit multipliers, each shifted down
// by 32768 so that it fits a signed lane: (xf - 32768, yf - 32768) against
// (p1 - p0, q0 - p0) and (c - 32768, 16384) against (q1 - q0 - p1 + p0,
// 2 (p0 + q1)). The shifts add 32768 times (p1 - p0) + (q0 - p0) +
// (q1 - q0 - p1 + p0) = 32768 (q1 - p0), which with 2 (p0 + q1) * 16384
// leaves p0 * 65536: the sum is exact in 32 bits.
inline void BilinearWeights(int32_t* first, int32_t* second, const uint16_t* fractions, int n, unsigned yf) {
  const int yShifted = static_cast<int>(yf) - 32768;
  for (int i = 0; i < n; ++i) {
    const uint32_t xf = fractions[i];
    const int c = static_cast<int>((xf * yf) >> 16);
    first[i] = static_cast<int32_t>((static_cast<uint32_t>(yShifted) << 16) |
                                    static_cast<uint16_t>(static_cast<int>(xf) - 32768));
    second[i] = static_cast<int32_t>((16384u << 16) | static_cast<uint16_t>(c - 32768));
  }
}

constexpr int kWeightChunk = 64;

void BilinearRowSse2(unsigned char* out, const int16_t* table, const int32_t* columns,
                     const uint16_t* fractions, int n, unsigned yf) {
  alignas(16) int32_t first[kWeightChunk], second[kWeightChunk];
  for (int start = 0; start < n; start += kWeightChunk) {
    const int m = n - start < kWeightChunk ? n - start : kWeightChunk;
    BilinearWeights(first, second, fractions + start, m, yf);
    auto interpolate = [&](int k) {
      const __m128i* values =
          reinterpret_cast<const __m128i*>(table + kBilinearColumnValues * columns[start + k]);
      const __m128i sum =
          _mm_add_epi32(_mm_madd_epi16(_mm_loadu_si128(values), _mm_set1_epi32(first[k])),
                        _mm_madd_epi16(_mm_loadu_si128(values + 1), _mm_set1_epi32(second[k])));
      return _mm_srai_epi32(sum, 16);
    };
    int k = 0;
    for (; k + 4 <= m; k += 4) {
      const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(interpolate(k), interpolate(k + 1)),
                                             _mm_packs_epi32(interpolate(k + 2), interpolate(k + 3)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * (start + k)), bytes);
    }
    for (; k < m; ++k) {
      const __m128i zero = _mm_setzero_si128();
      const int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(interpolate(k), zero), zero));
      memcpy(out + 4 * (start + k), &word, 4);
    }
  }
}

#if defined(__GNUC__) && defined(__x86_64__)
// Pixels k and k + 1 of a chunk (table, columns and weights from the
// chunk's start): channels of k in the low half, of k + 1 in the high.
__attribute__((target("avx2"))) inline __m256i Interpolate2(const int16_t* table, const int32_t* columns,
                                                            const int32_t* first, const int32_t* second,
                                                            int k) {
  const __m256i spread = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
  const int16_t* a = table + kBilinearColumnValues * columns[k];
  const int16_t* b = table + kBilinearColumnValues * columns[k + 1];
  const __m256i u =
      _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a))),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), 1);
  const __m256i v = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 8))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 8)), 1);
  const __m256i w1 = _mm256_permutevar8x32_epi32(
      _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first + k))), spread);
  const __m256i w2 = _mm256_permutevar8x32_epi32(
      _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(second + k))), spread);
  return _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(u, w1), _mm256_madd_epi16(v, w2)), 16);
}

// The SSE2 loop with two pixels to a 256-bit register.
__attribute__((target("avx2"))) void BilinearRowAvx2(unsigned char* out, const int16_t* table,
                                                     const int32_t* columns, const uint16_t* fractions, int n,
                                                     unsigned yf) {
  alignas(32) int32_t first[kWeightChunk], second[kWeightChunk];
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  for (int start = 0; start < n; start += kWeightChunk) {
    const int m = n - start < kWeightChunk ? n - start : kWeightChunk;
    BilinearWeights(first, second, fractions + start, m, yf);
    int k = 0;
    for (; k + 8 <= m; k += 8) {
      // Packing works within 128-bit halves: pixels come out as k, k + 2,
      // k + 4, k + 6 | k + 1, k + 3, ...; the last permutation restores order.
      const int32_t* at = columns + start;
      const __m256i low = _mm256_packs_epi32(Interpolate2(table, at, first, second, k),
                                             Interpolate2(table, at, first, second, k + 2));
      const __m256i high = _mm256_packs_epi32(Interpolate2(table, at, first, second, k + 4),
                                              Interpolate2(table, at, first, second, k + 6));
      const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(low, high), order);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * (start + k)), bytes);
    }
    if (k < m)
      BilinearRowSse2(out + 4 * (start + k), table, columns + start + k, fractions + start + k, m - k, yf);
  }
}

#endif

}  // namespace

void PIX_BilinearRow(unsigned char* out, const int16_t* table, const int32_t* columns,
                     const uint16_t* fractions, int n, unsigned yf) {
#ifdef PIX_HAVE_AVX2_ROWS
  if (HaveAvx2()) {
    BilinearRowAvx2(out, table, columns, fractions, n, yf);
    return;
  }
#endif
  BilinearRowSse2(out, table, columns, fractions, n, yf);
}
