// Internal to pix-rows.cpp, which includes it once per vector width: the
// blending row loops written once over a vector type V of V::kPixels pixels.
// Before each inclusion the includer defines V (the operations used below)
// and PIX_ROWS_TARGET, the target attribute every function here carries, so
// that the wide build's code runs only where the processor has it. No
// include guard, and no includes of its own: it is read inside a namespace.
//
// Every loop gives exactly the bytes of the per-pixel operator it stands in
// for. A row of n >= V::kPixels pixels is whole vectors, the last one
// overlapping the one before it when n is no multiple of the width: it is
// worked out from the row's original pixels before any store, so that the
// pixels it shares with that vector are stored twice with the same value.

// s + (d - s) * k / 256 per byte, truncated toward zero (_PIX_Toward), with
// k (0..256) given per 16-bit lane: kEven for the lane's low byte, kOdd for
// its high byte. Worked on |d - s|, whose product with k fits 16 bits, and
// then moved up or down from s.
PIX_ROWS_TARGET inline V::T TowardK(V::T s, V::T d, V::T kEven, V::T kOdd) {
  const V::T larger = V::MaxU8(s, d);
  const V::T distance = V::Sub8(larger, V::MinU8(s, d));
  const V::T even = V::MulHiU16(V::ShiftLeft16<8>(distance), kEven);
  const V::T odd = V::MulHiU16(V::And(distance, V::Set32(0xFF00FF00u)), kOdd);
  // Down from s where d <= s (there larger is s), else up.
  return V::AddOrSubtract8(s, V::Or(even, V::ShiftLeft16<8>(odd)), larger, s);
}

// Multipliers 256 - w (the part of the destination that stays) from values v
// (0..255) given in both 16-bit lanes of their pixel. Full: w = v + 1, or 0
// for v = 0 (a transparent source pixel, an empty mask byte).
PIX_ROWS_TARGET inline V::T KeepFull(V::T v) {
  return V::PlusOneWhereZero16(V::Xor(v, V::Set32(0x00FF00FFu)), v);
}
// The weights (v + offset) * scale >> 8, where (255 + offset) * scale fits
// 16 bits, and the multipliers 256 - w of weights.
PIX_ROWS_TARGET inline V::T WeightScaled(V::T v, V::T offset, V::T scale) {
  return V::ShiftRight16<8>(V::MulLo16(V::Add16(v, offset), scale));
}
PIX_ROWS_TARGET inline V::T KeepOf(V::T weight) { return V::Sub16(V::Set32(0x01000100u), weight); }

// Runs kernel.At(i), the new pixels i .. i + V::kPixels - 1, over a row of n
// >= V::kPixels pixels from dest on.
template <class Kernel>
PIX_ROWS_TARGET inline void EachVector(unsigned char* dest, int n, const Kernel& kernel) {
  const int last = n - V::kPixels;
  const V::T tail = kernel.At(last);
  for (int i = 0; i < last; i += V::kPixels) V::Store(dest + 4 * i, kernel.At(i));
  V::Store(dest + 4 * last, tail);
}

// The constant-weight copy of a source row: keep = 256 - weight.
struct BlendKernel {
  unsigned char* dest;
  const unsigned char* src;
  V::T keep;
  PIX_ROWS_TARGET V::T At(int i) const {
    return TowardK(V::Load(src + 4 * i), V::Load(dest + 4 * i), keep, keep);
  }
};

// The constant-weight copy of one colour (source, its four bytes).
struct BlendColorKernel {
  unsigned char* dest;
  V::T source, keep;
  PIX_ROWS_TARGET V::T At(int i) const { return TowardK(source, V::Load(dest + 4 * i), keep, keep); }
};

// The source-alpha copy: the colour moves toward the source by each pixel's
// weight and the destination alpha gains it (the alpha byte is the low byte
// of the pixel's first 16-bit lane, which a multiplier of 256 keeps as it
// is). Full: the weight is sa + 1
// for source alpha sa, and the alpha gains sa; else (sa + 1) * scale >> 8.
// A weight of 0 (a transparent source pixel among them) keeps the pixel.
template <bool Full>
struct SourceAlphaKernel {
  unsigned char* dest;
  const unsigned char* src;
  V::T scale;
  PIX_ROWS_TARGET V::T At(int i) const {
    const V::T s = V::Load(src + 4 * i), alpha = V::SpreadAlpha(s);
    V::T odd, gain;
    if (Full) {
      odd = KeepFull(alpha);
      gain = V::And(s, V::Set32(0xFF));
    } else {
      const V::T weight = WeightScaled(alpha, V::Set32(0x00010001u), scale);
      odd = KeepOf(weight);
      gain = V::And(weight, V::Set32(0xFF));
    }
    return V::AddSat8(TowardK(s, V::Load(dest + 4 * i), V::AlphaLanesAt256(odd), odd), gain);
  }
};

