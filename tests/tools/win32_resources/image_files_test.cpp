#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/byte_order.h"
#include "tools/win32_resources/image_files.h"

namespace k7730::resgen {
namespace {

using res::kBlack;
using res::kRed;
using res::kSilver;
using res::kWhite;

constexpr auto Le32 = test::GetLittle32;
constexpr auto Le16 = test::GetLittle16;

// Palette index of pixel (x, y) of a 4-bit BMP file, y counted from the top.
int BmpPixel(const std::vector<std::uint8_t>& file, int x, int y) {
  const int width = static_cast<int>(Le32(file, 18)), height = static_cast<int>(Le32(file, 22));
  const std::size_t row = ((width * 4 + 31) / 32) * 4;
  const std::uint8_t byte = file.at(Le32(file, 10) + (height - 1 - y) * row + x / 2);
  return x % 2 == 0 ? byte >> 4 : byte & 0x0F;
}

TEST(BmpFile, FourBitRowsBottomUpPaddedToFourBytes) {
  // 5 x 3: odd width, so each row is 3 bytes of pixels padded to 4.
  Picture p{5, 3, std::vector<std::uint8_t>(15, kWhite)};
  p.Set(0, 0, kBlack);
  p.Set(4, 0, kRed);
  p.Set(2, 2, kSilver);
  const std::vector<std::uint8_t> file = BmpFile(p);
  ASSERT_EQ(file.size(), 14u + 40u + 64u + 3u * 4u);
  EXPECT_EQ(Le16(file, 0), 'B' | 'M' << 8);
  EXPECT_EQ(Le32(file, 2), file.size());
  EXPECT_EQ(Le32(file, 10), 118u);
  EXPECT_EQ(Le32(file, 14), 40u);
  EXPECT_EQ(Le16(file, 28), 4);  // bits per pixel
  EXPECT_EQ(Le32(file, 30), 0u);  // uncompressed
  // Palette entries are blue, green, red, 0.
  EXPECT_EQ(file[54 + 4 * kRed + 2], 255);
  EXPECT_EQ(file[54 + 4 * kRed + 0], 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(BmpPixel(file, x, y), p.At(x, y)) << x << "," << y;
  }
}

TEST(CurFile, HotSpotAndBothMasks) {
  Cursor c{"T", 3, 30, std::vector<CursorPixel>(kCursorSize * kCursorSize, CursorPixel::Clear)};
  c.pixels[0] = CursorPixel::Black;                     // top-left
  c.pixels[1] = CursorPixel::White;
  c.pixels[2] = CursorPixel::Invert;
  const std::vector<std::uint8_t> file = CurFile(c);
  // Reserved 0, type 2 (a cursor), one image of 32 x 32, hot spot (3, 30).
  EXPECT_EQ(Le32(file, 0), 0x00020000u);
  EXPECT_EQ(Le16(file, 4), 1);
  EXPECT_EQ(Le16(file, 6), 32 | 32 << 8);
  EXPECT_EQ(Le32(file, 10), 3u | 30u << 16);
  const std::uint32_t size = Le32(file, 14), offset = Le32(file, 18);
  ASSERT_EQ(offset + size, file.size());
  EXPECT_EQ(Le32(file, offset + 8), 64u);  // XOR and AND masks stacked
  EXPECT_EQ(Le16(file, offset + 14), 1);
  // The top row is the last of each bottom-up mask.
  const std::size_t xorTop = offset + 40 + 8 + 31 * 4, andTop = offset + 40 + 8 + 32 * 4 + 31 * 4;
  EXPECT_EQ(file.at(xorTop), 0x60);  // white and inverted
  EXPECT_EQ(file.at(andTop), 0x3F);  // all but black and white show the screen
  EXPECT_EQ(file.at(andTop + 1), 0xFF);
}

}  // namespace
}  // namespace k7730::resgen
