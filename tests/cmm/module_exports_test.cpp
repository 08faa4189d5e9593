// The colour engine as a host finds it in the built module: every entry
// point of the export list resolves by name, and a profile pair opened,
// built into a ColorWorld, matched and exported through them.
#include <gtest/gtest.h>

#include <vector>

#include "profile_builder.h"
#include "support/module_api.h"

namespace k7730::test {
namespace {

TEST(ModuleExports, MatchAnImageAndExportItsTable) {
  ModuleApi api;
#define K7730_EXPECT_RESOLVED(name, member, ...) EXPECT_NE(api.member, nullptr) << #name;
  K7730_CMM_EXPORTS(K7730_EXPECT_RESOLVED)
#undef K7730_EXPECT_RESOLVED
  ASSERT_FALSE(HasFailure());

  K7730_ProfileRef src = 0, dst = 0;
  ASSERT_EQ(api.openProfile(GeneratedProfile("rgb_gamma22.icc").c_str(), &src), 0);
  ASSERT_EQ(api.openProfile(GeneratedProfile("rgb_lut16.icc").c_str(), &dst), 0);
  K7730_CurveLutSet curves;
  api.creatLUT(100, 90, 100, 110, 100, &curves);
  K7730_ColorWorld world = api.createColorWorld(0, &src, &curves, &dst, nullptr);
  api.closeProfile(&src);
  api.closeProfile(&dst);
  ASSERT_NE(world, 0u);
  std::vector<std::uint8_t> pixels(3 * 256);
  for (int i = 0; i < 3 * 256; ++i) pixels[i] = std::uint8_t(i / 3);
  K7730_PixelMap map{256, 1, 3, 768, pixels.data()};
  EXPECT_EQ(api.matchPixelMap(world, &map, nullptr), 0);
  std::vector<std::uint8_t> record(29484);
  EXPECT_EQ(api.convertColorWorldToIPB(world, record.data()), 29484u);
  api.disposeColorWorld(world);
  EXPECT_EQ(api.matchPixelMap(world, &map, nullptr), -1);
}

}  // namespace
}  // namespace k7730::test
