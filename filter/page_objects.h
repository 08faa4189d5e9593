#pragma once

#include <cstdint>

#include "filter/filter_instance.h"

namespace k7730 {

// True when the MTF filter runs on the page: switched on, and its lines built.
bool PageHasMtf(const FilterInstance& inst);

// Starts the MTF filter's built lines afresh for the page's geometry.
void RestartMtfLines(FilterInstance& inst);

// Releases what a page built: the MTF line block and the ColorWorld.
void ReleasePageObjects(FilterInstance& inst);

// Builds the page's MTF line buffers and ColorWorld for the geometry already
// stored in `inst`, and loads the line filter when a stored block switched
// it on. Returns the ErrorCode: 0, or 1006 (line buffers that do not fit),
// 1007 (no line-filter library), 1000 (no memory, no ColorWorld) or 1005.
// After a failure nothing of the page is left built.
std::uint16_t BuildPageObjects(FilterInstance& inst);

}  // namespace k7730
