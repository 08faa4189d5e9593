#include "stages/color_matching_stage.h"

namespace k7730 {

void DisposePageColorWorld(std::uintptr_t& colorWorld) {
  // No ColorWorld is built yet; the handle only needs clearing.
  colorWorld = 0;
}

}  // namespace k7730
