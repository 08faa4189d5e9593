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

// Byte o of every lane's entry.
K7730_VECTOR_INLINE I32 EntryByte(U32 entry, int o) { return (I32)((entry >> (8 * o)) & 0xFF); }

// Along the last input channel: unrounded 8.8. Along an earlier channel:
// rounded between 8.8 values.
K7730_VECTOR_INLINE I32 LerpLastLanes(I32 a, I32 b, I32 w) { return (a << 8) + (b - a) * w; }
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
  for (int o = 0; o < Out; ++o) {
    if constexpr (Wide) {
      U32 s[4];
      for (int k = 0; k < 4; ++k) s[k] = WidenLanes((U32)EntryByte(a[k], o), (U32)EntryByte(b[k], o), w[2]);
      const U32 s0 = WidenLanes(s[0], s[1], w[1]), s1 = WidenLanes(s[2], s[3], w[1]);
      bytes[o] = (WidenLanes(s0, s1, w[0]) + 0x800000u) >> 24;
    } else {
      I32 s[4];
      for (int k = 0; k < 4; ++k) s[k] = LerpLastLanes(EntryByte(a[k], o), EntryByte(b[k], o), (I32)w[2]);
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
  for (int o = 0; o < Out; ++o) {
    I32 s3[8], s2[4];
    for (int k = 0; k < 8; ++k) s3[k] = LerpLastLanes(EntryByte(a[k], o), EntryByte(b[k], o), (I32)w[3]);
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

}  // namespace

MatchKernel VectorKernel(std::uint32_t id) {
  switch (id) {
    case kPixels3to3: return MatchRows<3, 3, false, false>;
    case kPixels3to3Wide: return MatchRows<3, 3, false, true>;
    case kPixels3to4: return MatchRows<3, 4, false, false>;
    case kPixels4to3: return MatchRows<4, 3, false, false>;
    case kPixels4to4: return MatchRows<4, 4, false, false>;
    case kPlanes3to3: return MatchRows<3, 3, true, false>;
    case kPlanes3to3Wide: return MatchRows<3, 3, true, true>;
    case kPlanes3to4: return MatchRows<3, 4, true, false>;
    case kPlanes4to3: return MatchRows<4, 3, true, false>;
    case kPlanes4to4: return MatchRows<4, 4, true, false>;
    default: return nullptr;
  }
}
