// The vectorised row loops: SSE2, and wider builds on 256-bit and 512-bit
// registers taken when the processor has AVX2 or AVX-512 (asked once). The
// blends are written once (pix-rows-impl.h) over the three vector types
// below; rows shorter than one vector go to a narrower loop and, below four
// pixels, to the per-pixel operator itself. The interpolation and the plain
// fill have loops of their own for SSE2 and AVX2, and the colour blend of
// the fills one for AVX-512 that takes rows of any length.
#include "KIT/pix/pix-rows.h"

#include <emmintrin.h>
#include <immintrin.h>

#include <atomic>
#include <cstring>

#include "KIT/pix/pix-combine.h"

namespace {

#if defined(__GNUC__) && defined(__x86_64__)
#define PIX_HAVE_WIDE_ROWS 1

// The widest vectors the loops may take, in bits.
std::atomic<int> g_widest{512};

bool HaveAvx2() {
  static const bool have = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return have && g_widest.load(std::memory_order_relaxed) >= 256;
}
bool HaveAvx512() {
  static const bool have =
      (__builtin_cpu_init(), __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"));
  return have && g_widest.load(std::memory_order_relaxed) >= 512;
}
#endif

// True when the n bytes from m on are all 0, read as overlapping words.
bool Blank(const unsigned char* m, int n) {
  if (n < 4) return n < 1 || (m[0] | m[n / 2] | m[n - 1]) == 0;
  uint32_t any = 0, word;
  for (int i = 0; i + 4 < n; i += 4) memcpy(&word, m + i, 4), any |= word;
  memcpy(&word, m + n - 4, 4);
  return (any | word) == 0;
}

// Four pixels to a register.
namespace sse2 {
#define PIX_ROWS_TARGET
struct V {
  typedef __m128i T;
  static constexpr int kPixels = 4;
  static T Zero() { return _mm_setzero_si128(); }
  static T Load(const void* at) { return _mm_loadu_si128(static_cast<const __m128i*>(at)); }
  static void Store(void* at, T v) { _mm_storeu_si128(static_cast<__m128i*>(at), v); }
  // Two pixels from a in the low half, two from b in the high half.
  static T LoadPair(const void* a, const void* b) {
    return _mm_unpacklo_epi64(_mm_loadl_epi64(static_cast<const __m128i*>(a)),
                              _mm_loadl_epi64(static_cast<const __m128i*>(b)));
  }
  static void StorePair(void* a, void* b, T v) {
    _mm_storel_epi64(static_cast<__m128i*>(a), v);
    _mm_storel_epi64(static_cast<__m128i*>(b), _mm_unpackhi_epi64(v, v));
  }
  // Bytes (one per pixel) in both 16-bit lanes of their pixel: four from
  // at, or two from a and two from b.
  static T Spread(int32_t bytes) {
    const T low = _mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), _mm_setzero_si128());
    return _mm_unpacklo_epi16(low, low);
  }
  static T LoadSpread(const unsigned char* at) {
    int32_t bytes;
    memcpy(&bytes, at, 4);
    return Spread(bytes);
  }
  static T LoadSpreadPair(const unsigned char* a, const unsigned char* b) {
    return Spread(static_cast<int32_t>(a[0] | a[1] << 8 | b[0] << 16 | static_cast<uint32_t>(b[1]) << 24));
  }
  // Each pixel's alpha byte in both its 16-bit lanes.
  static T SpreadAlpha(T pixels) {
    const T alpha = _mm_and_si128(pixels, _mm_set1_epi32(0xFF));
    return _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
  }
  // The first 16-bit lane of each pixel set to 256.
  static T AlphaLanesAt256(T v) {
    return _mm_or_si128(_mm_and_si128(v, _mm_set1_epi32(static_cast<int>(0xFFFF0000u))), _mm_set1_epi32(256));
  }
  static T Set32(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
  static T And(T a, T b) { return _mm_and_si128(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
  static T Add8(T a, T b) { return _mm_add_epi8(a, b); }
  static T Sub8(T a, T b) { return _mm_sub_epi8(a, b); }
  static T AddSat8(T a, T b) { return _mm_adds_epu8(a, b); }
  static T MaxU8(T a, T b) { return _mm_max_epu8(a, b); }
  static T MinU8(T a, T b) { return _mm_min_epu8(a, b); }
  // a - b where x equals y, a + b elsewhere (bytes).
  static T AddOrSubtract8(T a, T b, T x, T y) {
    const T down = _mm_cmpeq_epi8(x, y);
    return _mm_add_epi8(a, _mm_sub_epi8(_mm_xor_si128(b, down), down));
  }
  static T Add16(T a, T b) { return _mm_add_epi16(a, b); }
  static T Sub16(T a, T b) { return _mm_sub_epi16(a, b); }
  // a + 1 where v is 0 (16-bit lanes).
  static T PlusOneWhereZero16(T a, T v) { return _mm_sub_epi16(a, _mm_cmpeq_epi16(v, _mm_setzero_si128())); }
  static T MulHiU16(T a, T b) { return _mm_mulhi_epu16(a, b); }
  static T MulLo16(T a, T b) { return _mm_mullo_epi16(a, b); }
  template <int n>
  static T ShiftLeft16(T a) {
    return _mm_slli_epi16(a, n);
  }
  template <int n>
  static T ShiftRight16(T a) {
    return _mm_srli_epi16(a, n);
  }
  // Pixels 0, 2, 4 and 6 of a (pixels 0..3) and b (4..7).
  static T PickEven(T a, T b) {
    return _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), 0x88));
  }
};
#include "KIT/pix/pix-rows-impl.h"
#undef PIX_ROWS_TARGET
}  // namespace sse2

