// Accuracy of the sampled chain: a profile to itself is close to the
// identity, lut and matrix/TRC descriptions of the same colours agree, and
// LittleCMS, run on the same profiles, agrees in ΔE2000.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "cmm/color_world.h"
#include "profile_builder.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

const std::string kGamma22 = GeneratedProfile("rgb_gamma22.icc");
const std::string kTable256 = GeneratedProfile("rgb_table256.icc");
const std::string kTable1024 = GeneratedProfile("rgb_table1024.icc");
const std::string kLut16 = GeneratedProfile("rgb_lut16.icc");
const std::string kLut8 = GeneratedProfile("rgb_lut8.icc");
const std::string kCmykLut16 = GeneratedProfile("cmyk_lut16.icc");
const std::string kCmykLut8 = GeneratedProfile("cmyk_lut8.icc");

struct Stats {
  double sum = 0, max = 0;
  int count = 0;
  void Add(double v) {
    sum += v;
    max = std::max(max, v);
    ++count;
  }
  double Mean() const { return count ? sum / count : 0; }
};

// Every node of a 3-input grid against the node itself, in the grid's own
// (curve-linearised) domain.
Stats NodeIdentityError(const World& w) {
  Stats s;
  for (std::uint32_t i = 0; i < 33; ++i)
    for (std::uint32_t j = 0; j < 33; ++j)
      for (std::uint32_t k = 0; k < 33; ++k) {
        const std::uint8_t* e = w.Grid() + cmm::GridOffset3(i, j, k);
        const std::uint32_t node[3] = {std::min(8 * i, 255u), std::min(8 * j, 255u), std::min(8 * k, 255u)};
        for (int c = 0; c < 3; ++c) s.Add(std::abs(int(e[c]) - int(node[c])));
      }
  return s;
}

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
// not held to this.
TEST(ChainAccuracy, ProfileToItselfKeepsEveryGridNode) {
  struct Case {
    std::string path;
    double maxError;
    double meanError;
  } cases[] = {{kGamma22, 4, 1}, {kTable256, 4, 1}, {kTable1024, 4, 1}, {kLut16, 10, 1.5},
               {std::string(kIccFolder) + "sRGB.icc", 4, 1},
               {std::string(kIccFolder) + "ghostscript/a98.icc", 4, 1},
               {std::string(kIccFolder) + "ghostscript/esrgb.icc", 4, 1},
               {std::string(kArgyllFolder) + "sRGB.icm", 4, 1}};
  for (const Case& c : cases) {
    if (!Exists(c.path)) {
      std::printf("skipped %s (not installed)\n", c.path.c_str());
      continue;
    }
    World w(c.path, c.path, 1);
    ASSERT_NE(w.handle(), 0u) << c.path;
    Stats s = NodeIdentityError(w);
    std::printf("node identity %-50s mean %.3f max %.0f\n", c.path.c_str(), s.Mean(), s.max);
    EXPECT_LE(s.max, c.maxError) << c.path;
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
TEST(ChainAccuracy, DeviceRoundTripThroughItself) {
  for (const std::string& path : {kGamma22, kTable1024, kLut8, kLut16}) {
    World w(path, path, 1);
    ASSERT_NE(w.handle(), 0u);
    Stats dark, rest;
    for (int r = 0; r < 256; r += 5)
      for (int g = 0; g < 256; g += 5)
        for (int b = 0; b < 256; b += 5) {
          const std::uint8_t in[3] = {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)};
          std::uint8_t out[3];
          w.Evaluate(in, out);
          for (int c = 0; c < 3; ++c) (in[c] < 64 ? dark : rest).Add(std::abs(int(out[c]) - int(in[c])));
        }
    std::printf("device round trip %-40s dark mean %.2f max %.0f, rest mean %.2f max %.0f\n", path.c_str(),
                dark.Mean(), dark.max, rest.Mean(), rest.max);
    EXPECT_LE(dark.max, 48) << path;
    EXPECT_LE(rest.max, 12) << path;
    EXPECT_LE(rest.Mean(), 1.0) << path;
  }
}

// The generated lut profiles describe the colours of the gamma 2.2
// matrix/TRC profile, so either as the source gives nearly the same device
// values at a common destination; both carry the errors above, so the
// bounds are those of the round trip (shadows included).
TEST(ChainAccuracy, LutAndMatrixSourcesOfTheSameColoursAgree) {
  World matrix(kGamma22, kLut8, 1);
  for (const std::string& lut : {kLut16, kLut8}) {
    World other(lut, kLut8, 1);
    ASSERT_NE(other.handle(), 0u);
    Stats s;
    for (int r = 0; r < 256; r += 15)
      for (int g = 0; g < 256; g += 15)
        for (int b = 0; b < 256; b += 15) {
          const std::uint8_t in[3] = {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)};
          std::uint8_t a[3], o[3];
          matrix.Evaluate(in, a);
          other.Evaluate(in, o);
          for (int c = 0; c < 3; ++c) s.Add(std::abs(int(a[c]) - int(o[c])));
        }
    std::printf("matrix vs %-40s mean %.2f max %.0f\n", lut.c_str(), s.Mean(), s.max);
    EXPECT_LE(s.max, 48) << lut;
    EXPECT_LE(s.Mean(), 2.0) << lut;
  }
}

