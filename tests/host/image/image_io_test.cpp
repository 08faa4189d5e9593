// The host's image readers and writers: the conversions (16-bit, alpha,
// grey) that come with a notice, a PNG deflated in blocks and failed
// writes. Exact 8-bit round trips are checked end to end by the print
// command's tests.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <tiffio.h>

#include <filesystem>

#include "host/core/host_error.h"
#include "host/image/image_formats.h"
#include "support/test_images.h"

namespace k7730::host {
namespace {

using ImageIo = test::ScratchFolder;

TEST_F(ImageIo, SixteenBitAndAlphaAreConvertedWithNotices) {
  // 16-bit values scale with rounding; alpha composites onto white. The
  // PNG notices are checked as the print command shows them.
  test::WritePngFile(Path("deep.png"), 2, 1, 3, {0, 32896, 65535, 257, 128, 65300}, true);
  EXPECT_EQ(ReadImage(Path("deep.png")).rgb, (std::vector<std::uint8_t>{0, 128, 255, 1, 0, 254}));

  test::WritePngFile(Path("alpha.png"), 2, 1, 4, {0, 0, 0, 0, 100, 50, 200, 255}, false);
  EXPECT_EQ(ReadImage(Path("alpha.png")).rgb, (std::vector<std::uint8_t>{255, 255, 255, 100, 50, 200}));

  test::WriteTiffFile(Path("deep.tif"), 1, 1, PHOTOMETRIC_RGB, 4, 16, {65535, 0, 32896, 32768}, true);
  Image tiff = ReadImage(Path("deep.tif"));
  EXPECT_EQ(tiff.rgb, (std::vector<std::uint8_t>{255, 127, 191}));
  EXPECT_GE(tiff.notices.size(), 2u);

  test::WriteTiffFile(Path("grey.tif"), 2, 1, PHOTOMETRIC_MINISBLACK, 1, 8, {7, 250}, false);
  EXPECT_EQ(ReadImage(Path("grey.tif")).rgb, (std::vector<std::uint8_t>{7, 7, 7, 250, 250, 250}));

  const std::string deepPpm = "P6 1 1 65535\n";
  std::vector<std::uint8_t> bytes(deepPpm.begin(), deepPpm.end());
  for (std::uint8_t b : {0xFF, 0xFF, 0x80, 0x80, 0x00, 0x01}) bytes.push_back(b);
  test::WriteBytes(Path("deep.ppm"), bytes);
  EXPECT_EQ(ReadImage(Path("deep.ppm")).rgb, (std::vector<std::uint8_t>{255, 128, 0}));
}

bool HasTransparencyNotice(const ImageHeader& header) {
  for (const std::string& notice : header.notices) {
    if (notice == "transparency composited onto white paper") return true;
  }
  return false;
}

TEST_F(ImageIo, TransparencyIsNoticedWhicheverTiffReaderTakesTheFile) {
  // Stored bottom-up, a TIFF goes through libtiff's RGBA reader; top-down
  // 8-bit RGB through the plain one. Both composite onto white and say so,
  // and neither speaks of transparency for an opaque file.
  const std::vector<std::uint16_t> rgba{100, 50, 200, 0, 10, 20, 30, 255};
  for (const int orientation : {ORIENTATION_TOPLEFT, ORIENTATION_BOTLEFT}) {
    const std::string name = "alpha" + std::to_string(orientation) + ".tif";
    test::WriteTiffFile(Path(name), 2, 1, PHOTOMETRIC_RGB, 4, 8, rgba, true, COMPRESSION_NONE, orientation);
    const Image alpha = ReadImage(Path(name));
    EXPECT_EQ(alpha.rgb, (std::vector<std::uint8_t>{255, 255, 255, 10, 20, 30})) << name;
    EXPECT_TRUE(HasTransparencyNotice(alpha)) << name;

    const std::string opaqueName = "opaque" + std::to_string(orientation) + ".tif";
    test::WriteTiffFile(Path(opaqueName), 1, 1, PHOTOMETRIC_RGB, 3, 8, {1, 2, 3}, false, COMPRESSION_NONE,
                        orientation);
    const Image opaque = ReadImage(Path(opaqueName));
    EXPECT_EQ(opaque.rgb, (std::vector<std::uint8_t>{1, 2, 3})) << opaqueName;
    EXPECT_FALSE(HasTransparencyNotice(opaque)) << opaqueName;
  }
}

TEST_F(ImageIo, PngDeflatedInSeveralBlocksReadsBackExactly) {
  // 700 x 500 of noise is 1 MB of rows: five blocks deflated apart and
  // joined into one stream, read back by libpng with its checksums checked.
  Image page;
  page.width = 700;
  page.height = 500;
  page.rgb = test::NoisePixels(700, 500, 4);
  WriteImage(Path("blocks.png"), page);
  EXPECT_EQ(ReadImage(Path("blocks.png")).rgb, page.rgb);
}

TEST_F(ImageIo, FailedWriteLeavesNoFileBehind) {
  Image image;
  image.width = image.height = 2;
  image.rgb.assign(12, 9);
  EXPECT_THROW(WriteImage(Path("missing-folder/out.png"), image), HostError);
  EXPECT_THROW(WriteImage(Path("out.gif"), image), HostError);
  // The target is a folder: the rename fails and the temporary file goes.
  ASSERT_EQ(::mkdir(Path("taken.png").c_str(), 0755), 0);
  EXPECT_THROW(WriteImage(Path("taken.png"), image), HostError);
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) entries += e.path().filename() != "taken.png";
  EXPECT_EQ(entries, 0);
}

}  // namespace
}  // namespace k7730::host
