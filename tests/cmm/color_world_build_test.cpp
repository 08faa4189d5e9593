// ColorWorld construction through the exports: real profiles from Debian
// packages, and hand-made hostile profiles that must be refused (or fall
// back as specified) without a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "profile_builder.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

// Builds with `bytes` as the source or the destination beside kLut16.
bool BuildsFromBytes(const Bytes& bytes, bool asSource, std::uint32_t intent = 0) {
  std::string path = WriteTempFile(bytes, "hostile.icc");
  return asSource ? Builds(path, kLut16, intent) : Builds(kLut16, path, intent);
}

// Matrix/TRC with 'curv' TRCs of 0, 1, 256, 1024, 2048 and 4096 entries;
// colord's version 4 profiles with 'para' TRCs of function types 0 and 3.
TEST(ColorWorldBuild, DebianProfilesBuildBothWaysInEveryIntent) {
  std::vector<std::string> rgb = {kIcc + "sRGB.icc", kIcc + "LStar-RGB.icc", kIcc + "CineonLog_M.icc",
                                  kArgyll + "sRGB.icm", kArgyll + "Rec2020.icm", kArgyll + "ProPhotoLin.icm"};
  for (const char* name : {"srgb.icc", "a98.icc", "rommrgb.icc", "scrgb.icc", "esrgb.icc"})
    rgb.push_back(kIcc + "ghostscript/" + name);
  for (const char* name : {"sRGB.icc", "AdobeRGB1998.icc", "ProPhotoRGB.icc", "Bluish.icc", "Gamma5000K.icc",
                           "Rec709.icc", "WideGamutRGB.icc"})
    rgb.push_back(kIcc + "colord/" + name);
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

TEST(ColorWorldBuild, VersionFourAndTwoSrgbAgreeOnEveryNode) {
  // The same colour space described with 'para' curves (colord, version 4)
  // and with a 1024-entry 'curv' (icc-profiles-free, version 2).
  const std::string v4 = kIcc + "colord/sRGB.icc", v2 = kIcc + "sRGB.icc";
  if (!Installed(v4) || !Installed(v2)) return;
  for (const auto& [source, destination] : {std::pair{v4, kLut16}, std::pair{kLut16, v4}}) {
    const World para(source, destination, 1);
    const World curv(source == v4 ? v2 : source, destination == v4 ? v2 : destination, 1);
    ASSERT_NE(para.handle(), 0u);
    ASSERT_NE(curv.handle(), 0u);
    int worst = 0;
    for (int c = 0; c < 3; ++c) {
      for (int v = 0; v < 256; ++v) {
        worst = std::max(worst, std::abs(para.header()->inCurve[c][v] - curv.header()->inCurve[c][v]));
        worst = std::max(worst, std::abs(para.header()->outCurve[c][v] - curv.header()->outCurve[c][v]));
      }
    }
    for (std::size_t i = 0; i < 33; ++i)
      for (std::size_t j = 0; j < 33; ++j)
        for (std::size_t k = 0; k < 33; ++k)
          for (std::size_t o = 0; o < 3; ++o) {
            const std::size_t at = (i << 14) | (j << 8) | (k << 2) | o;
            worst = std::max(worst, std::abs(para.Grid()[at] - curv.Grid()[at]));
          }
    // The 8-bit tables and the grid come out the same; a level either way
    // is allowed for the colorants' last digits.
    EXPECT_LE(worst, 1) << source << " -> " << destination;
    if (source != v4) continue;
    // On the 16-bit input side the sampled function and the 1024-entry
    // table differ by the table's own interpolation error (2 of 65535).
    double widest = 0;
    for (int c = 0; c < 3; ++c)
      for (std::uint32_t v = 0; v < 65536; ++v)
        widest = std::max(widest, std::abs(double(para.wide()->SourceCurve(c)[v]) - curv.wide()->SourceCurve(c)[v]));
    EXPECT_LE(widest, 4) << "16-bit source curves";
  }
}

TEST(ColorWorldBuild, ProfilesThisEngineCannotUseAreRefused) {
  // 'mBA ' elements with a Lab device space.
  const std::string crayons = kIcc + "colord/Crayons.icc";
  for (std::uint32_t intent = 0; intent < 4 && Installed(crayons); ++intent) {
    EXPECT_FALSE(Builds(crayons, kLut16, intent)) << intent;
    EXPECT_FALSE(Builds(kLut16, crayons, intent)) << intent;
  }
  for (const std::string& gray : {kIcc + "Gray.icc", GeneratedProfile("gray.icc")})
    EXPECT_FALSE(Installed(gray) && OpenedProfile(gray).ok()) << gray;
  const std::string psCmyk = kIcc + "ghostscript/ps_cmyk.icc";  // v4, A2B0/B2A0 only, no colorants
  if (Installed(psCmyk)) {
    Builds(psCmyk, kLut16, 0);  // read as specified; only must not crash
    EXPECT_FALSE(Builds(psCmyk, kLut16, 1));
    EXPECT_FALSE(Builds(kLut16, psCmyk, 2));
  }
  const std::string labi = kIcc + "LCMSLABI.ICM";  // Lab device space with lut16 elements
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
  Bytes huge = BuildProfile(MatrixTrcSpec());
  PutBig32(huge, 128, 0xFFFFFFFF);
  EXPECT_FALSE(BuildsFromBytes(huge, true));
  EXPECT_FALSE(BuildsFromBytes(huge, false));

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

// An ICC v4 lookup element: channel counts, a reserved zero where a lut8 or
// lut16 has its grid size, then the offsets of its parts.
Bytes VersionFourLut(const char (&type)[5]) {
  Bytes b;
  AppendBig32(b, Sig(type));
  AppendBig32(b, 0);
  b.insert(b.end(), {3, 3, 0, 0});
  for (std::uint32_t offset : {32u, 0u, 0u, 0u, 0u}) AppendBig32(b, offset);
  b.resize(b.size() + 256, 0);  // room for curves and a CLUT
  return b;
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
  for (const Bytes& trc : {ParaElement(0.0), overlong, huge, Bytes(overlong.begin(), overlong.begin() + 11)}) {
    Bytes profile = BuildProfile(MatrixTrcSpec(trc));
    EXPECT_FALSE(BuildsFromBytes(profile, true));
    EXPECT_FALSE(BuildsFromBytes(profile, false));
  }
  // Three equal colorants cannot be inverted; zero colorants have no white.
  ProfileSpec singular = MatrixTrcSpec(CurvElement({}));
  for (int k = 0; k < 3; ++k) singular.tags[k].data = XyzElement(0.3, 0.3, 0.3);
  EXPECT_FALSE(BuildsFromBytes(BuildProfile(singular), false));
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
