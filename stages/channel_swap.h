// Channel swap: reverses the byte order of 3-byte pixels in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k7730 {

// Exchanges bytes 0 and 2 of each of `count` pixels.
void SwapChannels(std::uint8_t* pixels, std::size_t count);

}  // namespace k7730
