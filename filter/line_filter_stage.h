// The external line filter as a stage of the page pipeline. The callers run
// these only when lineFilterEnabled is 1 and the library is loaded.
#pragma once

#include <cstdint>

#include "filter/filter_instance.h"

namespace k7730 {

// Restarts the line filter for a page: parameter table 0, `width` dots.
void LineFilterPageStart(FilterInstance& inst);

// Rewrites `lineCount` lines of `width` pixels at `lines` in place.
void LineFilterBand(FilterInstance& inst, std::uint8_t* lines, std::uint32_t lineCount);

}  // namespace k7730