#ifdef PIX_HAVE_WIDE_ROWS
#define PIX_ROWS_AVX512 __attribute__((target("avx512f,avx512bw")))

// Eight pixels to a register.
namespace avx2 {
#define PIX_ROWS_TARGET __attribute__((target("avx2")))
struct V {
  typedef __m256i T;
  static constexpr int kPixels = 8;
  PIX_ROWS_TARGET static T Zero() { return _mm256_setzero_si256(); }
  PIX_ROWS_TARGET static T Load(const void* at) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(at));
  }
  PIX_ROWS_TARGET static void Store(void* at, T v) { _mm256_storeu_si256(static_cast<__m256i*>(at), v); }
  // Four pixels from a in the low half, four from b in the high half.
  PIX_ROWS_TARGET static T LoadPair(const void* a, const void* b) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(a))),
                                   _mm_loadu_si128(static_cast<const __m128i*>(b)), 1);
  }
  PIX_ROWS_TARGET static void StorePair(void* a, void* b, T v) {
    _mm_storeu_si128(static_cast<__m128i*>(a), _mm256_castsi256_si128(v));
    _mm_storeu_si128(static_cast<__m128i*>(b), _mm256_extracti128_si256(v, 1));
  }
  // Bytes (one per pixel) in both 16-bit lanes of their pixel: eight from
  // at, or four from a and four from b.
  PIX_ROWS_TARGET static T Spread(int64_t bytes) {
    const T order = _mm256_setr_epi8(0, -1, 0, -1, 1, -1, 1, -1, 2, -1, 2, -1, 3, -1, 3, -1,  //
                                     4, -1, 4, -1, 5, -1, 5, -1, 6, -1, 6, -1, 7, -1, 7, -1);
    return _mm256_shuffle_epi8(_mm256_set1_epi64x(bytes), order);
  }
  PIX_ROWS_TARGET static T LoadSpread(const unsigned char* at) {
    int64_t bytes;
    memcpy(&bytes, at, 8);
    return Spread(bytes);
  }
  PIX_ROWS_TARGET static T LoadSpreadPair(const unsigned char* a, const unsigned char* b) {
    uint32_t low, high;
    memcpy(&low, a, 4);
    memcpy(&high, b, 4);
    return Spread(static_cast<int64_t>(low | static_cast<uint64_t>(high) << 32));
  }
  // Each pixel's alpha byte in both its 16-bit lanes.
  PIX_ROWS_TARGET static T SpreadAlpha(T pixels) {
    const T order = _mm256_setr_epi8(0, -1, 0, -1, 4, -1, 4, -1, 8, -1, 8, -1, 12, -1, 12, -1,  //
                                     0, -1, 0, -1, 4, -1, 4, -1, 8, -1, 8, -1, 12, -1, 12, -1);
    return _mm256_shuffle_epi8(pixels, order);
  }
  // The first 16-bit lane of each pixel set to 256.
  PIX_ROWS_TARGET static T AlphaLanesAt256(T v) {
    return _mm256_blend_epi16(v, _mm256_set1_epi32(256), 0x55);
  }
  PIX_ROWS_TARGET static T Set32(uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
  PIX_ROWS_TARGET static T And(T a, T b) { return _mm256_and_si256(a, b); }
  PIX_ROWS_TARGET static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  PIX_ROWS_TARGET static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
  PIX_ROWS_TARGET static T Add8(T a, T b) { return _mm256_add_epi8(a, b); }
  PIX_ROWS_TARGET static T Sub8(T a, T b) { return _mm256_sub_epi8(a, b); }
  PIX_ROWS_TARGET static T AddSat8(T a, T b) { return _mm256_adds_epu8(a, b); }
  PIX_ROWS_TARGET static T MaxU8(T a, T b) { return _mm256_max_epu8(a, b); }
  PIX_ROWS_TARGET static T MinU8(T a, T b) { return _mm256_min_epu8(a, b); }
  PIX_ROWS_TARGET static T AddOrSubtract8(T a, T b, T x, T y) {
    const T down = _mm256_cmpeq_epi8(x, y);
    return _mm256_add_epi8(a, _mm256_sub_epi8(_mm256_xor_si256(b, down), down));
  }
  PIX_ROWS_TARGET static T Add16(T a, T b) { return _mm256_add_epi16(a, b); }
  PIX_ROWS_TARGET static T Sub16(T a, T b) { return _mm256_sub_epi16(a, b); }
  PIX_ROWS_TARGET static T PlusOneWhereZero16(T a, T v) {
    return _mm256_sub_epi16(a, _mm256_cmpeq_epi16(v, _mm256_setzero_si256()));
  }
  PIX_ROWS_TARGET static T MulHiU16(T a, T b) { return _mm256_mulhi_epu16(a, b); }
  PIX_ROWS_TARGET static T MulLo16(T a, T b) { return _mm256_mullo_epi16(a, b); }
  template <int n>
  PIX_ROWS_TARGET static T ShiftLeft16(T a) {
    return _mm256_slli_epi16(a, n);
  }
  template <int n>
  PIX_ROWS_TARGET static T ShiftRight16(T a) {
    return _mm256_srli_epi16(a, n);
  }
  // The even pixels of a (pixels 0..7) and b (8..15), in order: picked
  // within 128-bit halves, then the halves' quarters put in order.
  PIX_ROWS_TARGET static T PickEven(T a, T b) {
    const __m256 even = _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), 0x88);
    return _mm256_permute4x64_epi64(_mm256_castps_si256(even), 0xD8);
  }
};
#include "KIT/pix/pix-rows-impl.h"
#undef PIX_ROWS_TARGET
}  // namespace avx2

