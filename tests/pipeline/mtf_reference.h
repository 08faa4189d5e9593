// A plain whole-page convolution, written without the module's code, that
// the filter's output is compared with.
#pragma once

#include <cstdint>
#include <vector>

namespace k7730::test {

struct Kernel {
  std::int32_t k[25] = {};
  std::int32_t scale = 100;
};

inline std::uint8_t ReferenceSample(const Kernel& kernel, const std::vector<std::uint8_t>& page,
                                    int width, int height, int line, int x, int c) {
  // 64-bit products, then the total taken modulo 2^32 as a signed value.
  std::int64_t total = 0;
  for (int r = 0; r < 5; ++r) {
    for (int q = 0; q < 5; ++q) {
      int y = line + r - 2;
      int px = x + q - 2;
      y = y < 0 ? 0 : (y > height - 1 ? height - 1 : y);
      px = px < 0 ? 0 : (px > width - 1 ? width - 1 : px);
      total += static_cast<std::int64_t>(kernel.k[r * 5 + q]) *
               page[(static_cast<std::size_t>(y) * width + px) * 3 + c];
    }
  }
  const std::int64_t sum = static_cast<std::int32_t>(static_cast<std::uint32_t>(total));
  std::int64_t scale = kernel.scale == 0 ? 1 : kernel.scale;
  std::int64_t value;
  bool power = false;
  for (int s = 0; s <= 17; ++s) power = power || scale == (std::int64_t{1} << s);
  if (power) {
    // Arithmetic shift: rounds toward minus infinity.
    value = sum >= 0 ? sum / scale : -((-sum + scale - 1) / scale);
  } else {
    value = sum / scale;  // truncates toward zero
  }
  return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

inline std::vector<std::uint8_t> ReferencePage(const Kernel& kernel,
                                               const std::vector<std::uint8_t>& page, int width,
                                               int height) {
  std::vector<std::uint8_t> out(page.size());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        out[(static_cast<std::size_t>(y) * width + x) * 3 + c] =
            ReferenceSample(kernel, page, width, height, y, x, c);
      }
    }
  }
  return out;
}

}  // namespace k7730::test
