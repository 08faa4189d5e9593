// The vector stage kernels, written once: the MTF line sum and the byte
// table passes. This file is included by stage_kernels_{baseline,avx2,
// avx512}.cpp inside that set's namespace, with K7730_USE_AVX2 or
// K7730_USE_AVX512 naming the set (neither: SSE2); everything it needs is
// included before. V is the set's widest integer vector, and every step
// below works within its 128-bit lanes, so each lane holds 16 consecutive
// samples from load to store whatever the width.

namespace {

#if K7730_USE_AVX512
typedef __m512i V;
#define K7730_V(op) _mm512_##op
K7730_VECTOR_INLINE V LoadV(const std::uint8_t* p) { return _mm512_loadu_si512(p); }
K7730_VECTOR_INLINE void StoreV(std::uint8_t* p, V v) { _mm512_storeu_si512(p, v); }
K7730_VECTOR_INLINE V ZeroV() { return _mm512_setzero_si512(); }
K7730_VECTOR_INLINE V OrV(V a, V b) { return _mm512_or_si512(a, b); }
K7730_VECTOR_INLINE V NonNegative(V v) { return _mm512_max_epi32(v, ZeroV()); }
#elif K7730_USE_AVX2
typedef __m256i V;
#define K7730_V(op) _mm256_##op
K7730_VECTOR_INLINE V LoadV(const std::uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
K7730_VECTOR_INLINE void StoreV(std::uint8_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<V*>(p), v); }
K7730_VECTOR_INLINE V ZeroV() { return _mm256_setzero_si256(); }
K7730_VECTOR_INLINE V OrV(V a, V b) { return _mm256_or_si256(a, b); }
K7730_VECTOR_INLINE V NonNegative(V v) { return _mm256_max_epi32(v, ZeroV()); }
#else
typedef __m128i V;
#define K7730_V(op) _mm_##op
K7730_VECTOR_INLINE V LoadV(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
K7730_VECTOR_INLINE void StoreV(std::uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<V*>(p), v); }
K7730_VECTOR_INLINE V ZeroV() { return _mm_setzero_si128(); }
K7730_VECTOR_INLINE V OrV(V a, V b) { return _mm_or_si128(a, b); }
K7730_VECTOR_INLINE V NonNegative(V v) { return _mm_and_si128(v, _mm_cmpgt_epi32(v, ZeroV())); }
#endif
constexpr std::size_t kBytes = sizeof(V);

// ---- MTF line ---------------------------------------------------------------
// Taps are taken in pairs: their two pixel bytes interleaved as 16-bit
// values are multiplied and added in one step against the pair of 16-bit
// coefficients. With 16-bit coefficients no partial sum can overflow, so
// the result equals the defined 32-bit sum.

struct TapPair {
  const std::uint8_t* a;
  const std::uint8_t* b;
  std::int32_t pair;  // ca in the low 16 bits, cb in the high
};

int PairTaps(const MtfTap* taps, int count, TapPair pairs[13]) {
  int pairCount = 0;
  for (int t = 0; t < count; t += 2) {
    TapPair& p = pairs[pairCount++];
    const bool single = t + 1 == count;
    p.a = taps[t].pixels;
    p.b = single ? taps[t].pixels : taps[t + 1].pixels;
    const std::uint16_t ca = static_cast<std::uint16_t>(taps[t].coefficient);
    const std::uint16_t cb = single ? 0 : static_cast<std::uint16_t>(taps[t + 1].coefficient);
    p.pair = static_cast<std::int32_t>(ca | (static_cast<std::uint32_t>(cb) << 16));
  }
  return pairCount;
}

// Quotient of each non-negative lane by the reciprocal: exact up to the
// division limit, and 256 or more above it, which the saturating packs turn
// into 255 as the clamp would; so only negative sums need clamping first.
K7730_VECTOR_INLINE V DivideLanes(V v, V multiplier, __m128i shift) {
  v = NonNegative(v);
  const V even = K7730_V(srl_epi64)(K7730_V(mul_epu32)(v, multiplier), shift);
  const V odd = K7730_V(srl_epi64)(K7730_V(mul_epu32)(K7730_V(srli_epi64)(v, 32), multiplier), shift);
  return OrV(even, K7730_V(slli_epi64)(odd, 32));
}

// The four 32-bit sums of one step: samples 0-3, 4-7, 8-11, 12-15 of each
// 128-bit lane.
struct Sums {
  V s[4];
};

K7730_VECTOR_INLINE void AddPair(Sums& sums, V a, V b, V coefficients) {
  const V zero = ZeroV();
  const V lo = K7730_V(unpacklo_epi8)(a, b);
  const V hi = K7730_V(unpackhi_epi8)(a, b);
  const V parts[4] = {K7730_V(unpacklo_epi8)(lo, zero), K7730_V(unpackhi_epi8)(lo, zero),
                      K7730_V(unpacklo_epi8)(hi, zero), K7730_V(unpackhi_epi8)(hi, zero)};
  for (int k = 0; k < 4; ++k) sums.s[k] = K7730_V(add_epi32)(sums.s[k], K7730_V(madd_epi16)(parts[k], coefficients));
}

std::size_t PairedLine(const MtfState& state, const TapPair* pairs, int pairCount, std::size_t samples,
                       std::uint8_t* out) {
  const bool divide = state.useDivision == 1;
  const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(divide ? state.reciprocalShift : state.shift));
  const V multiplier = K7730_V(set1_epi32)(static_cast<int>(state.reciprocal));
  V coefficients[13];
  for (int p = 0; p < pairCount; ++p) coefficients[p] = K7730_V(set1_epi32)(pairs[p].pair);
  std::size_t i = 0;
  for (; i + kBytes <= samples; i += kBytes) {
    Sums sums = {{ZeroV(), ZeroV(), ZeroV(), ZeroV()}};
    for (int p = 0; p < pairCount; ++p) AddPair(sums, LoadV(pairs[p].a + i), LoadV(pairs[p].b + i), coefficients[p]);
    for (V& s : sums.s) s = divide ? DivideLanes(s, multiplier, shift) : K7730_V(sra_epi32)(s, shift);
    // Saturating packs clamp to 0..255 on the way down to bytes.
    StoreV(out + i, K7730_V(packus_epi16)(K7730_V(packs_epi32)(sums.s[0], sums.s[1]),
                                          K7730_V(packs_epi32)(sums.s[2], sums.s[3])));
  }
  return i;
}

