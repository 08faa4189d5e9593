// The standard-call twins as a host finds them: resolved by their decorated
// names, each giving exactly what its plain export gives.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "k7730fe_cmm.h"
#include "cmm/profile_builder.h"
#include "support/module_api.h"

namespace k7730::test {
namespace {

struct Twins {
  void* module = OpenLibrary(K7730FE_MODULE_PATH);
#define K7730_TWIN(name, member, bytes, ...) \
  decltype(&name##_) name = Symbol<decltype(&name##_)>(module, "_" #name "_@" #bytes);
  K7730_CMM_EXPORTS(K7730_TWIN)
#undef K7730_TWIN
  ~Twins() {
    if (module != nullptr) CloseLibrary(module);
  }
};

// The plain exports, as every host resolves them.
using Plain = ModuleApi;

TEST(StandardCallTwins, ProfileAccessMatchesThePlainExports) {
  Twins t;
  Plain p;
  const std::string path = GeneratedProfile("rgb_lut16.icc");
  K7730_ProfileRef viaTwin = 0, viaPlain = 0;
  ASSERT_EQ(t.SDKCMOpenProfile(path.c_str(), &viaTwin), 0);
  ASSERT_EQ(p.openProfile(path.c_str(), &viaPlain), 0);

  K7730_ProfileHeader a{}, b{};
  t.SDKCMGetProfileHeader(&viaTwin, &a);
  p.getProfileHeader(&viaPlain, &b);
  EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
  EXPECT_EQ(a.colorSpace, K7730_SIG_RGB);

  std::uint32_t countTwin = 0, countPlain = 0;
  t.SDKCMGetTagTableInfo(&viaTwin, &countTwin, nullptr);
  p.getTagTableInfo(&viaPlain, &countPlain, nullptr);
  ASSERT_EQ(countTwin, countPlain);
  ASSERT_GT(countTwin, 0u);
  std::vector<std::uint8_t> tableTwin(K7730_TAG_TABLE_BYTES(countTwin)), tablePlain(tableTwin.size());
  t.SDKCMGetTagTableInfo(&viaTwin, &countTwin, reinterpret_cast<K7730_TagTable*>(tableTwin.data()));
  p.getTagTableInfo(&viaPlain, &countPlain, reinterpret_cast<K7730_TagTable*>(tablePlain.data()));
  EXPECT_EQ(tableTwin, tablePlain);

  const std::uint32_t tag = reinterpret_cast<K7730_TagTable*>(tableTwin.data())->entries[0].signature;
  std::uint32_t bytesTwin = 16, bytesPlain = 16;
  std::uint8_t elementTwin[16] = {}, elementPlain[16] = {};
  EXPECT_EQ(t.SDKCMGetPartialProfileElement(&viaTwin, tag, 0, &bytesTwin, elementTwin),
            p.getPartialProfileElement(&viaPlain, tag, 0, &bytesPlain, elementPlain));
  EXPECT_EQ(bytesTwin, bytesPlain);
  EXPECT_EQ(std::memcmp(elementTwin, elementPlain, sizeof elementTwin), 0);

  EXPECT_EQ(t.SDKCMCloseProfile(&viaTwin), 1);  // the system's close result
  EXPECT_EQ(p.closeProfile(&viaPlain), 1);
  K7730_ProfileRef missing = 0;
  EXPECT_EQ(t.SDKCMOpenProfile("Z:/nonexistent/k7730.icc", &missing), -1);
}

TEST(StandardCallTwins, ColorWorldsMatchAndExportAsThePlainOnes) {
  Twins t;
  Plain p;
  K7730_CurveLutSet curvesTwin, curvesPlain;
  t.SDKCMCreatLUT(100, 90, 100, 110, 100, &curvesTwin);
  p.creatLUT(100, 90, 100, 110, 100, &curvesPlain);
  EXPECT_EQ(std::memcmp(&curvesTwin, &curvesPlain, sizeof curvesTwin), 0);

  auto build = [](auto open, auto close, auto create, const K7730_CurveLutSet* curves) {
    K7730_ProfileRef src = 0, dst = 0;
    EXPECT_EQ(open(GeneratedProfile("rgb_gamma22.icc").c_str(), &src), 0);
    EXPECT_EQ(open(GeneratedProfile("rgb_lut16.icc").c_str(), &dst), 0);
    K7730_ColorWorld world = create(0, &src, curves, &dst, nullptr);
    close(&src);
    close(&dst);
    return world;
  };

  // Matrix/TRC sources share process-wide tables: one world at a time.
  std::vector<std::uint8_t> pixels(3 * 256), viaPlain, viaTwin, planes(3 * 256);
  for (int i = 0; i < 3 * 256; ++i) pixels[i] = std::uint8_t(i * 7 / 3);
  std::vector<std::uint8_t> recordPlain(K7730_IPB_RECORD_SIZE), recordTwin(K7730_IPB_RECORD_SIZE);
  {
    K7730_ColorWorld world = build(p.openProfile, p.closeProfile, p.createColorWorld, &curvesPlain);
    ASSERT_NE(world, 0u);
    viaPlain = pixels;
    K7730_PixelMap map{256, 1, 3, 768, viaPlain.data()};
    EXPECT_EQ(p.matchPixelMap(world, &map, nullptr), 0);
    EXPECT_EQ(p.convertColorWorldToIPB(world, recordPlain.data()), K7730_IPB_RECORD_SIZE);
    p.disposeColorWorld(world);
  }
  K7730_ColorWorld world = build(t.SDKCMOpenProfile, t.SDKCMCloseProfile, t.SDKCMCreateColorWorld, &curvesTwin);
  ASSERT_NE(world, 0u);
  EXPECT_EQ(t.SDKCMGetNumsOfInPixComp(world), 3u);
  EXPECT_EQ(t.SDKCMGetNumsOfOutPixComp(world), 3u);
  viaTwin = pixels;
  K7730_PixelMap map{256, 1, 3, 768, viaTwin.data()};
  EXPECT_EQ(t.SDKCMMatchPixelMap(world, &map, nullptr), 0);
  EXPECT_EQ(viaTwin, viaPlain);

  // The same pixels as three planes of one row each.
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) planes[c * 256 + i] = pixels[3 * i + c];
  K7730_PlaneMap planeMap{256, 1, 3, 256, {planes.data(), planes.data() + 256, planes.data() + 512, nullptr}};
  EXPECT_EQ(t.SDKCMMatchPlaneMap(world, &planeMap, nullptr), 0);
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(planes[c * 256 + i], viaPlain[3 * i + c]) << i << "," << c;

  EXPECT_EQ(t.SDKCMConvertColorWorldToIPB(world, recordTwin.data()), K7730_IPB_RECORD_SIZE);
  EXPECT_EQ(recordTwin, recordPlain);
  t.SDKCMDisposeColorWorld(world);
  EXPECT_EQ(t.SDKCMMatchPixelMap(world, &map, nullptr), -1);
}

}  // namespace
}  // namespace k7730::test
