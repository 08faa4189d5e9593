// Whether a profile file can serve the colour-matching stage.
#pragma once

#include <cstdint>

namespace k7730 {

// Components of the data colour space a profile must have: 3 for 'RGB ',
// 4 for 'CMYK'; any other kind accepts every colour space.
enum class ColorSpaceKind : std::uint16_t { Any = 0, Rgb = 3, Cmyk = 4 };

// A non-empty path of a profile that opens and whose data colour space is
// RGB. The profile is closed again in every case.
bool ProfileUsable(const char* path);

}  // namespace k7730
