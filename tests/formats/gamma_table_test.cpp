// The two gamma-table rules: the tone-curve editor's, with black fixed at 0,
// and the colour engine's plain power, which differ only at entry 0 and
// only for gammas of 0 or below.
#include <gtest/gtest.h>

#include <array>

#include "formats/gamma_table.h"

namespace k7730 {
namespace {

using Table = std::array<std::uint8_t, 256>;

TEST(GammaTable, WorkedValuesAndHostileGammas) {
  Table t{};
  ComputeGammaTable(1.0, t.data());
  for (int x = 0; x < 256; ++x) EXPECT_EQ(t[x], x);
  ComputeGammaTable(2.0, t.data());
  EXPECT_EQ(t[128], 64);
  for (double g : {0.01, 0.45, 2.2, 10.0, 327.67}) {
    ComputeGammaTable(g, t.data());
    EXPECT_EQ(t[0], 0) << g;
    EXPECT_EQ(t[255], 255) << g;
    for (int x = 1; x < 256; ++x) EXPECT_GE(t[x], t[x - 1]) << g;
  }
  // Zero and negative gammas: 0 then 255 throughout, no division by zero.
  for (double g : {0.0, -1.0, -327.68}) {
    ComputeGammaTable(g, t.data());
    EXPECT_EQ(t[0], 0) << g;
    for (int x = 1; x < 256; ++x) EXPECT_EQ(t[x], 255) << g;
  }
}

TEST(GammaTable, PlainPowerDiffersOnlyAtBlackForGammasUpToZero) {
  for (double g : {0.01, 0.45, 1.0, 2.2, 327.67, 0.0, -0.01, -327.68}) {
    Table fixed{}, plain{};
    ComputeGammaTable(g, fixed.data());
    GammaTablePlainPower(g, plain.data());
    EXPECT_EQ(plain[0], g > 0 ? 0 : 255) << g;
    for (int x = 1; x < 256; ++x) ASSERT_EQ(plain[x], fixed[x]) << g << " at " << x;
  }
}

}  // namespace
}  // namespace k7730
