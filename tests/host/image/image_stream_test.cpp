// Page images as streams of rows: every layout read in bands of any height
// gives the same rows as one whole read; JPEG from another writer with its
// profile, density and Exif; damaged files are refused naming the file,
// and headers that claim more than the file holds or more than the reader
// takes before anything is allocated for them.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <zlib.h>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/image/image_formats.h"
#include "support/byte_order.h"
#include "support/test_images.h"

namespace k7730::host {
namespace {

using ImageStream = test::ScratchFolder;

// A new deflated 8-bit RGB TIFF of w x h, its layout still to be set.
TIFF* OpenDeflatedRgbTiff(const std::string& path, std::uint32_t w, std::uint32_t h) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr) return nullptr;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_DEFLATE);
  return tif;
}

// 8-bit RGB as tiles, or as separate planes in strips, with libtiff.
void WriteTiffLayout(const std::string& path, std::uint32_t w, std::uint32_t h, const std::vector<std::uint8_t>& rgb,
                     bool tiled, bool separate) {
  TIFF* tif = OpenDeflatedRgbTiff(path, w, h);
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  if (tiled) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
    std::vector<std::uint8_t> tile(16 * 16 * 3);
    for (std::uint32_t ty = 0; ty < h; ty += 16) {
      for (std::uint32_t tx = 0; tx < w; tx += 16) {
        // Tiles past the edge of the image are padded with its last pixels.
        for (std::uint32_t i = 0; i < 16 * 16; ++i) {
          const std::uint32_t x = std::min(w - 1, tx + i % 16), y = std::min(h - 1, ty + i / 16);
          std::memcpy(&tile[i * 3], &rgb[(y * w + x) * 3], 3);
        }
        ASSERT_GE(TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0), 0);
      }
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 5);
    std::vector<std::uint8_t> line(w);
    for (std::uint16_t s = 0; s < 3; ++s) {
      for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) line[x] = rgb[(y * w + x) * 3 + s];
        ASSERT_GE(TIFFWriteScanline(tif, line.data(), y, s), 0);
      }
    }
  }
  TIFFClose(tif);
}

TEST_F(ImageStream, EveryLayoutReadInBandsGivesTheWholeImage) {
  const std::uint32_t w = 37, h = 29;
  const auto rgb = test::NoisePixels(w, h, 11);
  test::WritePngFile(Path("a.png"), w, h, 3, test::Widen(rgb), false);
  test::WriteTiffFile(Path("strips.tif"), w, h, PHOTOMETRIC_RGB, 3, 8, test::Widen(rgb), false);
  WriteTiffLayout(Path("tiles.tif"), w, h, rgb, true, false);
  WriteTiffLayout(Path("planes.tif"), w, h, rgb, false, true);
  test::WritePpmFile(Path("a.ppm"), w, h, rgb);
  for (const char* name : {"a.png", "strips.tif", "tiles.tif", "planes.tif", "a.ppm"}) {
    for (std::uint32_t band : {1u, 4u, 7u, 16u, 29u}) {
      EXPECT_EQ(test::ReadInBands(*OpenImage(Path(name)), band), rgb) << name << ", bands of " << band;
    }
  }
  // Each format's own reader gives the same rows.
  EXPECT_EQ(ReadImageAs(ImageFormat::Png, Path("a.png")).rgb, rgb);
  EXPECT_EQ(ReadImageAs(ImageFormat::Tiff, Path("tiles.tif")).rgb, rgb);
  EXPECT_EQ(ReadImageAs(ImageFormat::Ppm, Path("a.ppm")).rgb, rgb);
  EXPECT_THROW(ReadImageAs(ImageFormat::Ppm, Path("a.png")), HostError);
  test::WriteJpegFile(Path("a.jpg"), w, h, {});
  EXPECT_EQ(ReadImageAs(ImageFormat::Jpeg, Path("a.jpg")).rgb, ReadImage(Path("a.jpg")).rgb);
}

