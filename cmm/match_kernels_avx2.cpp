// The fast kernels for processors with AVX2 (this file is compiled for
// AVX2; the dispatcher calls it only where the processor has it). The
// arithmetic is the scalar kernels', one pixel at a time with the output
// channels side by side in the lanes of a vector:
//  - the cell offset and the weights come from per-call tables indexed by
//    the input bytes, so the input curves cost no extra look-up;
//  - the two corner entries along the last input channel are adjacent in
//    the grid and are read as one 8-byte word; their bytes are spread to
//    16-bit pairs (a, b), and one multiply-add with the pair
//    (256 - w, w) gives a * (256 - w) + b * w = (a << 8) + (b - a) * w,
//    the unrounded first interpolation, exactly;
//  - two cell edges share a 256-bit vector, so each later interpolation
//    is one vector operation.
#include <immintrin.h>

#include <cstring>

#include "cmm/match_kernels_avx2.h"
#include "cmm/match_tables.h"

namespace k7730::cmm::avx2 {
namespace {

// The 8-byte word (a0 a1 a2 a3 b0 b1 b2 b3) at `low` in the lower half and
// the one at `high` in the upper half.
inline __m256i Pairs(const std::uint8_t* low, const std::uint8_t* high) {
  const __m128i l = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(low));
  const __m128i h = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(high));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(l), h, 1);
}

// (a, b) of each output channel as 16-bit pairs, times (256 - w, w).
inline __m256i FirstStep(__m256i pairs, __m256i spread, __m256i factors) {
  return _mm256_madd_epi16(_mm256_shuffle_epi8(pairs, spread), factors);
}

// Rounded interpolation between 8.8 values.
template <typename V>
inline V Next(V low, V high, V w);
template <>
inline __m256i Next(__m256i low, __m256i high, __m256i w) {
  const __m256i d = _mm256_mullo_epi32(_mm256_sub_epi32(high, low), w);
  return _mm256_add_epi32(low, _mm256_srai_epi32(_mm256_add_epi32(d, _mm256_set1_epi32(128)), 8));
}
template <>
inline __m128i Next(__m128i low, __m128i high, __m128i w) {
  const __m128i d = _mm_mullo_epi32(_mm_sub_epi32(high, low), w);
  return _mm_add_epi32(low, _mm_srai_epi32(_mm_add_epi32(d, _mm_set1_epi32(128)), 8));
}

// Unrounded widening interpolation of the wide kernels: (low << 8) +
// (high - low) * w, modulo 2^32 like the scalar unsigned arithmetic.
template <typename V>
inline V Widen(V low, V high, V w);
template <>
inline __m256i Widen(__m256i low, __m256i high, __m256i w) {
  return _mm256_add_epi32(_mm256_slli_epi32(low, 8), _mm256_mullo_epi32(_mm256_sub_epi32(high, low), w));
}
template <>
inline __m128i Widen(__m128i low, __m128i high, __m128i w) {
  return _mm_add_epi32(_mm_slli_epi32(low, 8), _mm_mullo_epi32(_mm_sub_epi32(high, low), w));
}

inline __m128i Low(__m256i v) { return _mm256_castsi256_si128(v); }
inline __m128i High(__m256i v) { return _mm256_extracti128_si256(v, 1); }