// Sixteen pixels to a register.
namespace avx512 {
#define PIX_ROWS_TARGET PIX_ROWS_AVX512
struct V {
  typedef __m512i T;
  static constexpr int kPixels = 16;
  PIX_ROWS_TARGET static T Zero() { return _mm512_setzero_si512(); }
  PIX_ROWS_TARGET static T Load(const void* at) { return _mm512_loadu_si512(at); }
  PIX_ROWS_TARGET static void Store(void* at, T v) { _mm512_storeu_si512(at, v); }
  // Eight pixels from a in the low half, eight from b in the high half.
  PIX_ROWS_TARGET static T LoadPair(const void* a, const void* b) {
    // The masked forms: the plain ones leave lanes undefined, which the
    // compiler warns of.
    const T low = _mm512_maskz_loadu_epi32(0x00FF, a);
    return _mm512_mask_inserti64x4(low, 0xFF, low, _mm256_loadu_si256(static_cast<const __m256i*>(b)), 1);
  }
  PIX_ROWS_TARGET static void StorePair(void* a, void* b, T v) {
    _mm256_storeu_si256(static_cast<__m256i*>(a), _mm512_maskz_extracti64x4_epi64(0xF, v, 0));
    _mm256_storeu_si256(static_cast<__m256i*>(b), _mm512_maskz_extracti64x4_epi64(0xF, v, 1));
  }
  // Bytes (one per pixel) in both 16-bit lanes of their pixel: sixteen from
  // at, or eight from a and eight from b. Each 128-bit quarter takes its
  // four bytes from a copy of all sixteen.
  PIX_ROWS_TARGET static T Spread(__m128i bytes) {
    const T order = _mm512_set_epi32(
        static_cast<int>(0xFF0FFF0Fu), static_cast<int>(0xFF0EFF0Eu), static_cast<int>(0xFF0DFF0Du),
        static_cast<int>(0xFF0CFF0Cu), static_cast<int>(0xFF0BFF0Bu), static_cast<int>(0xFF0AFF0Au),
        static_cast<int>(0xFF09FF09u), static_cast<int>(0xFF08FF08u), static_cast<int>(0xFF07FF07u),
        static_cast<int>(0xFF06FF06u), static_cast<int>(0xFF05FF05u), static_cast<int>(0xFF04FF04u),
        static_cast<int>(0xFF03FF03u), static_cast<int>(0xFF02FF02u), static_cast<int>(0xFF01FF01u),
        static_cast<int>(0xFF00FF00u));
    return _mm512_shuffle_epi8(_mm512_maskz_broadcast_i32x4(0xFFFF, bytes), order);
  }
  PIX_ROWS_TARGET static T LoadSpread(const unsigned char* at) {
    return Spread(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
  }
  PIX_ROWS_TARGET static T LoadSpreadPair(const unsigned char* a, const unsigned char* b) {
    return Spread(_mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)),
                                     _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b))));
  }
  // Each pixel's alpha byte in both its 16-bit lanes.
  PIX_ROWS_TARGET static T SpreadAlpha(T pixels) {
    const T order = _mm512_set4_epi32(static_cast<int>(0xFF0CFF0Cu), static_cast<int>(0xFF08FF08u),
                                      static_cast<int>(0xFF04FF04u), static_cast<int>(0xFF00FF00u));
    return _mm512_shuffle_epi8(pixels, order);
  }
  // The first 16-bit lane of each pixel set to 256.
  PIX_ROWS_TARGET static T AlphaLanesAt256(T v) {
    return _mm512_mask_blend_epi16(0x55555555u, v, _mm512_set1_epi32(256));
  }
  PIX_ROWS_TARGET static T Set32(uint32_t v) { return _mm512_set1_epi32(static_cast<int>(v)); }
  PIX_ROWS_TARGET static T And(T a, T b) { return _mm512_and_si512(a, b); }
  PIX_ROWS_TARGET static T Or(T a, T b) { return _mm512_or_si512(a, b); }
  PIX_ROWS_TARGET static T Xor(T a, T b) { return _mm512_xor_si512(a, b); }
  PIX_ROWS_TARGET static T Add8(T a, T b) { return _mm512_add_epi8(a, b); }
  PIX_ROWS_TARGET static T Sub8(T a, T b) { return _mm512_sub_epi8(a, b); }
  PIX_ROWS_TARGET static T AddSat8(T a, T b) { return _mm512_adds_epu8(a, b); }
  PIX_ROWS_TARGET static T MaxU8(T a, T b) { return _mm512_max_epu8(a, b); }
  PIX_ROWS_TARGET static T MinU8(T a, T b) { return _mm512_min_epu8(a, b); }
  // The comparisons give masks, under which the other operation is taken.
  PIX_ROWS_TARGET static T AddOrSubtract8(T a, T b, T x, T y) {
    return _mm512_mask_sub_epi8(_mm512_add_epi8(a, b), _mm512_cmpeq_epi8_mask(x, y), a, b);
  }
  PIX_ROWS_TARGET static T Add16(T a, T b) { return _mm512_add_epi16(a, b); }
  PIX_ROWS_TARGET static T Sub16(T a, T b) { return _mm512_sub_epi16(a, b); }
  PIX_ROWS_TARGET static T PlusOneWhereZero16(T a, T v) {
    return _mm512_mask_add_epi16(a, _mm512_cmpeq_epi16_mask(v, _mm512_setzero_si512()), a,
                                 _mm512_set1_epi16(1));
  }
  PIX_ROWS_TARGET static T MulHiU16(T a, T b) { return _mm512_mulhi_epu16(a, b); }
  PIX_ROWS_TARGET static T MulLo16(T a, T b) { return _mm512_mullo_epi16(a, b); }
  template <int n>
  PIX_ROWS_TARGET static T ShiftLeft16(T a) {
    return _mm512_slli_epi16(a, n);
  }
  template <int n>
  PIX_ROWS_TARGET static T ShiftRight16(T a) {
    return _mm512_srli_epi16(a, n);
  }
  // The even pixels of a (pixels 0..15) and b (16..31), in order.
  PIX_ROWS_TARGET static T PickEven(T a, T b) {
    const T even = _mm512_set_epi32(30, 28, 26, 24, 22, 20, 18, 16, 14, 12, 10, 8, 6, 4, 2, 0);
    return _mm512_permutex2var_epi32(a, even, b);
  }
};
#include "KIT/pix/pix-rows-impl.h"
#undef PIX_ROWS_TARGET
}  // namespace avx512

