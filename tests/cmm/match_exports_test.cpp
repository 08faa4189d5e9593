// The exports around the kernels: the matching exports' checks (everything
// that can be checked before a byte is touched is refused with -1 and
// leaves every buffer as it was; empty images succeed without writing), the
// component counts, SDKCMCreatLUT's gamma tables and
// SDKCMConvertColorWorldToIPB's big-endian record.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "cmm/color_world.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

// A source and a destination buffer, filled with marks so that any write shows.
struct Buffers {
  std::vector<std::uint8_t> source = std::vector<std::uint8_t>(4096, 0x11);
  std::vector<std::uint8_t> destination = std::vector<std::uint8_t>(4096, 0x22);
  bool Untouched() const {
    return source == std::vector<std::uint8_t>(4096, 0x11) && destination == std::vector<std::uint8_t>(4096, 0x22);
  }
};

class MatchExports : public ::testing::Test {
 protected:
  World rgb{kLut8, kLut8, 0};
  World wide{kGamma22, kLut8, 0};
  World toCmyk{kLut8, kCmykLut8, 0};
  World fromCmyk{kCmykLut8, kLut8, 0};
  World cmyk{kCmykLut8, kCmykLut8, 0};

  void SetUp() override {
    for (const World* w : {&rgb, &wide, &toCmyk, &fromCmyk, &cmyk}) ASSERT_NE(w->handle(), 0u);
  }
};

TEST_F(MatchExports, ComponentCountsAndHandlesThatNameNoColorWorld) {
  EXPECT_EQ(SDKCMGetNumsOfInPixComp(toCmyk.handle()), 3u);
  EXPECT_EQ(SDKCMGetNumsOfOutPixComp(toCmyk.handle()), 4u);
  EXPECT_EQ(SDKCMGetNumsOfInPixComp(fromCmyk.handle()), 4u);
  EXPECT_EQ(SDKCMGetNumsOfOutPixComp(fromCmyk.handle()), 3u);
  EXPECT_EQ(SDKCMGetNumsOfInPixComp(0), 0u);
  EXPECT_EQ(SDKCMGetNumsOfOutPixComp(0x12345), 0u);
  Buffers b;
  K7730_PixelMap src{4, 4, 3, 12, b.source.data()}, dst{4, 4, 3, 12, b.destination.data()};
  K7730_PlaneMap planes{4, 4, 3, 4, {b.source.data(), b.source.data() + 64, b.source.data() + 128, nullptr}};
  EXPECT_EQ(SDKCMMatchPixelMap(0, &src, &dst), -1);
  EXPECT_EQ(SDKCMMatchPixelMap(rgb.handle() + 0x100000u, &src, &dst), -1);
  EXPECT_EQ(SDKCMMatchPlaneMap(0, &planes, nullptr), -1);
  EXPECT_TRUE(b.Untouched());
}

// A map the export must refuse, with a destination or (in place) without.
template <typename Map>
struct RefusedMap {
  const char* what;
  const World& world;
  Map src;
  bool withDst;
  Map dst;
};

