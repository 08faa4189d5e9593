// A plain whole-page convolution, written without the module's code, that
// the filter's output is compared with, and random kernels to feed it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace k7730::test {

struct Kernel {
  std::int32_t k[25] = {};
  std::int32_t scale = 100;
};

// Edges clamped; 64-bit products with the total taken modulo 2^32 as a signed
// value; a power-of-two scale up to 2^17 shifts (rounds down), any other
// divides (truncates toward zero); scale 0 counts as 1; result clamped.
inline std::vector<std::uint8_t> ReferencePage(const Kernel& kernel, const std::vector<std::uint8_t>& page,
                                               int width, int height) {
  const std::int64_t scale = kernel.scale == 0 ? 1 : kernel.scale;
  const bool shift = scale > 0 && scale <= (1 << 17) && (scale & (scale - 1)) == 0;
  std::vector<std::uint8_t> out(page.size());
  for (std::size_t at = 0; at < out.size(); ++at) {
    const int c = static_cast<int>(at % 3), x = static_cast<int>(at / 3 % width), y = static_cast<int>(at / 3 / width);
    std::int64_t total = 0;
    for (int i = 0; i < 25; ++i) {
      const int py = std::clamp(y + i / 5 - 2, 0, height - 1), px = std::clamp(x + i % 5 - 2, 0, width - 1);
      total += std::int64_t{kernel.k[i]} * page[(static_cast<std::size_t>(py) * width + px) * 3 + c];
    }
    const std::int64_t sum = static_cast<std::int32_t>(static_cast<std::uint32_t>(total));
    const std::int64_t value = shift && sum < 0 ? -((-sum + scale - 1) / scale) : sum / scale;
    out[at] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 255));
  }
  return out;
}

enum class Shape { FullThree, Cross, Plus, FullFive, Sparse };

// Coefficients drawn from lo..hi on the taps of the shape, zero elsewhere.
inline Kernel ShapedKernel(std::mt19937& rng, Shape shape, std::int32_t lo, std::int32_t hi) {
  Kernel k;
  for (int i = 0; i < 25; ++i) {
    const int row = i / 5, col = i % 5;
    const bool inner = row >= 1 && row <= 3 && col >= 1 && col <= 3, cross = row == 2 || col == 2;
    const bool used[] = {inner, inner && cross, cross, true, rng() % 4 == 0};
    if (used[static_cast<int>(shape)]) k.k[i] = std::uniform_int_distribution<std::int32_t>(lo, hi)(rng);
  }
  return k;
}

}  // namespace k7730::test
