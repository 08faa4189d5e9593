// Accuracy of the sampled chain: a profile to itself is close to the
// identity, device values survive a round trip, lut and matrix/TRC
// descriptions of the same colours agree, and LittleCMS 2, run on the same
// profiles and pixels, agrees in ΔE2000.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "cmm/color_world.h"
#include "match_reference.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

struct Stats {
  std::vector<double> values;
  void Add(double v) { values.push_back(v); }
  double Mean() const { return values.empty() ? 0 : std::accumulate(values.begin(), values.end(), 0.0) / values.size(); }
  double Max() const { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
  double P95() {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + long(values.size() * 95 / 100), values.end());
    return values[values.size() * 95 / 100];
  }
};

// Grid nodes of a profile mapped to itself land within a few levels of
// where they started, in the grid's own domain (linear for these profiles).
// Matrix/TRC: the 8-bit Lab connection rounds L to 0.2 and a, b to 0.5
// units, which the inverse colorant matrix (absolute row sums up to about
// 5 for these primaries) spreads to about 3 linear levels; the truncating
// conversion back to a byte adds one: at most 4. Lut16: its CLUTs are read
// by their high bytes (truncated, up to one level each way), its Lab nodes
// sit 1/256 off the 8-bit Lab scale, and nodes beyond the gamut are clipped
// in the B2A table, which pulls interpolated values at the gamut's edge in
// by a few more levels: at most 10. Profiles with primaries beyond a*, b*
// of +-128 (Rec. 2020, ProPhoto) clip in the 8-bit Lab connection and are
// not held to this. A matrix/TRC grid does not depend on the TRCs: one
// profile stands for each set of primaries.
TEST(ChainAccuracy, ProfileToItselfKeepsEveryGridNode) {
  struct Case {
    std::string path;
    double maxError, meanError;
  } cases[] = {{kGamma22, 4, 1},
               {kLut16, 10, 1.5},
               {kIcc + "sRGB.icc", 4, 1},
               {kIcc + "ghostscript/a98.icc", 4, 1},
               {kIcc + "ghostscript/esrgb.icc", 4, 1}};
  for (const Case& c : cases) {
    if (!Installed(c.path)) continue;
    World w(c.path, c.path, 1);
    ASSERT_NE(w.handle(), 0u) << c.path;
    Stats s;
    for (std::uint32_t i = 0; i < 33; ++i)
      for (std::uint32_t j = 0; j < 33; ++j)
        for (std::uint32_t k = 0; k < 33; ++k) {
          const std::uint8_t* e = w.Grid() + cmm::GridOffset3(i, j, k);
          const std::uint32_t node[3] = {std::min(8 * i, 255u), std::min(8 * j, 255u), std::min(8 * k, 255u)};
          for (int ch = 0; ch < 3; ++ch) s.Add(std::abs(int(e[ch]) - int(node[ch])));
        }
    EXPECT_LE(s.Max(), c.maxError) << c.path;
    EXPECT_LE(s.Mean(), c.meanError) << c.path;
  }
}

// Device values round trip through a profile and back. The grid holds
// linear bytes for these profiles, and with gamma 2.2 a linear level near
// black spans many device levels: the 4-level node error above becomes
// 255 * (4/255)^(1/2.2) = 39 device levels at black, and the inverted 8-bit
// curve's gap filling adds up to half a gap (about 10): at most 48 below
// device level 64. From level 64 up the curve's slope is at most 2.4 device
// levels per linear level: 4 * 2.4 plus rounding, at most 12.
TEST(ChainAccuracy, DeviceValuesRoundTripThroughAProfile) {
  for (const std::string& path : {kGamma22, kTable1024, kLut8, kLut16}) {
    World w(path, path, 1);
    ASSERT_NE(w.handle(), 0u) << path;
    Stats dark, rest;
    for (int r = 0; r < 256; r += 5)
      for (int g = 0; g < 256; g += 5)
        for (int b = 0; b < 256; b += 5) {
          const std::uint8_t in[3] = {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)};
          std::uint8_t out[3];
          ReferencePixel(*w.header(), w.wide(), false, in, out);  // through the 8-bit tables
          for (int ch = 0; ch < 3; ++ch) (in[ch] < 64 ? dark : rest).Add(std::abs(int(out[ch]) - int(in[ch])));
        }
    EXPECT_LE(dark.Max(), 48) << path;
    EXPECT_LE(rest.Max(), 12) << path;
    EXPECT_LE(rest.Mean(), 1.0) << path;
  }
}

// ---- LittleCMS as the oracle ------------------------------------------------

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

// The test pixels: every node of a device lattice (17 levels a channel for
// three channels, 6 for four), then 9216 random colours.
std::vector<std::uint8_t> TestPixels(std::uint32_t channels, std::mt19937& rng, std::size_t* nodes) {
  std::vector<std::uint8_t> pixels;
  const int levels = channels == 4 ? 6 : 17;
  const int total = channels == 4 ? 6 * 6 * 6 * 6 : 17 * 17 * 17;
  for (int n = 0; n < total; ++n)
    for (int c = int(channels) - 1, rest = n; c >= 0; --c, rest /= levels)
      pixels.push_back(std::uint8_t(std::lround((rest % levels) * 255.0 / (levels - 1))));
  *nodes = std::size_t(total);
  for (std::uint32_t i = 0; i < 9216 * channels; ++i) pixels.push_back(std::uint8_t(rng()));
  return pixels;
}

