// ColorWorld construction from generated and real profiles: header and
// sizes, intents, curve sets, WideTables ownership, allocation failures.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cmm/color_world.h"
#include "platform/platform.h"
#include "profile_builder.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

using cmm::kColorWorldHeaderSize;

const std::string kIntent1Only = GeneratedProfile("rgb_lut16_intent1_only.icc");

bool SameGrid(const World& a, const World& b) {
  const auto& ha = *a.header();
  const auto& hb = *b.header();
  return std::memcmp(&ha, &hb, kColorWorldHeaderSize + ha.tableSize) == 0;
}

TEST(ColorWorld, HeaderAndSizesFollowTheChannelCounts) {
  struct Case {
    std::string src, dst;
    std::uint32_t in, out, grid, table, pixelKernel;
    bool wide;
  } cases[] = {
      {kGamma22, kLut16, 3, 3, 33, 540672, cmm::kPixels3to3Wide, true},
      {kLut8, kLut16, 3, 3, 33, 540672, cmm::kPixels3to3, false},
      {kGamma22, kCmykLut16, 3, 4, 33, 540672, cmm::kPixels3to4, true},
      {kCmykLut8, kLut8, 4, 3, 17, 334084, cmm::kPixels4to3, false},
      {kCmykLut8, kCmykLut16, 4, 4, 17, 334084, cmm::kPixels4to4, false},
  };
  for (const Case& c : cases) {
    World w(c.src, c.dst, 1);
    ASSERT_NE(w.handle(), 0u) << c.src << " -> " << c.dst;
    const auto& h = *w.header();
    EXPECT_EQ(h.inChannels, c.in);
    EXPECT_EQ(h.outChannels, c.out);
    EXPECT_EQ(h.gridPoints, c.grid);
    EXPECT_EQ(h.tableSize, c.table);
    EXPECT_EQ(platform::BlockSize(&h), kColorWorldHeaderSize + c.table);
    EXPECT_EQ(h.pixelKernel, c.pixelKernel);
    EXPECT_EQ(h.planeKernel, c.pixelKernel + 5);
    EXPECT_EQ(w.wide() != nullptr, c.wide);
  }
}

TEST(ColorWorld, IntentsSelectTheirOwnTablesWithoutFallback) {
  World relative(kLut16, kLut8, 1), absolute(kLut16, kLut8, 3), perceptual(kLut16, kLut8, 0);
  ASSERT_NE(relative.handle(), 0u);
  ASSERT_NE(absolute.handle(), 0u);
  ASSERT_NE(perceptual.handle(), 0u);
  EXPECT_TRUE(SameGrid(relative, absolute));
  EXPECT_FALSE(SameGrid(relative, perceptual));

  // Only A2B1/B2A1 and no matrix tags: intent 1 and 3 build, 0 and 2 do not.
  for (std::uint32_t intent : {0u, 1u, 2u, 3u}) {
    bool expected = intent % 2 == 1;
    EXPECT_EQ(World(kIntent1Only, kLut8, intent).handle() != 0, expected) << intent;
    EXPECT_EQ(World(kLut8, kIntent1Only, intent).handle() != 0, expected) << intent;
  }
}

K7730_CurveLutSet Curves(int (*f)(int table, int i)) {
  K7730_CurveLutSet set;
  for (int t = 0; t < 5; ++t)
    for (int i = 0; i < 256; ++i) set.tables[t][i] = std::uint8_t(f(t, i));
  return set;
}

TEST(ColorWorld, CurveSetsFoldIntoTheEndCurves) {
  // Common curve halves, channel curves invert (channel 1), identity (2), gamma-ish (3, 4).
  K7730_CurveLutSet set = Curves([](int t, int i) {
    if (t == 0) return i / 2;
    if (t == 1) return 255 - i;
    if (t == 2) return i;
    return i * i / 255;
  });
  World plain(kLut16, kCmykLut16, 1), withSets(kLut16, kCmykLut16, 1, &set, &set);
  ASSERT_NE(plain.handle(), 0u);
  ASSERT_NE(withSets.handle(), 0u);
  const auto& p = *plain.header();
  const auto& s = *withSets.header();
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i)
      ASSERT_EQ(s.inCurve[c][i], p.inCurve[c][set.tables[c + 1][set.tables[0][i]]]) << c << " " << i;
  for (int c = 0; c < 4; ++c)
    for (int i = 0; i < 256; ++i)
      ASSERT_EQ(s.outCurve[c][i], set.tables[c + 1][set.tables[0][p.outCurve[c][i]]]) << c << " " << i;

  // Four-channel input: the curves work on device values behind the complement.
  World plain4(kCmykLut8, kLut8, 1), withSet4(kCmykLut8, kLut8, 1, &set, nullptr);
  ASSERT_NE(withSet4.handle(), 0u);
  for (int c = 0; c < 4; ++c)
    for (int i = 0; i < 256; ++i) {
      int device = 255 - set.tables[c + 1][set.tables[0][i]];
      ASSERT_EQ(withSet4.header()->inCurve[c][i], plain4.header()->inCurve[c][255 - device]);
    }
}

