// The integer and double pieces of the grid: weights, index tables, CLUT
// interpolation and the CIE conversions. The matrix inverse, the 16-bit
// curves and falling interpolation are checked through the ColorWorlds.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cmm/grid_math.h"
#include "cmm/pcs_math.h"

namespace k7730::cmm {
namespace {

TEST(TableMath, WeightsOfBothGrids) {
  // {grid points, input, weight}: 8-wide cells of the 33-point grid, 16-wide
  // of the 17-point one, and their stretched last cells ending at 256.
  const std::uint32_t cases[][3] = {{33, 0, 0},    {33, 7, 224},   {33, 8, 0},     {33, 247, 224},
                                    {33, 248, 0},  {33, 249, 36},  {33, 254, 219}, {33, 255, 256},
                                    {17, 15, 240}, {17, 240, 0},   {17, 241, 17},  {17, 255, 256}};
  std::uint32_t w[256];
  for (const auto& [grid, at, weight] : cases) {
    FillWeights8(grid, w);
    EXPECT_EQ(w[at], weight) << grid << " points, input " << at;
  }
  std::vector<std::uint32_t> w16(65536);
  FillWeights16(w16.data());
  for (std::uint32_t v = 0; v < 65536; v += 2056) EXPECT_EQ(w16[v], 0u) << v;
  EXPECT_EQ(w16[2055], 255u);
  EXPECT_EQ(w16[65535], 256u);
  for (std::uint32_t v = 0; v < 65536; ++v) ASSERT_LE(w16[v], 256u);
}

TEST(TableMath, GridIndex) {
  GridIndex idx[256];
  BuildGridIndex(33, idx);
  EXPECT_EQ(idx[0].index, 0u);
  EXPECT_EQ(idx[0].fraction, 0u);
  EXPECT_EQ(idx[4].fraction, 32897u);  // 32896.502, rounded
  EXPECT_EQ(idx[255].index, 31u);
  EXPECT_EQ(idx[255].fraction, 65536u);
  for (std::uint32_t n : {2u, 9u, 17u, 33u, 255u}) {
    BuildGridIndex(n, idx);
    for (int v = 0; v < 256; ++v) {
      ASSERT_LE(idx[v].index, n - 2);
      ASSERT_LE(idx[v].fraction, 65536u);
    }
  }
}

TEST(TableMath, ClutInterpolation) {
  // A 3-input, 3-output CLUT of 5 points whose entries encode their node.
  const std::uint32_t n = 5;
  std::vector<std::uint8_t> clut;
  for (std::uint32_t i = 0; i < n; ++i)
    for (std::uint32_t j = 0; j < n; ++j)
      for (std::uint32_t k = 0; k < n; ++k)
        for (std::uint32_t v : {i, j, k}) clut.push_back(std::uint8_t(v * 60));
  std::uint32_t stride[4];
  ClutStrides(3, 3, n, stride);
  EXPECT_EQ(std::vector<std::uint32_t>(stride, stride + 3), (std::vector<std::uint32_t>{75, 15, 3}));
  std::uint32_t index[3] = {1, 2, 3}, zero[3] = {0, 0, 0}, half[3] = {32768, 32768, 32768};
  std::uint8_t out[3];
  InterpolateClut3(index, zero, stride, clut.data(), 3, out);
  EXPECT_EQ(std::vector<int>(out, out + 3), (std::vector<int>{60, 120, 180}));
  InterpolateClut3(index, half, stride, clut.data(), 3, out);
  EXPECT_EQ(std::vector<int>(out, out + 3), (std::vector<int>{90, 150, 210}));

  // Four inputs, three outputs: output o is input channel o's position.
  std::vector<std::uint8_t> clut4;
  for (std::uint32_t i = 0; i < 3; ++i)
    for (std::uint32_t j = 0; j < 3; ++j)
      for (std::uint32_t k = 0; k < 3; ++k)
        for (std::uint32_t l = 0; l < 3; ++l)
          for (std::uint32_t v : {i, j, l}) clut4.push_back(std::uint8_t(v * 100));
  ClutStrides(4, 3, 3, stride);
  std::uint32_t index4[4] = {1, 0, 1, 1}, frac4[4] = {65536, 16384, 0, 65536};
  InterpolateClut4(index4, frac4, stride, clut4.data(), 3, out);
  EXPECT_EQ(std::vector<int>(out, out + 3), (std::vector<int>{200, 25, 200}));
}

TEST(TableMath, LabConversions) {
  const double white[3] = {0.9642, 1.0, 0.8249};
  double lab[3], xyz[3];
  const double labWhite[3] = {100, 0, 0};
  XyzToLab(white, white, lab);
  LabToXyz(labWhite, white, xyz);
  for (int c = 0; c < 3; ++c) {
    EXPECT_NEAR(lab[c], labWhite[c], 1e-9);
    EXPECT_NEAR(xyz[c], white[c], 1e-9);
  }
  // Round trips, including the linear segment near black.
  for (double y : {0.001, 0.005, 0.2, 0.7}) {
    const double in[3] = {y * 0.9, y, y * 1.1};
    XyzToLab(in, white, lab);
    LabToXyz(lab, white, xyz);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(xyz[c], in[c], 1e-3 * y + 1e-6);
  }
}

}  // namespace
}  // namespace k7730::cmm
