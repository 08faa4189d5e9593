#include "cmm/grid_math.h"

#include <algorithm>

namespace k7730::cmm {

void FillWeights8(std::uint32_t gridPoints, std::uint32_t weight[256]) {
  for (std::uint32_t v = 0; v < 256; ++v) {
    std::uint32_t w;
    if (gridPoints == 33) {
      w = v < 248 ? ((v & 7) * 256) >> 3 : ((v & 7) * 256) / 7;
    } else {
      w = v < 240 ? (v & 15) * 16 : ((v & 15) * 256) / 15;
    }
    weight[v] = std::min<std::uint32_t>(w, 256);
  }
}

void FillWeights16(std::uint32_t* weight16) {
  const double cellFactor = 65536.0 / 2056.0;
  const double lastCellFactor = 65536.0 / 1799.0;
  for (std::uint32_t v = 0; v < 65536; ++v) {
    std::uint32_t t = v - 2056 * (v / 2056);
    double scaled = t * (v < 63736 ? cellFactor : lastCellFactor);
    std::uint32_t w = static_cast<std::uint32_t>(scaled) >> 8;
    weight16[v] = std::min<std::uint32_t>(w, 256);
  }
}

void BuildGridIndex(std::uint32_t n, GridIndex out[256]) {
  const double step = 255.0 / (n - 1);
  for (std::uint32_t v = 0; v < 256; ++v) {
    double x = v / step;
    std::uint32_t index = static_cast<std::uint32_t>(x);
    if (index >= n - 1) index = n - 2;
    double f = (x - index) * 65536.0 + 0.5;
    std::uint32_t fraction = f >= 65536.0 ? 65536 : static_cast<std::uint32_t>(f);
    out[v] = {index, fraction};
  }
}

void ClutStrides(std::uint32_t in, std::uint32_t out, std::uint32_t n, std::uint32_t stride[4]) {
  for (std::uint32_t c = 0; c < 4; ++c) stride[c] = 0;
  for (std::uint32_t c = 0; c < in; ++c) {
    std::uint32_t s = out;
    for (std::uint32_t e = c + 1; e < in; ++e) s *= n;
    stride[c] = s;
  }
}

std::uint32_t Lerp16(std::uint32_t a, std::uint32_t b, std::uint32_t t) {
  std::uint32_t r = b < a ? a - (((a - b) * t + 32768) >> 16) : a + (((b - a) * t + 32768) >> 16);
  return std::min<std::uint32_t>(r, 65280);
}

namespace {

std::uint32_t At(const std::uint8_t* p, std::uint32_t offset) { return static_cast<std::uint32_t>(p[offset]) << 8; }

// Interpolates along the last channel between p[0] and p[stride].
std::uint32_t Pair(const std::uint8_t* p, std::uint32_t stride, std::uint32_t fraction) {
  return Lerp16(At(p, 0), At(p, stride), fraction);
}

// Three-channel cell at p: channel 0 with s[0]/f[0] etc.
std::uint32_t Cell3(const std::uint8_t* p, const std::uint32_t s[3], const std::uint32_t f[3]) {
  std::uint32_t c0 = Lerp16(Pair(p, s[2], f[2]), Pair(p + s[1], s[2], f[2]), f[1]);
  const std::uint8_t* q = p + s[0];
  std::uint32_t c1 = Lerp16(Pair(q, s[2], f[2]), Pair(q + s[1], s[2], f[2]), f[1]);
  return Lerp16(c0, c1, f[0]);
}

}  // namespace

void InterpolateClut3(const std::uint32_t index[3], const std::uint32_t fraction[3], const std::uint32_t stride[3],
                      const std::uint8_t* clut, std::uint32_t outCount, std::uint8_t* out) {
  const std::uint8_t* base = clut + index[0] * stride[0] + index[1] * stride[1] + index[2] * stride[2];
  for (std::uint32_t o = 0; o < outCount; ++o) {
    std::uint32_t r = Cell3(base + o, stride, fraction);
    out[o] = static_cast<std::uint8_t>((r + 128) >> 8);
  }
}

void InterpolateClut4(const std::uint32_t index[4], const std::uint32_t fraction[4], const std::uint32_t stride[4],
                      const std::uint8_t* clut, std::uint32_t outCount, std::uint8_t* out) {
  const std::uint8_t* base =
      clut + index[0] * stride[0] + index[1] * stride[1] + index[2] * stride[2] + index[3] * stride[3];
  for (std::uint32_t o = 0; o < outCount; ++o) {
    const std::uint8_t* p = base + o;
    // Channels 1..3 form a three-channel cell on each side of channel 0.
    std::uint32_t c0 = Cell3(p, stride + 1, fraction + 1);
    std::uint32_t c1 = Cell3(p + stride[0], stride + 1, fraction + 1);
    std::uint32_t r = Lerp16(c0, c1, fraction[0]);
    out[o] = static_cast<std::uint8_t>((r + 128) >> 8);
  }
}

void ExpandCurve16(const std::uint8_t t[256], std::uint32_t* out) {
  for (std::uint32_t k = 0; k < 255; ++k) {
    std::int32_t base = t[k] * 257;
    std::int32_t slope = static_cast<std::int32_t>(t[k + 1]) - t[k];
    for (std::int32_t j = 0; j <= 256; ++j) out[k * 257 + j] = static_cast<std::uint32_t>(base + slope * j);
  }
  out[65535] = t[255] * 257u;
}

}  // namespace k7730::cmm