TEST_F(MatchExports, MapsThatDoNotFitAreRefusedWithoutWriting) {
  Buffers b;
  std::uint8_t* s = b.source.data();
  std::uint8_t* d = b.destination.data();
  const RefusedMap<K7730_PixelMap> cases[] = {
      {"source components", rgb, {4, 4, 4, 16, s}, true, {4, 4, 3, 12, d}},
      {"destination components", rgb, {4, 4, 3, 12, s}, true, {4, 4, 4, 16, d}},
      {"three to four in place", toCmyk, {4, 4, 3, 12, s}, false, {}},
      {"negative width", rgb, {-1, 4, 3, 12, s}, true, {4, 4, 3, 12, d}},
      {"negative height", rgb, {4, -4, 3, 12, s}, true, {4, 4, 3, 12, d}},
      {"negative destination height", rgb, {4, 4, 3, 12, s}, true, {4, -4, 3, 12, d}},
      {"source rows too short", rgb, {4, 4, 3, 11, s}, true, {4, 4, 3, 12, d}},
      {"destination rows too short", wide, {4, 4, 3, 12, s}, true, {4, 4, 3, 11, d}},
      {"four-component destination rows too short", toCmyk, {4, 4, 3, 12, s}, true, {4, 4, 4, 12, d}},
      {"null source base", rgb, {4, 4, 3, 12, nullptr}, true, {4, 4, 3, 12, d}},
      {"null destination base", rgb, {4, 4, 3, 12, s}, true, {4, 4, 3, 12, nullptr}},
      {"size beyond the address space", rgb, {INT_MAX, INT_MAX, 3, 0xFFFFFFFF, s}, true,
       {INT_MAX, INT_MAX, 3, 0xFFFFFFFF, d}},
      // Four-component pixels over three-component ones would overtake
      // the reads: any overlap is refused.
      {"three to four on the same buffer", toCmyk, {4, 4, 3, 12, s}, true, {4, 4, 4, 16, s}},
      {"three to four overlapping the end", toCmyk, {4, 4, 3, 12, s + 40}, true, {4, 4, 4, 16, s}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SDKCMMatchPixelMap(c.world.handle(), &c.src, c.withDst ? &c.dst : nullptr), -1) << c.what;
    EXPECT_TRUE(b.Untouched()) << c.what;
  }
  // Adjacent but not overlapping is fine.
  K7730_PixelMap src{4, 1, 3, 12, s}, dst{4, 1, 4, 16, s + 12};
  EXPECT_EQ(SDKCMMatchPixelMap(toCmyk.handle(), &src, &dst), 0);
}

TEST_F(MatchExports, PlaneMapsThatDoNotFitAreRefusedWithoutWriting) {
  Buffers b;
  std::uint8_t* s = b.source.data();
  std::uint8_t* d = b.destination.data();
  auto map = [](std::int32_t w, std::int32_t h, std::uint32_t n, std::uint32_t row, std::uint8_t* base) {
    K7730_PlaneMap m{w, h, n, row, {}};
    for (std::uint32_t c = 0; c < n; ++c) m.plane[c] = base + c * 256;
    return m;
  };
  K7730_PlaneMap missingPlane = map(4, 4, 3, 4, s);
  missingPlane.plane[1] = nullptr;
  K7730_PlaneMap sharedPlane = map(4, 4, 4, 4, d);
  sharedPlane.plane[3] = s + 256;  // the second source plane
  const RefusedMap<K7730_PlaneMap> cases[] = {
      {"source planes", rgb, map(4, 4, 4, 4, s), true, map(4, 4, 3, 4, d)},
      {"destination planes", fromCmyk, map(4, 4, 4, 4, s), true, map(4, 4, 4, 4, d)},
      {"three to four in place", toCmyk, map(4, 4, 3, 4, s), false, {}},
      {"negative width", cmyk, map(-4, 4, 4, 4, s), true, map(4, 4, 4, 4, d)},
      {"rows shorter than the width", rgb, map(4, 4, 3, 3, s), true, map(4, 4, 3, 4, d)},
      {"destination rows shorter than the width", wide, map(4, 4, 3, 4, s), true, map(4, 4, 3, 3, d)},
      {"missing plane", rgb, missingPlane, true, map(4, 4, 3, 4, d)},
      {"three to four sharing a plane", toCmyk, map(4, 4, 3, 4, s), true, sharedPlane},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SDKCMMatchPlaneMap(c.world.handle(), &c.src, c.withDst ? &c.dst : nullptr), -1) << c.what;
    EXPECT_TRUE(b.Untouched()) << c.what;
  }
}

