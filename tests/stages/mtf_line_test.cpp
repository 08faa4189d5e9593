// The MTF line: exact division by multiplication, and the line in every
// instruction set against a plain sum of the taps: every kernel shape, shift
// and reciprocal normalisations, sums beyond both ends of the byte range,
// and line widths around the vector lengths. Scales at the edges of their
// ranges are compared with the plain reference through the exports.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "stages/mtf_filter.h"
#include "stages/mtf_line.h"
#include "support/instruction_sets.h"

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

struct Lines {
  std::vector<std::uint8_t> bytes[5];
  const std::uint8_t* rows[5];
};

Lines RandomLines(std::uint32_t width, std::mt19937& rng) {
  Lines l;
  for (int r = 0; r < 5; ++r) {
    l.bytes[r].resize(width * 3 + 2 * kMtfPadBytes);
    for (auto& b : l.bytes[r]) b = static_cast<std::uint8_t>(rng());
    l.rows[r] = l.bytes[r].data() + kMtfPadBytes;
  }
  return l;
}

std::vector<std::uint8_t> PlainLine(const MtfState& state, const Lines& l) {
  std::vector<std::uint8_t> out(state.width * 3);
  for (std::size_t i = 0; i < out.size(); ++i) {
    std::int64_t sum = 0;
    for (int k = 0; k < 25; ++k)
      if (state.nonZeroMask & (1u << k)) sum += std::int64_t{state.coefficients[k]} * l.rows[k / 5][i + (k % 5 - 2) * 3];
    out[i] = MtfNormalise(state, static_cast<std::int32_t>(sum));
  }
  return out;
}

TEST(MtfVector, EverySetGivesThePlainSums) {
  std::mt19937 rng(19);
  const std::int32_t scales[] = {1, 16, 100, 7, 131072, 1000003};
  const std::uint32_t widths[] = {1, 5, 6, 11, 21, 22, 43, 100, 257};
  ForEachInstructionSet([&](InstructionSet) {
    for (int round = 0; round < 60; ++round) {
      K7730_MtfSettings settings{};
      const int shape = round % 4;  // full 3 x 3, cross, full 5 x 5, sparse
      const std::int32_t range = round % 3 == 0 ? 32767 : 300;
      for (int k = 0; k < 25; ++k) {
        const int row = k / 5, col = k % 5;
        const bool inner = row >= 1 && row <= 3 && col >= 1 && col <= 3, cross = row == 2 || col == 2;
        const bool used[] = {inner, inner && cross, true, rng() % 3 == 0};
        if (used[shape]) settings.coefficients[k] = std::int32_t(rng() % (2 * range + 1)) - range;
      }
      settings.coefficients[12] = range;
      settings.scale = scales[round % 6];
      const std::uint32_t width = widths[round % 9];
      MtfState state{};
      MtfStartPage(state, settings, width, 8, 3);
      const Lines lines = RandomLines(width, rng);
      std::vector<std::uint8_t> got(width * 3);
      MtfComputeLine(state, lines.rows, got.data());
      ASSERT_EQ(got, PlainLine(state, lines)) << "round " << round << " width " << width;
    }
  });
}

}  // namespace
}  // namespace k7730::test
