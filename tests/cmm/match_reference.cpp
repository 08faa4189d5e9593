#include "match_reference.h"

namespace k7730::test {
namespace {

using i64 = std::int64_t;

// Division rounding toward minus infinity, for negative differences.
i64 FloorDiv(i64 a, i64 b) {
  i64 q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Byte o of the grid entry of a node given by its indices.
i64 Node(const cmm::ColorWorldHeader& world, const std::uint32_t* index, std::uint32_t o) {
  const std::uint8_t* grid = reinterpret_cast<const std::uint8_t*>(&world) + world.headerSize;
  std::uint32_t at = world.inChannels == 3 ? (index[0] << 14) | (index[1] << 8) | (index[2] << 2)
                                           : (((index[0] * 17 + index[1]) * 17 + index[2]) * 17 + index[3]) * 4;
  return grid[at + o];
}

}  // namespace

void ReferencePixel(const cmm::ColorWorldHeader& world, const cmm::WideTables* wide, bool useWide,
                    const std::uint8_t* in, std::uint8_t* out) {
  const std::uint32_t n = world.inChannels;
  const std::uint32_t cellWidth = n == 3 ? 8 : 16;
  std::uint32_t cell[4];
  i64 w[4];
  for (std::uint32_t c = 0; c < n; ++c) {
    if (useWide) {
      std::uint32_t v = wide->composite[c][in[c] * 257u];
      cell[c] = v / 257 / 8;
      w[c] = wide->weight16[v];
    } else {
      std::uint32_t q = world.inCurve[c][in[c]];
      cell[c] = q / cellWidth;
      w[c] = world.weight[q];
    }
  }
  for (std::uint32_t o = 0; o < world.outChannels; ++o) {
    // values[k]: corner k of the cell, bit (n-1-c) of k set for the upper
    // node along channel c. Interpolating along the last channel first
    // halves the list; each further channel halves it again.
    const std::uint32_t corners = 1u << n;
    i64 values[16], s[8];
    for (std::uint32_t k = 0; k < corners; ++k) {
      std::uint32_t index[4];
      for (std::uint32_t c = 0; c < n; ++c) index[c] = cell[c] + ((k >> (n - 1 - c)) & 1);
      values[k] = Node(world, index, o);
    }
    for (std::uint32_t k = 0; k < corners; k += 2) s[k / 2] = values[k] * 256 + (values[k + 1] - values[k]) * w[n - 1];
    for (int c = int(n) - 2, count = int(corners / 2); c >= 0; --c, count /= 2) {
      for (int k = 0; k < count; k += 2) {
        if (useWide)
          s[k / 2] = s[k] * 256 + (s[k + 1] - s[k]) * w[c];
        else
          s[k / 2] = s[k] + FloorDiv((s[k + 1] - s[k]) * w[c] + 128, 256);
      }
    }
    const i64 byte = useWide ? FloorDiv(s[0] + (1 << 23), 1 << 24) : FloorDiv(s[0] + 128, 256);
    out[o] = world.outCurve[o][byte];
  }
}

void ReferencePixelMap(const cmm::ColorWorldHeader& world, const cmm::WideTables* wide, bool useWide,
                       const K7730_PixelMap& source, const K7730_PixelMap& destination) {
  for (int y = 0; y < source.height; ++y)
    for (int x = 0; x < source.width; ++x) {
      std::uint8_t in[4], out[4];
      const std::uint8_t* from = source.base + std::size_t(y) * source.rowBytes + std::size_t(x) * source.components;
      for (std::uint32_t c = 0; c < source.components; ++c) in[c] = from[c];
      ReferencePixel(world, wide, useWide, in, out);
      std::uint8_t* to = destination.base + std::size_t(y) * destination.rowBytes + std::size_t(x) * destination.components;
      for (std::uint32_t c = 0; c < destination.components; ++c) to[c] = out[c];
    }
}

void ReferencePlaneMap(const cmm::ColorWorldHeader& world, const cmm::WideTables* wide, bool useWide,
                       const K7730_PlaneMap& source, const K7730_PlaneMap& destination) {
  for (int y = 0; y < source.height; ++y)
    for (int x = 0; x < source.width; ++x) {
      std::uint8_t in[4], out[4];
      const std::size_t at = std::size_t(y) * source.rowBytes + std::size_t(x);
      for (std::uint32_t c = 0; c < source.components; ++c) in[c] = source.plane[c][at];
      ReferencePixel(world, wide, useWide, in, out);
      const std::size_t to = std::size_t(y) * destination.rowBytes + std::size_t(x);
      for (std::uint32_t c = 0; c < destination.components; ++c) destination.plane[c][to] = out[c];
    }
}

}  // namespace k7730::test
