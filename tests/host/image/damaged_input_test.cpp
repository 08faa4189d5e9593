// Damaged and hostile image files: each stops with an error naming the
// file, never a page of grey filled in silently; a broken embedded
// profile is reported rather than dropped; JPEGs that would cost minutes or
// hundreds of megabytes are refused.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/image/image_formats.h"
#include "support/test_images.h"

namespace k7730::host {
namespace {

class DamagedInput : public test::ScratchFolder {
 protected:
  // The reader's error for the file, which must name it; empty when the
  // file was read.
  std::string Refusal(const char* name) const {
    const std::string why = test::ReadRefusal(Path(name));
    EXPECT_TRUE(why.empty() || why.rfind(Path(name), 0) == 0) << why;
    return why;
  }
};

std::size_t FindMarker(const std::vector<std::uint8_t>& b, std::uint8_t marker, std::size_t from = 2) {
  for (std::size_t i = from; i + 1 < b.size(); ++i) {
    if (b[i] == 0xFF && b[i + 1] == marker) return i;
  }
  return b.size();
}

// Random bytes over `count` bytes from the middle of a file.
void GarbleMiddle(std::vector<std::uint8_t>& bytes, std::size_t count, std::uint32_t seed) {
  const auto noise = test::NoisePixels(static_cast<std::uint32_t>(count), 1, seed);
  std::copy(noise.begin(), noise.begin() + static_cast<long>(count), bytes.begin() + static_cast<long>(bytes.size() / 2));
}

TEST_F(DamagedInput, JpegsWithDamagedDataAreRefusedNotFilledWithGrey) {
  const auto noise = test::NoisePixels(128, 128, 5);
  test::WriteJpegFile(Path("base.jpg"), 128, 128, {.pixels = noise});
  test::WriteJpegFile(Path("prog.jpg"), 128, 128, {.progressive = true, .pixels = noise});
  ASSERT_EQ(Refusal("base.jpg"), "");
  ASSERT_EQ(Refusal("prog.jpg"), "");
  const auto base = test::ReadBytes(Path("base.jpg"));
  const auto prog = test::ReadBytes(Path("prog.jpg"));

  // Cut inside the entropy-coded data of the (first or a later) scan.
  test::WriteBytes(Path("cut.jpg"), {base.begin(), base.begin() + base.size() / 3});
  const std::size_t laterScan = FindMarker(prog, 0xDA, FindMarker(prog, 0xDA) + 2);
  test::WriteBytes(Path("cut-prog.jpg"), {prog.begin(), prog.begin() + laterScan + 200});
  // The data ends early, but the file still ends with its EOI marker.
  std::vector<std::uint8_t> shortData(base.begin(), base.begin() + base.size() / 2);
  shortData.insert(shortData.end(), {0xFF, 0xD9});
  test::WriteBytes(Path("short.jpg"), shortData);
  // Random bytes over the middle of the entropy-coded data.
  std::vector<std::uint8_t> garbled = base;
  GarbleMiddle(garbled, 400, 7);
  test::WriteBytes(Path("garbled.jpg"), garbled);

  for (const char* name : {"cut.jpg", "cut-prog.jpg", "short.jpg", "garbled.jpg"}) {
    const std::string why = Refusal(name);
    EXPECT_NE(why.find("JPEG"), std::string::npos) << name << ": " << why;
  }
}

TEST_F(DamagedInput, TiffsWithDamagedJpegDataAreRefused) {
  const std::uint32_t w = 64, h = 64;
  const auto noise = test::NoisePixels(w, h, 6);
  test::WriteTiffFile(Path("jpeg.tif"), w, h, PHOTOMETRIC_RGB, 3, 8, test::Widen(noise), false, COMPRESSION_JPEG);
  ASSERT_EQ(Refusal("jpeg.tif"), "");
  // Random bytes over the middle of the strip's entropy-coded data.
  std::vector<std::uint8_t> bytes = test::ReadBytes(Path("jpeg.tif"));
  GarbleMiddle(bytes, 300, 3);
  test::WriteBytes(Path("garbled.tif"), bytes);
  EXPECT_NE(Refusal("garbled.tif"), "");
}

TEST_F(DamagedInput, AnInvalidPngProfileChunkIsReportedNotDropped) {
  test::WritePngFile(Path("plain.png"), 4, 4, 3, std::vector<std::uint16_t>(48, 9), false);
  std::vector<std::uint8_t> png = test::ReadBytes(Path("plain.png"));
  // An iCCP chunk whose compressed profile is a dozen bytes of nonsense.
  std::vector<std::uint8_t> chunk = {0, 0, 0, 0, 'i', 'C', 'C', 'P', 'x', 0, 0};
  for (int i = 0; i < 12; ++i) chunk.push_back(static_cast<std::uint8_t>(i * 37));
  chunk[3] = static_cast<std::uint8_t>(chunk.size() - 8);
  const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4)));
  for (int i = 0; i < 4; ++i) chunk.push_back(static_cast<std::uint8_t>(crc >> (24 - 8 * i)));
  png.insert(png.begin() + 33, chunk.begin(), chunk.end());   // after the signature and IHDR
  test::WriteBytes(Path("iccp.png"), png);

  const Image image = ReadImage(Path("iccp.png"));
  EXPECT_TRUE(image.iccProfile.empty());
  EXPECT_NE(image.iccProblem.find("iCCP"), std::string::npos) << image.iccProblem;
}

TEST_F(DamagedInput, JpegsThatWouldCostTooMuchAreRefusedWithTheLimit) {
  // 570 scans, each valid: every AC coefficient alone for each component,
  // refined twice.
  std::vector<std::array<int, 6>> scans = {{0, 3, 0, 0, 0, 2}, {0, 3, 0, 0, 2, 1}, {0, 3, 0, 0, 1, 0}};
  for (const auto& [ah, al] : {std::pair{0, 2}, std::pair{2, 1}, std::pair{1, 0}}) {
    for (int c = 0; c < 3; ++c) {
      for (int k = 1; k < 64; ++k) scans.push_back({c, 1, k, k, ah, al});
    }
  }
  test::WriteJpegFile(Path("scans.jpg"), 16, 16, {.scans = scans});
  EXPECT_NE(Refusal("scans.jpg").find("more than 500 scans"), std::string::npos);

  // A progressive frame header claiming 8192 x 8192, refused before any
  // coefficient memory is taken.
  test::WriteJpegFile(Path("big.jpg"), 128, 128, {.progressive = true, .pixels = test::NoisePixels(128, 128, 3)});
  std::vector<std::uint8_t> big = test::ReadBytes(Path("big.jpg"));
  const std::size_t sof = FindMarker(big, 0xC2);
  ASSERT_LT(sof, big.size());
  for (std::size_t at : {sof + 5, sof + 7}) {
    big[at] = 0x20;
    big[at + 1] = 0x00;
  }
  test::WriteBytes(Path("big.jpg"), big);
  const std::string why = Refusal("big.jpg");
  EXPECT_NE(why.find("8192 x 8192"), std::string::npos) << why;
  EXPECT_NE(why.find("6000 x 4000"), std::string::npos) << why;
}

}  // namespace
}  // namespace k7730::host