// The constant-weight copy of one colour on 512-bit registers, in fewer
// steps than the shared loop: a colour byte s, destination byte d and keep k
// = 256 - weight give s + (d - s) * k / 256, truncated toward zero, which is
// s + m above s and s - m below it for m = |d - s| * k / 256, and also
// d - c above s and d + c below it for c = |d - s| * weight / 256 rounded
// up. The multiply-add of unsigned by signed bytes forms the products of the
// even and of the odd bytes in 16-bit lanes, each with its result in the
// lane's high byte, by the factor f: k (m) when k fits a signed byte, else
// -weight (-c, the high byte then rounding toward minus infinity). Rows of
// any length: the last vector of a row is a masked one, whose lanes outside
// the row are neither read nor written.
namespace avx512 {

template <bool ByKeep>
struct ColorBlend {
  __m512i s, even, odd, high;
  PIX_ROWS_AVX512 ColorBlend(PIX_pixel source, int f)
      : s(_mm512_set1_epi32(static_cast<int>(source))),
        even(_mm512_set1_epi16(static_cast<int16_t>(f & 0xFF))),
        odd(_mm512_set1_epi16(static_cast<int16_t>((f & 0xFF) << 8))),
        high(_mm512_set1_epi16(static_cast<int16_t>(0xFF00))) {}
  PIX_ROWS_AVX512 __m512i At(__m512i d) const {
    const __mmask64 below = _mm512_cmplt_epu8_mask(d, s);
    const __m512i distance = _mm512_mask_sub_epi8(_mm512_sub_epi8(d, s), below, s, d);
    const __m512i low = _mm512_srli_epi16(_mm512_maddubs_epi16(distance, even), 8);
    // low | (odd products & 0xFF00): the high bytes of both in place.
    const __m512i step = _mm512_ternarylogic_epi32(low, _mm512_maddubs_epi16(distance, odd), high, 0xF8);
    const __m512i base = ByKeep ? s : d;
    return _mm512_mask_sub_epi8(_mm512_add_epi8(base, step), below, base, step);
  }
  PIX_ROWS_AVX512 void Row(PIX_pixel* row, int n) const {
    int i = 0;
    for (; i + 64 <= n; i += 64) {
      // Four vectors loaded before any store: more work in flight.
      const __m512i a = _mm512_loadu_si512(row + i), b = _mm512_loadu_si512(row + i + 16);
      const __m512i c = _mm512_loadu_si512(row + i + 32), d = _mm512_loadu_si512(row + i + 48);
      _mm512_storeu_si512(row + i, At(a)), _mm512_storeu_si512(row + i + 16, At(b));
      _mm512_storeu_si512(row + i + 32, At(c)), _mm512_storeu_si512(row + i + 48, At(d));
    }
    for (; i + 16 <= n; i += 16) _mm512_storeu_si512(row + i, At(_mm512_loadu_si512(row + i)));
    if (i == n) return;
    const __mmask16 rest = static_cast<__mmask16>((1u << (n - i)) - 1);
    _mm512_mask_storeu_epi32(row + i, rest, At(_mm512_maskz_loadu_epi32(rest, row + i)));
  }
};

template <bool ByKeep>
PIX_ROWS_AVX512 void BlendColorRows(PIX_pixel* first, ptrdiff_t span, int w, int h, PIX_pixel source, int f) {
  const ColorBlend<ByKeep> blend(source, f);
  if (span == w && static_cast<int64_t>(w) * h <= INT32_MAX) w *= h, h = 1;
  for (int y = 0; y < h; ++y) blend.Row(first + y * span, w);
}

// Weights 1..255.
PIX_ROWS_AVX512 void BlendColorAnyWidth(PIX_pixel* first, ptrdiff_t span, int w, int h, PIX_pixel source,
                                        int weight) {
  if (weight > 128)
    BlendColorRows<true>(first, span, w, h, source, 256 - weight);
  else
    BlendColorRows<false>(first, span, w, h, source, -weight);
}

}  // namespace avx512

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

