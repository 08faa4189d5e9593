// The per-band chain of correction stages.
#pragma once

#include <cstdint>

#include "filter/filter_instance.h"

namespace k7730 {

// Bytes of an output buffer for a band of `lines` lines: (lines + 2) x
// width x 3, or 0 when that does not fit 32 bits.
std::uint64_t OutputBufferBytes(std::uint32_t width, std::uint32_t lines);

// Bytes the stages write into the output buffer for a band of `lines`
// lines: (lines + 2) lines when the MTF filter runs (it clears them all),
// otherwise `lines` lines.
std::uint64_t BandWriteBytes(const FilterInstance& inst, std::uint32_t lines);

// Runs the stages on one band of `lines` lines (lines > 0) in their fixed
// order: channel swap and input tables on the band in place, the MTF filter
// into `out`, then colour matching, output tables or a copy into `out`, and
// last the external line filter. `out` holds (lines + 2) lines. Returns the
// number of lines in `out`; 0 when the MTF filter released none, in which
// case nothing after it ran.
std::uint32_t RunBandStages(FilterInstance& inst, std::uint8_t* band, std::uint32_t lines,
                            std::uint8_t* out);

}  // namespace k7730
