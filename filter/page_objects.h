#pragma once

#include "filter/filter_instance.h"

namespace k7730 {

// Releases what a page built: the MTF line block and the ColorWorld.
void ReleasePageObjects(FilterInstance& inst);

}  // namespace k7730
