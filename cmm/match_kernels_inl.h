// The vector matching kernels, written once. This file is included by
// match_kernels_{baseline,avx2,avx512}.cpp inside that set's namespace with
// K7730_LANES pixels per vector (4, 8 or 16) and K7730_USE_AVX2 or
// K7730_USE_AVX512 telling which primitives the set has; everything it
// needs is included before. The arithmetic is the reference kernels', with
// one pixel in each lane:
//  - per-call tables give each input byte its share of the cell offset and
//    its weight in one look-up (offset in the low 20 bits, weight above);
//  - the corners of every lane's cell are gathered as whole 4-byte grid
//    entries, then each output channel is interpolated for all lanes;
//  - the output curves are a byte look-up (permutes on AVX-512 VBMI,
//    gathers on AVX2, plain loads on the baseline).
// A block reads all its pixels before it writes any and writes exactly its
// own bytes, so a destination that is the source gives the reference's
// result. Pixels left at the end of a row go through the reference
// arithmetic.

namespace {

constexpr int kLanes = K7730_LANES;
typedef std::uint32_t U32 __attribute__((vector_size(4 * K7730_LANES)));
typedef std::int32_t I32 __attribute__((vector_size(4 * K7730_LANES)));

// The 4-byte word at base + byteOffset[i] in each lane, little-endian.
K7730_VECTOR_INLINE U32 GatherWords(const std::uint8_t* base, U32 byteOffset) {
#if K7730_USE_AVX512
  // The masked form starts from a defined vector (GCC 12 warns about the
  // "undefined" one of the plain form).
  return (U32)_mm512_mask_i32gather_epi32(_mm512_setzero_si512(), 0xFFFF, (__m512i)byteOffset, base, 1);
#elif K7730_USE_AVX2
  return (U32)_mm256_i32gather_epi32(reinterpret_cast<const int*>(base), (__m256i)byteOffset, 1);
#else
  U32 r;
  for (int i = 0; i < kLanes; ++i) {
    const std::uint8_t* p = base + byteOffset[i];
    r[i] = p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
  }
  return r;
#endif
}

K7730_VECTOR_INLINE U32 GatherTable(const std::uint32_t* table, U32 index) {
#if K7730_USE_AVX512
  return (U32)_mm512_mask_i32gather_epi32(_mm512_setzero_si512(), 0xFFFF, (__m512i)index, table, 4);
#elif K7730_USE_AVX2
  return (U32)_mm256_i32gather_epi32(reinterpret_cast<const int*>(table), (__m256i)index, 4);
#else
  U32 r;
  for (int i = 0; i < kLanes; ++i) r[i] = table[index[i]];
  return r;
#endif
}

// One output curve in the form its look-up wants.
struct OutCurve {
#if K7730_USE_AVX512
  __m512i quarter[4];  // the 256 bytes in four registers
#elif K7730_USE_AVX2
  alignas(32) std::uint32_t wide[256];  // widened for gathering
#else
  const std::uint8_t* bytes;
#endif
};

K7730_VECTOR_INLINE void LoadOutCurve(const std::uint8_t* curve, OutCurve* out) {
#if K7730_USE_AVX512
  for (int k = 0; k < 4; ++k) out->quarter[k] = _mm512_loadu_si512(curve + 64 * k);
#elif K7730_USE_AVX2
  for (int i = 0; i < 256; ++i) out->wide[i] = curve[i];
#else
  out->bytes = curve;
#endif
}

// curve[byte] for the byte (0..255) in each lane.
K7730_VECTOR_INLINE U32 ApplyOutCurve(const OutCurve& curve, U32 byte) {
#if K7730_USE_AVX512
  // Two 128-byte permutes; the top bit of the byte chooses between them.
  const __m512i b = (__m512i)byte;
  const __m512i lower = _mm512_permutex2var_epi8(curve.quarter[0], b, curve.quarter[1]);
  const __m512i upper = _mm512_permutex2var_epi8(curve.quarter[2], b, curve.quarter[3]);
  const __m512i chosen = _mm512_mask_blend_epi8(_mm512_movepi8_mask(b), lower, upper);
  return (U32)_mm512_and_si512(chosen, _mm512_set1_epi32(0xFF));
#elif K7730_USE_AVX2
  return GatherTable(curve.wide, byte);
#else
  U32 r;
  for (int i = 0; i < kLanes; ++i) r[i] = curve.bytes[byte[i]];
  return r;
#endif
}

struct BlockTables {
  alignas(64) std::uint32_t packed[4][256];  // cell offset share | weight << 20
  OutCurve out[4];
};

K7730_VECTOR_INLINE void FillBlockTables(const ColorWorldHeader& world, const CellTables& t, BlockTables* b) {
  for (std::uint32_t c = 0; c < world.inChannels; ++c)
    for (int i = 0; i < 256; ++i) b->packed[c][i] = t.offset[c][i] | (t.weight[c][i] << 20);
  for (std::uint32_t o = 0; o < world.outChannels; ++o) LoadOutCurve(world.outCurve[o], &b->out[o]);
}

// Byte o of every lane's entry in a and in b as the 16-bit pair (a, b).
K7730_VECTOR_INLINE U32 PairBytes(U32 a, U32 b, int o) {
#if K7730_USE_AVX512
  alignas(64) static constexpr std::uint8_t kPick[4][64] = {
#define K7730_PICK(o) \
  {o, 0, 64 + o, 0, 4 + o, 0, 68 + o, 0, 8 + o, 0, 72 + o, 0, 12 + o, 0, 76 + o, 0, 16 + o, 0, 80 + o, 0, 20 + o, 0, \
   84 + o, 0, 24 + o, 0, 88 + o, 0, 28 + o, 0, 92 + o, 0, 32 + o, 0, 96 + o, 0, 36 + o, 0, 100 + o, 0, 40 + o, 0,   \
   104 + o, 0, 44 + o, 0, 108 + o, 0, 48 + o, 0, 112 + o, 0, 52 + o, 0, 116 + o, 0, 56 + o, 0, 120 + o, 0, 60 + o, 0, \
   124 + o, 0}
      K7730_PICK(0), K7730_PICK(1), K7730_PICK(2), K7730_PICK(3)};
#undef K7730_PICK
  const __m512i picked = _mm512_permutex2var_epi8((__m512i)a, _mm512_load_si512(kPick[o]), (__m512i)b);
  return (U32)picked & 0x00FF00FFu;
#else
  return ((a >> (8 * o)) & 0xFF) | (((b >> (8 * o)) & 0xFF) << 16);
#endif
}

// a * (256 - w) + b * w = (a << 8) + (b - a) * w for the pairs (a, b) and
// factors (256 - w, w) of each lane: the first interpolation, exact.
K7730_VECTOR_INLINE U32 MulAddPairs(U32 pairs, U32 factors) {
#if K7730_USE_AVX512
  return (U32)_mm512_madd_epi16((__m512i)pairs, (__m512i)factors);
#elif K7730_USE_AVX2
  return (U32)_mm256_madd_epi16((__m256i)pairs, (__m256i)factors);
#elif defined(__SSE2__)
  return (U32)_mm_madd_epi16((__m128i)pairs, (__m128i)factors);
#else
  return (pairs & 0xFFFF) * (factors & 0xFFFF) + (pairs >> 16) * (factors >> 16);
#endif
}

K7730_VECTOR_INLINE U32 LastFactors(U32 w) { return (w << 16) | (256 - w); }

// Along an earlier channel: rounded between 8.8 values.
K7730_VECTOR_INLINE I32 LerpNextLanes(I32 low, I32 high, I32 w) { return low + (((high - low) * w + 128) >> 8); }
K7730_VECTOR_INLINE U32 Round88Lanes(I32 s) { return (U32)(s + 128) >> 8; }
// The wide kernels' unrounded widening step, modulo 2^32.
K7730_VECTOR_INLINE U32 WidenLanes(U32 low, U32 high, U32 w) { return (low << 8) + (high - low) * w; }

// Output bytes (before the output curves) of three-input cells.
template <int Out, bool Wide>
K7730_VECTOR_INLINE void InterpolateLanes3(const std::uint8_t* grid, U32 offset, const U32 (&w)[4], U32 (&bytes)[4]) {
  static constexpr std::uint32_t kCorner[4] = {0, 256, 16384, 16384 + 256};
  U32 a[4], b[4];
  for (int k = 0; k < 4; ++k) {
    a[k] = GatherWords(grid, offset + kCorner[k]);
    b[k] = GatherWords(grid, offset + (kCorner[k] + 4));
  }
  const U32 factors = LastFactors(w[2]);
  for (int o = 0; o < Out; ++o) {
    if constexpr (Wide) {
      U32 s[4];
      for (int k = 0; k < 4; ++k) s[k] = MulAddPairs(PairBytes(a[k], b[k], o), factors);
      const U32 s0 = WidenLanes(s[0], s[1], w[1]), s1 = WidenLanes(s[2], s[3], w[1]);
      bytes[o] = (WidenLanes(s0, s1, w[0]) + 0x800000u) >> 24;
    } else {
      I32 s[4];
      for (int k = 0; k < 4; ++k) s[k] = (I32)MulAddPairs(PairBytes(a[k], b[k], o), factors);
      const I32 s0 = LerpNextLanes(s[0], s[1], (I32)w[1]), s1 = LerpNextLanes(s[2], s[3], (I32)w[1]);
      bytes[o] = Round88Lanes(LerpNextLanes(s0, s1, (I32)w[0]));
    }
  }
}

// The same with four inputs: eight pairs along channel 3, then 2, 1, 0.
template <int Out>
K7730_VECTOR_INLINE void InterpolateLanes4(const std::uint8_t* grid, U32 offset, const U32 (&w)[4], U32 (&bytes)[4]) {
  U32 a[8], b[8];
  for (int k = 0; k < 8; ++k) {
    const std::uint32_t at = ((k >> 2) & 1) * 19652 + ((k >> 1) & 1) * 1156 + (k & 1) * 68;
    a[k] = GatherWords(grid, offset + at);
    b[k] = GatherWords(grid, offset + (at + 4));
  }
  const U32 factors = LastFactors(w[3]);
  for (int o = 0; o < Out; ++o) {
    I32 s3[8], s2[4];
    for (int k = 0; k < 8; ++k) s3[k] = (I32)MulAddPairs(PairBytes(a[k], b[k], o), factors);
    for (int k = 0; k < 4; ++k) s2[k] = LerpNextLanes(s3[2 * k], s3[2 * k + 1], (I32)w[2]);
    const I32 s1a = LerpNextLanes(s2[0], s2[1], (I32)w[1]), s1b = LerpNextLanes(s2[2], s2[3], (I32)w[1]);
    bytes[o] = Round88Lanes(LerpNextLanes(s1a, s1b, (I32)w[0]));
  }
}

// kLanes pixels starting at pixel x of the row.
template <int In, int Out, bool Planar, bool Wide>
K7730_VECTOR_INLINE void MatchBlock(const std::uint8_t* grid, const BlockTables& t, const std::uint8_t* const (&src)[4],
                                    std::uint8_t* const (&dst)[4], std::size_t x) {
  U32 offset = {}, w[4] = {};
  for (int k = 0; k < In; ++k) {
    U32 c = {};
    for (int i = 0; i < kLanes; ++i) c[i] = Planar ? src[k][x + i] : src[0][(x + i) * In + k];
    const U32 e = GatherTable(t.packed[k], c);
    offset += e & 0xFFFFF;
    w[k] = e >> 20;
  }
  U32 bytes[4];
  if constexpr (In == 3)
    InterpolateLanes3<Out, Wide>(grid, offset, w, bytes);
  else
    InterpolateLanes4<Out>(grid, offset, w, bytes);
  U32 result[4];
  for (int o = 0; o < Out; ++o) result[o] = ApplyOutCurve(t.out[o], bytes[o]);
  for (int i = 0; i < kLanes; ++i)
    for (int o = 0; o < Out; ++o) {
      std::uint8_t& to = Planar ? dst[o][x + i] : dst[0][(x + i) * Out + o];
      to = static_cast<std::uint8_t>(result[o][i]);
    }
}

// One pixel the reference way, through the per-call tables.
template <int In, int Out, bool Planar, bool Wide>
void MatchPixel(const ColorWorldHeader& world, const CellTables& t, const std::uint8_t* const (&src)[4],
                std::uint8_t* const (&dst)[4], std::size_t x) {
  std::uint32_t c[4] = {};
  for (int k = 0; k < In; ++k) c[k] = Planar ? src[k][x] : src[0][x * In + k];
  std::uint32_t offset = 0;
  for (int k = 0; k < In; ++k) offset += t.offset[k][c[k]];
  const std::uint8_t* cell = world.Grid() + offset;
  std::uint32_t bytes[4];
  if constexpr (Wide) {
    const std::uint32_t w[3] = {t.weight[0][c[0]], t.weight[1][c[1]], t.weight[2][c[2]]};
    InterpolateCellWide(cell, w, bytes);
  } else {
    std::int32_t w[4];
    for (int k = 0; k < In; ++k) w[k] = static_cast<std::int32_t>(t.weight[k][c[k]]);
    if constexpr (In == 3)
      InterpolateCell3<Out>(cell, w, bytes);
    else
      InterpolateCell4<Out>(cell, w, bytes);
  }
  for (int o = 0; o < Out; ++o) (Planar ? dst[o][x] : dst[0][x * Out + o]) = world.outCurve[o][bytes[o]];
}

// Whether blocks give the reference's bytes: every destination lies at or
// before each source (writes never overtake reads) or past its end. A
// destination that starts inside a source, later, would be read after
// being written by the one-by-one reference.
template <int In, int Out, bool Planar>
bool BlocksKeepOrder(const MatchRun& run) {
  const std::uintptr_t span = run.rows * (run.pixels * (Planar ? 1 : In) + run.srcSkip);
  for (int k = 0; k < (Planar ? In : 1); ++k)
    for (int o = 0; o < (Planar ? Out : 1); ++o) {
      const std::uintptr_t s = reinterpret_cast<std::uintptr_t>(run.src[k]);
      const std::uintptr_t d = reinterpret_cast<std::uintptr_t>(run.dst[o]);
      if (d > s && d - s < span) return false;
    }
  return true;
}

template <int In, int Out, bool Planar, bool Wide>
void MatchRows(const ColorWorldHeader& world, const WideTables* wide, const MatchRun& run) {
  CellTables cells;
  FillCellTables(world, wide, Wide, &cells);
  BlockTables tables;
  FillBlockTables(world, cells, &tables);
  const std::uint8_t* src[4];
  std::uint8_t* dst[4];
  std::memcpy(src, run.src, sizeof src);
  std::memcpy(dst, run.dst, sizeof dst);
  const std::size_t blocked = BlocksKeepOrder<In, Out, Planar>(run) ? run.pixels - run.pixels % kLanes : 0;
  for (std::size_t y = 0; y < run.rows; ++y) {
    std::size_t x = 0;
    for (; x < blocked; x += kLanes) MatchBlock<In, Out, Planar, Wide>(world.Grid(), tables, src, dst, x);
    for (; x < run.pixels; ++x) MatchPixel<In, Out, Planar, Wide>(world, cells, src, dst, x);
    const std::size_t inStep = run.pixels * (Planar ? 1 : In) + run.srcSkip;
    const std::size_t outStep = run.pixels * (Planar ? 1 : Out) + run.dstSkip;
    for (int k = 0; k < (Planar ? In : 1); ++k) src[k] += inStep;
    for (int k = 0; k < (Planar ? Out : 1); ++k) dst[k] += outStep;
  }
}


#if K7730_USE_AVX2 || K7730_USE_AVX512
// ---- One pixel at a time, output channels side by side --------------------
// The four output channels of a cell edge fill four 32-bit lanes, two edges
// a 256-bit vector: the two corner entries along the last input channel are
// adjacent in the grid and are read as one 8-byte word, their bytes spread
// to 16-bit pairs (a, b) and multiplied and added with (256 - w, w); each
// later interpolation is one vector operation. With the one-entry cache of
// the reference, this beats blocks of pixels wherever equal neighbours are
// common or the gathers are many.

// The 8-byte word (a0 a1 a2 a3 b0 b1 b2 b3) at `low` in the lower half and
// the one at `high` in the upper half, spread to the (a, b) pairs of the
// four channels and multiplied and added with the factors.
K7730_VECTOR_INLINE __m256i EdgePairs(const std::uint8_t* low, const std::uint8_t* high, __m256i factors) {
  const __m256i spread = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1,  //
                                          0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
  const __m128i l = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(low));
  const __m128i h = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(high));
  const __m256i pairs = _mm256_inserti128_si256(_mm256_castsi128_si256(l), h, 1);
  return _mm256_madd_epi16(_mm256_shuffle_epi8(pairs, spread), factors);
}

