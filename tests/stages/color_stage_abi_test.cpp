// Colour matching through the filter interface: the profile setter, the
// page start's checks and codes, and bands matched exactly as the colour
// engine matches them.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <dirent.h>
#endif

#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "k7730fe_cmm.h"
#include "support/module_api.h"

namespace {

using k7730::test::ModuleApi;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kIccEnabledAt = 8, kIntentAt = 12, kInputPathAt = 14, kOutputPathAt = 274;
constexpr std::size_t kMtfEnabledAt = 536, kOutputCurveEnabledAt = 2620;

ModuleApi& Api() {
  static ModuleApi api;
  return api;
}

// The colour engine's own exports from the same module.
struct Engine {
  decltype(&SDKCMOpenProfile) open = Api().openProfile;
  decltype(&SDKCMCloseProfile) close = Api().closeProfile;
  decltype(&SDKCMCreateColorWorld) create = Api().createColorWorld;
  decltype(&SDKCMDisposeColorWorld) dispose = Api().disposeColorWorld;
  decltype(&SDKCMMatchPixelMap) match = Api().matchPixelMap;

  // The band matched by a ColorWorld of the two profiles, with the output curves.
  Bytes Match(const std::string& in, const std::string& out, std::uint32_t intent,
              const K7730_CurveLutSet* curves, const Bytes& band, std::int32_t width) {
    K7730_ProfileRef src = 0, dst = 0;
    EXPECT_EQ(open(in.c_str(), &src), 0);
    EXPECT_EQ(open(out.c_str(), &dst), 0);
    K7730_ColorWorld world = create(intent, &src, nullptr, &dst, curves);
    close(&src);
    close(&dst);
    EXPECT_NE(world, 0u);
    Bytes result(band.size());
    const std::int32_t lines = static_cast<std::int32_t>(band.size() / 3 / width);
    const std::uint32_t row = static_cast<std::uint32_t>(width) * 3;
    K7730_PixelMap s{width, lines, 3, row, const_cast<std::uint8_t*>(band.data())};
    K7730_PixelMap d{width, lines, 3, row, result.data()};
    EXPECT_EQ(match(world, &s, &d), 0);
    dispose(world);
    return result;
  }
};

std::string Profile(const char* name) { return std::string(K7730_TEST_PROFILE_DIR) + "/" + name; }

std::string ModuleFile(const char* name) {
  std::string path = K7730FE_MODULE_PATH;
  return path.substr(0, path.rfind('/') + 1) + name;
}

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

std::string WriteFile(const std::string& name, const Bytes& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  return path;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class Filter {
 public:
  Filter() { inst_ = Api().open(nullptr); }
  ~Filter() {
    Api().disposPtr(out_);
    Api().close(inst_);
    Api().disposPtr(inst_);
  }
  K7730_FilterInstance* get() { return inst_; }
  Bytes Block() {
    Bytes b(K7730_SETTINGS_SIZE);
    std::uint32_t size = K7730_SETTINGS_SIZE;
    EXPECT_EQ(Api().preference(inst_, 2, 0, b.data(), &size, nullptr), 1u);
    return b;
  }
  void SetBlock(Bytes b) {
    std::uint32_t size = K7730_SETTINGS_SIZE;
    EXPECT_EQ(Api().preference(inst_, 1, 0, b.data(), &size, nullptr), 1u);
  }
  void Put(std::size_t at, const void* bytes, std::size_t n) {
    Bytes b = Block();
    std::memcpy(&b[at], bytes, n);
    SetBlock(b);
  }
  std::uint32_t Word(std::size_t at) {
    Bytes b = Block();
    std::uint32_t v;
    std::memcpy(&v, &b[at], 4);
    return v;
  }
  std::uint16_t InitPage(std::uint32_t width, std::uint32_t height) {
    std::uint16_t err = 0xFFFF;
    const std::uint32_t r = Api().initpage(inst_, width, height, 0, &err);
    EXPECT_EQ(r, err == 0 ? 1u : 0u);
    return err;
  }
  Bytes Band(Bytes band, std::uint32_t width) {
    const auto lines = static_cast<std::uint32_t>(band.size() / 3 / width);
    std::uint32_t outLines = 0;
    std::uint16_t err = 0xFFFF;
    EXPECT_EQ(Api().doBand(inst_, band.data(), lines, &out_, &outLines, &err), 1u);
    return Bytes(out_, out_ + static_cast<std::size_t>(outLines) * width * 3);
  }

 private:
  K7730_FilterInstance* inst_ = nullptr;
  std::uint8_t* out_ = nullptr;
};

std::uint16_t SetIcc(Filter& f, const char* in, const char* out, std::uint16_t intent, std::uint32_t* result = nullptr) {
  std::uint16_t err = 0xFFFF;
  const std::uint32_t r = Api().setIccProfile(f.get(), 1, in, out, intent, &err);
  if (result != nullptr) *result = r;
  return err;
}

Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
  Bytes b(n);
  for (auto& v : b) v = static_cast<std::uint8_t>(rng());
  return b;
}

TEST(SetIccProfile, AcceptsTwoRgbProfilesAndRefusesEverythingElse) {
  ASSERT_NE(Api().setIccProfile, nullptr);
  Filter f;
  const std::string lut = Profile("rgb_lut16.icc"), display = Profile("rgb_gamma22.icc");
  std::uint32_t r = 0;
  ASSERT_EQ(SetIcc(f, display.c_str(), lut.c_str(), 2, &r), 0);
  EXPECT_EQ(r, 1u);
  EXPECT_EQ(f.Word(kIccEnabledAt), 1u);
  Bytes accepted = f.Block();
  EXPECT_EQ(accepted[kIntentAt], 2);
  EXPECT_STREQ(reinterpret_cast<char*>(&accepted[kInputPathAt]), display.c_str());
  EXPECT_STREQ(reinterpret_cast<char*>(&accepted[kOutputPathAt]), lut.c_str());

  const std::string notAProfile = WriteFile("k7730_not_a_profile.icc", Bytes(300, 'x'));
  const std::string tooLong(260, 'a');
  const std::string gray = Profile("gray.icc"), cmyk = Profile("cmyk_lut16.icc");
  struct Case {
    const char* in;
    const char* out;
    std::uint16_t intent;
    const char* what;
  } cases[] = {
      {nullptr, lut.c_str(), 0, "null input"},
      {"", lut.c_str(), 0, "empty input"},
      {notAProfile.c_str(), lut.c_str(), 0, "input is no profile"},
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
    Bytes now = f.Block();
    EXPECT_EQ(now[kIccEnabledAt], 0) << c.what << ": the stage is switched off";
    now[kIccEnabledAt] = 1;
    EXPECT_EQ(now, accepted) << c.what << ": the stored paths stay";
  }

  // Off needs no profiles at all.
  std::uint16_t err = 0xFFFF;
  EXPECT_EQ(Api().setIccProfile(f.get(), 0, nullptr, nullptr, 9, &err), 1u);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(f.Word(kIccEnabledAt), 0u);
  // The module's own default profiles are usable on either side.
  EXPECT_EQ(SetIcc(f, ModuleFile("K77302.ICC").c_str(), ModuleFile("A17D50.ICC").c_str(), 0), 0);
}

TEST(ColorMatchingPage, StartCodesAndNoProfileLeftOpen) {
  Filter f;
  Api().preference(f.get(), 4, 3, nullptr, nullptr, nullptr);
  // The defaults name the module's own profiles.
  EXPECT_EQ(f.InitPage(16, 4), 0);

  Bytes cmykAsRgb = ReadFile(Profile("cmyk_lut16.icc"));
  ASSERT_GT(cmykAsRgb.size(), 128u);
  std::memcpy(&cmykAsRgb[16], "RGB ", 4);  // an 'RGB ' profile whose lut has four outputs
  const std::string fourOut = WriteFile("k7730_rgb_with_cmyk_lut.icc", cmykAsRgb);
  const std::string notAProfile = WriteFile("k7730_not_a_profile2.icc", Bytes(300, 'x'));
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
      {lut, notAProfile, K7730_ERR_PROFILE, "output is no profile"},
      {lut, Profile("cmyk_lut16.icc"), K7730_ERR_PROFILE, "CMYK output"},
      {Profile("cmyk_lut8.icc"), lut, K7730_ERR_PROFILE, "CMYK input"},
      {lut, fourOut, K7730_ERR_PROFILE, "four-channel transform behind 'RGB '"},
      {lut, Profile("rgb_lut16_intent1_only.icc"), K7730_ERR_NO_MEMORY, "no table for the intent"},
      {Profile("rgb_gamma22.icc"), lut, K7730_OK, "matrix source"},
  };
  for (const Case& c : cases) {
    Bytes b = f.Block();
    std::memset(&b[kInputPathAt], 0, 520);
    std::memcpy(&b[kInputPathAt], c.in.data(), c.in.size());
    std::memcpy(&b[kOutputPathAt], c.out.data(), std::min<std::size_t>(c.out.size(), 259));
    f.SetBlock(b);
    const std::size_t descriptors = OpenDescriptors();
    EXPECT_EQ(f.InitPage(16, 4), c.code) << c.what;
    EXPECT_EQ(OpenDescriptors(), descriptors) << c.what << ": both profiles are closed again";
  }
}

