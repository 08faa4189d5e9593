// ColorWorld construction through the exports: real profiles from Debian
// packages, and hand-made hostile profiles that must be refused (or fall
// back as specified) without a crash.
#include <gtest/gtest.h>

#include "profile_builder.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

// Builds with `bytes` as the source or the destination beside kLut16.
bool BuildsFromBytes(const Bytes& bytes, bool asSource, std::uint32_t intent = 0) {
  std::string path = WriteTempFile(bytes, "hostile.icc");
  return asSource ? Builds(path, kLut16, intent) : Builds(kLut16, path, intent);
}

// Matrix/TRC profiles, one of each TRC form: 'curv' of 0, 1, 256, 1024, 2048
// and 4096 entries, and colord's version 4 'para' of function types 0 and 3
// (Rec. 2020 and ProPhoto with primaries beyond the 8-bit Lab connection).
TEST(ColorWorldBuild, DebianProfilesBuildBothWaysInEveryIntent) {
  const std::string gs = kIcc + "ghostscript/";
  const std::string colord = kIcc + "colord/";
  const std::string rgb[] = {gs + "scrgb.icc",         gs + "a98.icc",          kIcc + "LStar-RGB.icc",
                             kIcc + "sRGB.icc",         gs + "esrgb.icc",        kArgyll + "Rec2020.icm",
                             colord + "ProPhotoRGB.icc", colord + "sRGB.icc"};
  const std::string cmyk = kIcc + "ghostscript/default_cmyk.icc";
  for (const std::string& p : rgb) {
    if (!Installed(p)) continue;
    for (std::uint32_t intent = 0; intent < 4; ++intent) {
      EXPECT_TRUE(Builds(p, kLut16, intent)) << p << " intent " << intent;
      EXPECT_TRUE(Builds(kLut16, p, intent)) << p << " intent " << intent;
    }
    EXPECT_TRUE(Builds(p, p, 1)) << p;
  }
  for (std::uint32_t intent = 0; intent < 4 && Installed(cmyk); ++intent) {
    EXPECT_TRUE(Builds(cmyk, kGamma22, intent)) << intent;
    EXPECT_TRUE(Builds(kGamma22, cmyk, intent)) << intent;
    EXPECT_TRUE(Builds(cmyk, cmyk, intent)) << intent;
  }
}

TEST(ColorWorldBuild, LabDeviceSpacesBuild) {
  const std::string labi = kIcc + "LCMSLABI.ICM";  // lut16 elements
  EXPECT_TRUE(!Installed(labi) || Builds(labi, labi, 0));
  EXPECT_TRUE(Builds(GeneratedProfile("lab_abstract.icc"), kLut16, 0));
}

TEST(ColorWorldBuild, BadArgumentsReturnNoColorWorld) {
  OpenedProfile s(kLut16), d(kLut16);
  ASSERT_TRUE(s.ok() && d.ok());
  EXPECT_EQ(SDKCMCreateColorWorld(4, s.ref(), nullptr, d.ref(), nullptr), 0u);
  EXPECT_EQ(SDKCMCreateColorWorld(0xFFFFFFFF, s.ref(), nullptr, d.ref(), nullptr), 0u);
  EXPECT_EQ(SDKCMCreateColorWorld(1, nullptr, nullptr, d.ref(), nullptr), 0u);
  EXPECT_EQ(SDKCMCreateColorWorld(1, s.ref(), nullptr, nullptr, nullptr), 0u);
}

TEST(ColorWorldBuild, HostileTagTables) {
  // Overlapping tags: the three TRCs share one element; so do the three
  // colorants, which a source accepts (its matrix is never inverted) and a
  // destination refuses as singular.
  Bytes shared = BuildProfile(MatrixTrcSpec());
  for (std::size_t i = 1; i < 3; ++i) PutBig32(shared, 132 + 12 * (i + 3) + 4, GetBig32(shared, 132 + 36 + 4));
  EXPECT_TRUE(BuildsFromBytes(shared, true));
  EXPECT_TRUE(BuildsFromBytes(shared, false));
  for (std::size_t i = 1; i < 3; ++i) PutBig32(shared, 132 + 12 * i + 4, GetBig32(shared, 132 + 4));
  EXPECT_TRUE(BuildsFromBytes(shared, true));
  EXPECT_FALSE(BuildsFromBytes(shared, false));
}

