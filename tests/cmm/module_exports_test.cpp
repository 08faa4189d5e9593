// The colour engine as a host finds it in the built module: every entry
// point resolves by name, and a profile pair opened, built into a
// ColorWorld, matched and exported through them.
#include <gtest/gtest.h>

#include <vector>

#include "k7730fe_cmm.h"
#include "profile_builder.h"
#include "support/dynamic_module.h"

namespace k7730::test {
namespace {

TEST(ModuleExports, MatchAnImageAndExportItsTable) {
  void* module = OpenLibrary(K7730FE_MODULE_PATH);
  ASSERT_NE(module, nullptr) << LibraryError();
  for (const char* name : {"SDKCMGetProfileHeader", "SDKCMGetTagTableInfo", "SDKCMGetPartialProfileElement",
                           "SDKCMMatchPlaneMap", "SDKCMGetNumsOfInPixComp", "SDKCMGetNumsOfOutPixComp"})
    EXPECT_NE(LibrarySymbol(module, name), nullptr) << name;
#define GET(fn) Symbol<decltype(&fn)>(module, #fn)
  auto open = GET(SDKCMOpenProfile);
  auto close = GET(SDKCMCloseProfile);
  auto create = GET(SDKCMCreateColorWorld);
  auto dispose = GET(SDKCMDisposeColorWorld);
  auto match = GET(SDKCMMatchPixelMap);
  auto creatLut = GET(SDKCMCreatLUT);
  auto toIpb = GET(SDKCMConvertColorWorldToIPB);
  for (void* f : {(void*)open, (void*)close, (void*)create, (void*)dispose, (void*)match, (void*)creatLut, (void*)toIpb})
    ASSERT_NE(f, nullptr);

  K7730_ProfileRef src = 0, dst = 0;
  ASSERT_EQ(open(GeneratedProfile("rgb_gamma22.icc").c_str(), &src), 0);
  ASSERT_EQ(open(GeneratedProfile("rgb_lut16.icc").c_str(), &dst), 0);
  K7730_CurveLutSet curves;
  creatLut(100, 90, 100, 110, 100, &curves);
  K7730_ColorWorld world = create(0, &src, &curves, &dst, nullptr);
  close(&src);
  close(&dst);
  ASSERT_NE(world, 0u);
  std::vector<std::uint8_t> pixels(3 * 256);
  for (int i = 0; i < 3 * 256; ++i) pixels[i] = std::uint8_t(i / 3);
  K7730_PixelMap map{256, 1, 3, 768, pixels.data()};
  EXPECT_EQ(match(world, &map, nullptr), 0);
  std::vector<std::uint8_t> record(29484);
  EXPECT_EQ(toIpb(world, record.data()), 29484u);
  EXPECT_EQ(record[0], 0x1B);
  dispose(world);
  EXPECT_EQ(match(world, &map, nullptr), -1);
#undef GET
  CloseLibrary(module);
}

}  // namespace
}  // namespace k7730::test
