// Interleaved three-to-three kernels for processors with AVX-512 (F, BW
// and VBMI): sixteen pixels at a time, otherwise the arithmetic of the AVX2
// block kernel; the output curves are applied with byte permutes instead of
// gathers (this file is compiled for AVX-512; the dispatcher calls it only
// where the processor has it). Pixels left over at the end of a row go
// through the plain per-pixel arithmetic.
// GCC 12's AVX-512 header initialises its "undefined" vectors from
// themselves, which its own -Wmaybe-uninitialized reports at every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "cmm/match_kernels_avx512.h"
#include "cmm/match_pixel.h"
#include "cmm/match_tables.h"

namespace k7730::cmm::avx512 {
namespace {

struct VectorTables {
  // Per input channel: the cell offset share in the low 20 bits, the
  // weight above them.
  alignas(64) std::uint32_t packed[3][256];
};

// Byte `o` of every lane's entry into the low byte of its low (high ==
// false) or high 16-bit word.
__m512i ByteMask(int o, bool high) {
  alignas(64) std::int8_t m[64];
  for (int i = 0; i < 64; ++i) m[i] = -1;
  for (int lane = 0; lane < 16; ++lane) m[lane * 4 + (high ? 2 : 0)] = static_cast<std::int8_t>((lane % 4) * 4 + o);
  return _mm512_load_si512(m);
}

inline __m512i Next(__m512i low, __m512i high, __m512i w) {
  const __m512i d = _mm512_mullo_epi32(_mm512_sub_epi32(high, low), w);
  return _mm512_add_epi32(low, _mm512_srai_epi32(_mm512_add_epi32(d, _mm512_set1_epi32(128)), 8));
}
inline __m512i Widen(__m512i low, __m512i high, __m512i w) {
  return _mm512_add_epi32(_mm512_slli_epi32(low, 8), _mm512_mullo_epi32(_mm512_sub_epi32(high, low), w));
}

struct Masks {
  __m512i low[3], high[3], pick[3], spread, squeeze, join;
  __m512i curve[3][4];  // each output curve in four 64-byte quarters
};

// outCurve[byte] for the byte in the low eight bits of every lane: two
// 128-byte permutes, the top bit of the byte choosing between them.
inline __m512i Curve(const __m512i (&quarters)[4], __m512i byte) {
  const __m512i lower = _mm512_permutex2var_epi8(quarters[0], byte, quarters[1]);
  const __m512i upper = _mm512_permutex2var_epi8(quarters[2], byte, quarters[3]);
  const __m512i chosen = _mm512_mask_blend_epi8(_mm512_movepi8_mask(byte), lower, upper);
  return _mm512_and_si512(chosen, _mm512_set1_epi32(0xFF));
}

template <bool Wide>
inline void Block(const std::uint8_t* in, std::uint8_t* outBytes, const std::uint8_t* grid, const VectorTables& v,
                  const Masks& m) {
  // 48 bytes, every four pixels (12 bytes) in a 128-bit lane of their own.
  const __m512i bytes = _mm512_permutexvar_epi32(m.spread, _mm512_maskz_loadu_epi8(0xFFFFFFFFFFFFull, in));
  const __m512i lowBits = _mm512_set1_epi32(0xFFFFF);
  __m512i offset = _mm512_setzero_si512(), w[3];
  for (int k = 0; k < 3; ++k) {
    const __m512i c = _mm512_shuffle_epi8(bytes, m.pick[k]);
    const __m512i e = _mm512_i32gather_epi32(c, v.packed[k], 4);
    offset = _mm512_add_epi32(offset, _mm512_and_si512(e, lowBits));
    w[k] = _mm512_srli_epi32(e, 20);
  }
  const __m512i factors = _mm512_or_si512(_mm512_slli_epi32(w[2], 16), _mm512_sub_epi32(_mm512_set1_epi32(256), w[2]));
  auto corner = [&](int at) { return _mm512_i32gather_epi32(_mm512_add_epi32(offset, _mm512_set1_epi32(at)), grid, 1); };
  const __m512i a00 = corner(0), b00 = corner(4), a01 = corner(256), b01 = corner(260);
  const __m512i a10 = corner(16384), b10 = corner(16388), a11 = corner(16640), b11 = corner(16644);
  __m512i r[3];
  for (int o = 0; o < 3; ++o) {
    auto first = [&](__m512i a, __m512i b) {
      return _mm512_madd_epi16(_mm512_or_si512(_mm512_shuffle_epi8(a, m.low[o]), _mm512_shuffle_epi8(b, m.high[o])),
                               factors);
    };
    const __m512i s00 = first(a00, b00), s01 = first(a01, b01), s10 = first(a10, b10), s11 = first(a11, b11);
    __m512i byte;
    if constexpr (Wide) {
      const __m512i s = Widen(Widen(s00, s01, w[1]), Widen(s10, s11, w[1]), w[0]);
      byte = _mm512_srli_epi32(_mm512_add_epi32(s, _mm512_set1_epi32(0x800000)), 24);
    } else {
      const __m512i s = Next(Next(s00, s01, w[1]), Next(s10, s11, w[1]), w[0]);
      byte = _mm512_srli_epi32(_mm512_add_epi32(s, _mm512_set1_epi32(128)), 8);
    }
    r[o] = Curve(m.curve[o], byte);
  }
  const __m512i packed =
      _mm512_or_si512(r[0], _mm512_or_si512(_mm512_slli_epi32(r[1], 8), _mm512_slli_epi32(r[2], 16)));
  const __m512i joined = _mm512_permutexvar_epi32(m.join, _mm512_shuffle_epi8(packed, m.squeeze));
  // Exactly the block's own 48 bytes are written.
  _mm512_mask_storeu_epi8(outBytes, 0xFFFFFFFFFFFFull, joined);
}

template <bool Wide>
void Pixels3to3(const ColorWorldHeader& world, const WideTables* wide, const MatchRun& run) {
  CellTables t;
  FillCellTables(world, wide, Wide, &t);
  VectorTables v;
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) {
      v.packed[c][i] = t.offset[c][i] | (t.weight[c][i] << 20);
    }
  Masks m;
  for (int o = 0; o < 3; ++o)
    for (int k = 0; k < 4; ++k) m.curve[o][k] = _mm512_loadu_si512(world.outCurve[o] + 64 * k);
  for (int o = 0; o < 3; ++o) {
    m.low[o] = ByteMask(o, false);
    m.high[o] = ByteMask(o, true);
    alignas(64) std::int8_t p[64];
    for (int i = 0; i < 64; ++i) p[i] = (i % 4 == 0) ? static_cast<std::int8_t>((i % 16) / 4 * 3 + o) : -1;
    m.pick[o] = _mm512_load_si512(p);
  }
  m.spread = _mm512_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0, 6, 7, 8, 0, 9, 10, 11, 0);
  alignas(64) std::int8_t q[64];
  for (int lane = 0; lane < 4; ++lane)
    for (int i = 0; i < 16; ++i) q[lane * 16 + i] = i < 12 ? static_cast<std::int8_t>(i / 3 * 4 + i % 3) : -1;
  m.squeeze = _mm512_load_si512(q);
  m.join = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 3, 7, 11, 15);

  const std::uint8_t* grid = world.Grid();
  const std::uint8_t* src = run.src[0];
  std::uint8_t* dst = run.dst[0];
  for (std::size_t y = 0; y < run.rows; ++y) {
    std::size_t x = 0;
    for (; x + 16 <= run.pixels; x += 16) Block<Wide>(src + 3 * x, dst + 3 * x, grid, v, m);
    for (; x < run.pixels; ++x) {
      const std::uint32_t c[3] = {src[3 * x], src[3 * x + 1], src[3 * x + 2]};
      std::uint32_t bytes[3];
      const std::uint8_t* cell = grid + t.offset[0][c[0]] + t.offset[1][c[1]] + t.offset[2][c[2]];
      if constexpr (Wide) {
        const std::uint32_t w[3] = {t.weight[0][c[0]], t.weight[1][c[1]], t.weight[2][c[2]]};
        InterpolateCellWide(cell, w, bytes);
      } else {
        const std::int32_t w[3] = {std::int32_t(t.weight[0][c[0]]), std::int32_t(t.weight[1][c[1]]),
                                   std::int32_t(t.weight[2][c[2]])};
        InterpolateCell3<3>(cell, w, bytes);
      }
      for (int o = 0; o < 3; ++o) dst[3 * x + o] = world.outCurve[o][bytes[o]];
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
    default: return nullptr;
  }
}

}  // namespace k7730::cmm::avx512
