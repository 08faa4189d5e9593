// The external line filter as a stage of the page pipeline. The callers run
// these only when LineFilterRuns says so.
#pragma once

#include <cstdint>

#include "filter/filter_instance.h"

namespace k7730 {

// True when the line filter is switched on and its library is loaded.
bool LineFilterRuns(const FilterInstance& inst);

// Restarts the line filter for a page: parameter table 0, `width` dots.
void LineFilterStagePageStart(FilterInstance& inst);

// Rewrites `lineCount` lines of `width` pixels at `lines` in place.
void LineFilterStageBand(FilterInstance& inst, std::uint8_t* lines, std::uint32_t lineCount);

}  // namespace k7730
