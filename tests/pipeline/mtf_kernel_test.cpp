// The MTF filter's sum and normalisation against the plain reference: the
// zero-skipping tap list (five-tap cross, nine-tap plus, sparse kernels), the
// multiply-and-shift division and the wrapping of out-of-range sums.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "mtf_reference.h"
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

enum class Shape { Cross, FullThree, Plus, FullFive, Sparse };

Kernel ShapedKernel(std::mt19937& rng, Shape shape, int lo, int hi) {
  Kernel k;
  std::uniform_int_distribution<int> value(lo, hi);
  for (int i = 0; i < 25; ++i) {
    const int row = i / 5, col = i % 5;
    const bool inner = row >= 1 && row <= 3 && col >= 1 && col <= 3;
    const bool onCross = row == 2 || col == 2;
    bool used = false;
    switch (shape) {
      case Shape::Cross: used = inner && onCross; break;
      case Shape::FullThree: used = inner; break;
      case Shape::Plus: used = onCross; break;
      case Shape::FullFive: used = true; break;
      case Shape::Sparse: used = rng() % 4 == 0; break;
    }
    if (used) k.k[i] = value(rng);
  }
  return k;
}

TEST(MtfKernels, EveryShapeMatchesTheFullSum) {
  std::mt19937 rng(20);
  const std::int32_t scales[] = {1, 3, 4, 5, 100, 128, 131072, 99999, 7777};
  for (Shape shape : {Shape::Cross, Shape::FullThree, Shape::Plus, Shape::FullFive, Shape::Sparse}) {
    for (int round = 0; round < 30; ++round) {
      // Widths across the block size of the sum, and width 1.
      const std::uint32_t width = round == 0 ? 1 : std::uniform_int_distribution<std::uint32_t>(1, 400)(rng);
      const std::uint32_t height = std::uniform_int_distribution<std::uint32_t>(1, 7)(rng);
      Kernel k = ShapedKernel(rng, shape, -9999, 9999);
      k.scale = round < 9 ? scales[round] : std::uniform_int_distribution<std::int32_t>(2, 99999)(rng);
      Bytes page(static_cast<std::size_t>(width) * height * 3);
      for (auto& v : page) v = static_cast<std::uint8_t>(rng());
      ASSERT_EQ(FilterPage(k, page, width, height), ReferencePage(k, page, width, height))
          << "shape " << static_cast<int>(shape) << " width " << width << " scale " << k.scale;
    }
  }
}

TEST(MtfKernels, OutOfRangeKernelsWrapWithoutUndefinedBehaviour) {
  std::mt19937 rng(21);
  const std::int32_t scales[] = {0, -1, -3, INT32_MIN, INT32_MAX, 262144, 1 << 30, 8388607, 8388608};
  for (int round = 0; round < 40; ++round) {
    Kernel k = ShapedKernel(rng, round % 2 ? Shape::FullFive : Shape::Sparse, INT32_MIN, INT32_MAX);
    if (round % 5 == 0) {
      for (auto& c : k.k) c = c == 0 ? 0 : (round % 10 == 0 ? INT32_MIN : INT32_MAX);
    }
    k.scale = scales[round % 9];
    const std::uint32_t width = 1 + rng() % 9, height = 1 + rng() % 6;
    Bytes page(static_cast<std::size_t>(width) * height * 3);
    for (auto& v : page) v = static_cast<std::uint8_t>(rng() % 4 == 0 ? 255 : rng());
    ASSERT_EQ(FilterPage(k, page, width, height), ReferencePage(k, page, width, height))
        << "round " << round;
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

std::uint8_t Expected(std::int64_t sum, std::int64_t d) {
  const std::int64_t q = sum / d;
  return static_cast<std::uint8_t>(q < 0 ? 0 : (q > 255 ? 255 : q));
}

TEST(MtfKernels, DivisionByMultiplicationIsExact) {
  std::vector<std::int32_t> divisors;
  for (std::int32_t d = 3; d <= 2000; ++d) divisors.push_back(d);
  std::mt19937 rng(22);
  for (int i = 0; i < 300; ++i) divisors.push_back(2001 + static_cast<std::int32_t>(rng() % 8386000));
  divisors.push_back(99999);
  divisors.push_back(8388607);
  for (std::int32_t d : divisors) {
    const MtfState state = StateWithScale(d);
    if ((d & (d - 1)) == 0) continue;  // powers of two take the shift
    ASSERT_EQ(state.useDivision, 1u);
    for (std::int64_t q = 0; q <= 256; ++q) {
      for (std::int64_t sum : {q * d - 1, q * d, q * d + 1, q * d + d / 2}) {
        if (sum > INT32_MAX) continue;
        ASSERT_EQ(MtfNormalise(state, static_cast<std::int32_t>(sum)), Expected(sum, d))
            << "sum " << sum << " divisor " << d;
      }
    }
    ASSERT_EQ(MtfNormalise(state, INT32_MAX), 255);
    ASSERT_EQ(MtfNormalise(state, INT32_MIN), 0);
  }
}

TEST(MtfKernels, ShiftAndDivisionAgreeAfterClamping) {
  // A sum of -1 ends at 0 whether shifted (scale 4) or divided (scale 3).
  EXPECT_EQ(MtfNormalise(StateWithScale(4), -1), 0);
  EXPECT_EQ(MtfNormalise(StateWithScale(3), -1), 0);
  EXPECT_EQ(MtfNormalise(StateWithScale(1), 255), 255);
  EXPECT_EQ(MtfNormalise(StateWithScale(131072), 131072 * 200 + 5), 200);
  // Negative scales divide with truncation; -1 with the lowest sum is defined.
  EXPECT_EQ(MtfNormalise(StateWithScale(-1), INT32_MIN), 255);
  EXPECT_EQ(MtfNormalise(StateWithScale(-3), -300), 100);
  EXPECT_EQ(MtfNormalise(StateWithScale(INT32_MIN), INT32_MIN), 1);
  // Scale 0 counts as 1.
  EXPECT_EQ(MtfNormalise(StateWithScale(0), 77), 77);
}

}  // namespace
}  // namespace k7730::test