// ---- Byte tables --------------------------------------------------------------
#if K7730_USE_AVX512
// 256-byte tables held in registers and looked up with VBMI byte permutes,
// 64 pixels (three vectors) a block. Byte j of vector k in a block belongs
// to channel (64k + j) mod 3.

struct RegisterTables {
  __m512i quarter[3][4];  // each channel's table in four 64-byte parts
};

void LoadRegisterTables(const ChannelTables& tables, RegisterTables* r) {
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 4; ++k) r->quarter[c][k] = _mm512_loadu_si512(tables.channel[c] + 64 * k);
}

struct ChannelMasks {
  __mmask64 of[3][3];  // [vector of the block][channel]
};

ChannelMasks MakeChannelMasks() {
  ChannelMasks m = {};
  for (int k = 0; k < 3; ++k)
    for (int j = 0; j < 64; ++j) m.of[k][(64 * k + j) % 3] |= __mmask64{1} << j;
  return m;
}

// Each byte through its channel's table: two 128-byte permutes per table,
// the top bit of the byte choosing between them.
K7730_VECTOR_INLINE __m512i LookUp(const RegisterTables& t, __m512i bytes, const __mmask64 (&channel)[3]) {
  const __mmask64 top = _mm512_movepi8_mask(bytes);
  __m512i r = _mm512_setzero_si512();
  for (int c = 0; c < 3; ++c) {
    const __m512i lower = _mm512_permutex2var_epi8(t.quarter[c][0], bytes, t.quarter[c][1]);
    const __m512i upper = _mm512_permutex2var_epi8(t.quarter[c][2], bytes, t.quarter[c][3]);
    r = _mm512_mask_blend_epi8(channel[c], r, _mm512_mask_blend_epi8(top, lower, upper));
  }
  return r;
}

