// SSE2 (every x86-64 processor has it), and AVX2 where the processor has
// it, checked once at run time: taps are taken in pairs, their two
// pixel bytes interleaved as 16-bit values and multiplied and added in one
// step (pmaddwd) against the pair of coefficients. With 16-bit coefficients
// no partial sum can overflow, so the result equals the defined 32-bit sum.
#include "stages/mtf_taps.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <immintrin.h>
#endif

namespace k7730 {

#if defined(__SSE2__) || defined(_M_X64)
namespace {

constexpr std::size_t kVector = 16;  // samples per step

struct TapPair {
  const std::uint8_t* a;
  const std::uint8_t* b;
  std::int32_t pair;  // ca in the low 16 bits, cb in the high
};

// Quotient of each non-negative lane by the reciprocal: exact up to the
// division limit, and 256 or more above it (n * m / 2^k >= n / d), which the
// saturating packs turn into 255 as the clamp would; so only negative sums
// need clamping first.
inline __m128i DivideLanes(__m128i v, __m128i multiplier, __m128i shift) {
  const __m128i even = _mm_srl_epi64(_mm_mul_epu32(v, multiplier), shift);
  const __m128i odd = _mm_srl_epi64(_mm_mul_epu32(_mm_srli_epi64(v, 32), multiplier), shift);
  return _mm_or_si128(even, _mm_slli_epi64(odd, 32));
}

inline __m128i NegativesToZero(__m128i v) {
  return _mm_and_si128(v, _mm_cmpgt_epi32(v, _mm_setzero_si128()));
}

int PairTaps(const MtfTap* taps, int count, TapPair pairs[13]) {
  int pairCount = 0;
  for (int t = 0; t < count; t += 2) {
    TapPair& p = pairs[pairCount++];
    p.a = taps[t].pixels;
    const bool single = t + 1 == count;
    p.b = single ? taps[t].pixels : taps[t + 1].pixels;
    const std::uint16_t ca = static_cast<std::uint16_t>(taps[t].coefficient);
    const std::uint16_t cb = single ? 0 : static_cast<std::uint16_t>(taps[t + 1].coefficient);
    p.pair = static_cast<std::int32_t>(ca | (static_cast<std::uint32_t>(cb) << 16));
  }
  return pairCount;
}

std::size_t Sse2Line(const MtfState& state, const TapPair* pairs, int pairCount, std::size_t start,
                     std::size_t samples, std::uint8_t* out) {
  const bool divide = state.useDivision == 1;
  const __m128i zero = _mm_setzero_si128();
  const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(divide ? state.reciprocalShift : state.shift));
  const __m128i multiplier = _mm_set1_epi32(static_cast<int>(state.reciprocal));

  std::size_t i = start;
  for (; i + kVector <= samples; i += kVector) {
    __m128i s0 = zero, s1 = zero, s2 = zero, s3 = zero;
    for (int p = 0; p < pairCount; ++p) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs[p].a + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs[p].b + i));
      const __m128i lo = _mm_unpacklo_epi8(a, b);
      const __m128i hi = _mm_unpackhi_epi8(a, b);
      const __m128i c = _mm_set1_epi32(pairs[p].pair);
      s0 = _mm_add_epi32(s0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), c));
      s1 = _mm_add_epi32(s1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), c));
      s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), c));
      s3 = _mm_add_epi32(s3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), c));
    }
    if (divide) {
      s0 = DivideLanes(NegativesToZero(s0), multiplier, shift);
      s1 = DivideLanes(NegativesToZero(s1), multiplier, shift);
      s2 = DivideLanes(NegativesToZero(s2), multiplier, shift);
      s3 = DivideLanes(NegativesToZero(s3), multiplier, shift);
    } else {
      s0 = _mm_sra_epi32(s0, shift);
      s1 = _mm_sra_epi32(s1, shift);
      s2 = _mm_sra_epi32(s2, shift);
      s3 = _mm_sra_epi32(s3, shift);
    }
    // Saturating packs clamp to 0..255 on the way down to bytes.
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(s0, s1), _mm_packs_epi32(s2, s3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
  }
  return i;
}

