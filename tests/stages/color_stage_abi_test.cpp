// Colour matching through the filter interface: the profile setter, the
// page start's checks and codes, and bands matched exactly as the colour
// engine matches them.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <dirent.h>
#endif

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "k7730fe_cmm.h"
#include "support/byte_order.h"
#include "support/filter_fixture.h"
#include "support/temp_files.h"

namespace k7730::test {
namespace {

constexpr std::size_t kIntentAt = 12, kInputPathAt = 14, kOutputPathAt = 274;

// The band matched by a ColorWorld of the two profiles, through the colour
// engine's own exports from the same module, with the output curves.
Bytes EngineMatch(const std::string& in, const std::string& out, std::uint32_t intent,
                  const K7730_CurveLutSet* curves, const Bytes& band, std::int32_t width) {
  K7730_ProfileRef src = 0, dst = 0;
  EXPECT_EQ(Api().openProfile(in.c_str(), &src), 0);
  EXPECT_EQ(Api().openProfile(out.c_str(), &dst), 0);
  K7730_ColorWorld world = Api().createColorWorld(intent, &src, nullptr, &dst, curves);
  Api().closeProfile(&src);
  Api().closeProfile(&dst);
  EXPECT_NE(world, 0u);
  Bytes result(band.size());
  const std::int32_t lines = static_cast<std::int32_t>(band.size() / 3 / width);
  const std::uint32_t row = static_cast<std::uint32_t>(width) * 3;
  K7730_PixelMap s{width, lines, 3, row, const_cast<std::uint8_t*>(band.data())};
  K7730_PixelMap d{width, lines, 3, row, result.data()};
  EXPECT_EQ(Api().matchPixelMap(world, &s, &d), 0);
  Api().disposeColorWorld(world);
  return result;
}

std::string Profile(const char* name) { return std::string(K7730_TEST_PROFILE_DIR) + "/" + name; }

std::string ModuleFile(const char* name) { return ModuleFolder() + kModuleSeparator + name; }

// Open files of this process: descriptors on POSIX, handles on Windows.
std::size_t OpenDescriptors() {
#if defined(_WIN32)
  DWORD handles = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
  return handles;
#else
  std::size_t n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d) != nullptr) ++n;
    closedir(d);
  }
  return n;
#endif
}


// The page start's error code (0: the page started).
std::uint16_t StartPage(Filter& f, std::uint32_t width, std::uint32_t height) {
  std::uint16_t err = 0xFFFF;
  const std::uint32_t r = Api().initpage(f.get(), width, height, 0, &err);
  EXPECT_EQ(r, err == 0 ? 1u : 0u);
  return err;
}

// One band of `width` pixels a line through a started page: the lines released.
Bytes Band(Filter& f, Bytes band, std::uint32_t width) {
  const BandResult r = f.Band(band, static_cast<std::uint32_t>(band.size() / 3 / width));
  EXPECT_EQ(r.result, 1u);
  return r.out;
}

std::uint16_t SetIcc(Filter& f, const char* in, const char* out, std::uint16_t intent, std::uint32_t* result = nullptr) {
  std::uint16_t err = 0xFFFF;
  const std::uint32_t r = Api().setIccProfile(f.get(), 1, in, out, intent, &err);
  if (result != nullptr) *result = r;
  return err;
}

TEST(SetIccProfile, AcceptsTwoRgbProfilesAndRefusesEverythingElse) {
  ASSERT_NE(Api().setIccProfile, nullptr);
  Filter f;
  const std::string lut = Profile("rgb_lut16.icc"), display = Profile("rgb_gamma22.icc");
  std::uint32_t r = 0;
  ASSERT_EQ(SetIcc(f, display.c_str(), lut.c_str(), 2, &r), 0);
  EXPECT_EQ(r, 1u);
  EXPECT_EQ(GetLittle32(f.GetBlock(), kIccEnabledAt), 1u);
  Bytes accepted = f.GetBlock();
  EXPECT_EQ(accepted[kIntentAt], 2);
  EXPECT_STREQ(reinterpret_cast<char*>(&accepted[kInputPathAt]), display.c_str());
  EXPECT_STREQ(reinterpret_cast<char*>(&accepted[kOutputPathAt]), lut.c_str());

  const std::string tooLong(260, 'a');
  const std::string gray = Profile("gray.icc"), cmyk = Profile("cmyk_lut16.icc");
  struct Case {
    const char* in;
    const char* out;
    std::uint16_t intent;
    const char* what;
  } cases[] = {
      {nullptr, lut.c_str(), 0, "null input"},
      {K7730FE_MODULE_PATH, lut.c_str(), 0, "input is no profile (the module itself)"},
      {gray.c_str(), lut.c_str(), 0, "grey input"},
      {lut.c_str(), nullptr, 0, "null output"},
      {lut.c_str(), cmyk.c_str(), 0, "CMYK output"},
      {lut.c_str(), lut.c_str(), 3, "intent 3"},
      {tooLong.c_str(), lut.c_str(), 0, "a path the field cannot hold"},
  };
  for (const Case& c : cases) {
    f.Put(kIccEnabledAt, "\1\0\0\0", 4);
    std::uint16_t err = SetIcc(f, c.in, c.out, c.intent, &r);
    EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT) << c.what;
    EXPECT_EQ(r, 0u) << c.what;
    Bytes now = f.GetBlock();
    EXPECT_EQ(now[kIccEnabledAt], 0) << c.what << ": the stage is switched off";
    now[kIccEnabledAt] = 1;
    EXPECT_EQ(now, accepted) << c.what << ": the stored paths stay";
  }

  // Off needs no profiles at all.
  std::uint16_t err = 0xFFFF;
  EXPECT_EQ(Api().setIccProfile(f.get(), 0, nullptr, nullptr, 9, &err), 1u);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(GetLittle32(f.GetBlock(), kIccEnabledAt), 0u);
  // The module's own default profiles are usable on either side.
  EXPECT_EQ(SetIcc(f, ModuleFile("K77302.ICC").c_str(), ModuleFile("A17D50.ICC").c_str(), 0), 0);
}

