// One output line of the MTF filter from five padded input lines.
#pragma once

#include <cstdint>

#include "stages/mtf_state.h"

namespace k7730 {

// rows[r] points at the first data byte of image line n + r - 2 (clamped to
// the page); each has kMtfPadBytes of edge copies on either side. Writes
// 3 x width bytes to out. Only the coefficients set in nonZeroMask are read.
void MtfComputeLine(const MtfState& state, const std::uint8_t* const rows[5], std::uint8_t* out);

// The normalisation of one kernel sum: shift or divide, then clamp to 0..255.
std::uint8_t MtfNormalise(const MtfState& state, std::int32_t sum);

}  // namespace k7730