// The widest loop for rows of n pixels: 2 for AVX2, 1 for SSE2, 0 for none
// (the per-pixel operator). A loop takes rows of at least a vector, or of
// half a vector with narrow.
int WidthFor(int n, bool narrow = false) {
  const int shift = narrow ? 1 : 0;
#ifdef PIX_HAVE_WIDE_ROWS
  if (n >= avx512::V::kPixels >> shift && HaveAvx512()) return 3;
  if (n >= avx2::V::kPixels >> shift && HaveAvx2()) return 2;
#endif
  return n >= sse2::V::kPixels >> shift ? 1 : 0;
}

}  // namespace

void PIX_RowsWidestVectors(int bits) {
#ifdef PIX_HAVE_WIDE_ROWS
  g_widest.store(bits);
#else
  (void)bits;
#endif
}

void PIX_RowFill(uint32_t* words, size_t n, uint32_t value) {
#ifdef PIX_HAVE_WIDE_ROWS
  if (HaveAvx2()) return FillAvx2(words, n, value);
#endif
  FillSse2(words, n, value);
}

void PIX_RowBlend(unsigned char* dest, const unsigned char* src, int n, int weight) {
  switch (WidthFor(n)) {
#ifdef PIX_HAVE_WIDE_ROWS
    case 3:
      return avx512::Blend(dest, src, n, weight);
    case 2:
      return avx2::Blend(dest, src, n, weight);
#endif
    case 1:
      return sse2::Blend(dest, src, n, weight);
  }
  for (int i = 0; i < n; ++i) {
    const unsigned char* p = src + 4 * i;
    _PIX_CombinePixelsCopyBytes::doPix(dest + 4 * i, p[1], p[2], p[3], p[0], weight);
  }
}

void PIX_RowSourceAlphaOver(unsigned char* dest, const unsigned char* src, int n) {
  switch (WidthFor(n)) {
#ifdef PIX_HAVE_WIDE_ROWS
    case 3:
      return avx512::SourceAlphaOver(dest, src, n, 256);
    case 2:
      return avx2::SourceAlphaOver(dest, src, n, 256);
#endif
    case 1:
      return sse2::SourceAlphaOver(dest, src, n, 256);
  }
  for (int i = 0; i < n; ++i) {
    const unsigned char* p = src + 4 * i;
    _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmBytes::doPix(dest + 4 * i, p[1], p[2], p[3], p[0], 256);
  }
}

void PIX_RowSourceAlphaOverWeighted(unsigned char* dest, const unsigned char* src, int n, int weight) {
  switch (WidthFor(n)) {
#ifdef PIX_HAVE_WIDE_ROWS
    case 3:
      return avx512::SourceAlphaOver(dest, src, n, weight);
    case 2:
      return avx2::SourceAlphaOver(dest, src, n, weight);
#endif
    case 1:
      return sse2::SourceAlphaOver(dest, src, n, weight);
  }
  for (int i = 0; i < n; ++i) {
    const unsigned char* p = src + 4 * i;
    _PIX_CombinePixelsCopySourceAlphaBytes::doPix(dest + 4 * i, p[1], p[2], p[3], p[0], weight);
  }
}

void PIX_RowsBlendColor(PIX_pixel* first, ptrdiff_t span, int w, int h, PIX_pixel source, int weight) {
#ifdef PIX_HAVE_WIDE_ROWS
  if (HaveAvx512()) return avx512::BlendColorAnyWidth(first, span, w, h, source, weight);
#endif
  // Contiguous rows are one row, for the width choice too.
  const int n = span == w && static_cast<int64_t>(w) * h <= INT32_MAX ? w * h : w;
  switch (WidthFor(n)) {
#ifdef PIX_HAVE_WIDE_ROWS
    case 2:
      return avx2::BlendColor(first, span, w, h, source, weight);
#endif
    case 1:
      return sse2::BlendColor(first, span, w, h, source, weight);
  }
  const int r = PIX_Red(source), g = PIX_Green(source), b = PIX_Blue(source), a = PIX_Alpha(source);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      _PIX_CombinePixelsCopyBytes::doPix(reinterpret_cast<unsigned char*>(first + y * span + x), r, g, b, a,
                                         weight);
}

void PIX_RowsCoverage(PIX_pixel* first, ptrdiff_t span, const unsigned char* mask, ptrdiff_t maskSpan, int w,
                      int h, PIX_pixel source, int weight) {
  // Rows without ink draw nothing: glyph cells have many above and below it.
  while (h > 0 && Blank(mask, w)) mask += maskSpan, first += span, --h;
  while (h > 0 && Blank(mask + (h - 1) * maskSpan, w)) --h;
  const bool full = weight == 256;
  switch (WidthFor(w, true)) {
#ifdef PIX_HAVE_WIDE_ROWS
    case 3:
      return full ? avx512::Coverage<true>(first, span, mask, maskSpan, w, h, source, weight)
                  : avx512::Coverage<false>(first, span, mask, maskSpan, w, h, source, weight);
    case 2:
      return full ? avx2::Coverage<true>(first, span, mask, maskSpan, w, h, source, weight)
                  : avx2::Coverage<false>(first, span, mask, maskSpan, w, h, source, weight);
#endif
    case 1:
      return full ? sse2::Coverage<true>(first, span, mask, maskSpan, w, h, source, weight)
                  : sse2::Coverage<false>(first, span, mask, maskSpan, w, h, source, weight);
  }
  const int r = PIX_Red(source), g = PIX_Green(source), b = PIX_Blue(source), a = PIX_Alpha(source);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int m = mask[y * maskSpan + x];
      if (m)
        _PIX_CombinePixelsCopyBytes::doPix(reinterpret_cast<unsigned char*>(first + y * span + x), r, g, b, a,
                                           full ? m + 1 : m * weight / 256);
    }
}