Bytes LutProfile(const Bytes& element, std::uint32_t tag) {
  ProfileSpec spec;
  spec.pcs = Sig("Lab ");
  spec.tags.push_back({tag, element});
  return BuildProfile(spec);
}

TEST(ColorWorldBuild, VersionFourLookupElementsStayRefused) {
  // No fallback to the matrix/TRC tags either: the intent's element is there.
  ProfileSpec source = MatrixTrcSpec(CurvElement({}));
  source.tags.push_back({Sig("A2B1"), VersionFourLut("mAB ")});
  EXPECT_FALSE(BuildsFromBytes(BuildProfile(source), true, 1));
  EXPECT_TRUE(BuildsFromBytes(BuildProfile(source), true, 0));
  EXPECT_FALSE(BuildsFromBytes(LutProfile(VersionFourLut("mBA "), Sig("B2A0")), false));
}

TEST(ColorWorldBuild, InconsistentLutElementsAreRefused) {
  const Bytes good8 = Lut8Element(3, 3, 3, IdentityClut8(3));
  const Bytes good16 = Lut16Element(3, 3, 3, IdentityClut16(3), 4);
  ASSERT_TRUE(BuildsFromBytes(LutProfile(good8, Sig("A2B0")), true));
  ASSERT_TRUE(BuildsFromBytes(LutProfile(good16, Sig("B2A0")), false));
  std::vector<Bytes> bad;
  for (const Bytes* good : {&good8, &good16}) {
    for (int channels : {0, 1, 5, 15, 255})
      for (int at : {8, 9}) {
        bad.push_back(*good);
        bad.back()[at] = std::uint8_t(channels);
      }
    for (int grid : {0, 1, 255}) {
      bad.push_back(*good);
      bad.back()[10] = std::uint8_t(grid);
    }
  }
  // lut16 table entry counts of 0, 1 and one far beyond the element.
  for (int entries : {0, 1, 0xFFFF})
    for (int at : {48, 50}) {
      bad.push_back(good16);
      PutBig16(bad.back(), at, entries);
    }
  // 255 points of four inputs would need a 12.6-gigabyte CLUT.
  bad.push_back(Lut16Element(4, 3, 2, std::vector<std::uint16_t>(48, 0)));
  bad.back()[10] = 255;
  for (const Bytes& b : bad) {
    EXPECT_FALSE(BuildsFromBytes(LutProfile(b, Sig("A2B0")), true)) << &b - bad.data();
    EXPECT_FALSE(BuildsFromBytes(LutProfile(b, Sig("B2A0")), false)) << &b - bad.data();
  }
  // A CMYK destination lut must not act as a source and the reverse.
  EXPECT_FALSE(BuildsFromBytes(LutProfile(Lut8Element(3, 4, 2, Bytes(32, 0)), Sig("A2B0")), true));
  EXPECT_FALSE(BuildsFromBytes(LutProfile(Lut8Element(4, 3, 2, Bytes(48, 0)), Sig("B2A0")), false));
}

TEST(ColorWorldBuild, UndecodableCurvesAndMatrices) {
  // A 'para' without a usable gamma, counts beyond the element, short elements.
  Bytes overlong = CurvElement({0, 30000, 65535}), huge = overlong;
  PutBig32(overlong, 8, 4);
  PutBig32(huge, 8, 0xFFFFFFFF);
  for (const Bytes& trc : {ParaElement(0, {0.0}), overlong, huge, Bytes(overlong.begin(), overlong.begin() + 11)}) {
    Bytes profile = BuildProfile(MatrixTrcSpec(trc));
    EXPECT_FALSE(BuildsFromBytes(profile, true));
    EXPECT_FALSE(BuildsFromBytes(profile, false));
  }
  // Zero colorants have no white (equal ones, which cannot be inverted, are
  // the shared colorants of the hostile tag tables).
  ProfileSpec black = MatrixTrcSpec(CurvElement({}));
  for (int k = 0; k < 3; ++k) black.tags[k].data = XyzElement(0, 0, 0);
  EXPECT_FALSE(BuildsFromBytes(BuildProfile(black), true));
  EXPECT_FALSE(BuildsFromBytes(BuildProfile(black), false));
  // A colorant element too short for its three numbers stops the reading.
  ProfileSpec shortColorant = MatrixTrcSpec(CurvElement({}));
  shortColorant.tags[0].data.resize(16);
  EXPECT_FALSE(BuildsFromBytes(BuildProfile(shortColorant), true));
}

}  // namespace
}  // namespace k7730::test