// ---- LittleCMS as the oracle ------------------------------------------------

struct Lcms {
  cmsHPROFILE src = nullptr, dst = nullptr;
  cmsHTRANSFORM chain = nullptr, dstToLab = nullptr;
  int inChannels = 3, outChannels = 3;

  Lcms(const std::string& s, const std::string& d, int intent) {
    src = cmsOpenProfileFromFile(s.c_str(), "r");
    dst = cmsOpenProfileFromFile(d.c_str(), "r");
    if (src == nullptr || dst == nullptr) return;
    inChannels = cmsGetColorSpace(src) == cmsSigCmykData ? 4 : 3;
    outChannels = cmsGetColorSpace(dst) == cmsSigCmykData ? 4 : 3;
    const cmsUInt32Number in = inChannels == 4 ? TYPE_CMYK_8 : TYPE_RGB_8;
    const cmsUInt32Number out = outChannels == 4 ? TYPE_CMYK_8 : TYPE_RGB_8;
    const cmsUInt32Number flags = cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE;
    chain = cmsCreateTransform(src, in, dst, out, cmsUInt32Number(intent), flags);
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    dstToLab = cmsCreateTransform(dst, out, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, flags);
    cmsCloseProfile(lab);
  }
  ~Lcms() {
    if (chain) cmsDeleteTransform(chain);
    if (dstToLab) cmsDeleteTransform(dstToLab);
    if (src) cmsCloseProfile(src);
    if (dst) cmsCloseProfile(dst);
  }
  bool ok() const { return chain != nullptr && dstToLab != nullptr; }
};

// Node colours of the device lattice with `levels` values per channel.
std::vector<std::vector<std::uint8_t>> Lattice(int channels, int levels) {
  std::vector<std::vector<std::uint8_t>> out;
  int total = 1;
  for (int c = 0; c < channels; ++c) total *= levels;
  for (int n = 0; n < total; ++n) {
    std::vector<std::uint8_t> v(channels);
    int rest = n;
    for (int c = channels - 1; c >= 0; --c) {
      v[c] = std::uint8_t(std::lround((rest % levels) * 255.0 / (levels - 1)));
      rest /= levels;
    }
    out.push_back(v);
  }
  return out;
}

// ΔE2000 between this engine's output and LittleCMS's for the same device
// colours, both read back to Lab through the destination profile.
struct OracleStats {
  Stats all, light, dark;  // light: L* of LittleCMS's colour at least 20
};

