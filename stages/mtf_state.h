// The MTF filter's working state for one page.
#pragma once

#include <cstdint>

namespace k7730 {

inline constexpr int kMtfLineBuffers = 7;
// Pad bytes on each side of a line buffer: two pixels of three bytes.
inline constexpr std::uint32_t kMtfPadBytes = 6;

struct MtfState {
  std::int32_t coefficients[25];
  std::int32_t scale;          // 0 replaced by 1
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t linesTaken;
  std::uint32_t nonZeroMask;   // bit k: coefficient k is not 0
  std::uint16_t components;    // bytes per pixel, 3
  std::uint16_t wide;          // 1: 5 x 5 mode, 0: 3 x 3 mode
  std::uint32_t shift;         // used when the scale is a power of two
  std::int32_t divisor;        // used otherwise
  std::uint32_t useDivision;
  std::uint32_t lineLength;    // 3 x width + 12
  std::uint8_t* lines[kMtfLineBuffers];
  void* lineBlock;             // the one block that holds the seven lines
  // Exact division by a positive divisor as a multiply and shift:
  // q = (n * reciprocal) >> reciprocalShift for 0 <= n <= divisionLimit,
  // where divisionLimit = 256 * divisor - 1 (every larger sum clamps to 255).
  std::uint32_t useReciprocal;
  std::uint32_t reciprocal;
  std::uint32_t reciprocalShift;
  std::int32_t divisionLimit;
};

}  // namespace k7730
