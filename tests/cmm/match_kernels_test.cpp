// Every kernel against the plain reference: random ColorWorlds from the
// generated profiles (random intents, random curve sets), random images
// with runs of equal pixels and alternating pairs, packed and padded rows,
// separate and in-place destinations, interleaved and planar. The exports
// and every implementation the processor can run must give the reference's
// bytes and leave every other byte alone.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

#include "cmm/match_geometry.h"
#include "cmm/match_kernels.h"
#include "match_reference.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

constexpr std::uint8_t kUntouched = 0xCD;
constexpr cmm::KernelSet kSets[] = {cmm::KernelSet::Scalar, cmm::KernelSet::Baseline, cmm::KernelSet::Avx2,
                                     cmm::KernelSet::Avx512};

enum class Kind { Lut3to3, Wide3to3, Lut3to4, Lut4to3, Lut4to4 };
constexpr Kind kAllKinds[] = {Kind::Lut3to3, Kind::Wide3to3, Kind::Lut3to4, Kind::Lut4to3, Kind::Lut4to4};

struct RandomWorld {
  std::unique_ptr<World> world;
  std::string description;
};

// A source and a destination chosen for the kernel, a random intent and
// random curve sets on either side at random.
RandomWorld MakeRandomWorld(Kind kind, std::mt19937& rng) {
  const auto G = [](const char* n) { return GeneratedProfile(n); };
  const std::vector<std::string> lut = {kLut8, kLut16, G("small_rgb_lut16.icc"), G("small_rgb_lut8.icc")};
  const std::vector<std::string> matrix = {kGamma22, kTable256, kTable1024};
  const std::vector<std::string> cmyk = {kCmykLut8, kCmykLut16, G("small_cmyk_lut16.icc"), G("small_cmyk_lut8.icc")};
  std::vector<std::string> rgb = lut;
  rgb.insert(rgb.end(), matrix.begin(), matrix.end());
  const auto pick = [&rng](const std::vector<std::string>& from) { return from[rng() % from.size()]; };
  for (int attempt = 0; attempt < 64; ++attempt) {
    const bool fromCmyk = kind == Kind::Lut4to3 || kind == Kind::Lut4to4;
    const bool toCmyk = kind == Kind::Lut3to4 || kind == Kind::Lut4to4;
    const std::string src = pick(fromCmyk ? cmyk : kind == Kind::Lut3to3 ? lut : kind == Kind::Wide3to3 ? matrix : rgb);
    const std::string dst = pick(toCmyk ? cmyk : rgb);
    const std::uint32_t intent = rng() % 4;
    K7730_CurveLutSet sets[2];
    const bool with[2] = {rng() % 2 == 0, rng() % 2 == 0};
    for (int s = 0; s < 2; ++s)
      if (with[s])
        for (auto& table : sets[s].tables)
          for (auto& v : table) v = static_cast<std::uint8_t>(rng());
    auto world = std::make_unique<World>(src, dst, intent, with[0] ? &sets[0] : nullptr, with[1] ? &sets[1] : nullptr);
    if (world->handle() == 0) continue;  // some generated profiles hold one intent only
    return {std::move(world), src + " -> " + dst + " intent " + std::to_string(intent) + (with[0] ? " +in" : "") +
                                  (with[1] ? " +out" : "")};
  }
  return {};
}

// Random pixels, packed: each repeats the one before it (a run), the one
// two before (an alternating pair, which a one-entry cache must not
// confuse) or is new.
std::vector<std::uint8_t> RandomPixels(std::size_t count, std::uint32_t components, std::mt19937& rng) {
  std::vector<std::uint8_t> p(count * components);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t draw = rng() % 8, back = draw < 4 ? 1 : draw == 4 ? 2 : 0;
    for (std::uint32_t c = 0; c < components; ++c)
      p[i * components + c] = back != 0 && i >= back ? p[(i - back) * components + c] : std::uint8_t(rng());
  }
  return p;
}