template <typename V>
K7730_VECTOR_INLINE V EdgeNext(V low, V high, V w) {
  return low + (((high - low) * w + 128) >> 8);
}
// Output bytes (before the output curves) of channels 0..3 of the cell at
// p, in the bytes of the result, lowest first.
template <int In, bool Wide>
K7730_VECTOR_INLINE std::uint32_t InterpolateChannels(const std::uint8_t* p, const CellTables& t, const std::uint32_t* c) {
  typedef std::int32_t I8x __attribute__((vector_size(32)));
  typedef std::int32_t I4x __attribute__((vector_size(16)));
  auto low = [](I8x v) { return I4x{v[0], v[1], v[2], v[3]}; };
  auto high = [](I8x v) { return I4x{v[4], v[5], v[6], v[7]}; };
  I4x s;
  if constexpr (In == 3) {
    const __m256i factors = _mm256_set1_epi32(static_cast<int>(t.lastPair[c[2]]));
    // Lower halves: channel 0 low; upper halves: channel 0 high.
    const I8x a = (I8x)EdgePairs(p, p + 16384, factors);        // channel 1 low
    const I8x b = (I8x)EdgePairs(p + 256, p + 16640, factors);  // channel 1 high
    const I8x w1 = (I8x)_mm256_set1_epi32(static_cast<int>(t.weight[1][c[1]]));
    const I4x w0 = (I4x)_mm_set1_epi32(static_cast<int>(t.weight[0][c[0]]));
    if constexpr (Wide) {
      typedef std::uint32_t U8x __attribute__((vector_size(32)));
      typedef std::uint32_t U4x __attribute__((vector_size(16)));
      const U8x e = ((U8x)a << 8) + ((U8x)b - (U8x)a) * (U8x)w1;
      const U4x el = {e[0], e[1], e[2], e[3]}, eh = {e[4], e[5], e[6], e[7]};
      const U4x r = ((el << 8) + (eh - el) * (U4x)w0 + 0x800000u) >> 24;
      return r[0] | (r[1] << 8) | (r[2] << 16) | (r[3] << 24);
    } else {
      const I8x e = EdgeNext(a, b, w1);
      s = EdgeNext(low(e), high(e), w0);
    }
  } else {
    const __m256i factors = _mm256_set1_epi32(static_cast<int>(t.lastPair[c[3]]));
    // Corner (d1, d2) pairs along channel 3, channel 0 low and high in the
    // two halves.
    const I8x s00 = (I8x)EdgePairs(p, p + 19652, factors);
    const I8x s01 = (I8x)EdgePairs(p + 68, p + 19652 + 68, factors);
    const I8x s10 = (I8x)EdgePairs(p + 1156, p + 19652 + 1156, factors);
    const I8x s11 = (I8x)EdgePairs(p + 1156 + 68, p + 19652 + 1156 + 68, factors);
    const I8x w2 = (I8x)_mm256_set1_epi32(static_cast<int>(t.weight[2][c[2]]));
    const I8x w1 = (I8x)_mm256_set1_epi32(static_cast<int>(t.weight[1][c[1]]));
    const I4x w0 = (I4x)_mm_set1_epi32(static_cast<int>(t.weight[0][c[0]]));
    const I8x e = EdgeNext(EdgeNext(s00, s01, w2), EdgeNext(s10, s11, w2), w1);
    s = EdgeNext(low(e), high(e), w0);
  }
  // (s + 128) >> 8 fits a byte.
  const I4x r = (s + 128) >> 8;
  return std::uint32_t(r[0]) | (std::uint32_t(r[1]) << 8) | (std::uint32_t(r[2]) << 16) | (std::uint32_t(r[3]) << 24);
}

