// The MTF filter's sum and normalisation against the plain reference: the
// zero-skipping tap list (five-tap cross, nine-tap plus, sparse kernels), the
// multiply-and-shift division and the wrapping of out-of-range sums.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "support/mtf_reference.h"
#include "stages/mtf_filter.h"
#include "stages/mtf_line.h"

namespace k7730::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Runs a whole page through the filter in one band.
Bytes FilterPage(const Kernel& kernel, const Bytes& page, std::uint32_t width, std::uint32_t height) {
  K7730_MtfSettings settings{};
  for (int i = 0; i < 25; ++i) settings.coefficients[i] = kernel.k[i];
  settings.scale = kernel.scale;
  MtfState state{};
  std::vector<std::uint8_t> lineBlock(MtfLineBlockBytes(width));
  MtfAttachLines(state, lineBlock.data(), width);
  MtfStartPage(state, settings, width, height, 3);
  Bytes out((static_cast<std::size_t>(height) + 2) * width * 3, 0xAA);
  std::size_t bytes = 0;
  std::uint32_t lines = 0;
  MtfFilterBand(state, width, height, out.data(), page.data(), &bytes, &lines);
  EXPECT_EQ(lines, height);
  EXPECT_EQ(bytes, static_cast<std::size_t>(height) * width * 3);
  for (std::size_t i = bytes; i < out.size(); ++i) EXPECT_EQ(out[i], 0) << "spare byte " << i;
  out.resize(bytes);
  return out;
}

Bytes RandomPage(std::mt19937& rng, std::uint32_t width, std::uint32_t height) {
  Bytes page(static_cast<std::size_t>(width) * height * 3);
  for (auto& v : page) v = static_cast<std::uint8_t>(rng() % 4 == 0 ? 255 : rng());
  return page;
}

TEST(MtfKernels, EveryShapeAndOutOfRangeKernelsMatchTheFullSum) {
  std::mt19937 rng(20);
  const std::int32_t scales[] = {1, 3, 4, 5, 100, 128, 131072, 99999, 7777};
  for (Shape shape : {Shape::Cross, Shape::FullThree, Shape::Plus, Shape::FullFive, Shape::Sparse}) {
    for (int round = 0; round < 30; ++round) {
      // Widths across the block size of the sum, and width 1.
      const std::uint32_t width = round == 0 ? 1 : 1 + rng() % 400, height = 1 + rng() % 7;
      Kernel k = ShapedKernel(rng, shape, -9999, 9999);
      k.scale = round < 9 ? scales[round] : static_cast<std::int32_t>(2 + rng() % 99998);
      const Bytes page = RandomPage(rng, width, height);
      ASSERT_EQ(FilterPage(k, page, width, height), ReferencePage(k, page, width, height))
          << "shape " << static_cast<int>(shape) << " width " << width << " scale " << k.scale;
    }
  }
  // Sums that wrap: coefficients and scales outside the setter's ranges.
  const std::int32_t wild[] = {0, -1, -3, INT32_MIN, INT32_MAX, 262144, 1 << 30, 8388607, 8388608};
  for (int round = 0; round < 40; ++round) {
    Kernel k = ShapedKernel(rng, round % 2 ? Shape::FullFive : Shape::Sparse, INT32_MIN, INT32_MAX);
    if (round % 5 == 0) {
      for (auto& c : k.k) c = c == 0 ? 0 : (round % 10 == 0 ? INT32_MIN : INT32_MAX);
    }
    k.scale = wild[round % 9];
    const std::uint32_t width = 1 + rng() % 9, height = 1 + rng() % 6;
    const Bytes page = RandomPage(rng, width, height);
    ASSERT_EQ(FilterPage(k, page, width, height), ReferencePage(k, page, width, height)) << "round " << round;
  }
}

MtfState StateWithScale(std::int32_t scale) {
  K7730_MtfSettings settings{};
  settings.coefficients[12] = 1;
  settings.scale = scale;
  MtfState state{};
  MtfStartPage(state, settings, 1, 1, 3);
  return state;
}

TEST(MtfKernels, DivisionByMultiplicationIsExact) {
  std::mt19937 rng(22);
  std::vector<std::int32_t> divisors = {99999, 8388607};
  for (std::int32_t d = 3; d <= 2000; ++d) divisors.push_back(d);
  for (int i = 0; i < 300; ++i) divisors.push_back(2001 + static_cast<std::int32_t>(rng() % 8386000));
  for (std::int32_t d : divisors) {
    if ((d & (d - 1)) == 0) continue;  // powers of two take the shift
    const MtfState state = StateWithScale(d);
    ASSERT_EQ(state.useDivision, 1u);
    for (std::int64_t q = 0; q <= 256; ++q) {
      for (std::int64_t sum : {q * d - 1, q * d, q * d + 1, q * d + d / 2}) {
        if (sum > INT32_MAX) continue;
        ASSERT_EQ(MtfNormalise(state, static_cast<std::int32_t>(sum)), std::clamp<std::int64_t>(sum / d, 0, 255))
            << "sum " << sum << " divisor " << d;
      }
    }
    ASSERT_EQ(MtfNormalise(state, INT32_MAX), 255);
    ASSERT_EQ(MtfNormalise(state, INT32_MIN), 0);
  }
}

TEST(MtfKernels, ShiftAndDivisionAgreeAfterClamping) {
  // -1 ends at 0 whether shifted (4) or divided (3); negative scales
  // truncate, -1 with the lowest sum is defined; scale 0 counts as 1.
  const struct { std::int32_t scale, sum, expected; } cases[] = {
      {4, -1, 0}, {3, -1, 0}, {1, 255, 255}, {131072, 131072 * 200 + 5, 200}, {-1, INT32_MIN, 255},
      {-3, -300, 100}, {INT32_MIN, INT32_MIN, 1}, {0, 77, 77}};
  for (const auto& c : cases) EXPECT_EQ(MtfNormalise(StateWithScale(c.scale), c.sum), c.expected) << c.scale;
}

}  // namespace
}  // namespace k7730::test