struct Shape {
  int width, height;
  std::uint32_t padIn, padOut;
};

Shape RandomShape(std::mt19937& rng) {
  const auto pad = [&rng] { return std::uint32_t(rng() % 2 ? 0 : rng() % 9); };
  return {1 + int(rng() % 70), 1 + int(rng() % 5), pad(), pad()};
}

// Runs `kernel` after the checks the export makes, or the export itself
// when `kernel` is null.
template <typename Map>
void Run(const World& w, cmm::MatchKernel kernel, const Map* src, const std::type_identity_t<Map>* dst) {
  constexpr bool kPixels = std::is_same_v<Map, K7730_PixelMap>;
  cmm::MatchRun run;
  if (kernel == nullptr) {
    if constexpr (kPixels) ASSERT_EQ(SDKCMMatchPixelMap(w.handle(), src, dst), 0);
    else ASSERT_EQ(SDKCMMatchPlaneMap(w.handle(), src, dst), 0);
    return;
  }
  if constexpr (kPixels) ASSERT_EQ(cmm::CheckPixelMaps(*w.header(), src, dst, &run), cmm::RunCheck::Ready);
  else ASSERT_EQ(cmm::CheckPlaneMaps(*w.header(), src, dst, &run), cmm::RunCheck::Ready);
  kernel(*w.header(), w.wide(), run);
}

// The export (null) and each implementation this processor has, on both
// paths of the vector kernels.
std::vector<std::pair<cmm::MatchKernel, std::string>> Implementations(std::uint32_t id) {
  std::vector<std::pair<cmm::MatchKernel, std::string>> out = {{nullptr, "export"}};
  for (cmm::KernelSet set : kSets)
    for (cmm::MatchPath path : {cmm::MatchPath::Blocks, cmm::MatchPath::OneByOne})
      if (cmm::MatchKernel k = cmm::KernelFrom(set, id, path))
        out.push_back({k, "set " + std::to_string(int(set)) + " path " + std::to_string(int(path))});
  return out;
}

void CheckPixelMaps(const World& w, const Shape& s, std::mt19937& rng, const std::string& what) {
  const auto& h = *w.header();
  const std::uint32_t in = h.inChannels, out = h.outChannels;
  const bool wide = cmm::KernelIsWide(h.pixelKernel);
  const std::uint32_t inRow = s.width * in + s.padIn, outRow = s.width * out + s.padOut;
  const std::vector<std::uint8_t> pixels = RandomPixels(std::size_t(s.width) * s.height, in, rng);
  std::vector<std::uint8_t> source(std::size_t(inRow) * s.height, 0x5A);
  for (int y = 0; y < s.height; ++y)
    std::memcpy(&source[std::size_t(y) * inRow], &pixels[std::size_t(y) * s.width * in], s.width * in);
  K7730_PixelMap src{s.width, s.height, in, inRow, source.data()};
  std::vector<std::uint8_t> expected(std::size_t(outRow) * s.height, kUntouched);
  K7730_PixelMap ref{s.width, s.height, out, outRow, expected.data()};
  ReferencePixelMap(h, w.wide(), wide, src, ref);
  // In place: the same rows, and for four to three the source's row padding
  // kept after each output row.
  std::vector<std::uint8_t> expectedInPlace = source;
  K7730_PixelMap inPlaceRef{s.width, s.height, out, inRow - (in - out) * s.width, expectedInPlace.data()};
  if (in >= out) ReferencePixelMap(h, w.wide(), wide, src, inPlaceRef);

  for (const auto& [kernel, name] : Implementations(h.pixelKernel)) {
    const std::string where = what + " " + name + ", " + std::to_string(s.width) + "x" + std::to_string(s.height) +
                              " pad " + std::to_string(s.padIn) + "/" + std::to_string(s.padOut);
    std::vector<std::uint8_t> got(expected.size(), kUntouched);
    K7730_PixelMap dst{s.width, s.height, out, outRow, got.data()};
    Run(w, kernel, &src, &dst);
    EXPECT_EQ(got, expected) << where;
    if (in < out) continue;
    std::vector<std::uint8_t> inPlace = source;
    K7730_PixelMap self{s.width, s.height, in, inRow, inPlace.data()};
    Run(w, kernel, &self, nullptr);
    EXPECT_EQ(inPlace, expectedInPlace) << where << " in place";
    if (in == out && kernel == nullptr) {  // a destination map naming the source buffer itself
      inPlace = source;
      ASSERT_EQ(SDKCMMatchPixelMap(w.handle(), &self, &self), 0);
      EXPECT_EQ(inPlace, expectedInPlace) << where << " same buffer";
    }
  }
}