// A colour through a coverage mask. Full: mask byte m weighs m + 1 (0 for
// m = 0); else m * scale >> 8.
template <bool Full>
struct CoverageKernel {
  V::T source, scale;
  PIX_ROWS_TARGET V::T Keep(V::T m) const {
    return Full ? KeepFull(m) : KeepOf(WeightScaled(m, V::Zero(), scale));
  }
  PIX_ROWS_TARGET V::T At(const unsigned char* dest, const unsigned char* mask) const {
    const V::T keep = Keep(V::LoadSpread(mask));
    return TowardK(source, V::Load(dest), keep, keep);
  }
  // Half a vector from each of two rows (a and b, which may be one row).
  PIX_ROWS_TARGET V::T AtPair(const unsigned char* a, const unsigned char* b, const unsigned char* maskA,
                              const unsigned char* maskB) const {
    const V::T keep = Keep(V::LoadSpreadPair(maskA, maskB));
    return TowardK(source, V::LoadPair(a, b), keep, keep);
  }
};

// Every other source pixel.
struct PickEvenKernel {
  const unsigned char* src;
  PIX_ROWS_TARGET V::T At(int i) const {
    return V::PickEven(V::Load(src + 8 * i), V::Load(src + 8 * i + 4 * V::kPixels));
  }
};

// The row loops; each needs rows of at least V::kPixels pixels, but for the
// coverage, which takes rows of half as many.

PIX_ROWS_TARGET inline void Blend(unsigned char* dest, const unsigned char* src, int n, int weight) {
  EachVector(dest, n, BlendKernel{dest, src, V::Set32(0x10001u * static_cast<uint32_t>(256 - weight))});
}

PIX_ROWS_TARGET inline void SourceAlphaOver(unsigned char* dest, const unsigned char* src, int n,
                                            int weight) {
  if (weight == 256)
    EachVector(dest, n, SourceAlphaKernel<true>{dest, src, V::Zero()});
  else
    EachVector(dest, n,
               SourceAlphaKernel<false>{dest, src, V::Set32(0x10001u * static_cast<uint32_t>(weight))});
}

// w x h pixels from first, rows span pixels apart; rows that follow each
// other without a gap are one run.
PIX_ROWS_TARGET inline void BlendColor(PIX_pixel* first, ptrdiff_t span, int w, int h, PIX_pixel source,
                                       int weight) {
  const V::T s = V::Set32(source), keep = V::Set32(0x10001u * static_cast<uint32_t>(256 - weight));
  if (span == w && static_cast<int64_t>(w) * h <= INT32_MAX) w *= h, h = 1;
  for (int y = 0; y < h; ++y) {
    unsigned char* dest = reinterpret_cast<unsigned char*>(first + y * span);
    EachVector(dest, w, BlendColorKernel{dest, s, keep});
  }
}

// Rows of w >= V::kPixels pixels go a vector at a time; narrower ones, of at
// least half a vector, two rows to a vector, each row as its first and its
// last half vector (the two overlap when w is below a vector).
template <bool Full>
PIX_ROWS_TARGET inline void Coverage(PIX_pixel* first, ptrdiff_t span, const unsigned char* mask,
                                     ptrdiff_t maskSpan, int w, int h, PIX_pixel source, int weight) {
  const CoverageKernel<Full> kernel{V::Set32(source), V::Set32(0x10001u * static_cast<uint32_t>(weight))};
  struct Row {
    const CoverageKernel<Full>& kernel;
    unsigned char* dest;
    const unsigned char* mask;
    PIX_ROWS_TARGET V::T At(int i) const { return kernel.At(dest + 4 * i, mask + i); }
  };
  if (w >= V::kPixels) {
    for (int y = 0; y < h; ++y) {
      unsigned char* dest = reinterpret_cast<unsigned char*>(first + y * span);
      EachVector(dest, w, Row{kernel, dest, mask + y * maskSpan});
    }
    return;
  }
  const int back = w - V::kPixels / 2;
  for (int y = 0; y < h; y += 2) {
    unsigned char* dest = reinterpret_cast<unsigned char*>(first + y * span);
    const unsigned char* row = mask + y * maskSpan;
    const bool pair = y + 1 < h;
    unsigned char* next = pair ? dest + span * 4 : dest;
    const unsigned char* nextRow = pair ? row + maskSpan : row;
    const V::T front = kernel.AtPair(dest, next, row, nextRow);
    if (back > 0) {
      const V::T rear = kernel.AtPair(dest + 4 * back, next + 4 * back, row + back, nextRow + back);
      V::StorePair(dest + 4 * back, next + 4 * back, rear);
    }
    V::StorePair(dest, next, front);
  }
}

PIX_ROWS_TARGET inline void PickEven(PIX_pixel* dest, const PIX_pixel* src, int n) {
  EachVector(reinterpret_cast<unsigned char*>(dest), n,
             PickEvenKernel{reinterpret_cast<const unsigned char*>(src)});
}
