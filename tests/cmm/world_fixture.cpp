#include "world_fixture.h"

#include <filesystem>

namespace k7730::test {

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

OpenedProfile::OpenedProfile(const std::string& path) { ok_ = SDKCMOpenProfile(path.c_str(), &ref_) == 0; }

OpenedProfile::~OpenedProfile() {
  if (ok_) SDKCMCloseProfile(&ref_);
}

World::World(const std::string& source, const std::string& destination, std::uint32_t intent,
             const K7730_CurveLutSet* in, const K7730_CurveLutSet* out) {
  OpenedProfile src(source), dst(destination);
  if (!src.ok() || !dst.ok()) return;
  handle_ = SDKCMCreateColorWorld(intent, src.ref(), in, dst.ref(), out);
  if (handle_ != 0) {
    view_ = cmm::LockColorWorld(handle_);
    cmm::UnlockColorWorld(handle_);
  }
}

World::~World() {
  if (handle_ != 0) SDKCMDisposeColorWorld(handle_);
}

namespace {

// Interpolation along the later channels, as the matching kernels do it:
// the last channel unrounded on an 8.8 scale, each earlier one rounded.
std::int32_t Along(std::int32_t low, std::int32_t high, std::uint32_t w) {
  return low + (((high - low) * std::int32_t(w) + 128) >> 8);
}

}  // namespace

void World::Evaluate(const std::uint8_t* in, std::uint8_t* out) const {
  const cmm::ColorWorldHeader& h = *view_.header;
  const std::uint8_t* grid = h.Grid();
  const std::uint32_t n = h.inChannels;
  std::uint32_t q[4], w[4];
  for (std::uint32_t c = 0; c < n; ++c) {
    q[c] = h.inCurve[c][in[c]];
    w[c] = h.weight[q[c]];
  }
  std::uint32_t base, stride[4];
  if (n == 3) {
    base = ((q[0] & 0xF8) << 11) + ((q[1] & 0xF8) << 5) + ((q[2] & 0xF8) >> 1);
    stride[0] = 16384, stride[1] = 256, stride[2] = 4;
  } else {
    base = (q[0] >> 4) * 19652 + (q[1] >> 4) * 1156 + (q[2] >> 4) * 68 + (q[3] >> 4) * 4;
    stride[0] = 19652, stride[1] = 1156, stride[2] = 68, stride[3] = 4;
  }
  for (std::uint32_t o = 0; o < h.outChannels; ++o) {
    // Corners of the cell, channel 0 as the highest bit of the corner number.
    const std::uint32_t corners = 1u << n;
    std::int32_t s[16];
    for (std::uint32_t k = 0; k < corners; k += 2) {
      std::uint32_t at = base + o;
      for (std::uint32_t c = 0; c + 1 < n; ++c)
        if (k & (1u << (n - 1 - c))) at += stride[c];
      std::int32_t a = grid[at], b = grid[at + stride[n - 1]];
      s[k / 2] = (a << 8) + (b - a) * std::int32_t(w[n - 1]);
    }
    std::uint32_t count = corners / 2;
    for (int c = int(n) - 2; c >= 0; --c) {
      for (std::uint32_t k = 0; k < count / 2; ++k) s[k] = Along(s[2 * k], s[2 * k + 1], w[c]);
      count /= 2;
    }
    out[o] = h.outCurve[o][std::uint32_t(s[0] + 128) >> 8];
  }
}

}  // namespace k7730::test