// Planes of `rowBytes` per row, each in its own vector.
struct Planes {
  std::vector<std::vector<std::uint8_t>> data;
  K7730_PlaneMap map{};
  Planes(int width, int height, std::uint32_t count, std::uint32_t rowBytes, std::uint8_t fill) {
    data.assign(count, std::vector<std::uint8_t>(std::size_t(rowBytes) * height, fill));
    map = {width, height, count, rowBytes, {}};
    for (std::uint32_t c = 0; c < count; ++c) map.plane[c] = data[c].data();
  }
  Planes(const Planes& other) : data(other.data), map(other.map) {
    for (std::size_t c = 0; c < data.size(); ++c) map.plane[c] = data[c].data();
  }
  Planes& operator=(const Planes&) = delete;
};

void CheckPlaneMaps(const World& w, const Shape& s, std::mt19937& rng, const std::string& what) {
  const auto& h = *w.header();
  const std::uint32_t in = h.inChannels, out = h.outChannels;
  const bool wide = cmm::KernelIsWide(h.planeKernel);
  const std::vector<std::uint8_t> pixels = RandomPixels(std::size_t(s.width) * s.height, in, rng);
  Planes source(s.width, s.height, in, s.width + s.padIn, 0x5A);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      for (std::uint32_t c = 0; c < in; ++c)
        source.data[c][std::size_t(y) * source.map.rowBytes + x] = pixels[(std::size_t(y) * s.width + x) * in + c];
  Planes expected(s.width, s.height, out, s.width + s.padOut, kUntouched), expectedInPlace(source);
  ReferencePlaneMap(h, w.wide(), wide, source.map, expected.map);
  expectedInPlace.map.components = out;
  if (in >= out) ReferencePlaneMap(h, w.wide(), wide, source.map, expectedInPlace.map);

  for (const auto& [kernel, name] : Implementations(h.planeKernel)) {
    Planes got(s.width, s.height, out, s.width + s.padOut, kUntouched);
    Run(w, kernel, &source.map, &got.map);
    EXPECT_EQ(got.data, expected.data) << what << " " << name << " planes, " << s.width << "x" << s.height;
    if (in < out) continue;
    Planes inPlace(source);
    Run(w, kernel, &inPlace.map, nullptr);
    EXPECT_EQ(inPlace.data, expectedInPlace.data) << what << " " << name << " planes in place";
  }
}

TEST(MatchKernels, EveryImplementationGivesTheReferenceBytesOnRandomWorlds) {
  std::mt19937 rng(20261206);
  for (Kind kind : kAllKinds) {
    for (int n = 0; n < 5; ++n) {
      RandomWorld r = MakeRandomWorld(kind, rng);
      ASSERT_TRUE(r.world) << int(kind);
      for (int trial = 0; trial < 4; ++trial) {
        CheckPixelMaps(*r.world, RandomShape(rng), rng, r.description);
        CheckPlaneMaps(*r.world, RandomShape(rng), rng, r.description);
      }
    }
  }
}

}  // namespace
}  // namespace k7730::test