TEST_F(ImageStream, JpegFromAnotherWriterKeepsItsProfileDensityAndExif) {
  // Made 100000 bytes long, the profile takes two APP2 markers.
  std::vector<std::uint8_t> icc = ReadFileBytes(std::string(K7730_PROFILE_FOLDER) + "/A17D50.ICC", 1 << 20);
  icc.resize(100000, 0x41);
  test::JpegFileOptions withMetadata;
  withMetadata.icc = icc;
  withMetadata.exif = test::ExifWithOrientation(6);
  withMetadata.dpi = 300;
  test::WriteJpegFile(Path("in.jpg"), 40, 30, withMetadata);
  const Image in = ReadImage(Path("in.jpg"));
  EXPECT_EQ(in.width, 40u);
  EXPECT_EQ(in.iccProfile, icc);
  EXPECT_EQ(in.exif, withMetadata.exif);
  EXPECT_DOUBLE_EQ(in.resolution.x, 300.0);
  EXPECT_TRUE(in.notices.empty());
}

TEST_F(ImageStream, GreyJpegIsExpandedWithANoticeAndCmykOrTwelveBitIsRefused) {
  test::WriteJpegFile(Path("grey.jpg"), 8, 8, {.components = 1});
  const Image read = ReadImage(Path("grey.jpg"));
  ASSERT_EQ(read.notices.size(), 1u);
  EXPECT_EQ(read.rgb[0], read.rgb[1]);
  EXPECT_EQ(read.rgb[1], read.rgb[2]);

  test::WriteJpegFile(Path("cmyk.jpg"), 8, 8, {.components = 4});
  // A frame of 12-bit samples (SOF1) and its scan header, which the 8-bit
  // decoder refuses.
  test::WriteBytes(Path("deep.jpg"), {0xFF, 0xD8, 0xFF, 0xC1, 0x00, 0x11, 0x0C, 0x00, 0x10, 0x00, 0x10, 0x03,
                                      0x01, 0x11, 0x00, 0x02, 0x11, 0x00, 0x03, 0x11, 0x00, 0xFF, 0xDA, 0x00,
                                      0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00, 0x00,
                                      0x00, 0xFF, 0xD9});
  for (const auto& [name, why] : {std::pair{"cmyk.jpg", "CMYK"}, std::pair{"deep.jpg", "8 bits"}}) {
    EXPECT_NE(test::ReadRefusal(Path(name)).find(why), std::string::npos) << name;
  }
}