#if defined(__GNUC__)
#define K7730_HAVE_AVX2_PATH 1

__attribute__((target("avx2"))) inline __m256i DivideLanes256(__m256i v, __m256i multiplier,
                                                              __m128i shift) {
  v = _mm256_max_epi32(v, _mm256_setzero_si256());
  const __m256i even = _mm256_srl_epi64(_mm256_mul_epu32(v, multiplier), shift);
  const __m256i odd = _mm256_srl_epi64(_mm256_mul_epu32(_mm256_srli_epi64(v, 32), multiplier), shift);
  return _mm256_or_si256(even, _mm256_slli_epi64(odd, 32));
}

// The same steps on 32 samples. Unpacks and packs work within each 128-bit
// half, so each half holds 16 consecutive samples from load to store.
__attribute__((target("avx2"))) std::size_t Avx2Line(const MtfState& state, const TapPair* pairs,
                                                     int pairCount, std::size_t samples,
                                                     std::uint8_t* out) {
  const bool divide = state.useDivision == 1;
  const __m256i zero = _mm256_setzero_si256();
  const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(divide ? state.reciprocalShift : state.shift));
  const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(state.reciprocal));
  __m256i coefficients[13];
  for (int p = 0; p < pairCount; ++p) coefficients[p] = _mm256_set1_epi32(pairs[p].pair);

  std::size_t i = 0;
  for (; i + 2 * kVector <= samples; i += 2 * kVector) {
    __m256i s0 = zero, s1 = zero, s2 = zero, s3 = zero;
    for (int p = 0; p < pairCount; ++p) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs[p].a + i));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs[p].b + i));
      const __m256i lo = _mm256_unpacklo_epi8(a, b);
      const __m256i hi = _mm256_unpackhi_epi8(a, b);
      const __m256i c = coefficients[p];
      s0 = _mm256_add_epi32(s0, _mm256_madd_epi16(_mm256_unpacklo_epi8(lo, zero), c));
      s1 = _mm256_add_epi32(s1, _mm256_madd_epi16(_mm256_unpackhi_epi8(lo, zero), c));
      s2 = _mm256_add_epi32(s2, _mm256_madd_epi16(_mm256_unpacklo_epi8(hi, zero), c));
      s3 = _mm256_add_epi32(s3, _mm256_madd_epi16(_mm256_unpackhi_epi8(hi, zero), c));
    }
    if (divide) {
      s0 = DivideLanes256(s0, multiplier, shift);
      s1 = DivideLanes256(s1, multiplier, shift);
      s2 = DivideLanes256(s2, multiplier, shift);
      s3 = DivideLanes256(s3, multiplier, shift);
    } else {
      s0 = _mm256_sra_epi32(s0, shift);
      s1 = _mm256_sra_epi32(s1, shift);
      s2 = _mm256_sra_epi32(s2, shift);
      s3 = _mm256_sra_epi32(s3, shift);
    }
    const __m256i bytes =
        _mm256_packus_epi16(_mm256_packs_epi32(s0, s1), _mm256_packs_epi32(s2, s3));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), bytes);
  }
  return i;
}

bool HaveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}
#endif

}  // namespace

std::size_t MtfVectorLine(const MtfState& state, const MtfTap* taps, int count, std::size_t samples,
                          std::uint8_t* out) {
  if (count == 0 || samples < kVector) return 0;
  if (state.useDivision == 1 && state.useReciprocal != 1) return 0;
  TapPair pairs[13];
  const int pairCount = PairTaps(taps, count, pairs);
  std::size_t done = 0;
#if defined(K7730_HAVE_AVX2_PATH)
  if (HaveAvx2()) done = Avx2Line(state, pairs, pairCount, samples, out);
#endif
  return Sse2Line(state, pairs, pairCount, done, samples, out);
}

#else

std::size_t MtfVectorLine(const MtfState&, const MtfTap*, int, std::size_t, std::uint8_t*) {
  return 0;
}

#endif

}  // namespace k7730
