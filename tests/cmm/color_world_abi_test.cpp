// ColorWorld construction through the module's exports: real profiles from
// Debian packages, and hand-made hostile profiles that must be refused (or
// fall back as specified) without a crash.
#include <gtest/gtest.h>

#include <filesystem>

#include "cmm_api.h"
#include "profile_builder.h"

namespace k7730::test {
namespace {

const std::string kIcc = "/usr/share/color/icc/";
const std::string kArgyll = "/usr/share/color/argyll/ref/";
const std::string kLut16 = GeneratedProfile("rgb_lut16.icc");
const std::string kGamma22 = GeneratedProfile("rgb_gamma22.icc");

class ColorWorldAbi : public ::testing::Test {
 protected:
  CmmApi api;

  // Builds (and disposes) a ColorWorld; whether one was built. Profiles
  // that do not open count as not built.
  bool Builds(const std::string& src, const std::string& dst, std::uint32_t intent) {
    K7730_ProfileRef s = 0, d = 0;
    bool sOk = api.openProfile(src.c_str(), &s) == 0;
    bool dOk = api.openProfile(dst.c_str(), &d) == 0;
    K7730_ColorWorld w = sOk && dOk ? api.createColorWorld(intent, &s, nullptr, &d, nullptr) : 0;
    if (w != 0) api.disposeColorWorld(w);
    if (sOk) api.closeProfile(&s);
    if (dOk) api.closeProfile(&d);
    return w != 0;
  }
  bool BuildsFromBytes(const Bytes& bytes, bool asSource, std::uint32_t intent = 0) {
    std::string path = WriteTempFile(bytes, "hostile.icc");
    return asSource ? Builds(path, kLut16, intent) : Builds(kLut16, path, intent);
  }
};

bool Installed(const std::string& path) {
  if (std::filesystem::exists(path)) return true;
  std::printf("skipped %s (not installed)\n", path.c_str());
  return false;
}

TEST_F(ColorWorldAbi, DebianMatrixTrcProfilesBuildBothWays) {
  // 'curv' TRCs of 0, 1, 256, 1024, 2048 and 4096 entries.
  for (const std::string& p :
       {kIcc + "sRGB.icc", kIcc + "LStar-RGB.icc", kIcc + "CineonLog_M.icc", kIcc + "ghostscript/srgb.icc",
        kIcc + "ghostscript/a98.icc", kIcc + "ghostscript/rommrgb.icc", kIcc + "ghostscript/scrgb.icc",
        kIcc + "ghostscript/esrgb.icc", kArgyll + "sRGB.icm", kArgyll + "Rec2020.icm", kArgyll + "ProPhotoLin.icm"}) {
    if (!Installed(p)) continue;
    for (std::uint32_t intent = 0; intent < 4; ++intent) {
      EXPECT_TRUE(Builds(p, kLut16, intent)) << p << " intent " << intent;
      EXPECT_TRUE(Builds(kLut16, p, intent)) << p << " intent " << intent;
    }
    EXPECT_TRUE(Builds(p, p, 1)) << p;
  }
}

TEST_F(ColorWorldAbi, DebianCmykLutProfileBuildsBothWays) {
  const std::string cmyk = kIcc + "ghostscript/default_cmyk.icc";
  if (!Installed(cmyk)) return;
  for (std::uint32_t intent = 0; intent < 4; ++intent) {
    EXPECT_TRUE(Builds(cmyk, kGamma22, intent));
    EXPECT_TRUE(Builds(kGamma22, cmyk, intent));
    EXPECT_TRUE(Builds(cmyk, cmyk, intent));
  }
}

TEST_F(ColorWorldAbi, ProfilesThisEngineCannotUseAreRefused) {
  const std::string v4 = kIcc + "colord/sRGB.icc";  // 'para' TRCs
  if (Installed(v4)) {
    for (std::uint32_t intent = 0; intent < 4; ++intent) {
      EXPECT_FALSE(Builds(v4, kLut16, intent));
      EXPECT_FALSE(Builds(kLut16, v4, intent));
    }
  }
  const std::string crayons = kIcc + "colord/Crayons.icc";  // 'mBA ' elements, Lab device space
  if (Installed(crayons)) {
    for (std::uint32_t intent = 0; intent < 4; ++intent) {
      EXPECT_FALSE(Builds(crayons, kLut16, intent));
      EXPECT_FALSE(Builds(kLut16, crayons, intent));
    }
  }
  for (const std::string& gray : {kIcc + "Gray.icc", GeneratedProfile("gray.icc")}) {
    if (!Installed(gray)) continue;
    K7730_ProfileRef ref = 0;
    EXPECT_EQ(api.openProfile(gray.c_str(), &ref), -1);
  }
  const std::string psCmyk = kIcc + "ghostscript/ps_cmyk.icc";  // v4, A2B0/B2A0 only, no colorants
  if (Installed(psCmyk)) {
    Builds(psCmyk, kLut16, 0);  // read as specified; only must not crash
    EXPECT_FALSE(Builds(psCmyk, kLut16, 1));
    EXPECT_FALSE(Builds(kLut16, psCmyk, 2));
  }
  const std::string labi = kIcc + "LCMSLABI.ICM";  // Lab device space with lut16 elements
  if (Installed(labi)) {
    EXPECT_TRUE(Builds(labi, labi, 0));
  }
  EXPECT_TRUE(Builds(GeneratedProfile("lab_abstract.icc"), kLut16, 0));
}

TEST_F(ColorWorldAbi, BadArgumentsReturnNoColorWorld) {
  K7730_ProfileRef s = 0, d = 0;
  ASSERT_EQ(api.openProfile(kLut16.c_str(), &s), 0);
  ASSERT_EQ(api.openProfile(kLut16.c_str(), &d), 0);
  EXPECT_EQ(api.createColorWorld(4, &s, nullptr, &d, nullptr), 0u);
  EXPECT_EQ(api.createColorWorld(1, nullptr, nullptr, &d, nullptr), 0u);
  EXPECT_EQ(api.createColorWorld(1, &s, nullptr, nullptr, nullptr), 0u);
  api.disposeColorWorld(0);
  api.disposeColorWorld(0x12345678);
  api.closeProfile(&s);
  api.closeProfile(&d);
}

Bytes GammaMatrixProfile() { return BuildProfile(MatrixTrcSpec(CurvElement({0x0233}))); }

TEST_F(ColorWorldAbi, TruncatedProfilesNeverCrash) {
  const Bytes whole = GammaMatrixProfile();
  for (std::size_t length = 0; length <= whole.size(); ++length) {
    Bytes cut(whole.begin(), whole.begin() + long(length));
    bool source = BuildsFromBytes(cut, true, 1);
    bool destination = BuildsFromBytes(cut, false, 1);
    if (length < 128) {
      ASSERT_FALSE(source || destination) << length;
    }
    if (length == whole.size()) {
      EXPECT_TRUE(source && destination);
    }
  }
  // A lut profile cut inside its first tables: the element runs past the
  // end of the file, so it counts as missing and the missing matrix tags
  // refuse. Cuts further on leave the earlier intents' elements whole.
  const Bytes lut = ReadFile(GeneratedProfile("rgb_lut8.icc"));
  ASSERT_FALSE(lut.empty());
  for (std::size_t length : {std::size_t(130), std::size_t(200), std::size_t(1000)}) {
    Bytes cut(lut.begin(), lut.begin() + long(length));
    EXPECT_FALSE(BuildsFromBytes(cut, true, 0)) << length;
    EXPECT_FALSE(BuildsFromBytes(cut, false, 0)) << length;
  }
  for (std::size_t length = 1000; length < lut.size(); length += lut.size() / 7) {
    Bytes cut(lut.begin(), lut.begin() + long(length));
    for (std::uint32_t intent = 0; intent < 4; ++intent) {
      BuildsFromBytes(cut, true, intent);
      BuildsFromBytes(cut, false, intent);
    }
  }
}

TEST_F(ColorWorldAbi, HostileTagTables) {
  Bytes huge = GammaMatrixProfile();
  Put32(huge, 128, 0xFFFFFFFF);
  EXPECT_FALSE(BuildsFromBytes(huge, true));
  EXPECT_FALSE(BuildsFromBytes(huge, false));

  // Every element offset past the end of the file.
  Bytes past = GammaMatrixProfile();
  for (std::size_t i = 0; i < 6; ++i) Put32(past, 132 + 12 * i + 4, 0x7FFFFFF0);
  EXPECT_FALSE(BuildsFromBytes(past, true));

  // A lut element that runs past the end falls back to the matrix tags.
  ProfileSpec spec = MatrixTrcSpec(CurvElement({0x0233}));
  spec.tags.insert(spec.tags.begin(), {Sig("A2B0"), Lut8Element(3, 3, 2, IdentityClut8(2))});
  spec.tags.insert(spec.tags.begin(), {Sig("B2A0"), Lut8Element(3, 3, 2, IdentityClut8(2))});
  Bytes fallback = BuildProfile(spec);
  Put32(fallback, 132 + 8, 0x10000000);   // B2A0 size
  Put32(fallback, 132 + 12 + 8, 0x10000000);  // A2B0 size
  EXPECT_TRUE(BuildsFromBytes(fallback, true));
  EXPECT_TRUE(BuildsFromBytes(fallback, false));

  // Overlapping tags: the three TRCs share one element; so do the three
  // colorants, which a source accepts (its matrix is never inverted) and a
  // destination refuses as singular.
  Bytes shared = GammaMatrixProfile();
  for (std::size_t i = 1; i < 3; ++i) Put32(shared, 132 + 12 * (i + 3) + 4, Get32(shared, 132 + 36 + 4));
  EXPECT_TRUE(BuildsFromBytes(shared, true));
  EXPECT_TRUE(BuildsFromBytes(shared, false));
  for (std::size_t i = 1; i < 3; ++i) Put32(shared, 132 + 12 * i + 4, Get32(shared, 132 + 4));
  EXPECT_TRUE(BuildsFromBytes(shared, true));
  EXPECT_FALSE(BuildsFromBytes(shared, false));
}

Bytes LutProfile(const Bytes& element, std::uint32_t tag) {
  ProfileSpec spec;
  spec.pcs = Sig("Lab ");
  spec.tags.push_back({tag, element});
  return BuildProfile(spec);
}

TEST_F(ColorWorldAbi, InconsistentLutElementsAreRefused) {
  const Bytes good8 = Lut8Element(3, 3, 3, IdentityClut8(3));
  const Bytes good16 = Lut16Element(3, 3, 3, IdentityClut16(3), 4);
  ASSERT_TRUE(BuildsFromBytes(LutProfile(good8, Sig("A2B0")), true));
  ASSERT_TRUE(BuildsFromBytes(LutProfile(good16, Sig("B2A0")), false));
  for (const Bytes* good : {&good8, &good16}) {
    for (int channels : {0, 1, 5, 15, 255}) {
      for (int at : {8, 9}) {
        Bytes bad = *good;
        bad[at] = std::uint8_t(channels);
        EXPECT_FALSE(BuildsFromBytes(LutProfile(bad, Sig("A2B0")), true)) << channels << " at " << at;
        EXPECT_FALSE(BuildsFromBytes(LutProfile(bad, Sig("B2A0")), false)) << channels << " at " << at;
      }
    }
    for (int grid : {0, 1, 255}) {
      Bytes bad = *good;
      bad[10] = std::uint8_t(grid);
      EXPECT_FALSE(BuildsFromBytes(LutProfile(bad, Sig("A2B0")), true)) << grid;
      EXPECT_FALSE(BuildsFromBytes(LutProfile(bad, Sig("B2A0")), false)) << grid;
    }
  }
  for (int entries : {0, 1}) {
    for (int at : {48, 50}) {
      Bytes bad = good16;
      Put16(bad, at, entries);
      EXPECT_FALSE(BuildsFromBytes(LutProfile(bad, Sig("A2B0")), true)) << entries;
    }
  }
  // A CMYK destination lut must not act as a source and the reverse.
  EXPECT_FALSE(BuildsFromBytes(LutProfile(Lut8Element(3, 4, 2, Bytes(32, 0)), Sig("A2B0")), true));
  EXPECT_FALSE(BuildsFromBytes(LutProfile(Lut8Element(4, 3, 2, Bytes(48, 0)), Sig("B2A0")), false));
}

TEST_F(ColorWorldAbi, UndecodableCurvesAndMatrices) {
  Bytes overlong = CurvElement({0, 30000, 65535});
  Put32(overlong, 8, 1000);
  for (const Bytes& trc : {ParaElement(2.2), overlong, Bytes(6, 0)}) {
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