OracleStats OracleDeltaE(const std::string& s, const std::string& d, int intent) {
  OracleStats stats;
  Lcms lcms(s, d, intent);
  World w(s, d, std::uint32_t(intent));
  EXPECT_TRUE(lcms.ok());
  EXPECT_NE(w.handle(), 0u);
  if (!lcms.ok() || w.handle() == 0) return stats;
  for (const auto& device : Lattice(lcms.inChannels, lcms.inChannels == 4 ? 6 : 17)) {
    std::uint8_t pixel[4], ours[4], theirs[4];
    // Four-channel components are complemented at both ends of a ColorWorld.
    for (int c = 0; c < lcms.inChannels; ++c) pixel[c] = lcms.inChannels == 4 ? 255 - device[c] : device[c];
    w.Evaluate(pixel, ours);
    if (lcms.outChannels == 4)
      for (int c = 0; c < 4; ++c) ours[c] = std::uint8_t(255 - ours[c]);
    cmsDoTransform(lcms.chain, device.data(), theirs, 1);
    cmsCIELab labOurs, labTheirs;
    cmsDoTransform(lcms.dstToLab, ours, &labOurs, 1);
    cmsDoTransform(lcms.dstToLab, theirs, &labTheirs, 1);
    double de = cmsCIE2000DeltaE(&labOurs, &labTheirs, 1, 1, 1);
    stats.all.Add(de);
    (labTheirs.L >= 20 ? stats.light : stats.dark).Add(de);
  }
  return stats;
}

// Tolerances. The chain passes 8-bit CIELAB between the profiles: L in
// steps of 0.39 and a, b in steps of 1, so quantisation alone moves a colour
// by up to about 0.7 ΔE2000 (half a step in each of L, a and b). Each side
// adds an 8-bit CLUT read by its high byte or an 8-bit curve table (up to a
// level per channel) and the 33-point grid its trilinear error; mid-tones
// and highlights stay near 1 ΔE2000, so the mean over a pair may be 1.5.
// Shadows cost more because the grid and the curve tables hold linear
// bytes: 2 to 3 linear levels of Lab rounding (see the node test) are 6 to
// 9 device levels at L* 20 under gamma 2.2, about 6 ΔE2000 (the bound for
// L* from 20 up), and below L* 20 one linear level spans up to 21 device
// levels, which with a neighbouring level's error gives up to 12.
TEST(ChainAccuracy, LittleCmsAgreesWithinTheEightBitLabBudget) {
  struct Pair {
    std::string src, dst;
  } pairs[] = {
      {kGamma22, kLut16},
      {kLut16, kGamma22},
      {kLut8, kLut16},
      {kTable1024, kLut8},
      {kGamma22, kCmykLut16},
      {kCmykLut8, kLut16},
      {kCmykLut16, kCmykLut8},
      {std::string(kIccFolder) + "sRGB.icc", kLut8},
      {std::string(kIccFolder) + "sRGB.icc", std::string(kIccFolder) + "ghostscript/default_cmyk.icc"},
      {std::string(kIccFolder) + "ghostscript/default_cmyk.icc", kLut16},
  };
  Stats all;
  for (const Pair& p : pairs) {
    if (!Exists(p.src) || !Exists(p.dst)) {
      std::printf("skipped %s -> %s (not installed)\n", p.src.c_str(), p.dst.c_str());
      continue;
    }
    OracleStats o = OracleDeltaE(p.src, p.dst, 1);
    const Stats& s = o.all;
    std::printf("dE2000 %s -> %s: mean %.3f max %.3f (L* >= 20: max %.3f) over %d colours\n", p.src.c_str(),
                p.dst.c_str(), s.Mean(), s.max, o.light.max, s.count);
    EXPECT_LE(s.Mean(), 1.5) << p.src << " -> " << p.dst;
    EXPECT_LE(o.light.max, 6.0) << p.src << " -> " << p.dst;
    EXPECT_LE(o.dark.max, 12.0) << p.src << " -> " << p.dst;
    all.sum += s.sum;
    all.count += s.count;
    all.max = std::max(all.max, s.max);
  }
  std::printf("dE2000 over all pairs: mean %.3f max %.3f\n", all.Mean(), all.max);
}

}  // namespace
}  // namespace k7730::test
