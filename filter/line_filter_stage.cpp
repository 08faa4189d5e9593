// Placeholders until the bridge's page start and line filtering are built;
// the pipeline already calls them at their place.
#include "filter/line_filter_stage.h"

namespace k7730 {

void LineFilterPageStart(FilterInstance&) {}

void LineFilterBand(FilterInstance&, std::uint8_t*, std::uint32_t) {}

}  // namespace k7730