// Tolerances. The chain passes 8-bit CIELAB between the profiles: L in
// steps of 0.39 and a, b in steps of 1, so quantisation alone moves a colour
// by up to about 0.7 ΔE2000 (half a step in each of L, a and b). Each side
// adds an 8-bit CLUT read by its high byte or an 8-bit curve table (up to a
// level per channel) and the 33- or 17-point grid its interpolation error;
// mid-tones and highlights stay near 1 ΔE2000, so the mean over a pair may
// be 1.5 and the 95th percentile 4. Shadows cost more because the grid and
// the curve tables hold linear bytes: 2 to 3 linear levels of Lab rounding
// (see the node test) are 6 to 9 device levels at L* 20 under gamma 2.2,
// about 6 ΔE2000 (the bound for lattice nodes from L* 20 up; between nodes
// the 17-point four-channel grid adds its own share), and below L* 20 one linear
// level spans up to 21 device levels, which with a neighbouring level's
// error gives up to 12.
TEST(ChainAccuracy, LittleCmsAgreesWithinTheEightBitLabBudget) {
  const std::string defaultCmyk = kIcc + "ghostscript/default_cmyk.icc";
  struct Pair {
    std::string src, dst;
    int intent;
  } pairs[] = {
      {kGamma22, kLut16, 1},        {kLut16, kGamma22, 0},          {kLut8, kLut16, 1},
      {kTable1024, kLut8, 2},       {kGamma22, kCmykLut16, 1},      {kLut8, kCmykLut8, 0},
      {kCmykLut8, kLut16, 1},       {kCmykLut16, kGamma22, 2},      {kCmykLut16, kCmykLut8, 1},
      {kIcc + "sRGB.icc", kLut8, 1}, {kIcc + "sRGB.icc", defaultCmyk, 1}, {defaultCmyk, kLut16, 1},
      {kParaV4, kLut16, 1},         {kLut16, kParaV4, 0},           {kIcc + "colord/AdobeRGB1998.icc", kLut8, 1},
  };
  std::mt19937 rng(4);
  for (const Pair& p : pairs) {
    if (!Installed(p.src) || !Installed(p.dst)) continue;
    Oracle lcms(p.src, p.dst, p.intent);
    World w(p.src, p.dst, std::uint32_t(p.intent));
    ASSERT_TRUE(lcms.ok()) << p.src << " -> " << p.dst;
    ASSERT_NE(w.handle(), 0u) << p.src << " -> " << p.dst;
    std::size_t nodes = 0;
    const std::vector<std::uint8_t> device = TestPixels(lcms.in, rng, &nodes);
    const std::uint32_t pixels = std::uint32_t(device.size() / lcms.in);

    // Four-channel components are complemented at both ends of a ColorWorld.
    std::vector<std::uint8_t> ours = device, oursOut(pixels * lcms.out), theirs(pixels * lcms.out);
    if (lcms.in == 4)
      for (auto& v : ours) v = std::uint8_t(255 - v);
    K7730_PixelMap src{std::int32_t(pixels), 1, lcms.in, pixels * lcms.in, ours.data()};
    K7730_PixelMap dst{std::int32_t(pixels), 1, lcms.out, pixels * lcms.out, oursOut.data()};
    ASSERT_EQ(SDKCMMatchPixelMap(w.handle(), &src, &dst), 0);
    if (lcms.out == 4)
      for (auto& v : oursOut) v = std::uint8_t(255 - v);
    cmsDoTransform(lcms.chain, device.data(), theirs.data(), pixels);

    std::vector<cmsCIELab> labOurs(pixels), labTheirs(pixels);
    cmsDoTransform(lcms.toLab, oursOut.data(), labOurs.data(), pixels);
    cmsDoTransform(lcms.toLab, theirs.data(), labTheirs.data(), pixels);
    Stats all, light;  // light: lattice nodes whose L* from LittleCMS is at least 20
    for (std::size_t i = 0; i < pixels; ++i) {
      const double de = cmsCIE2000DeltaE(&labOurs[i], &labTheirs[i], 1, 1, 1);
      all.Add(de);
      if (i < nodes && labTheirs[i].L >= 20) light.Add(de);
    }
    EXPECT_LE(all.Mean(), 1.5) << p.src << " -> " << p.dst;
    EXPECT_LE(all.P95(), 4.0) << p.src << " -> " << p.dst;
    EXPECT_LE(all.Max(), 12.0) << p.src << " -> " << p.dst;
    EXPECT_LE(light.Max(), 6.0) << p.src << " -> " << p.dst;
  }
}

}  // namespace
}  // namespace k7730::test