// Pixel after pixel with the reference's one-entry cache.
template <int In, int Out, bool Planar, bool Wide>
void MatchOneByOne(const ColorWorldHeader& world, const WideTables* wide, const MatchRun& run) {
  CellTables t;
  FillCellTables(world, wide, Wide, &t);
  const std::uint8_t* grid = world.Grid();
  const std::uint8_t* src[4];
  std::uint8_t* dst[4];
  std::memcpy(src, run.src, sizeof src);
  std::memcpy(dst, run.dst, sizeof dst);
  bool cached = false;
  std::uint32_t lastKey = 0;
  std::uint8_t result[4] = {};
  for (std::size_t y = 0; y < run.rows; ++y) {
    for (std::size_t x = 0; x < run.pixels; ++x) {
      std::uint32_t c[4] = {};
      for (int k = 0; k < In; ++k) c[k] = Planar ? src[k][x] : src[0][x * In + k];
      const std::uint32_t key = (c[0] << 24) | (c[1] << 16) | (c[2] << 8) | c[3];
      if (!cached || key != lastKey) {
        std::uint32_t offset = t.offset[0][c[0]] + t.offset[1][c[1]] + t.offset[2][c[2]];
        if constexpr (In == 4) offset += t.offset[3][c[3]];
        const std::uint32_t bytes = InterpolateChannels<In, Wide>(grid + offset, t, c);
        for (int o = 0; o < Out; ++o) result[o] = world.outCurve[o][(bytes >> (8 * o)) & 0xFF];
        lastKey = key;
        cached = true;
      }
      for (int o = 0; o < Out; ++o) (Planar ? dst[o][x] : dst[0][x * Out + o]) = result[o];
    }
    const std::size_t inStep = run.pixels * (Planar ? 1 : In) + run.srcSkip;
    const std::size_t outStep = run.pixels * (Planar ? 1 : Out) + run.dstSkip;
    for (int k = 0; k < (Planar ? In : 1); ++k) src[k] += inStep;
    for (int k = 0; k < (Planar ? Out : 1); ++k) dst[k] += outStep;
  }
}
#endif

