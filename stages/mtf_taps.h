// The non-zero taps of an MTF kernel for one output line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "stages/mtf_state.h"

namespace k7730 {

struct MtfTap {
  const std::uint8_t* pixels;  // sample 0 of the tap's row, shifted by its column
  std::int32_t coefficient;
};

// Writes the taps of the coefficients set in nonZeroMask; returns their
// count. `narrow` tells whether every coefficient fits 16 bits, which keeps
// any sum of 25 taps below 2^31.
int MtfCollectTaps(const MtfState& state, const std::uint8_t* const rows[5], MtfTap taps[25],
                   bool& narrow);

// Vector version of the sum and normalisation for kernels with 16-bit
// coefficients and a shift or multiply-and-shift normalisation, in the
// active instruction set. Handles the leading samples that whole vectors
// cover and returns how many; the caller does the rest. Returns 0 where no
// vector unit is available.
std::size_t MtfVectorLine(const MtfState& state, const MtfTap* taps, int count, std::size_t samples,
                          std::uint8_t* out);

}  // namespace k7730