void PIX_RowPickEven(PIX_pixel* dest, const PIX_pixel* src, int n) {
  switch (WidthFor(n)) {
#ifdef PIX_HAVE_WIDE_ROWS
    case 3:
      return avx512::PickEven(dest, src, n);
    case 2:
      return avx2::PickEven(dest, src, n);
#endif
    case 1:
      return sse2::PickEven(dest, src, n);
  }
  for (int i = 0; i < n; ++i) dest[i] = src[2 * i];
}

namespace {

// The table values of one column from the 16-bit lanes of pixels x and
// x + 1 of row (p) and below (q), the left pixel in lanes 0..3.
inline void BilinearColumn(int16_t* out, __m128i p, __m128i q) {
  const __m128i p1 = _mm_srli_si128(p, 8), q1 = _mm_srli_si128(q, 8);
  const __m128i right = _mm_sub_epi16(p1, p);  // p1 - p0
  const __m128i down = _mm_sub_epi16(q, p);    // q0 - p0
  const __m128i corner = _mm_sub_epi16(_mm_sub_epi16(q1, p1), down);
  const __m128i base = _mm_slli_epi16(_mm_add_epi16(p, q1), 1);  // 2 (p0 + q1)
  __m128i* at = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(at, _mm_unpacklo_epi16(right, down));
  _mm_storeu_si128(at + 1, _mm_unpacklo_epi16(corner, base));
}

// Columns x and x + 1 at once: p0 holds pixels x and x + 1 of row, p1
// pixels x + 1 and x + 2 (q0, q1 the same of below); lanes 0..3 of each
// result belong to column x, lanes 4..7 to column x + 1.
inline void BilinearColumnPair(int16_t* out, __m128i p0, __m128i p1, __m128i q0, __m128i q1) {
  const __m128i right = _mm_sub_epi16(p1, p0);
  const __m128i down = _mm_sub_epi16(q0, p0);
  const __m128i corner = _mm_sub_epi16(_mm_sub_epi16(q1, p1), down);
  const __m128i base = _mm_slli_epi16(_mm_add_epi16(p0, q1), 1);
  __m128i* at = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(at, _mm_unpacklo_epi16(right, down));
  _mm_storeu_si128(at + 1, _mm_unpacklo_epi16(corner, base));
  _mm_storeu_si128(at + 2, _mm_unpackhi_epi16(right, down));
  _mm_storeu_si128(at + 3, _mm_unpackhi_epi16(corner, base));
}

// The columns from x on, two at a time while four pixels can be read, the
// last one alone.
void BilinearColumnsSse2(int16_t* table, const unsigned char* row, const unsigned char* below, int x,
                         int count) {
  const __m128i zero = _mm_setzero_si128();
  for (; x + 3 <= count; x += 2) {
    const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(below + 4 * x));
    BilinearColumnPair(table + kBilinearColumnValues * x, _mm_unpacklo_epi8(r, zero),
                       _mm_unpacklo_epi8(_mm_srli_si128(r, 4), zero), _mm_unpacklo_epi8(b, zero),
                       _mm_unpacklo_epi8(_mm_srli_si128(b, 4), zero));
  }
  for (; x < count; ++x)
    BilinearColumn(table + kBilinearColumnValues * x,
                   _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + 4 * x)), zero),
                   _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(below + 4 * x)), zero));
}

#ifdef PIX_HAVE_WIDE_ROWS
// Four pixels' bytes as 16-bit lanes.
__attribute__((target("avx2"))) inline __m256i Widen4(const unsigned char* at) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
}