TEST(ColorMatchingPage, StartCodesAndNoProfileLeftOpen) {
  Filter f;
  Api().preference(f.get(), 4, 3, nullptr, nullptr, nullptr);
  // The defaults name the module's own profiles.
  EXPECT_EQ(StartPage(f, 16, 4), 0);

  Bytes cmykAsRgb = testing_files::ReadBytes(Profile("cmyk_lut16.icc"));
  ASSERT_GT(cmykAsRgb.size(), 128u);
  std::memcpy(&cmykAsRgb[16], "RGB ", 4);  // an 'RGB ' profile whose lut has four outputs
  const std::string fourOut = testing_files::TempPath("_rgb_with_cmyk_lut.icc");
  testing_files::WriteBytes(fourOut, cmykAsRgb);
  const std::string lut = Profile("rgb_lut16.icc");
  const std::string unterminated(260, 'x');

  struct Case {
    std::string in, out;
    std::uint16_t code;
    const char* what;
  } cases[] = {
      {"", lut, K7730_ERR_BAD_ARGUMENT, "empty input path"},
      {lut, "", K7730_ERR_BAD_ARGUMENT, "empty output path"},
      {unterminated, lut, K7730_ERR_BAD_ARGUMENT, "input path without terminator"},
      {"/nonexistent/k7730.icc", lut, K7730_ERR_PROFILE, "missing input"},
      {lut, K7730FE_MODULE_PATH, K7730_ERR_PROFILE, "output is no profile (the module itself)"},
      {lut, Profile("cmyk_lut16.icc"), K7730_ERR_PROFILE, "CMYK output"},
      {Profile("cmyk_lut8.icc"), lut, K7730_ERR_PROFILE, "CMYK input"},
      {lut, fourOut, K7730_ERR_PROFILE, "four-channel transform behind 'RGB '"},
      {lut, Profile("rgb_lut16_intent1_only.icc"), K7730_ERR_NO_MEMORY, "no table for the intent"},
  };
  for (const Case& c : cases) {
    Bytes b = f.GetBlock();
    std::memset(&b[kInputPathAt], 0, 520);
    std::memcpy(&b[kInputPathAt], c.in.data(), c.in.size());
    std::memcpy(&b[kOutputPathAt], c.out.data(), std::min<std::size_t>(c.out.size(), 259));
    EXPECT_EQ(f.SetBlock(b), 1u);
    const std::size_t descriptors = OpenDescriptors();
    EXPECT_EQ(StartPage(f, 16, 4), c.code) << c.what;
    EXPECT_EQ(OpenDescriptors(), descriptors) << c.what << ": both profiles are closed again";
  }
}

// The engine's own transforms of every profile type are the engine's tests;
// here one pair shows how the page hands its bands and curves to the engine.
TEST(ColorMatchingPage, BandsMatchAsTheEngineDoesWithTheOutputCurvesOnce) {
  std::mt19937 rng(21);
  const std::int32_t width = 37;
  Filter f;
  const std::string in = Profile("rgb_gamma22.icc"), out = Profile("rgb_lut16.icc");
  ASSERT_EQ(SetIcc(f, in.c_str(), out.c_str(), 1), 0);
  // Four random output curves and, in the fifth table, the identity.
  K7730_CurveLutSet curves;
  for (int k = 0; k < 5; ++k)
    for (int i = 0; i < 256; ++i) curves.tables[k][i] = static_cast<std::uint8_t>(k == 4 ? i : rng());
  const auto& t = curves.tables;
  ASSERT_EQ(Api().setOutputToneCurve(f.get(), 1, t[0], t[1], t[2], t[3], nullptr), 1u);
  f.InitPage(width, 5);
  const Bytes band = RandomBytes(rng, width * 5 * 3);
  EXPECT_EQ(Band(f, band, width), EngineMatch(in, out, 1, &curves, band, width));

  // Output curves off: the ColorWorld carries none. Then with the identity
  // MTF filter in front, matching runs in place on the output buffer; a
  // one-band page releases every line.
  f.Put(kOutputEnabledAt, "\0\0\0\0", 4);
  for (bool mtf : {false, true}) {
    if (mtf) f.Put(kMtfEnabledAt, "\1\0\0\0", 4);
    f.InitPage(width, 5);
    EXPECT_EQ(Band(f, band, width), EngineMatch(in, out, 1, nullptr, band, width)) << "MTF " << mtf;
  }
}

TEST(ColorMatchingPage, StoredIntentAboveTwoActsAsPerceptual) {
  std::mt19937 rng(22);
  const std::int32_t width = 64;
  const Bytes band = RandomBytes(rng, width * 2 * 3);
  const std::string in = Profile("rgb_gamma22.icc"), out = Profile("rgb_lut16.icc");
  auto run = [&](std::uint16_t intent) {
    Filter f;
    EXPECT_EQ(SetIcc(f, in.c_str(), out.c_str(), 0), 0);
    f.Put(kIntentAt, &intent, 2);
    f.InitPage(width, 2);
    return Band(f, band, width);
  };
  const Bytes perceptual = run(0);
  EXPECT_EQ(run(3), perceptual);
  EXPECT_EQ(run(0xFFFF), perceptual);
  EXPECT_NE(run(2), perceptual) << "the generated printer profile has different tables per intent";
}

}  // namespace
}  // namespace k7730::test
