// The plain kernels: one pixel after the other, each through the input
// curves, its grid cell and the output curves, with the one-entry cache for
// runs of equal pixels. They define the results the fast kernels must give.
#include <cstring>

#include "cmm/match_kernels.h"
#include "cmm/match_pixel.h"

namespace k7730::cmm {
namespace {

// Reads and writes one pixel of an interleaved or a planar run. Every input
// component is read before any output is written, so a destination that is
// the source itself gives the same result as a separate one.
template <int In, int Out, bool Planar>
struct Cursor {
  const std::uint8_t* src[4];
  std::uint8_t* dst[4];

  explicit Cursor(const MatchRun& run) {
    std::memcpy(src, run.src, sizeof src);
    std::memcpy(dst, run.dst, sizeof dst);
  }
  void Read(std::uint32_t c[In]) {
    if constexpr (Planar) {
      for (int k = 0; k < In; ++k) c[k] = *src[k]++;
    } else {
      for (int k = 0; k < In; ++k) c[k] = src[0][k];
      src[0] += In;
    }
  }
  void Write(const std::uint8_t v[Out]) {
    if constexpr (Planar) {
      for (int k = 0; k < Out; ++k) *dst[k]++ = v[k];
    } else {
      for (int k = 0; k < Out; ++k) dst[0][k] = v[k];
      dst[0] += Out;
    }
  }
  void EndRow(const MatchRun& run) {
    for (int k = 0; k < (Planar ? In : 1); ++k) src[k] += run.srcSkip;
    for (int k = 0; k < (Planar ? Out : 1); ++k) dst[k] += run.dstSkip;
  }
};

template <int In, int Out, bool Planar>
void Kernel8(const ColorWorldHeader& world, const WideTables*, const MatchRun& run) {
  const std::uint8_t* grid = world.Grid();
  Cursor<In, Out, Planar> cursor(run);
  bool cached = false;
  std::uint32_t lastKey = 0;
  std::uint8_t result[Out] = {};
  for (std::size_t y = 0; y < run.rows; ++y) {
    for (std::size_t x = 0; x < run.pixels; ++x) {
      std::uint32_t c[In], q[In];
      cursor.Read(c);
      std::uint32_t key = 0;
      for (int k = 0; k < In; ++k) {
        q[k] = world.inCurve[k][c[k]];
        key = (key << 8) | q[k];
      }
      if (!cached || key != lastKey) {
        std::int32_t w[In];
        for (int k = 0; k < In; ++k) w[k] = static_cast<std::int32_t>(world.weight[q[k]]);
        std::uint32_t bytes[Out];
        if constexpr (In == 3)
          InterpolateCell3<Out>(grid + CellOffset3(q[0], q[1], q[2]), w, bytes);
        else
          InterpolateCell4<Out>(grid + CellOffset4(q[0], q[1], q[2], q[3]), w, bytes);
        for (int o = 0; o < Out; ++o) result[o] = world.outCurve[o][bytes[o]];
        lastKey = key;
        cached = true;
      }
      cursor.Write(result);
    }
    cursor.EndRow(run);
  }
}

template <bool Planar>
void KernelWide(const ColorWorldHeader& world, const WideTables* wide, const MatchRun& run) {
  const std::uint8_t* grid = world.Grid();
  Cursor<3, 3, Planar> cursor(run);
  bool cached = false;
  std::uint32_t lastKey = 0;
  std::uint8_t result[3] = {};
  for (std::size_t y = 0; y < run.rows; ++y) {
    for (std::size_t x = 0; x < run.pixels; ++x) {
      std::uint32_t c[3];
      cursor.Read(c);
      const std::uint32_t key = (c[0] << 16) | (c[1] << 8) | c[2];
      if (!cached || key != lastKey) {
        std::uint32_t b[3], w[3];
        for (int k = 0; k < 3; ++k) {
          const std::uint32_t v = WideValue(*wide, k, c[k]);
          b[k] = v / 257;
          w[k] = wide->weight16[v];
        }
        std::uint32_t bytes[3];
        InterpolateCellWide(grid + CellOffset3(b[0], b[1], b[2]), w, bytes);
        for (int o = 0; o < 3; ++o) result[o] = world.outCurve[o][bytes[o]];
        lastKey = key;
        cached = true;
      }
      cursor.Write(result);
    }
    cursor.EndRow(run);
  }
}

}  // namespace

bool KernelIsWide(std::uint32_t id) { return id == kPixels3to3Wide || id == kPlanes3to3Wide; }
bool KernelIsPlanar(std::uint32_t id) { return id >= kPlanes3to3 && id <= kPlanes4to4; }

MatchKernel ScalarKernel(std::uint32_t id) {
  switch (id) {
    case kPixels3to3: return Kernel8<3, 3, false>;
    case kPixels3to3Wide: return KernelWide<false>;
    case kPixels3to4: return Kernel8<3, 4, false>;
    case kPixels4to3: return Kernel8<4, 3, false>;
    case kPixels4to4: return Kernel8<4, 4, false>;
    case kPlanes3to3: return Kernel8<3, 3, true>;
    case kPlanes3to3Wide: return KernelWide<true>;
    case kPlanes3to4: return Kernel8<3, 4, true>;
    case kPlanes4to3: return Kernel8<4, 3, true>;
    case kPlanes4to4: return Kernel8<4, 4, true>;
    default: return nullptr;
  }
}

}  // namespace k7730::cmm