// Four columns at a time: the pair formula on pixels x..x + 3 against
// x + 1..x + 4, whose 128-bit halves hold columns x, x + 1 and x + 2, x + 3.
__attribute__((target("avx2"))) void BilinearColumnsAvx2(int16_t* table, const unsigned char* row,
                                                         const unsigned char* below, int count) {
  int x = 0;
  for (; x + 4 <= count; x += 4) {
    const __m256i p0 = Widen4(row + 4 * x), p1 = Widen4(row + 4 * x + 4);
    const __m256i q0 = Widen4(below + 4 * x), q1 = Widen4(below + 4 * x + 4);
    const __m256i right = _mm256_sub_epi16(p1, p0);
    const __m256i down = _mm256_sub_epi16(q0, p0);
    const __m256i corner = _mm256_sub_epi16(_mm256_sub_epi16(q1, p1), down);
    const __m256i base = _mm256_slli_epi16(_mm256_add_epi16(p0, q1), 1);
    const __m256i evenFirst = _mm256_unpacklo_epi16(right, down),
                  evenSecond = _mm256_unpacklo_epi16(corner, base);
    const __m256i oddFirst = _mm256_unpackhi_epi16(right, down),
                  oddSecond = _mm256_unpackhi_epi16(corner, base);
    __m256i* at = reinterpret_cast<__m256i*>(table + kBilinearColumnValues * x);
    _mm256_storeu_si256(at, _mm256_permute2x128_si256(evenFirst, evenSecond, 0x20));
    _mm256_storeu_si256(at + 1, _mm256_permute2x128_si256(oddFirst, oddSecond, 0x20));
    _mm256_storeu_si256(at + 2, _mm256_permute2x128_si256(evenFirst, evenSecond, 0x31));
    _mm256_storeu_si256(at + 3, _mm256_permute2x128_si256(oddFirst, oddSecond, 0x31));
  }
  // The compiler may jump to the SSE2 loop without clearing the upper
  // halves, which would slow every SSE instruction after it.
  _mm256_zeroupper();
  BilinearColumnsSse2(table, row, below, x, count);
}
#endif

}  // namespace

void PIX_BilinearColumns(int16_t* table, const unsigned char* row, const unsigned char* below, int count) {
#ifdef PIX_HAVE_WIDE_ROWS
  if (HaveAvx2()) return BilinearColumnsAvx2(table, row, below, count);
#endif
  BilinearColumnsSse2(table, row, below, 0, count);
}

namespace {

// The weights of a pixel as pairs of 16-bit multipliers, each shifted down
// by 32768 so that it fits a signed lane: (xf - 32768, yf - 32768) against
// (p1 - p0, q0 - p0) and (c - 32768, 16384) against (q1 - q0 - p1 + p0,
// 2 (p0 + q1)). The shifts add 32768 times (p1 - p0) + (q0 - p0) +
// (q1 - q0 - p1 + p0) = 32768 (q1 - p0), which with 2 (p0 + q1) * 16384
// leaves p0 * 65536: the sum is exact in 32 bits. In vectors, a 16-bit
// v - 32768 is v ^ 0x8000 and c = xf * yf >> 16 the unsigned high product.
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

// One pixel from its table values and its two weights, each already in
// every 32-bit lane: its four channels as 32-bit lanes.
inline __m128i Interpolate(const int16_t* values, __m128i first, __m128i second) {
  const __m128i* at = reinterpret_cast<const __m128i*>(values);
  return _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_loadu_si128(at), first),
                                      _mm_madd_epi16(_mm_loadu_si128(at + 1), second)),
                        16);
}

void BilinearRowSse2(unsigned char* out, const int16_t* table, const int32_t* columns,
                     const uint16_t* fractions, int n, unsigned yf) {
  const __m128i zero = _mm_setzero_si128(), flip = _mm_set1_epi32(0x8000);
  const __m128i yHigh = _mm_set1_epi32(static_cast<int>((yf ^ 0x8000u) << 16));
  const __m128i yLow = _mm_set1_epi32(static_cast<int>(yf));
  const __m128i quarter = _mm_set1_epi32(16384 << 16);
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    // Four pixels' fractions in the low halves of 32-bit lanes.
    const __m128i x =
        _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(fractions + k)), zero);
    const __m128i first = _mm_or_si128(_mm_xor_si128(x, flip), yHigh);
    const __m128i second = _mm_or_si128(_mm_xor_si128(_mm_mulhi_epu16(x, yLow), flip), quarter);
    const int16_t* const at[4] = {
        table + kBilinearColumnValues * columns[k], table + kBilinearColumnValues * columns[k + 1],
        table + kBilinearColumnValues * columns[k + 2], table + kBilinearColumnValues * columns[k + 3]};
    const __m128i v0 = Interpolate(at[0], _mm_shuffle_epi32(first, 0x00), _mm_shuffle_epi32(second, 0x00));
    const __m128i v1 = Interpolate(at[1], _mm_shuffle_epi32(first, 0x55), _mm_shuffle_epi32(second, 0x55));
    const __m128i v2 = Interpolate(at[2], _mm_shuffle_epi32(first, 0xAA), _mm_shuffle_epi32(second, 0xAA));
    const __m128i v3 = Interpolate(at[3], _mm_shuffle_epi32(first, 0xFF), _mm_shuffle_epi32(second, 0xFF));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * k),
                     _mm_packus_epi16(_mm_packs_epi32(v0, v1), _mm_packs_epi32(v2, v3)));
  }
  if (k == n) return;
  int32_t first[4], second[4];
  BilinearWeights(first, second, fractions + k, n - k, yf);
  for (int i = 0; k + i < n; ++i) {
    const __m128i v = Interpolate(table + kBilinearColumnValues * columns[k + i], _mm_set1_epi32(first[i]),
                                  _mm_set1_epi32(second[i]));
    const int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(v, zero), zero));
    memcpy(out + 4 * (k + i), &word, 4);
  }
}