TEST(ColorMatchingPage, BandsMatchAsTheEngineDoesWithTheOutputCurvesOnce) {
  std::mt19937 rng(21);
  const std::int32_t width = 37;
  struct Pair {
    const char* in;
    const char* out;
  } pairs[] = {{"rgb_gamma22.icc", "rgb_lut16.icc"}, {"rgb_lut16.icc", "rgb_lut8.icc"},
               {"rgb_table1024.icc", "rgb_table256.icc"}};
  for (const Pair& p : pairs) {
    Filter f;
    const std::string in = Profile(p.in), out = Profile(p.out);
    ASSERT_EQ(SetIcc(f, in.c_str(), out.c_str(), 1), 0) << p.in;
    std::uint8_t tables[4][256];
    for (auto& t : tables) {
      for (auto& v : t) v = static_cast<std::uint8_t>(rng());
    }
    ASSERT_EQ(Api().setOutputToneCurve(f.get(), 1, tables[0], tables[1], tables[2], tables[3], nullptr), 1u);
    ASSERT_EQ(f.InitPage(width, 5), 0);
    const Bytes band = RandomBytes(rng, width * 5 * 3);

    K7730_CurveLutSet curves;
    for (int k = 0; k < 4; ++k) std::memcpy(curves.tables[k], tables[k], 256);
    for (int i = 0; i < 256; ++i) curves.tables[4][i] = static_cast<std::uint8_t>(i);
    Engine engine;
    const Bytes expected = engine.Match(in, out, 1, &curves, band, width);
    EXPECT_EQ(f.Band(band, width), expected) << p.in << " -> " << p.out;

    // Output curves off: the ColorWorld carries none.
    f.Put(kOutputCurveEnabledAt, "\0\0\0\0", 4);
    ASSERT_EQ(f.InitPage(width, 5), 0);
    EXPECT_EQ(f.Band(band, width), engine.Match(in, out, 1, nullptr, band, width)) << p.in;

    // With the identity MTF filter in front, matching runs in place on the
    // output buffer; a one-band page releases every line.
    f.Put(kMtfEnabledAt, "\1\0\0\0", 4);
    ASSERT_EQ(f.InitPage(width, 5), 0);
    EXPECT_EQ(f.Band(band, width), engine.Match(in, out, 1, nullptr, band, width)) << p.in;
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
    EXPECT_EQ(f.InitPage(width, 2), 0);
    return f.Band(band, width);
  };
  const Bytes perceptual = run(0);
  EXPECT_EQ(run(3), perceptual);
  EXPECT_EQ(run(0xFFFF), perceptual);
  EXPECT_NE(run(2), perceptual) << "the generated printer profile has different tables per intent";
}

}  // namespace