TEST(ColorWorld, WideCompositesCarryTheInputCurveSet) {
  K7730_CurveLutSet identity = Curves([](int, int i) { return i; });
  K7730_CurveLutSet invert = Curves([](int t, int i) { return t == 0 ? i : 255 - i; });
  World plain(kTable1024, kLut16, 1), same(kTable1024, kLut16, 1, &identity), inverted(kTable1024, kLut16, 1, &invert);
  ASSERT_NE(inverted.handle(), 0u);
  for (int c = 0; c < 3; ++c) {
    const std::uint32_t* source = plain.wide()->SourceCurve(c);
    for (std::uint32_t v = 0; v < 65536; ++v) {
      ASSERT_EQ(plain.wide()->composite[c][v], source[v]);
      ASSERT_EQ(same.wide()->composite[c][v], source[v]);
      ASSERT_EQ(inverted.wide()->composite[c][v], source[65535 - v]);
    }
  }
  ASSERT_NE(plain.wide()->weight16, nullptr);
  EXPECT_EQ(plain.wide()->expanded[0], nullptr);
  EXPECT_NE(same.wide()->expanded[3], nullptr);
}

TEST(ColorWorld, EachMatrixSourceWorldOwnsItsWideTables) {
  auto first = std::make_unique<World>(kGamma22, kLut16, 1);
  World second(kTable1024, kLut16, 1);
  World reference(kTable1024, kLut16, 1);
  ASSERT_NE(first->handle(), 0u);
  ASSERT_NE(second.handle(), 0u);
  ASSERT_NE(first->wide(), second.wide());
  first.reset();  // disposing one ColorWorld leaves the other's tables alone
  for (int c = 0; c < 3; ++c)
    ASSERT_EQ(std::memcmp(second.wide()->composite[c], reference.wide()->composite[c], 65536 * 4), 0);
  ASSERT_EQ(std::memcmp(second.wide()->weight16, reference.wide()->weight16, 65536 * 4), 0);

  // A second dispose of the same handle, and made-up handles, release nothing.
  const std::size_t live = platform::LiveBlockCount();
  K7730_ColorWorld h;
  {
    OpenedProfile s(kGamma22), d(kLut16);
    h = SDKCMCreateColorWorld(1, s.ref(), nullptr, d.ref(), nullptr);
  }
  ASSERT_NE(h, 0u);
  SDKCMDisposeColorWorld(h);
  EXPECT_EQ(platform::LiveBlockCount(), live);
  SDKCMDisposeColorWorld(h);
  SDKCMDisposeColorWorld(0);
  SDKCMDisposeColorWorld(0xFFFFFFFF);
  EXPECT_EQ(platform::LiveBlockCount(), live);
}

TEST(ColorWorld, MissingTrcChannelsTakeTheIdentity) {
  ProfileSpec spec = MatrixTrcSpec();
  spec.tags.erase(spec.tags.begin() + 4);  // no gTRC
  std::string path = WriteTempFile(BuildProfile(spec), "no_gtrc.icc");
  World w(path, kLut16, 1);
  ASSERT_NE(w.handle(), 0u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(w.header()->inCurve[1][i], i);
  for (std::uint32_t v = 0; v < 65536; ++v) ASSERT_EQ(w.wide()->composite[1][v], v);
  EXPECT_EQ(w.header()->inCurve[0][128], World(kGamma22, kLut16, 1).header()->inCurve[0][128]);
}

}  // namespace
}  // namespace k7730::test