template <int In, int Out, bool Planar, bool Wide>
struct Blocks {
  static void Run(const ColorWorldHeader& world, const WideTables* wide, const MatchRun& run) {
    MatchRows<In, Out, Planar, Wide>(world, wide, run);
  }
};

template <int In, int Out, bool Planar, bool Wide>
struct OneByOne {
#if K7730_USE_AVX2 || K7730_USE_AVX512
  static constexpr MatchKernel Run = MatchOneByOne<In, Out, Planar, Wide>;
#else
  static constexpr MatchKernel Run = nullptr;
#endif
};

template <template <int, int, bool, bool> class Path>
MatchKernel KernelOf(std::uint32_t id) {
  switch (id) {
    case kPixels3to3: return Path<3, 3, false, false>::Run;
    case kPixels3to3Wide: return Path<3, 3, false, true>::Run;
    case kPixels3to4: return Path<3, 4, false, false>::Run;
    case kPixels4to3: return Path<4, 3, false, false>::Run;
    case kPixels4to4: return Path<4, 4, false, false>::Run;
    case kPlanes3to3: return Path<3, 3, true, false>::Run;
    case kPlanes3to3Wide: return Path<3, 3, true, true>::Run;
    case kPlanes3to4: return Path<3, 4, true, false>::Run;
    case kPlanes4to3: return Path<4, 3, true, false>::Run;
    case kPlanes4to4: return Path<4, 4, true, false>::Run;
    default: return nullptr;
  }
}

}  // namespace

MatchKernel VectorKernel(std::uint32_t id, MatchPath path) {
  switch (path) {
    case MatchPath::Blocks: return KernelOf<Blocks>(id);
    case MatchPath::OneByOne: return KernelOf<OneByOne>(id);
    case MatchPath::Fastest: break;
  }
  return KernelOf<K7730_FASTEST_PATH>(id);
}
