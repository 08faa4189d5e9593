// The matching exports' checks: everything that can be checked before a
// byte is touched is refused with -1 and leaves every buffer as it was;
// empty images succeed without writing; the component counts.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "profile_builder.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

const std::string kLut8 = GeneratedProfile("rgb_lut8.icc");
const std::string kGamma22 = GeneratedProfile("rgb_gamma22.icc");
const std::string kCmyk = GeneratedProfile("cmyk_lut8.icc");

// A source and a destination buffer of `pixels` pixels each, filled with
// marks so that any write shows.
struct Buffers {
  std::vector<std::uint8_t> source, destination;
  Buffers(std::size_t bytes = 4096) : source(bytes, 0x11), destination(bytes, 0x22) {}
  bool Untouched() const {
    for (auto v : source)
      if (v != 0x11) return false;
    for (auto v : destination)
      if (v != 0x22) return false;
    return true;
  }
};

class MatchExports : public ::testing::Test {
 protected:
  World rgb{kLut8, kLut8, 0};
  World wide{kGamma22, kLut8, 0};
  World toCmyk{kLut8, kCmyk, 0};
  World fromCmyk{kCmyk, kLut8, 0};
  World cmyk{kCmyk, kCmyk, 0};

  void SetUp() override {
    for (const World* w : {&rgb, &wide, &toCmyk, &fromCmyk, &cmyk}) ASSERT_NE(w->handle(), 0u);
  }
};

TEST_F(MatchExports, ComponentCountsFollowTheProfiles) {
  EXPECT_EQ(SDKCMGetNumsOfInPixComp(rgb.handle()), 3u);
  EXPECT_EQ(SDKCMGetNumsOfOutPixComp(rgb.handle()), 3u);
  EXPECT_EQ(SDKCMGetNumsOfInPixComp(toCmyk.handle()), 3u);
  EXPECT_EQ(SDKCMGetNumsOfOutPixComp(toCmyk.handle()), 4u);
  EXPECT_EQ(SDKCMGetNumsOfInPixComp(fromCmyk.handle()), 4u);
  EXPECT_EQ(SDKCMGetNumsOfOutPixComp(fromCmyk.handle()), 3u);
  EXPECT_EQ(SDKCMGetNumsOfInPixComp(0), 0u);
  EXPECT_EQ(SDKCMGetNumsOfOutPixComp(0x12345), 0u);
}

TEST_F(MatchExports, HandlesThatNameNoColorWorldAreRefused) {
  Buffers b;
  K7730_PixelMap src{4, 4, 3, 12, b.source.data()}, dst{4, 4, 3, 12, b.destination.data()};
  K7730_PlaneMap planes{4, 4, 3, 4, {b.source.data(), b.source.data() + 64, b.source.data() + 128, nullptr}};
  EXPECT_EQ(SDKCMMatchPixelMap(0, &src, &dst), -1);
  EXPECT_EQ(SDKCMMatchPixelMap(rgb.handle() + 0x100000u, &src, &dst), -1);
  EXPECT_EQ(SDKCMMatchPlaneMap(0, &planes, nullptr), -1);
  K7730_ColorWorld gone;
  {
    World w(kLut8, kLut8, 0);
    gone = w.handle();
  }
  EXPECT_EQ(SDKCMMatchPixelMap(gone, &src, &dst), -1);
  EXPECT_TRUE(b.Untouched());
}

TEST_F(MatchExports, MapsThatDoNotFitAreRefusedWithoutWriting) {
  Buffers b;
  std::uint8_t* s = b.source.data();
  std::uint8_t* d = b.destination.data();
  struct Case {
    const char* what;
    const World& world;
    K7730_PixelMap src;
    bool withDst;
    K7730_PixelMap dst;
  } cases[] = {
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
  for (const Case& c : cases) {
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
  struct Case {
    const char* what;
    const World& world;
    K7730_PlaneMap src;
    bool withDst;
    K7730_PlaneMap dst;
  } cases[] = {
      {"source planes", rgb, map(4, 4, 4, 4, s), true, map(4, 4, 3, 4, d)},
      {"destination planes", fromCmyk, map(4, 4, 4, 4, s), true, map(4, 4, 4, 4, d)},
      {"three to four in place", toCmyk, map(4, 4, 3, 4, s), false, {}},
      {"negative width", cmyk, map(-4, 4, 4, 4, s), true, map(4, 4, 4, 4, d)},
      {"rows shorter than the width", rgb, map(4, 4, 3, 3, s), true, map(4, 4, 3, 4, d)},
      {"destination rows shorter than the width", wide, map(4, 4, 3, 4, s), true, map(4, 4, 3, 3, d)},
      {"missing plane", rgb, missingPlane, true, map(4, 4, 3, 4, d)},
      {"three to four sharing a plane", toCmyk, map(4, 4, 3, 4, s), true, sharedPlane},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SDKCMMatchPlaneMap(c.world.handle(), &c.src, c.withDst ? &c.dst : nullptr), -1) << c.what;
    EXPECT_TRUE(b.Untouched()) << c.what;
  }
}

TEST_F(MatchExports, EmptyImagesSucceedWithoutWriting) {
  Buffers b;
  for (const World* w : {&rgb, &wide, &toCmyk, &fromCmyk, &cmyk}) {
    const std::uint32_t in = SDKCMGetNumsOfInPixComp(w->handle()), out = SDKCMGetNumsOfOutPixComp(w->handle());
    for (auto [width, height] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
      K7730_PixelMap src{width, height, in, 0, b.source.data()}, dst{width, height, out, 0, b.destination.data()};
      if (width == 0) src.rowBytes = dst.rowBytes = 0;
      else src.rowBytes = width * in, dst.rowBytes = width * out;
      EXPECT_EQ(SDKCMMatchPixelMap(w->handle(), &src, &dst), 0);
      K7730_PlaneMap psrc{width, height, in, std::uint32_t(width), {b.source.data(), b.source.data(), b.source.data(), b.source.data()}};
      K7730_PlaneMap pdst{width, height, out, std::uint32_t(width), {b.destination.data(), b.destination.data(), b.destination.data(), b.destination.data()}};
      EXPECT_EQ(SDKCMMatchPlaneMap(w->handle(), &psrc, &pdst), 0);
    }
  }
  EXPECT_TRUE(b.Untouched());
  // Nothing is read either: the buffers may be absent.
  K7730_PixelMap none{0, 3, 3, 0, nullptr};
  EXPECT_EQ(SDKCMMatchPixelMap(rgb.handle(), &none, nullptr), 0);
}

}  // namespace
}  // namespace k7730::test