TEST_F(MatchExports, EmptyImagesSucceedWithoutWriting) {
  Buffers b;
  for (const World* w : {&rgb, &wide, &toCmyk, &fromCmyk, &cmyk}) {
    const std::uint32_t in = SDKCMGetNumsOfInPixComp(w->handle()), out = SDKCMGetNumsOfOutPixComp(w->handle());
    for (auto [width, height] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
      std::uint8_t *s = b.source.data(), *d = b.destination.data();
      K7730_PixelMap src{width, height, in, width * in, s}, dst{width, height, out, width * out, d};
      EXPECT_EQ(SDKCMMatchPixelMap(w->handle(), &src, &dst), 0);
      K7730_PlaneMap psrc{width, height, in, std::uint32_t(width), {s, s, s, s}};
      K7730_PlaneMap pdst{width, height, out, std::uint32_t(width), {d, d, d, d}};
      EXPECT_EQ(SDKCMMatchPlaneMap(w->handle(), &psrc, &pdst), 0);
    }
  }
  EXPECT_TRUE(b.Untouched());
  // Nothing is read either: the buffers may be absent.
  K7730_PixelMap none{0, 3, 3, 0, nullptr};
  EXPECT_EQ(SDKCMMatchPixelMap(rgb.handle(), &none, nullptr), 0);
}

TEST(CreatLut, GammasGiveTheirPowerTables) {
  // Every table has its own gamma; 100 is the identity.
  K7730_CurveLutSet set;
  SDKCMCreatLUT(200, 100, 0, -50, 45, &set);
  EXPECT_EQ(set.tables[0][128], 64);  // 128^2 / 255 = 64.25
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(set.tables[0][i], int(std::pow(i / 255.0, 2.0) * 255.0 + 0.5)) << i;
    EXPECT_EQ(set.tables[1][i], i);
    // Power 0 is 1 everywhere; negative powers exceed 1 (infinite at 0).
    EXPECT_EQ(set.tables[2][i], 255) << i;
    EXPECT_EQ(set.tables[3][i], 255) << i;
    EXPECT_EQ(set.tables[4][i], int(std::pow(i / 255.0, 0.45) * 255.0 + 0.5)) << i;
  }
}

TEST_F(MatchExports, IpbRecordHoldsEverySecondNodeTimesSixteen) {
  for (const World* w : {&rgb, &wide}) {
    EXPECT_EQ(SDKCMConvertColorWorldToIPB(w->handle(), nullptr), 29484u);
    std::vector<std::uint8_t> record(29484 + 16, 0xEE);
    ASSERT_EQ(SDKCMConvertColorWorldToIPB(w->handle(), record.data()), 29484u);
    EXPECT_EQ(std::vector<std::uint8_t>(record.begin(), record.begin() + 6),
              (std::vector<std::uint8_t>{0x1B, 0x5A, 0x33, 0x03, 0x04, 0x04}));
    EXPECT_EQ(std::vector<std::uint8_t>(record.begin() + 29484, record.end()), std::vector<std::uint8_t>(16, 0xEE));
    const auto sample = [&record](std::uint32_t o, std::size_t at) { return GetBig16(record, 6 + o * 9826 + at * 2); };
    for (std::uint32_t n = 0; n < 17 * 17 * 17; ++n) {
      const std::uint8_t* node = w->Grid() + cmm::GridOffset3(2 * (n % 17), 2 * (n / 17 % 17), 2 * (n / 289));
      for (std::uint32_t o = 0; o < 3; ++o) ASSERT_EQ(sample(o, n), node[o] * 16u) << "sample " << n << " output " << o;
    }
  }
}

TEST_F(MatchExports, OnlyThreeToThreeColorWorldsAreExportedToIpb) {
  for (K7730_ColorWorld h : {toCmyk.handle(), fromCmyk.handle(), cmyk.handle(), K7730_ColorWorld{0}}) {
    std::vector<std::uint8_t> record(29484, 0xEE);
    EXPECT_EQ(SDKCMConvertColorWorldToIPB(h, record.data()), 0u) << h;
    EXPECT_EQ(SDKCMConvertColorWorldToIPB(h, nullptr), 0u) << h;
    EXPECT_EQ(record, std::vector<std::uint8_t>(29484, 0xEE)) << h;
  }
}

}  // namespace
}  // namespace k7730::test
