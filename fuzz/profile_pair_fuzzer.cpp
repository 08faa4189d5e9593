// Fuzzes the colour engine with two profiles at once: reads their headers,
// tag tables and elements, then builds a ColorWorld from the first to the
// second for the intent the input names, matches a small image through it
// (interleaved and planar, separate and in place), exports its table, and
// disposes of it.
//
// Input: one byte whose low two bits are the intent, a 4-byte little-endian
// length n, then n bytes of the first profile (fewer if the input is
// shorter), then the second profile.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "k7730fe_cmm.h"
#include "profile_reads.h"

using k7730::fuzz::TempPath;
using k7730::fuzz::WriteFile;

namespace {

// A small image whose pixels come from the input itself, so that the
// fuzzer steers them too: 13 x 3 pixels with padded rows.
void MatchImage(K7730_ColorWorld world, const std::uint8_t* data, std::size_t size) {
  const std::uint32_t in = SDKCMGetNumsOfInPixComp(world), out = SDKCMGetNumsOfOutPixComp(world);
  if (in < 3 || in > 4 || out < 3 || out > 4) std::abort();
  constexpr int kWidth = 13, kHeight = 3;
  const std::uint32_t inRow = kWidth * in + 3, outRow = kWidth * out + 1;
  std::vector<std::uint8_t> source(inRow * kHeight), result(outRow * kHeight);
  for (std::size_t i = 0; i < source.size(); ++i)
    source[i] = size != 0 ? data[(i * 7919) % size] : static_cast<std::uint8_t>(i * 37);
  K7730_PixelMap src{kWidth, kHeight, in, inRow, source.data()};
  K7730_PixelMap dst{kWidth, kHeight, out, outRow, result.data()};
  if (SDKCMMatchPixelMap(world, &src, &dst) != 0) std::abort();

  // Planar: the same pixels must give the same bytes.
  std::vector<std::uint8_t> planes(in * kWidth * kHeight), planeOut(out * kWidth * kHeight);
  K7730_PlaneMap psrc{kWidth, kHeight, in, kWidth, {}}, pdst{kWidth, kHeight, out, kWidth, {}};
  for (std::uint32_t c = 0; c < in; ++c) psrc.plane[c] = planes.data() + c * kWidth * kHeight;
  for (std::uint32_t c = 0; c < out; ++c) pdst.plane[c] = planeOut.data() + c * kWidth * kHeight;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      for (std::uint32_t c = 0; c < in; ++c) psrc.plane[c][y * kWidth + x] = source[y * inRow + x * in + c];
  if (SDKCMMatchPlaneMap(world, &psrc, &pdst) != 0) std::abort();
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      for (std::uint32_t c = 0; c < out; ++c)
        if (pdst.plane[c][y * kWidth + x] != result[y * outRow + x * out + c]) std::abort();

  // In place, where the pixels do not grow.
  const bool inPlace = SDKCMMatchPixelMap(world, &src, nullptr) == 0;
  if (inPlace != !(in == 3 && out == 4)) std::abort();

  std::vector<std::uint8_t> record(K7730_IPB_RECORD_SIZE);
  const std::uint32_t exported = SDKCMConvertColorWorldToIPB(world, record.data());
  if (exported != SDKCMConvertColorWorldToIPB(world, nullptr)) std::abort();
  if (exported != ((in == 3 && out == 3) ? K7730_IPB_RECORD_SIZE : 0)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t intent = data[0] & 3;
  ++data;
  --size;
  std::size_t firstSize = 0;
  if (size >= 4) {
    firstSize = std::size_t(data[0]) | std::size_t(data[1]) << 8 | std::size_t(data[2]) << 16 |
                std::size_t(data[3]) << 24;
    data += 4;
    size -= 4;
  }
  if (firstSize > size) firstSize = size;
  static const std::string first = TempPath("a.icc"), second = TempPath("b.icc");
  if (!WriteFile(first, data, firstSize) || !WriteFile(second, data + firstSize, size - firstSize)) return 0;

  K7730_ProfileRef a = 0, b = 0;
  bool aOpen = SDKCMOpenProfile(first.c_str(), &a) == 0;
  bool bOpen = SDKCMOpenProfile(second.c_str(), &b) == 0;
  const auto ignore = [](const std::uint8_t*, std::uint32_t) {};
  if (aOpen) k7730::fuzz::ReadProfile(&a, ignore);
  if (bOpen) k7730::fuzz::ReadProfile(&b, ignore);
  if (aOpen && bOpen) {
    K7730_ColorWorld world = SDKCMCreateColorWorld(intent, &a, nullptr, &b, nullptr);
    if (world != 0) MatchImage(world, data, size);
    SDKCMDisposeColorWorld(world);
  }
  if (aOpen) SDKCMCloseProfile(&a);
  if (bOpen) SDKCMCloseProfile(&b);
  return 0;
}
