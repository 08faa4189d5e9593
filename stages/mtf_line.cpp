// The per-sample sum runs over the non-zero coefficients only (a five-tap
// cross or a nine-tap plus costs five or nine taps, not nine or 25), one tap
// at a time across a block of samples so that the loops vectorise. The sum
// is defined modulo 2^32 and read as signed, as a 32-bit machine would; a
// kernel with coefficients that fit 16 bits cannot reach that range.
#include "stages/mtf_line.h"

#include "stages/mtf_taps.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace k7730 {
namespace {

constexpr std::size_t kBlock = 512;

// Coefficients within 16 bits: at most 25 x 32768 x 255 < 2^31, no overflow.
void SumNarrow(const MtfTap* taps, int count, std::size_t start, std::size_t n, std::int32_t* acc) {
  {
    const std::uint8_t* p = taps[0].pixels + start;
    const std::int32_t c = static_cast<std::int16_t>(taps[0].coefficient);
    for (std::size_t i = 0; i < n; ++i) acc[i] = c * static_cast<std::int32_t>(p[i]);
  }
  for (int t = 1; t < count; ++t) {
    const std::uint8_t* p = taps[t].pixels + start;
    const std::int32_t c = static_cast<std::int16_t>(taps[t].coefficient);
    for (std::size_t i = 0; i < n; ++i) acc[i] += c * static_cast<std::int32_t>(p[i]);
  }
}

// Any coefficients: unsigned arithmetic wraps modulo 2^32 without undefined
// behaviour.
void SumWrapping(const MtfTap* taps, int count, std::size_t start, std::size_t n, std::int32_t* acc) {
  std::uint32_t* uacc = reinterpret_cast<std::uint32_t*>(acc);
  std::fill(uacc, uacc + n, 0u);
  for (int t = 0; t < count; ++t) {
    const std::uint8_t* p = taps[t].pixels + start;
    const std::uint32_t c = static_cast<std::uint32_t>(taps[t].coefficient);
    for (std::size_t i = 0; i < n; ++i) uacc[i] += c * p[i];
  }
}

inline std::uint8_t Clamp255(std::int64_t v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

void NormaliseBlock(const MtfState& state, const std::int32_t* acc, std::size_t n,
                    std::uint8_t* out) {
  if (state.useDivision != 1) {
    const std::uint32_t s = state.shift;
    for (std::size_t i = 0; i < n; ++i) {
      const std::int32_t v = acc[i] >> s;  // arithmetic shift
      out[i] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
  } else if (state.useReciprocal == 1) {
    // A positive divisor: negative sums end at 0 and sums of 256 x divisor
    // or more at 255, so only 0..limit needs the exact quotient.
    const std::int32_t limit = state.divisionLimit;
    const std::uint64_t m = state.reciprocal;
    const std::uint32_t k = state.reciprocalShift;
    for (std::size_t i = 0; i < n; ++i) {
      const std::int32_t a = acc[i];
      const std::uint32_t v = static_cast<std::uint32_t>(a < 0 ? 0 : (a > limit ? limit : a));
      out[i] = static_cast<std::uint8_t>((v * m) >> k);
    }
  } else {
    // 64-bit so that even INT32_MIN / -1 is defined.
    const std::int64_t d = state.divisor;
    for (std::size_t i = 0; i < n; ++i) out[i] = Clamp255(std::int64_t{acc[i]} / d);
  }
}

}  // namespace

int MtfCollectTaps(const MtfState& state, const std::uint8_t* const rows[5], MtfTap taps[25],
                   bool& narrow) {
  int count = 0;
  narrow = true;
  for (int k = 0; k < 25; ++k) {
    if ((state.nonZeroMask & (1u << k)) == 0) continue;
    const std::int32_t c = state.coefficients[k];
    if (c == 0) continue;
    if (c < -32768 || c > 32767) narrow = false;
    taps[count].pixels = rows[k / 5] + (k % 5 - 2) * 3;
    taps[count].coefficient = c;
    ++count;
  }
  return count;
}

std::uint8_t MtfNormalise(const MtfState& state, std::int32_t sum) {
  std::uint8_t out;
  NormaliseBlock(state, &sum, 1, &out);
  return out;
}

void MtfComputeLine(const MtfState& state, const std::uint8_t* const rows[5], std::uint8_t* out) {
  const std::size_t bytes = static_cast<std::size_t>(state.width) * 3;
  MtfTap taps[25];
  bool narrow = true;
  const int count = MtfCollectTaps(state, rows, taps, narrow);
  if (count == 0) {
    std::memset(out, MtfNormalise(state, 0), bytes);
    return;
  }
  const std::size_t done = narrow ? MtfVectorLine(state, taps, count, bytes, out) : 0;
  alignas(64) std::int32_t acc[kBlock];
  for (std::size_t start = done; start < bytes; start += kBlock) {
    const std::size_t n = std::min(kBlock, bytes - start);
    if (narrow) {
      SumNarrow(taps, count, start, n, acc);
    } else {
      SumWrapping(taps, count, start, n, acc);
    }
    NormaliseBlock(state, acc, n, out + start);
  }
}

}  // namespace k7730
