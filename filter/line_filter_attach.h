#pragma once

#include <cstdint>

#include "filter/line_filter_bridge.h"

namespace k7730 {

// Loads the line-filter library and obtains its line buffer. Returns 0, or
// the ErrorCode of the failure (1007 no usable library, 1000 no buffer);
// after a failure nothing stays loaded.
std::uint16_t LineFilterAttach(LineFilterBridge& bridge);

}  // namespace k7730