// Output bytes (before the output curves) of output channels 0..3 in the
// bytes of the result, lowest first.
template <int In, bool Wide>
inline std::uint32_t Interpolate(const std::uint8_t* p, const CellTables& t, const std::uint32_t* c) {
  const __m256i spread = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1,  //
                                          0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
  __m128i s;
  if constexpr (In == 3) {
    const __m256i factors = _mm256_set1_epi32(static_cast<int>(t.lastPair[c[2]]));
    // Lower halves: channel 0 low; upper halves: channel 0 high.
    const __m256i a = FirstStep(Pairs(p, p + 16384), spread, factors);        // channel 1 low
    const __m256i b = FirstStep(Pairs(p + 256, p + 16640), spread, factors);  // channel 1 high
    const __m256i w1 = _mm256_set1_epi32(static_cast<int>(t.weight[1][c[1]]));
    const __m128i w0 = _mm_set1_epi32(static_cast<int>(t.weight[0][c[0]]));
    if constexpr (Wide) {
      const __m256i e = Widen(a, b, w1);
      s = Widen(Low(e), High(e), w0);
      return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_shuffle_epi8(
          _mm_add_epi32(s, _mm_set1_epi32(0x800000)), _mm_setr_epi8(3, 7, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1))));
    } else {
      const __m256i e = Next(a, b, w1);
      s = Next(Low(e), High(e), w0);
    }
  } else {
    const __m256i factors = _mm256_set1_epi32(static_cast<int>(t.lastPair[c[3]]));
    // Corner (d1, d2) pairs along channel 3, channel 0 low and high in the
    // two halves.
    const __m256i s00 = FirstStep(Pairs(p, p + 19652), spread, factors);
    const __m256i s01 = FirstStep(Pairs(p + 68, p + 19652 + 68), spread, factors);
    const __m256i s10 = FirstStep(Pairs(p + 1156, p + 19652 + 1156), spread, factors);
    const __m256i s11 = FirstStep(Pairs(p + 1156 + 68, p + 19652 + 1156 + 68), spread, factors);
    const __m256i w2 = _mm256_set1_epi32(static_cast<int>(t.weight[2][c[2]]));
    const __m256i w1 = _mm256_set1_epi32(static_cast<int>(t.weight[1][c[1]]));
    const __m128i w0 = _mm_set1_epi32(static_cast<int>(t.weight[0][c[0]]));
    const __m256i e = Next(Next(s00, s01, w2), Next(s10, s11, w2), w1);
    s = Next(Low(e), High(e), w0);
  }
  // (s + 128) >> 8 fits a byte: take byte 1 of each lane after the add.
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_shuffle_epi8(
      _mm_add_epi32(s, _mm_set1_epi32(128)), _mm_setr_epi8(1, 5, 9, 13, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1))));
}

template <int In, int Out, bool Planar, bool Wide>
void Kernel(const ColorWorldHeader& world, const WideTables* wide, const MatchRun& run) {
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
      if constexpr (Planar) {
        for (int k = 0; k < In; ++k) c[k] = src[k][x];
      } else {
        for (int k = 0; k < In; ++k) c[k] = src[0][x * In + k];
      }
      const std::uint32_t key = (c[0] << 24) | (c[1] << 16) | (c[2] << 8) | c[3];
      if (!cached || key != lastKey) {
        std::uint32_t offset = t.offset[0][c[0]] + t.offset[1][c[1]] + t.offset[2][c[2]];
        if constexpr (In == 4) offset += t.offset[3][c[3]];
        const std::uint32_t bytes = Interpolate<In, Wide>(grid + offset, t, c);
        for (int o = 0; o < Out; ++o) result[o] = world.outCurve[o][(bytes >> (8 * o)) & 0xFF];
        lastKey = key;
        cached = true;
      }
      if constexpr (Planar) {
        for (int o = 0; o < Out; ++o) dst[o][x] = result[o];
      } else {
        for (int o = 0; o < Out; ++o) dst[0][x * Out + o] = result[o];
      }
    }
    const std::size_t inStep = run.pixels * (Planar ? 1 : In) + run.srcSkip;
    const std::size_t outStep = run.pixels * (Planar ? 1 : Out) + run.dstSkip;
    for (int k = 0; k < (Planar ? In : 1); ++k) src[k] += inStep;
    for (int k = 0; k < (Planar ? Out : 1); ++k) dst[k] += outStep;
  }
}


// ---- Three to three, interleaved, eight pixels at a time ------------------
// The lanes hold eight pixels; the grid corners are gathered as whole
// entries and each output channel is interpolated for all eight at once.
// Used for the bulk of every row; the rest goes through the per-pixel path.