#ifdef PIX_HAVE_WIDE_ROWS
// Pixels j and j + 1 of a group of eight (columns from the group's first):
// the table values of j in the low half, of j + 1 in the high, each half
// times that pixel's weights, spread from the group's by spread.
__attribute__((target("avx2"))) inline __m256i Interpolate2(const int16_t* table, const int32_t* columns,
                                                            int j, __m256i first, __m256i second,
                                                            __m256i spread) {
  const int16_t* a = table + kBilinearColumnValues * columns[j];
  const int16_t* b = table + kBilinearColumnValues * columns[j + 1];
  const __m256i u =
      _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a))),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), 1);
  const __m256i v = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 8))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 8)), 1);
  const __m256i w1 = _mm256_permutevar8x32_epi32(first, spread);
  const __m256i w2 = _mm256_permutevar8x32_epi32(second, spread);
  return _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(u, w1), _mm256_madd_epi16(v, w2)), 16);
}

// The SSE2 loop eight pixels at a time, two to a 256-bit register.
__attribute__((target("avx2"))) void BilinearRowAvx2(unsigned char* out, const int16_t* table,
                                                     const int32_t* columns, const uint16_t* fractions, int n,
                                                     unsigned yf) {
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  const __m256i spread[4] = {
      _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1), _mm256_setr_epi32(2, 2, 2, 2, 3, 3, 3, 3),
      _mm256_setr_epi32(4, 4, 4, 4, 5, 5, 5, 5), _mm256_setr_epi32(6, 6, 6, 6, 7, 7, 7, 7)};
  const __m256i flip = _mm256_set1_epi32(0x8000);
  const __m256i yHigh = _mm256_set1_epi32(static_cast<int>((yf ^ 0x8000u) << 16));
  const __m256i yLow = _mm256_set1_epi32(static_cast<int>(yf));
  const __m256i quarter = _mm256_set1_epi32(16384 << 16);
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    const __m256i x = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(fractions + k)));
    const __m256i first = _mm256_or_si256(_mm256_xor_si256(x, flip), yHigh);
    const __m256i second = _mm256_or_si256(_mm256_xor_si256(_mm256_mulhi_epu16(x, yLow), flip), quarter);
    // Packing works within 128-bit halves: pixels come out as k, k + 2,
    // k + 4, k + 6 | k + 1, k + 3, ...; the last permutation restores order.
    const int32_t* at = columns + k;
    const __m256i low = _mm256_packs_epi32(Interpolate2(table, at, 0, first, second, spread[0]),
                                           Interpolate2(table, at, 2, first, second, spread[1]));
    const __m256i high = _mm256_packs_epi32(Interpolate2(table, at, 4, first, second, spread[2]),
                                            Interpolate2(table, at, 6, first, second, spread[3]));
    const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(low, high), order);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * k), bytes);
  }
  if (k == n) return;
  _mm256_zeroupper();  // as before the columns' SSE2 tail
  BilinearRowSse2(out + 4 * k, table, columns + k, fractions + k, n - k, yf);
}
#endif

}  // namespace

void PIX_BilinearRow(unsigned char* out, const int16_t* table, const int32_t* columns,
                     const uint16_t* fractions, int n, unsigned yf) {
#ifdef PIX_HAVE_WIDE_ROWS
  if (HaveAvx2()) {
    BilinearRowAvx2(out, table, columns, fractions, n, yf);
    return;
  }
#endif
  BilinearRowSse2(out, table, columns, fractions, n, yf);
}

namespace {

// x / 9 for sums of nine bytes as the high half of x * 7282: exact over
// that range.
constexpr unsigned kNinth = 7282;
constexpr bool NinthIsExact() {
  for (unsigned x = 0; x <= 9 * 255; ++x)
    if ((x * kNinth) >> 16 != x / 9) return false;
  return true;
}
static_assert(NinthIsExact(), "the multiplier must divide every sum of nine bytes by 9 exactly");

}  // namespace

void PIX_BoxSums3(uint16_t* sums, const unsigned char* top, const unsigned char* middle,
                  const unsigned char* bottom, int count) {
  const __m128i zero = _mm_setzero_si128();
  int x = 0;
  for (; x + 4 <= count; x += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + 4 * x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(middle + 4 * x));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + 4 * x));
    const __m128i low = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)),
                                      _mm_unpacklo_epi8(c, zero));
    const __m128i high = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)),
                                       _mm_unpackhi_epi8(c, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + 4 * x), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + 4 * x + 8), high);
  }
  for (int k = 4 * x; k < 4 * count; ++k) sums[k] = static_cast<uint16_t>(top[k] + middle[k] + bottom[k]);
}

void PIX_BoxRow3(unsigned char* out, const uint16_t* sums, const int32_t* columns, int n) {
  const __m128i ninth = _mm_set1_epi16(static_cast<int16_t>(kNinth));
  // Two pixels' boxes: the three column sums left of, at and right of each
  // centre, one pixel per 64-bit half.
  auto two = [&](int i) {
    const uint16_t* a = sums + 4 * columns[i];
    const uint16_t* b = sums + 4 * columns[i + 1];
    auto pair = [](const uint16_t* p, const uint16_t* q) {
      return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(q)));
    };
    const __m128i total = _mm_add_epi16(_mm_add_epi16(pair(a - 4, b - 4), pair(a, b)), pair(a + 4, b + 4));
    return _mm_mulhi_epu16(total, ninth);
  };
  int i = 0;
  for (; i + 4 <= n; i += 4)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), _mm_packus_epi16(two(i), two(i + 2)));
  for (; i < n; ++i) {
    const uint16_t* a = sums + 4 * columns[i];
    for (int c = 0; c < 4; ++c) out[4 * i + c] = static_cast<unsigned char>((a[c - 4] + a[c] + a[c + 4]) / 9);
  }
}
