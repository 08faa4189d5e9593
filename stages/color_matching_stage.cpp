#include "stages/color_matching_stage.h"

#include <cstring>

namespace k7730 {

void DisposePageColorWorld(std::uintptr_t& colorWorld) {
  // No ColorWorld is built yet; the handle only needs clearing.
  colorWorld = 0;
}

std::uint16_t BuildPageColorWorld(const K7730_SettingsBlock&, const LutRecordSet&,
                                  std::uintptr_t& colorWorld) {
  // The colour engine is not connected yet: no ColorWorld, and the page
  // runs on without colour matching.
  colorWorld = 0;
  return K7730_OK;
}

void MatchBandPixels(std::uintptr_t, std::uint8_t* dst, const std::uint8_t* src,
                     std::uint32_t width, std::uint32_t lines) {
  // Unreachable while no ColorWorld is built; passes the pixels through.
  if (dst != src) std::memmove(dst, src, static_cast<std::size_t>(width) * lines * 3);
}

}  // namespace k7730
