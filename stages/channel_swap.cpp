#include "stages/channel_swap.h"

namespace k7730 {

void SwapChannels(std::uint8_t* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, pixels += 3) {
    const std::uint8_t first = pixels[0];
    pixels[0] = pixels[2];
    pixels[2] = first;
  }
}

}  // namespace k7730
