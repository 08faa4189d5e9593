// The ColorWorld block: a fixed 3100-byte header followed directly by the
// grid table. The layout is read by the matching kernels and the table
// export, which find the grid through headerSize.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k7730::cmm {

inline constexpr std::uint32_t kColorWorldHeaderSize = 3100;
inline constexpr std::uint32_t kGridPoints3 = 33;
inline constexpr std::uint32_t kGridPoints4 = 17;
// 33 planes of 64 x 64 four-byte entries, so that a cell is found by shifts.
inline constexpr std::uint32_t kTableSize3 = 33u * 16384u;  // 540672
// 17^4 densely packed four-byte entries.
inline constexpr std::uint32_t kTableSize4 = 17u * 17u * 17u * 17u * 4u;  // 334084

// Byte offset of grid node (i, j, k) in a three-input grid.
constexpr std::uint32_t GridOffset3(std::uint32_t i, std::uint32_t j, std::uint32_t k) {
  return (i << 14) | (j << 8) | (k << 2);
}
// Byte offset of grid node (i, j, k, l) in a four-input grid.
constexpr std::uint32_t GridOffset4(std::uint32_t i, std::uint32_t j, std::uint32_t k, std::uint32_t l) {
  return (((i * 17 + j) * 17 + k) * 17 + l) * 4;
}

// Kernel slots hold an index rather than a code address, so the header keeps
// its size on every platform.
enum KernelId : std::uint32_t {
  kKernelNone = 0,
  kPixels3to3 = 1,
  kPixels3to3Wide = 2,
  kPixels3to4 = 3,
  kPixels4to3 = 4,
  kPixels4to4 = 5,
  kPlanes3to3 = 6,
  kPlanes3to3Wide = 7,
  kPlanes3to4 = 8,
  kPlanes4to3 = 9,
  kPlanes4to4 = 10,
};

struct ColorWorldHeader {
  std::uint32_t headerSize;   // always 3100
  std::uint32_t tableSize;    // kTableSize3 or kTableSize4
  std::uint32_t gridPoints;   // 33 or 17
  std::uint32_t inChannels;   // 3 or 4
  std::uint32_t outChannels;  // 3 or 4
  std::uint32_t weight[256];  // position of a curve output in its cell, 0..256
  std::uint8_t inCurve[4][256];
  std::uint8_t outCurve[4][256];
  std::uint32_t pixelKernel;  // KernelId
  std::uint32_t planeKernel;  // KernelId

  std::uint8_t* Grid() { return reinterpret_cast<std::uint8_t*>(this) + headerSize; }
  const std::uint8_t* Grid() const { return reinterpret_cast<const std::uint8_t*>(this) + headerSize; }
};

static_assert(sizeof(ColorWorldHeader) == kColorWorldHeaderSize);
static_assert(offsetof(ColorWorldHeader, tableSize) == 4);
static_assert(offsetof(ColorWorldHeader, gridPoints) == 8);
static_assert(offsetof(ColorWorldHeader, inChannels) == 12);
static_assert(offsetof(ColorWorldHeader, outChannels) == 16);
static_assert(offsetof(ColorWorldHeader, weight) == 20);
static_assert(offsetof(ColorWorldHeader, inCurve) == 1044);
static_assert(offsetof(ColorWorldHeader, outCurve) == 2068);
static_assert(offsetof(ColorWorldHeader, pixelKernel) == 3092);
static_assert(offsetof(ColorWorldHeader, planeKernel) == 3096);
static_assert(kTableSize3 == 0x84000 && kTableSize4 == 0x51904);

}  // namespace k7730::cmm
