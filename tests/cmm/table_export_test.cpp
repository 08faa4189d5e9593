// SDKCMCreatLUT's gamma tables and SDKCMConvertColorWorldToIPB's record,
// read back byte by byte from the big-endian layout.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cmm/color_world.h"
#include "profile_builder.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

const std::string kLut8 = GeneratedProfile("rgb_lut8.icc");
const std::string kLut16 = GeneratedProfile("rgb_lut16.icc");
const std::string kGamma22 = GeneratedProfile("rgb_gamma22.icc");
const std::string kCmyk = GeneratedProfile("cmyk_lut8.icc");

TEST(CreatLut, GammasGiveTheirPowerTables) {
  K7730_CurveLutSet set;
  SDKCMCreatLUT(100, 100, 100, 100, 100, &set);
  for (int t = 0; t < 5; ++t)
    for (int i = 0; i < 256; ++i) ASSERT_EQ(set.tables[t][i], i) << t;

  // Every table has its own gamma.
  SDKCMCreatLUT(200, 100, 0, -50, 45, &set);
  EXPECT_EQ(set.tables[0][128], 64);  // 128^2 / 255 = 64.25
  EXPECT_EQ(set.tables[0][0], 0);
  EXPECT_EQ(set.tables[0][255], 255);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(set.tables[0][i], int(std::pow(i / 255.0, 2.0) * 255.0 + 0.5)) << i;
    EXPECT_EQ(set.tables[1][i], i);
    // Power 0 is 1 everywhere; negative powers exceed 1 (infinite at 0).
    EXPECT_EQ(set.tables[2][i], 255) << i;
    EXPECT_EQ(set.tables[3][i], 255) << i;
    EXPECT_EQ(set.tables[4][i], int(std::pow(i / 255.0, 0.45) * 255.0 + 0.5)) << i;
  }
}

std::uint32_t BigEndian16(const std::vector<std::uint8_t>& r, std::size_t at) { return (r[at] << 8) | r[at + 1]; }

TEST(ConvertColorWorldToIpb, RecordHoldsEverySecondNodeTimesSixteen) {
  for (const std::string& src : {kLut8, kGamma22}) {
    World w(src, kLut16, 0);
    ASSERT_NE(w.handle(), 0u);
    EXPECT_EQ(SDKCMConvertColorWorldToIPB(w.handle(), nullptr), 29484u);
    std::vector<std::uint8_t> record(29484 + 16, 0xEE);
    ASSERT_EQ(SDKCMConvertColorWorldToIPB(w.handle(), record.data()), 29484u);
    const std::uint8_t header[6] = {0x1B, 0x5A, 0x33, 0x03, 0x04, 0x04};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(record[i], header[i]) << i;
    for (std::size_t i = 29484; i < record.size(); ++i) ASSERT_EQ(record[i], 0xEE) << "written past the record";

    for (std::uint32_t c = 0; c < 17; ++c)
      for (std::uint32_t b = 0; b < 17; ++b)
        for (std::uint32_t a = 0; a < 17; ++a) {
          const std::uint8_t* node = w.Grid() + cmm::GridOffset3(2 * a, 2 * b, 2 * c);
          const std::size_t position = (c * 17 + b) * 17 + a;
          for (std::uint32_t o = 0; o < 3; ++o)
            ASSERT_EQ(BigEndian16(record, 6 + o * 9826 + position * 2), node[o] * 16u)
                << src << " sample " << a << "," << b << "," << c << " output " << o;
        }
    // The white corner, sample (16, 16, 16), is the last value of each
    // plane and comes from grid node (32, 32, 32): inputs 255, 255, 255.
    std::uint8_t white[3] = {255, 255, 255}, raw[3];
    const std::uint8_t* corner = w.Grid() + cmm::GridOffset3(32, 32, 32);
    for (std::uint32_t o = 0; o < 3; ++o) {
      EXPECT_EQ(BigEndian16(record, 6 + o * 9826 + 4912 * 2), corner[o] * 16u);
      raw[o] = corner[o];
    }
    // With the lut source's identity input curves, matching white gives that
    // node through the output curves.
    if (src == kLut8) {
      K7730_PixelMap map{1, 1, 3, 3, white};
      ASSERT_EQ(SDKCMMatchPixelMap(w.handle(), &map, nullptr), 0);
      for (int o = 0; o < 3; ++o) EXPECT_EQ(white[o], w.header()->outCurve[o][raw[o]]);
    }
  }
}

TEST(ConvertColorWorldToIpb, OnlyThreeToThreeColorWorldsAreExported) {
  World toCmyk(kLut8, kCmyk, 0), fromCmyk(kCmyk, kLut8, 0), cmyk(kCmyk, kCmyk, 0);
  for (const World* w : {&toCmyk, &fromCmyk, &cmyk}) {
    ASSERT_NE(w->handle(), 0u);
    std::vector<std::uint8_t> record(29484, 0xEE);
    EXPECT_EQ(SDKCMConvertColorWorldToIPB(w->handle(), record.data()), 0u);
    EXPECT_EQ(SDKCMConvertColorWorldToIPB(w->handle(), nullptr), 0u);
    EXPECT_EQ(record, std::vector<std::uint8_t>(29484, 0xEE));
  }
  std::vector<std::uint8_t> record(29484, 0xEE);
  EXPECT_EQ(SDKCMConvertColorWorldToIPB(0, record.data()), 0u);
  EXPECT_EQ(record, std::vector<std::uint8_t>(29484, 0xEE));
}

}  // namespace
}  // namespace k7730::test
