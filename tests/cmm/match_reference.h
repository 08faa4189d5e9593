// A plain evaluation of the matching arithmetic for checking the kernels:
// one pixel at a time, no cache, the grid addressed by node indices and the
// sums carried in 64-bit integers, so that nothing in it is clever.
#pragma once

#include <cstdint>
#include <vector>

#include "cmm/color_world.h"
#include "cmm/wide_tables.h"
#include "k7730fe_cmm.h"

namespace k7730::test {

// One pixel: `in` holds inChannels components, `out` receives outChannels.
// `wide` selects the 16-bit input side of the matrix/TRC kernels.
void ReferencePixel(const cmm::ColorWorldHeader& world, const cmm::WideTables* wide, bool useWide,
                    const std::uint8_t* in, std::uint8_t* out);

// A whole interleaved image: reads every pixel of `source`, writes the
// results at the positions `destination` describes.
void ReferencePixelMap(const cmm::ColorWorldHeader& world, const cmm::WideTables* wide, bool useWide,
                       const K7730_PixelMap& source, const K7730_PixelMap& destination);
void ReferencePlaneMap(const cmm::ColorWorldHeader& world, const cmm::WideTables* wide, bool useWide,
                       const K7730_PlaneMap& source, const K7730_PlaneMap& destination);

}  // namespace k7730::test
