// One pixel through a ColorWorld, the arithmetic shared by every kernel:
// the cell of the grid a curve output falls in, and the interpolation
// between its corners in integers only.
#pragma once

#include <cstdint>

#include "cmm/color_world.h"
#include "cmm/wide_tables.h"

namespace k7730::cmm {

// Grid byte distances to the next node along each input channel.
inline constexpr std::uint32_t kStep3[3] = {16384, 256, 4};
inline constexpr std::uint32_t kStep4[4] = {19652, 1156, 68, 4};

// First node of the cell holding curve outputs q0..q2 (33-point grid,
// addressed like a 64-point grid).
constexpr std::uint32_t CellOffset3(std::uint32_t q0, std::uint32_t q1, std::uint32_t q2) {
  return ((q0 & 0xF8) << 11) + ((q1 & 0xF8) << 5) + ((q2 & 0xF8) >> 1);
}
// First node of the cell holding q0..q3 (17-point grid, densely packed).
constexpr std::uint32_t CellOffset4(std::uint32_t q0, std::uint32_t q1, std::uint32_t q2, std::uint32_t q3) {
  return (q0 >> 4) * 19652 + (q1 >> 4) * 1156 + (q2 >> 4) * 68 + (q3 >> 4) * 4;
}

// Along the last input channel: an unrounded 8.8 value.
constexpr std::int32_t LerpLast(std::int32_t a, std::int32_t b, std::int32_t w) { return (a << 8) + (b - a) * w; }
// Along an earlier channel, between two 8.8 values, rounded.
constexpr std::int32_t LerpNext(std::int32_t low, std::int32_t high, std::int32_t w) {
  return low + (((high - low) * w + 128) >> 8);
}
// 8.8 value to a byte, rounded.
constexpr std::uint32_t Round88(std::int32_t s) { return static_cast<std::uint32_t>(s + 128) >> 8; }

// Output bytes (before the output curves) of the cell at `p`, three inputs,
// weights w[0..2]. Byte o of each corner entry is output channel o.
template <int Out>
inline void InterpolateCell3(const std::uint8_t* p, const std::int32_t w[3], std::uint32_t out[Out]) {
  for (int o = 0; o < Out; ++o) {
    const std::uint8_t* c = p + o;
    std::int32_t s00 = LerpLast(c[0], c[4], w[2]);
    std::int32_t s01 = LerpLast(c[256], c[256 + 4], w[2]);
    std::int32_t s10 = LerpLast(c[16384], c[16384 + 4], w[2]);
    std::int32_t s11 = LerpLast(c[16384 + 256], c[16384 + 256 + 4], w[2]);
    std::int32_t s0 = LerpNext(s00, s01, w[1]);
    std::int32_t s1 = LerpNext(s10, s11, w[1]);
    out[o] = Round88(LerpNext(s0, s1, w[0]));
  }
}

// The same with four inputs: eight pairs along channel 3, then channels 2,
// 1 and 0.
template <int Out>
inline void InterpolateCell4(const std::uint8_t* p, const std::int32_t w[4], std::uint32_t out[Out]) {
  for (int o = 0; o < Out; ++o) {
    const std::uint8_t* c = p + o;
    std::int32_t s3[8];
    for (int k = 0; k < 8; ++k) {
      const std::uint8_t* a = c + ((k >> 2) & 1) * 19652 + ((k >> 1) & 1) * 1156 + (k & 1) * 68;
      s3[k] = LerpLast(a[0], a[4], w[3]);
    }
    std::int32_t s2[4];
    for (int k = 0; k < 4; ++k) s2[k] = LerpNext(s3[2 * k], s3[2 * k + 1], w[2]);
    std::int32_t s1a = LerpNext(s2[0], s2[1], w[1]);
    std::int32_t s1b = LerpNext(s2[2], s2[3], w[1]);
    out[o] = Round88(LerpNext(s1a, s1b, w[0]));
  }
}

// The 16-bit input side of the wide kernels: the linear value of an input
// byte, limited to the 16 bits the weight table covers.
inline std::uint32_t WideValue(const WideTables& wide, int c, std::uint32_t byte) {
  return wide.composite[c][byte * 257] & 0xFFFF;
}

// Wide cell interpolation: unrounded up to 8.24, in unsigned arithmetic,
// whose wrap-around leaves every intermediate value exact (each lies in
// 0 .. 255 << 24).
inline void InterpolateCellWide(const std::uint8_t* p, const std::uint32_t w[3], std::uint32_t out[3]) {
  for (int o = 0; o < 3; ++o) {
    const std::uint8_t* c = p + o;
    auto last = [&](std::uint32_t at) -> std::uint32_t {
      std::uint32_t a = c[at], b = c[at + 4];
      return (a << 8) + (b - a) * w[2];
    };
    std::uint32_t s00 = last(0), s01 = last(256), s10 = last(16384), s11 = last(16384 + 256);
    std::uint32_t s0 = (s00 << 8) + (s01 - s00) * w[1];
    std::uint32_t s1 = (s10 << 8) + (s11 - s10) * w[1];
    std::uint32_t s = (s0 << 8) + (s1 - s0) * w[0];
    out[o] = (s + 0x800000u) >> 24;
  }
}

}  // namespace k7730::cmm
