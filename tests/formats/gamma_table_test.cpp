// The tone-curve editor's gamma tables, with black fixed at 0 (the colour
// engine's plain power is checked through SDKCMCreatLUT).
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

}  // namespace
}  // namespace k7730