// Vector k of the block at `p`, with bytes 0 and 2 of every pixel
// exchanged when Swap is set: channel 0 takes the byte two on, channel 2
// the byte two back. The masked loads read only bytes of the block.
template <bool Swap>
K7730_VECTOR_INLINE __m512i LoadPixels(const std::uint8_t* p, int k, const ChannelMasks& m) {
  const __m512i own = _mm512_loadu_si512(p + 64 * k);
  if constexpr (!Swap) return own;
  const __m512i next = _mm512_maskz_loadu_epi8(m.of[k][0], p + 64 * k + 2);
  const __m512i back = _mm512_maskz_loadu_epi8(m.of[k][2], p + 64 * k - 2);
  return _mm512_mask_blend_epi8(m.of[k][0], _mm512_mask_blend_epi8(m.of[k][2], own, back), next);
}

// Whole blocks of the band pass; returns the pixels done.
template <bool Swap, bool Emit>
std::size_t BandBlocks(std::uint8_t* band, std::uint8_t* out, std::size_t pixels, const ChannelTables& bandTables,
                       const ChannelTables& outTables) {
  RegisterTables b, o;
  LoadRegisterTables(bandTables, &b);
  if constexpr (Emit) LoadRegisterTables(outTables, &o);
  const ChannelMasks m = MakeChannelMasks();
  std::size_t i = 0;
  for (; i + 64 <= pixels; i += 64) {
    std::uint8_t* p = band + 3 * i;
    __m512i in[3];
    for (int k = 0; k < 3; ++k) in[k] = LoadPixels<Swap>(p, k, m);
    for (int k = 0; k < 3; ++k) _mm512_storeu_si512(p + 64 * k, LookUp(b, in[k], m.of[k]));
    if constexpr (Emit)
      for (int k = 0; k < 3; ++k) _mm512_storeu_si512(out + 3 * i + 64 * k, LookUp(o, in[k], m.of[k]));
  }
  return i;
}

std::size_t TableBlocks(const ChannelTables& tables, std::uint8_t* dst, const std::uint8_t* src, std::size_t count) {
  RegisterTables t;
  LoadRegisterTables(tables, &t);
  const ChannelMasks m = MakeChannelMasks();
  std::size_t i = 0;
  for (; i + 64 <= count; i += 64) {
    __m512i in[3];
    for (int k = 0; k < 3; ++k) in[k] = _mm512_loadu_si512(src + 3 * i + 64 * k);
    for (int k = 0; k < 3; ++k) _mm512_storeu_si512(dst + 3 * i + 64 * k, LookUp(t, in[k], m.of[k]));
  }
  return i;
}
#endif

}  // namespace

std::size_t MtfVectorLine(const MtfState& state, const MtfTap* taps, int count, std::size_t samples,
                          std::uint8_t* out) {
  if (count == 0) return 0;
  if (state.useDivision == 1 && state.useReciprocal != 1) return 0;
  TapPair pairs[13];
  return PairedLine(state, pairs, PairTaps(taps, count, pairs), samples, out);
}

std::size_t BandTableBlocks(bool swap, std::uint8_t* band, std::uint8_t* out, std::size_t pixels,
                            const ChannelTables& bandTables, const ChannelTables& outTables) {
#if K7730_USE_AVX512
  if (swap)
    return out != nullptr ? BandBlocks<true, true>(band, out, pixels, bandTables, outTables)
                          : BandBlocks<true, false>(band, out, pixels, bandTables, outTables);
  return out != nullptr ? BandBlocks<false, true>(band, out, pixels, bandTables, outTables)
                        : BandBlocks<false, false>(band, out, pixels, bandTables, outTables);
#else
  (void)swap, (void)band, (void)out, (void)pixels, (void)bandTables, (void)outTables;
  return 0;
#endif
}

std::size_t ChannelTableBlocks(const ChannelTables& tables, std::uint8_t* dst, const std::uint8_t* src,
                               std::size_t count) {
#if K7730_USE_AVX512
  return TableBlocks(tables, dst, src, count);
#else
  (void)tables, (void)dst, (void)src, (void)count;
  return 0;
#endif
}

#undef K7730_V
