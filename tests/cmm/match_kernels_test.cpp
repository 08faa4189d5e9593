// Every kernel against the plain reference: random ColorWorlds from the
// generated profiles, random images with runs of equal pixels, packed and
// padded rows, separate and in-place destinations, interleaved and planar.
// The exports (which run the fast kernels) and the scalar kernels must both
// give the reference's bytes, and leave every other byte alone.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "cmm/match_geometry.h"
#include "cmm/match_kernels.h"
#include "match_reference.h"
#include "match_worlds.h"

namespace k7730::test {
namespace {

constexpr std::uint8_t kUntouched = 0xCD;

// Random pixels in which about a third repeat the pixel before them.
void FillWithRuns(std::uint8_t* pixels, std::size_t count, std::uint32_t components, std::size_t strideOf,
                  std::mt19937& rng) {
  for (std::size_t i = 0; i < count; ++i)
    for (std::uint32_t c = 0; c < components; ++c) {
      std::uint8_t* at = pixels + i * strideOf + c;
      *at = (i > 0 && rng() % 3 == 0) ? *(at - strideOf) : static_cast<std::uint8_t>(rng());
    }
}

struct Shape {
  int width, height;
  std::uint32_t padIn, padOut;
};

Shape RandomShape(std::mt19937& rng) {
  Shape s;
  s.width = 1 + int(rng() % 37);
  s.height = 1 + int(rng() % 6);
  s.padIn = rng() % 2 ? 0 : rng() % 9;
  s.padOut = rng() % 2 ? 0 : rng() % 9;
  return s;
}

// Runs the scalar kernel after the same checks the export makes.
void RunScalar(const World& w, const K7730_PixelMap* src, const K7730_PixelMap* dst) {
  cmm::MatchRun run;
  const auto& h = *w.header();
  ASSERT_EQ(cmm::CheckPixelMaps(h, src, dst, &run), cmm::RunCheck::Ready);
  cmm::ScalarKernel(h.pixelKernel)(h, w.wide(), run);
}
void RunScalar(const World& w, const K7730_PlaneMap* src, const K7730_PlaneMap* dst) {
  cmm::MatchRun run;
  const auto& h = *w.header();
  ASSERT_EQ(cmm::CheckPlaneMaps(h, src, dst, &run), cmm::RunCheck::Ready);
  cmm::ScalarKernel(h.planeKernel)(h, w.wide(), run);
}

void CheckPixelMaps(const World& w, std::mt19937& rng, const std::string& what) {
  const auto& h = *w.header();
  const std::uint32_t in = h.inChannels, out = h.outChannels;
  const bool wide = cmm::KernelIsWide(h.pixelKernel);
  for (int trial = 0; trial < 4; ++trial) {
    const Shape s = RandomShape(rng);
    const std::uint32_t inRow = s.width * in + s.padIn, outRow = s.width * out + s.padOut;
    std::vector<std::uint8_t> source(std::size_t(inRow) * s.height);
    for (int y = 0; y < s.height; ++y) FillWithRuns(&source[std::size_t(y) * inRow], s.width, in, in, rng);
    for (int y = 0; y < s.height; ++y) std::memset(&source[std::size_t(y) * inRow + s.width * in], 0x5A, s.padIn);
    K7730_PixelMap src{s.width, s.height, in, inRow, source.data()};

    // A separate destination.
    std::vector<std::uint8_t> expected(std::size_t(outRow) * s.height, kUntouched);
    std::vector<std::uint8_t> got = expected, scalar = expected;
    K7730_PixelMap ref{s.width, s.height, out, outRow, expected.data()};
    ReferencePixelMap(h, w.wide(), wide, src, ref);
    K7730_PixelMap dst{s.width, s.height, out, outRow, got.data()};
    ASSERT_EQ(SDKCMMatchPixelMap(w.handle(), &src, &dst), 0) << what;
    EXPECT_EQ(got, expected) << what << " separate, " << s.width << "x" << s.height << " pad " << s.padIn << "/"
                             << s.padOut;
    dst.base = scalar.data();
    RunScalar(w, &src, &dst);
    EXPECT_EQ(scalar, expected) << what << " scalar";

    if (in == 3 && out == 4) continue;
    // In place, without a destination map: the same rows, and for four to
    // three the source's row padding kept after each output row.
    std::vector<std::uint8_t> inPlace = source, expectedInPlace = source;
    K7730_PixelMap inPlaceRef{s.width, s.height, out, inRow - (in - out) * s.width, expectedInPlace.data()};
    ReferencePixelMap(h, w.wide(), wide, src, inPlaceRef);
    K7730_PixelMap self{s.width, s.height, in, inRow, inPlace.data()};
    ASSERT_EQ(SDKCMMatchPixelMap(w.handle(), &self, nullptr), 0);
    EXPECT_EQ(inPlace, expectedInPlace) << what << " in place";
    if (in == out) {
      // A destination map describing the source buffer itself.
      inPlace = source;
      ASSERT_EQ(SDKCMMatchPixelMap(w.handle(), &self, &self), 0);
      EXPECT_EQ(inPlace, expectedInPlace) << what << " same buffer";
    }
    inPlace = source;
    RunScalar(w, &self, nullptr);
    EXPECT_EQ(inPlace, expectedInPlace) << what << " scalar in place";
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

void CheckPlaneMaps(const World& w, std::mt19937& rng, const std::string& what) {
  const auto& h = *w.header();
  const std::uint32_t in = h.inChannels, out = h.outChannels;
  const bool wide = cmm::KernelIsWide(h.planeKernel);
  for (int trial = 0; trial < 4; ++trial) {
    const Shape s = RandomShape(rng);
    Planes source(s.width, s.height, in, s.width + s.padIn, 0x5A);
    // Runs are drawn on whole pixels: one plane decides, the others follow.
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) {
        const std::size_t at = std::size_t(y) * source.map.rowBytes + x;
        const bool repeat = x > 0 && rng() % 3 == 0;
        for (std::uint32_t c = 0; c < in; ++c)
          source.data[c][at] = repeat ? source.data[c][at - 1] : static_cast<std::uint8_t>(rng());
      }

    Planes expected(s.width, s.height, out, s.width + s.padOut, kUntouched);
    Planes got(expected), scalar(expected);
    ReferencePlaneMap(h, w.wide(), wide, source.map, expected.map);
    ASSERT_EQ(SDKCMMatchPlaneMap(w.handle(), &source.map, &got.map), 0) << what;
    EXPECT_EQ(got.data, expected.data) << what << " planes, " << s.width << "x" << s.height;
    RunScalar(w, &source.map, &scalar.map);
    EXPECT_EQ(scalar.data, expected.data) << what << " scalar planes";

    if (in == 3 && out == 4) continue;
    Planes inPlace(source), expectedInPlace(source);
    expectedInPlace.map.components = out;
    ReferencePlaneMap(h, w.wide(), wide, source.map, expectedInPlace.map);
    ASSERT_EQ(SDKCMMatchPlaneMap(w.handle(), &inPlace.map, nullptr), 0);
    EXPECT_EQ(inPlace.data, expectedInPlace.data) << what << " planes in place";
  }
}

TEST(MatchKernels, EveryKernelGivesTheReferenceBytesOnRandomWorlds) {
  std::mt19937 rng(20261206);
  for (KernelKind kind : kAllKinds) {
    for (int n = 0; n < 5; ++n) {
      RandomWorld r = MakeRandomWorld(kind, rng);
      ASSERT_TRUE(r.world) << KindName(kind);
      const std::string what = std::string(KindName(kind)) + " " + r.description;
      CheckPixelMaps(*r.world, rng, what);
      CheckPlaneMaps(*r.world, rng, what);
    }
  }
}

// A long packed run of one colour and a run alternating between two: the
// cache must give the same bytes as computing every pixel.
TEST(MatchKernels, RunsOfEqualPixelsAndAlternatingPixels) {
  std::mt19937 rng(7);
  for (KernelKind kind : kAllKinds) {
    RandomWorld r = MakeRandomWorld(kind, rng);
    ASSERT_TRUE(r.world);
    const World& w = *r.world;
    const std::uint32_t in = w.header()->inChannels, out = w.header()->outChannels;
    const bool wide = cmm::KernelIsWide(w.header()->pixelKernel);
    std::uint8_t a[4], b[4], outA[4], outB[4];
    for (int c = 0; c < 4; ++c) a[c] = std::uint8_t(rng()), b[c] = std::uint8_t(rng());
    ReferencePixel(*w.header(), w.wide(), wide, a, outA);
    ReferencePixel(*w.header(), w.wide(), wide, b, outB);
    const int count = 300;
    std::vector<std::uint8_t> pixels(count * in), result(count * out);
    for (int i = 0; i < count; ++i) std::memcpy(&pixels[i * in], (i < 150 || i % 2) ? a : b, in);
    K7730_PixelMap src{count, 1, in, count * in, pixels.data()}, dst{count, 1, out, count * out, result.data()};
    ASSERT_EQ(SDKCMMatchPixelMap(w.handle(), &src, &dst), 0);
    for (int i = 0; i < count; ++i)
      ASSERT_EQ(0, std::memcmp(&result[i * out], (i < 150 || i % 2) ? outA : outB, out))
          << KindName(kind) << " pixel " << i;
  }
}

// In the 8-bit kernels a pixel whose curve outputs are all grid nodes
// returns the node's entry through the output curves; 255 is the last node,
// reached through the last cell with weight 256.
TEST(MatchKernels, GridNodeInputsReturnTheirEntryExactly) {
  std::mt19937 rng(11);
  for (KernelKind kind : kAllKinds) {
    if (kind == KernelKind::Wide3to3) continue;
    for (int n = 0; n < 3; ++n) {
      RandomWorld r = MakeRandomWorld(kind, rng, false);
      ASSERT_TRUE(r.world);
      const auto& h = *r.world->header();
      const std::uint32_t cell = h.inChannels == 3 ? 8 : 16;
      // For each channel the inputs whose curve output is a node.
      std::vector<std::uint8_t> onNode[4];
      for (std::uint32_t c = 0; c < h.inChannels; ++c)
        for (int v = 0; v < 256; ++v)
          if (h.inCurve[c][v] % cell == 0 || h.inCurve[c][v] == 255) onNode[c].push_back(std::uint8_t(v));
      for (std::uint32_t c = 0; c < h.inChannels; ++c) ASSERT_FALSE(onNode[c].empty()) << r.description;
      bool sawLast = false;
      for (int trial = 0; trial < 200; ++trial) {
        std::uint8_t pixel[4], got[4];
        std::uint32_t node[4];
        for (std::uint32_t c = 0; c < h.inChannels; ++c) {
          // Every tenth pixel takes the highest node of every channel.
          pixel[c] = trial % 10 == 0 ? onNode[c].back() : onNode[c][rng() % onNode[c].size()];
          const std::uint32_t q = h.inCurve[c][pixel[c]];
          node[c] = q == 255 ? h.gridPoints - 1 : q / cell;
        }
        const std::uint32_t at = h.inChannels == 3 ? cmm::GridOffset3(node[0], node[1], node[2])
                                                   : cmm::GridOffset4(node[0], node[1], node[2], node[3]);
        sawLast |= node[0] == h.gridPoints - 1;
        K7730_PixelMap src{1, 1, h.inChannels, h.inChannels, pixel}, dst{1, 1, h.outChannels, h.outChannels, got};
        ASSERT_EQ(SDKCMMatchPixelMap(r.world->handle(), &src, &dst), 0);
        for (std::uint32_t o = 0; o < h.outChannels; ++o)
          ASSERT_EQ(got[o], h.outCurve[o][r.world->Grid()[at + o]]) << r.description << " output " << o;
      }
      EXPECT_TRUE(sawLast) << r.description;
    }
  }
}

// Each implementation the processor can run, by itself: long rows (so the
// vector blocks and the leftover pixels both occur), padded rows, in place.
TEST(MatchKernels, EveryImplementationGivesTheReferenceBytes) {
  std::mt19937 rng(99);
  for (KernelKind kind : kAllKinds) {
    for (int n = 0; n < 3; ++n) {
      RandomWorld r = MakeRandomWorld(kind, rng);
      ASSERT_TRUE(r.world);
      const auto& h = *r.world->header();
      const std::uint32_t in = h.inChannels, out = h.outChannels;
      const bool wide = cmm::KernelIsWide(h.pixelKernel);
      for (cmm::KernelSet set : {cmm::KernelSet::Scalar, cmm::KernelSet::Avx2, cmm::KernelSet::Avx512}) {
        cmm::MatchKernel kernel = cmm::KernelFrom(set, h.pixelKernel);
        if (kernel == nullptr) continue;
        const std::string what = std::string(KindName(kind)) + " set " + std::to_string(int(set)) + " " + r.description;
        const int width = 1 + int(rng() % 70), height = 1 + int(rng() % 4);
        const std::uint32_t inRow = width * in + rng() % 5, outRow = width * out + rng() % 5;
        std::vector<std::uint8_t> source(std::size_t(inRow) * height);
        FillWithRuns(source.data(), source.size() / in, in, in, rng);
        K7730_PixelMap src{width, height, in, inRow, source.data()};
        std::vector<std::uint8_t> expected(std::size_t(outRow) * height, kUntouched), got = expected;
        K7730_PixelMap ref{width, height, out, outRow, expected.data()}, dst{width, height, out, outRow, got.data()};
        ReferencePixelMap(h, r.world->wide(), wide, src, ref);
        cmm::MatchRun run;
        ASSERT_EQ(cmm::CheckPixelMaps(h, &src, &dst, &run), cmm::RunCheck::Ready);
        kernel(h, r.world->wide(), run);
        EXPECT_EQ(got, expected) << what;
        if (in == 3 && out == 4) continue;
        std::vector<std::uint8_t> inPlace = source, expectedInPlace = source;
        K7730_PixelMap self{width, height, in, inRow, inPlace.data()};
        K7730_PixelMap selfRef{width, height, out, inRow - (in - out) * width, expectedInPlace.data()};
        ReferencePixelMap(h, r.world->wide(), wide, src, selfRef);
        ASSERT_EQ(cmm::CheckPixelMaps(h, &self, nullptr, &run), cmm::RunCheck::Ready);
        kernel(h, r.world->wide(), run);
        EXPECT_EQ(inPlace, expectedInPlace) << what << " in place";
      }
    }
  }
}

}  // namespace
}  // namespace k7730::test