struct VectorTables {
  // Per input channel: the cell offset share in the low 20 bits, the weight
  // above them.
  alignas(32) std::uint32_t packed[3][256];
  // The output curves widened to 32 bits for gathering.
  alignas(32) std::uint32_t out[3][256];
};

void FillVectorTables(const ColorWorldHeader& world, const CellTables& t, VectorTables* v) {
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) {
      v->packed[c][i] = t.offset[c][i] | (t.weight[c][i] << 20);
      v->out[c][i] = world.outCurve[c][i];
    }
}

// Byte `o` of every entry, as the low (b == false) or high (b == true)
// 16-bit word of each lane.
inline __m256i ByteMask(int o, bool high) {
  alignas(32) std::int8_t m[32];
  for (int i = 0; i < 32; ++i) m[i] = -1;
  for (int lane = 0; lane < 8; ++lane) m[lane * 4 + (high ? 2 : 0)] = static_cast<std::int8_t>((lane % 4) * 4 + o);
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(m));
}

template <bool Wide>
inline void Block3to3(const std::uint8_t* in, std::uint8_t* outBytes, const std::uint8_t* grid, const VectorTables& v,
                      const __m256i (&low)[3], const __m256i (&high)[3]) {
  // Deinterleave: pixels 0-3 in the lower half, 4-7 in the upper one, then
  // each channel zero-extended into the eight lanes.
  const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i rest = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + 16));
  const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_inserti128_si256(_mm256_castsi128_si256(first), rest, 1),
                                                    _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6));
  __m256i c[3];
  for (int k = 0; k < 3; ++k) {
    const __m256i pick = _mm256_setr_epi8(k, -1, -1, -1, k + 3, -1, -1, -1, k + 6, -1, -1, -1, k + 9, -1, -1, -1,  //
                                          k, -1, -1, -1, k + 3, -1, -1, -1, k + 6, -1, -1, -1, k + 9, -1, -1, -1);
    c[k] = _mm256_shuffle_epi8(bytes, pick);
  }
  const __m256i lowBits = _mm256_set1_epi32(0xFFFFF);
  __m256i offset = _mm256_setzero_si256(), w[3];
  for (int k = 0; k < 3; ++k) {
    const __m256i e = _mm256_i32gather_epi32(reinterpret_cast<const int*>(v.packed[k]), c[k], 4);
    offset = _mm256_add_epi32(offset, _mm256_and_si256(e, lowBits));
    w[k] = _mm256_srli_epi32(e, 20);
  }
  const __m256i factors = _mm256_or_si256(_mm256_slli_epi32(w[2], 16), _mm256_sub_epi32(_mm256_set1_epi32(256), w[2]));
  const int* g = reinterpret_cast<const int*>(grid);
  // Corners: [channel 0 step][channel 1 step], each with its neighbour
  // along channel 2.
  const __m256i a00 = _mm256_i32gather_epi32(g, offset, 1);
  const __m256i b00 = _mm256_i32gather_epi32(g, _mm256_add_epi32(offset, _mm256_set1_epi32(4)), 1);
  const __m256i a01 = _mm256_i32gather_epi32(g, _mm256_add_epi32(offset, _mm256_set1_epi32(256)), 1);
  const __m256i b01 = _mm256_i32gather_epi32(g, _mm256_add_epi32(offset, _mm256_set1_epi32(260)), 1);
  const __m256i a10 = _mm256_i32gather_epi32(g, _mm256_add_epi32(offset, _mm256_set1_epi32(16384)), 1);
  const __m256i b10 = _mm256_i32gather_epi32(g, _mm256_add_epi32(offset, _mm256_set1_epi32(16388)), 1);
  const __m256i a11 = _mm256_i32gather_epi32(g, _mm256_add_epi32(offset, _mm256_set1_epi32(16640)), 1);
  const __m256i b11 = _mm256_i32gather_epi32(g, _mm256_add_epi32(offset, _mm256_set1_epi32(16644)), 1);
  __m256i r[3];
  for (int o = 0; o < 3; ++o) {
    auto first = [&](__m256i a, __m256i b) {
      return _mm256_madd_epi16(_mm256_or_si256(_mm256_shuffle_epi8(a, low[o]), _mm256_shuffle_epi8(b, high[o])),
                               factors);
    };
    const __m256i s00 = first(a00, b00), s01 = first(a01, b01), s10 = first(a10, b10), s11 = first(a11, b11);
    __m256i byte;
    if constexpr (Wide) {
      const __m256i s = Widen(Widen(s00, s01, w[1]), Widen(s10, s11, w[1]), w[0]);
      byte = _mm256_srli_epi32(_mm256_add_epi32(s, _mm256_set1_epi32(0x800000)), 24);
    } else {
      const __m256i s = Next(Next(s00, s01, w[1]), Next(s10, s11, w[1]), w[0]);
      byte = _mm256_srli_epi32(_mm256_add_epi32(s, _mm256_set1_epi32(128)), 8);
    }
    r[o] = _mm256_i32gather_epi32(reinterpret_cast<const int*>(v.out[o]), byte, 4);
  }
  // Interleave back to 24 bytes.
  const __m256i packed = _mm256_or_si256(r[0], _mm256_or_si256(_mm256_slli_epi32(r[1], 8), _mm256_slli_epi32(r[2], 16)));
  const __m256i squeezed = _mm256_shuffle_epi8(
      packed, _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                               0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
  const __m256i joined = _mm256_permutevar8x32_epi32(squeezed, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(outBytes), Low(joined));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(outBytes + 16), High(joined));
}

