// Colour accuracy of whole images matched through the exports, with
// LittleCMS 2 as the oracle: the same pixels, profiles and intent through
// both engines, both results read back to Lab through the destination
// profile and compared in ΔE2000.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "profile_builder.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

struct Oracle {
  cmsHPROFILE src = nullptr, dst = nullptr, lab = nullptr;
  cmsHTRANSFORM chain = nullptr, toLab = nullptr;
  std::uint32_t in = 3, out = 3;

  Oracle(const std::string& s, const std::string& d, int intent) {
    src = cmsOpenProfileFromFile(s.c_str(), "r");
    dst = cmsOpenProfileFromFile(d.c_str(), "r");
    lab = cmsCreateLab4Profile(nullptr);
    if (src == nullptr || dst == nullptr || lab == nullptr) return;
    in = cmsGetColorSpace(src) == cmsSigCmykData ? 4 : 3;
    out = cmsGetColorSpace(dst) == cmsSigCmykData ? 4 : 3;
    const cmsUInt32Number inType = in == 4 ? TYPE_CMYK_8 : TYPE_RGB_8;
    const cmsUInt32Number outType = out == 4 ? TYPE_CMYK_8 : TYPE_RGB_8;
    const cmsUInt32Number exact = cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE;
    chain = cmsCreateTransform(src, inType, dst, outType, cmsUInt32Number(intent), exact);
    toLab = cmsCreateTransform(dst, outType, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, exact);
  }
  ~Oracle() {
    if (chain) cmsDeleteTransform(chain);
    if (toLab) cmsDeleteTransform(toLab);
    for (cmsHPROFILE p : {src, dst, lab})
      if (p) cmsCloseProfile(p);
  }
  bool ok() const { return chain != nullptr && toLab != nullptr; }
};

struct Figures {
  double mean = 0, p95 = 0, max = 0;
};

Figures Summarise(std::vector<double> d) {
  Figures f;
  std::sort(d.begin(), d.end());
  for (double v : d) f.mean += v;
  f.mean /= double(d.size());
  f.p95 = d[d.size() * 95 / 100];
  f.max = d.back();
  return f;
}

// A 96 x 96 image: random colours, runs of one colour, and smooth ramps.
std::vector<std::uint8_t> TestImage(std::uint32_t channels, std::mt19937& rng) {
  const int width = 96, height = 96;
  std::vector<std::uint8_t> image(std::size_t(width) * height * channels);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (std::uint32_t c = 0; c < channels; ++c) {
        std::uint8_t& v = image[(std::size_t(y) * width + x) * channels + c];
        if (y < 48) v = std::uint8_t(rng());
        else if (y < 72) v = std::uint8_t((x * (c + 1) * 255 / (width - 1) + y * 3) % 256);
        else v = x % 8 == 0 ? std::uint8_t(rng()) : image[(std::size_t(y) * width + x - 1) * channels + c];
      }
  return image;
}

Figures Compare(const std::string& s, const std::string& d, int intent, std::mt19937& rng) {
  Oracle lcms(s, d, intent);
  World w(s, d, std::uint32_t(intent));
  EXPECT_TRUE(lcms.ok()) << s << " -> " << d;
  EXPECT_NE(w.handle(), 0u) << s << " -> " << d;
  if (!lcms.ok() || w.handle() == 0) return {};
  const std::vector<std::uint8_t> device = TestImage(lcms.in, rng);
  const std::size_t pixels = device.size() / lcms.in;

  // Four-channel components are complemented at both ends of a ColorWorld.
  std::vector<std::uint8_t> ours = device, theirs(pixels * lcms.out);
  if (lcms.in == 4)
    for (auto& v : ours) v = std::uint8_t(255 - v);
  std::vector<std::uint8_t> oursOut(pixels * lcms.out);
  K7730_PixelMap src{96, 96, lcms.in, 96 * lcms.in, ours.data()}, dst{96, 96, lcms.out, 96 * lcms.out, oursOut.data()};
  EXPECT_EQ(SDKCMMatchPixelMap(w.handle(), &src, &dst), 0);
  if (lcms.out == 4)
    for (auto& v : oursOut) v = std::uint8_t(255 - v);
  cmsDoTransform(lcms.chain, device.data(), theirs.data(), cmsUInt32Number(pixels));

  std::vector<cmsCIELab> labOurs(pixels), labTheirs(pixels);
  cmsDoTransform(lcms.toLab, oursOut.data(), labOurs.data(), cmsUInt32Number(pixels));
  cmsDoTransform(lcms.toLab, theirs.data(), labTheirs.data(), cmsUInt32Number(pixels));
  std::vector<double> deltas(pixels);
  for (std::size_t i = 0; i < pixels; ++i) deltas[i] = cmsCIE2000DeltaE(&labOurs[i], &labTheirs[i], 1, 1, 1);
  return Summarise(deltas);
}

// Bounds. The transform passes 8-bit CIELAB between the profiles (L in
// steps of 0.39, a and b in steps of 1: up to about 0.7 ΔE2000 from the
// quantisation alone), and the grid and curve tables hold linear bytes,
// so dark colours, where one linear level spans many device levels, carry
// most of the error. Interpolating between the 33 or 17 grid nodes adds its
// own share on top of the sampled chain. A careful implementation stays
// below a mean of 1.5 and a 95th percentile of 4; the worst colours (deep
// shadows) stay below 12.
TEST(MatchAccuracy, ImagesAgreeWithLittleCms) {
  const auto G = [](const char* n) { return GeneratedProfile(n); };
  struct Pair {
    std::string src, dst;
    int intent;
  } pairs[] = {
      {G("rgb_lut8.icc"), G("rgb_lut16.icc"), 1},        {G("rgb_lut16.icc"), G("rgb_gamma22.icc"), 0},
      {G("rgb_gamma22.icc"), G("rgb_lut16.icc"), 1},     {G("rgb_table1024.icc"), G("rgb_lut8.icc"), 2},
      {G("rgb_gamma22.icc"), G("cmyk_lut16.icc"), 1},    {G("rgb_lut8.icc"), G("cmyk_lut8.icc"), 0},
      {G("cmyk_lut8.icc"), G("rgb_lut16.icc"), 1},       {G("cmyk_lut16.icc"), G("rgb_gamma22.icc"), 2},
      {G("cmyk_lut16.icc"), G("cmyk_lut8.icc"), 1},
  };
  std::mt19937 rng(4);
  for (const Pair& p : pairs) {
    const Figures f = Compare(p.src, p.dst, p.intent, rng);
    auto name = [](const std::string& path) { return path.substr(path.find_last_of('/') + 1); };
    std::printf("dE2000 %-18s -> %-18s intent %d: mean %.3f p95 %.3f max %.3f\n", name(p.src).c_str(),
                name(p.dst).c_str(), p.intent, f.mean, f.p95, f.max);
    EXPECT_LE(f.mean, 1.5) << p.src << " -> " << p.dst;
    EXPECT_LE(f.p95, 4.0) << p.src << " -> " << p.dst;
    EXPECT_LE(f.max, 12.0) << p.src << " -> " << p.dst;
  }
}

}  // namespace
}  // namespace k7730::test
