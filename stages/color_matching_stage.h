// The colour-matching stage: the page's ColorWorld and its use per band.
#pragma once

#include <cstdint>

namespace k7730 {

// Disposes of the page's ColorWorld, if any, and sets the handle to 0.
void DisposePageColorWorld(std::uintptr_t& colorWorld);

}  // namespace k7730
