// The standard-call twins as a host finds them: resolved by their decorated
// names, each giving exactly what its plain export gives.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "k7730fe_cmm.h"
#include "cmm/profile_builder.h"
#include "support/dynamic_module.h"

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

struct Plain {
  void* module = OpenLibrary(K7730FE_MODULE_PATH);
#define K7730_PLAIN(name) decltype(&::name) name = Symbol<decltype(&::name)>(module, #name);
  K7730_PLAIN(SDKCMOpenProfile)
  K7730_PLAIN(SDKCMCloseProfile)
  K7730_PLAIN(SDKCMGetProfileHeader)
  K7730_PLAIN(SDKCMGetTagTableInfo)
  K7730_PLAIN(SDKCMGetPartialProfileElement)
  K7730_PLAIN(SDKCMCreateColorWorld)
  K7730_PLAIN(SDKCMDisposeColorWorld)
  K7730_PLAIN(SDKCMMatchPixelMap)
  K7730_PLAIN(SDKCMCreatLUT)
  K7730_PLAIN(SDKCMConvertColorWorldToIPB)
#undef K7730_PLAIN
  ~Plain() {
    if (module != nullptr) CloseLibrary(module);
  }
};

TEST(StandardCallTwins, EveryTwinResolvesByItsDecoratedNameOnly) {
  Twins t;
  ASSERT_NE(t.module, nullptr) << LibraryError();
  for (void* f : {(void*)t.SDKCMOpenProfile, (void*)t.SDKCMCloseProfile, (void*)t.SDKCMGetProfileHeader,
                  (void*)t.SDKCMGetTagTableInfo, (void*)t.SDKCMGetPartialProfileElement,
                  (void*)t.SDKCMCreateColorWorld, (void*)t.SDKCMDisposeColorWorld, (void*)t.SDKCMMatchPixelMap,
                  (void*)t.SDKCMMatchPlaneMap, (void*)t.SDKCMGetNumsOfInPixComp, (void*)t.SDKCMGetNumsOfOutPixComp,
                  (void*)t.SDKCMCreatLUT, (void*)t.SDKCMConvertColorWorldToIPB})
    EXPECT_NE(f, nullptr);
  // The functions behind the twins are not exported under their own names.
  for (const char* name : {"SDKCMOpenProfile_", "SDKCMOpenProfile_@8", "SDKCMCreatLUT_", "_SDKCMOpenProfile@8"})
    EXPECT_EQ(LibrarySymbol(t.module, name), nullptr) << name;
}

TEST(StandardCallTwins, ProfileAccessMatchesThePlainExports) {
  Twins t;
  Plain p;
  const std::string path = GeneratedProfile("rgb_lut16.icc");
  K7730_ProfileRef viaTwin = 0, viaPlain = 0;
  ASSERT_EQ(t.SDKCMOpenProfile(path.c_str(), &viaTwin), 0);
  ASSERT_EQ(p.SDKCMOpenProfile(path.c_str(), &viaPlain), 0);

  K7730_ProfileHeader a{}, b{};
  t.SDKCMGetProfileHeader(&viaTwin, &a);
  p.SDKCMGetProfileHeader(&viaPlain, &b);
  EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
  EXPECT_EQ(a.colorSpace, K7730_SIG_RGB);

  std::uint32_t countTwin = 0, countPlain = 0;
  t.SDKCMGetTagTableInfo(&viaTwin, &countTwin, nullptr);
  p.SDKCMGetTagTableInfo(&viaPlain, &countPlain, nullptr);
  ASSERT_EQ(countTwin, countPlain);
  ASSERT_GT(countTwin, 0u);
  std::vector<std::uint8_t> tableTwin(K7730_TAG_TABLE_BYTES(countTwin)), tablePlain(tableTwin.size());
  t.SDKCMGetTagTableInfo(&viaTwin, &countTwin, reinterpret_cast<K7730_TagTable*>(tableTwin.data()));
  p.SDKCMGetTagTableInfo(&viaPlain, &countPlain, reinterpret_cast<K7730_TagTable*>(tablePlain.data()));
  EXPECT_EQ(tableTwin, tablePlain);

  const std::uint32_t tag = reinterpret_cast<K7730_TagTable*>(tableTwin.data())->entries[0].signature;
  std::uint32_t bytesTwin = 16, bytesPlain = 16;
  std::uint8_t elementTwin[16] = {}, elementPlain[16] = {};
  EXPECT_EQ(t.SDKCMGetPartialProfileElement(&viaTwin, tag, 0, &bytesTwin, elementTwin),
            p.SDKCMGetPartialProfileElement(&viaPlain, tag, 0, &bytesPlain, elementPlain));
  EXPECT_EQ(bytesTwin, bytesPlain);
  EXPECT_EQ(std::memcmp(elementTwin, elementPlain, sizeof elementTwin), 0);

  EXPECT_EQ(t.SDKCMCloseProfile(&viaTwin), 1);  // the system's close result
  EXPECT_EQ(p.SDKCMCloseProfile(&viaPlain), 1);
  K7730_ProfileRef missing = 0;
  EXPECT_EQ(t.SDKCMOpenProfile("Z:/nonexistent/k7730.icc", &missing), -1);
}

TEST(StandardCallTwins, ColorWorldsMatchAndExportAsThePlainOnes) {
  Twins t;
  Plain p;
  K7730_CurveLutSet curvesTwin, curvesPlain;
  t.SDKCMCreatLUT(100, 90, 100, 110, 100, &curvesTwin);
  p.SDKCMCreatLUT(100, 90, 100, 110, 100, &curvesPlain);
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
    K7730_ColorWorld world = build(p.SDKCMOpenProfile, p.SDKCMCloseProfile, p.SDKCMCreateColorWorld, &curvesPlain);
    ASSERT_NE(world, 0u);
    viaPlain = pixels;
    K7730_PixelMap map{256, 1, 3, 768, viaPlain.data()};
    EXPECT_EQ(p.SDKCMMatchPixelMap(world, &map, nullptr), 0);
    EXPECT_EQ(p.SDKCMConvertColorWorldToIPB(world, recordPlain.data()), K7730_IPB_RECORD_SIZE);
    p.SDKCMDisposeColorWorld(world);
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
