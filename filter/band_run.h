// One band from the host: the buffer it is written into, then the stages.
#pragma once

#include <cstdint>

#include "filter/filter_instance.h"

namespace k7730 {

// Runs a band of `lines` lines (lines > 0) of the page set up into
// `*output`: the host's buffer, or a new one when `*output` is null. Stores
// the number of lines written in `*outputLines` (when given); a new buffer
// that received none is released again and `*output` set back to null.
// Returns the ErrorCode: 0, 1006 (a buffer that does not fit 32 bits, or one
// of this module's too small for the band) or 1000.
std::uint16_t FilterBand(FilterInstance& inst, std::uint8_t* band, std::uint32_t lines,
                         std::uint8_t** output, std::uint32_t* outputLines);

}  // namespace k7730
