// The matching and table-export entry points as a host finds them in the
// built module.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <vector>

#include "k7730fe_cmm.h"
#include "profile_builder.h"

namespace k7730::test {
namespace {

class ModuleExports : public ::testing::Test {
 protected:
  void* module = nullptr;
  void SetUp() override {
    module = dlopen(K7730FE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
  }
  void TearDown() override {
    if (module != nullptr) dlclose(module);
  }
  template <typename F>
  F Get(const char* name) {
    return reinterpret_cast<F>(dlsym(module, name));
  }
};

TEST_F(ModuleExports, MatchAnImageAndExportItsTable) {
  auto open = Get<decltype(&SDKCMOpenProfile)>("SDKCMOpenProfile");
  auto close = Get<decltype(&SDKCMCloseProfile)>("SDKCMCloseProfile");
  auto create = Get<decltype(&SDKCMCreateColorWorld)>("SDKCMCreateColorWorld");
  auto dispose = Get<decltype(&SDKCMDisposeColorWorld)>("SDKCMDisposeColorWorld");
  auto match = Get<decltype(&SDKCMMatchPixelMap)>("SDKCMMatchPixelMap");
  auto matchPlanes = Get<decltype(&SDKCMMatchPlaneMap)>("SDKCMMatchPlaneMap");
  auto inCount = Get<decltype(&SDKCMGetNumsOfInPixComp)>("SDKCMGetNumsOfInPixComp");
  auto outCount = Get<decltype(&SDKCMGetNumsOfOutPixComp)>("SDKCMGetNumsOfOutPixComp");
  auto creatLut = Get<decltype(&SDKCMCreatLUT)>("SDKCMCreatLUT");
  auto toIpb = Get<decltype(&SDKCMConvertColorWorldToIPB)>("SDKCMConvertColorWorldToIPB");
  for (void* f : {(void*)open, (void*)close, (void*)create, (void*)dispose, (void*)match, (void*)matchPlanes,
                  (void*)inCount, (void*)outCount, (void*)creatLut, (void*)toIpb})
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
  EXPECT_EQ(inCount(world), 3u);
  EXPECT_EQ(outCount(world), 3u);

  // A grey ramp in place through both entry points gives the same bytes.
  std::vector<std::uint8_t> pixels(3 * 256), a(256), b(256), c(256);
  for (int i = 0; i < 256; ++i) pixels[3 * i] = pixels[3 * i + 1] = pixels[3 * i + 2] = a[i] = b[i] = c[i] = i;
  K7730_PixelMap map{256, 1, 3, 768, pixels.data()};
  K7730_PlaneMap planes{256, 1, 3, 256, {a.data(), b.data(), c.data(), nullptr}};
  EXPECT_EQ(match(world, &map, nullptr), 0);
  EXPECT_EQ(matchPlanes(world, &planes, nullptr), 0);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(pixels[3 * i], a[i]) << i;
    ASSERT_EQ(pixels[3 * i + 1], b[i]) << i;
    ASSERT_EQ(pixels[3 * i + 2], c[i]) << i;
  }
  std::vector<std::uint8_t> record(29484);
  EXPECT_EQ(toIpb(world, record.data()), 29484u);
  EXPECT_EQ(record[0], 0x1B);
  dispose(world);
  EXPECT_EQ(match(world, &map, nullptr), -1);
}

}  // namespace
}  // namespace k7730::test
