// Integer pieces of the grid tables: cell weights, CLUT index tables,
// 8.8 fixed-point interpolation in a profile CLUT, and curve expansion.
#pragma once

#include <cstdint>

namespace k7730::cmm {

// Weight of every 8-bit value in its cell of the 33-point (cells of 8) or
// 17-point (cells of 16) grid, 0..256; the last cell is one value narrower
// so that 255 weighs 256.
void FillWeights8(std::uint32_t gridPoints, std::uint32_t weight[256]);
// The same for 16-bit linear values in the 33-point grid (cells of 2056).
void FillWeights16(std::uint32_t* weight16);

struct GridIndex {
  std::uint32_t index;     // cell, 0..n-2
  std::uint32_t fraction;  // position in the cell, 0..65536
};
void BuildGridIndex(std::uint32_t gridPoints, GridIndex out[256]);

// Strides in bytes of a CLUT with `in` inputs, `out` outputs and n points.
void ClutStrides(std::uint32_t in, std::uint32_t out, std::uint32_t gridPoints, std::uint32_t stride[4]);

// a + (b - a) * t / 65536, rounded, for a, b in 0..65280 and t in 0..65536.
std::uint32_t Lerp16(std::uint32_t a, std::uint32_t b, std::uint32_t t);

void InterpolateClut3(const std::uint32_t index[3], const std::uint32_t fraction[3], const std::uint32_t stride[3],
                      const std::uint8_t* clut, std::uint32_t outCount, std::uint8_t* out);
void InterpolateClut4(const std::uint32_t index[4], const std::uint32_t fraction[4], const std::uint32_t stride[4],
                      const std::uint8_t* clut, std::uint32_t outCount, std::uint8_t* out);

// Expands a 256-entry byte table to 65536 entries on the 16-bit scale,
// linearly between the points k * 257.
void ExpandCurve16(const std::uint8_t table[256], std::uint32_t* out);

}  // namespace k7730::cmm
