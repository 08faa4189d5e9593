// The MTF filter's normalisation: exact division by multiplication, and the
// shift and division at the edges of their ranges. The sums of every kernel
// shape are compared with the plain reference through the exports.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "stages/mtf_filter.h"
#include "stages/mtf_line.h"

namespace k7730::test {
namespace {

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