// Interleaved three-to-three runs: blocks of eight pixels, the rest of each
// row one by one. A block reads all its pixels before writing any, and
// writes exactly its own 24 bytes, so in-place runs stay correct.
template <bool Wide>
void Pixels3to3(const ColorWorldHeader& world, const WideTables* wide, const MatchRun& run) {
  CellTables t;
  FillCellTables(world, wide, Wide, &t);
  VectorTables v;
  FillVectorTables(world, t, &v);
  __m256i low[3], high[3];
  for (int o = 0; o < 3; ++o) low[o] = ByteMask(o, false), high[o] = ByteMask(o, true);
  const std::uint8_t* grid = world.Grid();
  const std::uint8_t* src = run.src[0];
  std::uint8_t* dst = run.dst[0];
  for (std::size_t y = 0; y < run.rows; ++y) {
    std::size_t x = 0;
    for (; x + 8 <= run.pixels; x += 8) Block3to3<Wide>(src + 3 * x, dst + 3 * x, grid, v, low, high);
    for (; x < run.pixels; ++x) {
      const std::uint32_t c[4] = {src[3 * x], src[3 * x + 1], src[3 * x + 2], 0};
      const std::uint32_t bytes =
          Interpolate<3, Wide>(grid + t.offset[0][c[0]] + t.offset[1][c[1]] + t.offset[2][c[2]], t, c);
      for (int o = 0; o < 3; ++o) dst[3 * x + o] = world.outCurve[o][(bytes >> (8 * o)) & 0xFF];
    }
    src += 3 * run.pixels + run.srcSkip;
    dst += 3 * run.pixels + run.dstSkip;
  }
}

}  // namespace

MatchKernel Kernel(std::uint32_t id) {
  switch (id) {
    case kPixels3to3: return Pixels3to3<false>;
    case kPixels3to3Wide: return Pixels3to3<true>;
    case kPixels3to4: return Kernel<3, 4, false, false>;
    case kPixels4to3: return Kernel<4, 3, false, false>;
    case kPixels4to4: return Kernel<4, 4, false, false>;
    case kPlanes3to3: return Kernel<3, 3, true, false>;
    case kPlanes3to3Wide: return Kernel<3, 3, true, true>;
    case kPlanes3to4: return Kernel<3, 4, true, false>;
    case kPlanes4to3: return Kernel<4, 3, true, false>;
    case kPlanes4to4: return Kernel<4, 4, true, false>;
    default: return nullptr;
  }
}

}  // namespace k7730::cmm::avx2