TEST_F(ImageStream, DamagedFilesAndHeadersClaimingTooMuchAreRefusedNamingTheFile) {
  // Damaged or unsupported: a PNG cut in half, a PPM cut short, an ASCII
  // PPM, a PPM of width 0, a CMYK TIFF.
  test::WritePngFile(Path("whole.png"), 8, 8, 3, test::Widen(test::NoisePixels(8, 8, 2)), false);
  const std::vector<std::uint8_t> whole = test::ReadBytes(Path("whole.png"));
  test::WriteBytes(Path("cut.png"), {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)});
  test::WriteBytes(Path("cut.ppm"), {'P', '6', ' ', '4', ' ', '4', ' ', '2', '5', '5', '\n', 1, 2, 3});
  test::WriteBytes(Path("ascii.ppm"), {'P', '3', ' ', '1', ' ', '1', ' ', '2', '5', '5', '\n', '1', ' ', '2', ' ', '3'});
  test::WriteBytes(Path("zero.ppm"), {'P', '6', ' ', '0', ' ', '4', ' ', '2', '5', '5', '\n'});
  test::WriteTiffFile(Path("cmyk.tif"), 1, 1, PHOTOMETRIC_SEPARATED, 4, 8, {0, 0, 0, 0}, false);
  // Refused before anything is allocated for them: a PPM of 9999999 x
  // 999999; a TIFF with 200 samples per pixel; one whose single strip of
  // 20000 x 20000 deflated pixels cannot come out of its few bytes; a PPM
  // whose header promises 100 MB and holds 3 bytes; a PNG claiming 30000 x
  // 30000.
  test::WriteBytes(Path("huge.ppm"), {'P', '6', ' ', '9', '9', '9', '9', '9', '9', '9', ' ', '9', '9', '9', '9', '9', '9', ' ', '2', '5', '5', '\n'});
  std::vector<std::uint16_t> many(200, 1);
  test::WriteTiffFile(Path("samples.tif"), 1, 1, PHOTOMETRIC_RGB, 200, 8, many, false);
  {
    TIFF* tif = OpenDeflatedRgbTiff(Path("claim.tif"), 20000, 20000);
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 20000);
    const std::uint8_t few[16] = {};
    TIFFWriteRawStrip(tif, 0, const_cast<std::uint8_t*>(few), sizeof few);
    TIFFClose(tif);
  }
  const std::string ppm = "P6 10000 3334 255\n\1\2\3";
  test::WriteBytes(Path("claim.ppm"), {ppm.begin(), ppm.end()});
  test::WritePngFile(Path("small.png"), 1, 1, 3, {1, 2, 3}, false);
  std::vector<std::uint8_t> png = test::ReadBytes(Path("small.png"));
  // IHDR width and height, and the chunk's CRC made good again.
  k7730::test::PutBig32(png, 16, 30000);
  k7730::test::PutBig32(png, 20, 30000);
  k7730::test::PutBig32(png, 29, static_cast<std::uint32_t>(crc32(0, &png[12], 17)));
  test::WriteBytes(Path("claim.png"), png);
  for (const char* name : {"cut.png", "cut.ppm", "ascii.ppm", "zero.ppm", "cmyk.tif", "huge.ppm", "samples.tif",
                           "claim.tif", "claim.ppm", "claim.png"}) {
    const std::string why = test::ReadRefusal(Path(name));
    EXPECT_EQ(why.rfind(Path(name), 0), 0u) << name << ": " << why;
    EXPECT_EQ(why.find('\n'), std::string::npos) << why;
  }
}

// Points every strip of a little-endian TIFF at the first strip's data.
void ShareFirstStrip(std::vector<std::uint8_t>& tiff) {
  using k7730::test::GetLittle16, k7730::test::GetLittle32;
  const std::size_t ifd = GetLittle32(tiff, 4);
  for (std::uint32_t i = 0; i < GetLittle16(tiff, ifd); ++i) {
    const std::size_t entry = ifd + 2 + 12 * i;
    if (GetLittle16(tiff, entry) != TIFFTAG_STRIPOFFSETS) continue;
    const std::size_t table = GetLittle32(tiff, entry + 8);
    for (std::uint32_t k = 1; k < GetLittle32(tiff, entry + 4); ++k) std::memcpy(&tiff[table + 4 * k], &tiff[table], 4);
  }
}

TEST_F(ImageStream, StripsSharingTheirDataAreReadInBandsWithinTheirBound) {
  // 400 deflated one-line strips that all decode from the same bytes: the
  // file is small, the page is read band by band like any other.
  const std::uint32_t w = 300, h = 400;
  std::vector<std::uint8_t> rgb(std::size_t{w} * h * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i % (w * 3) / 4);
  TIFF* tif = OpenDeflatedRgbTiff(Path("shared.tif"), w, h);
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1);
  for (std::uint32_t y = 0; y < h; ++y) ASSERT_GE(TIFFWriteScanline(tif, &rgb[y * w * 3], y, 0), 0);
  TIFFClose(tif);
  std::vector<std::uint8_t> bytes = test::ReadBytes(Path("shared.tif"));
  ShareFirstStrip(bytes);
  test::WriteBytes(Path("shared.tif"), bytes);
  EXPECT_EQ(test::ReadInBands(*OpenImage(Path("shared.tif")), 64), test::ReadInBands(*OpenImage(Path("shared.tif")), 400));
  const std::vector<std::uint8_t> read = ReadImage(Path("shared.tif")).rgb;
  EXPECT_TRUE(std::equal(read.begin(), read.begin() + w * 3, read.end() - w * 3)) << "every row is the first";
}

}  // namespace
}  // namespace k7730::host
