// Small images and files for the host tests, written with libpng and
// libtiff directly so that the host's own writers are not the oracle.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/core/image_stream.h"
#include "support/temp_files.h"

namespace k7730::host::test {

// A fresh empty folder under the test's temporary folder.
std::string MakeTempFolder();
using testing_files::ReadBytes;
using testing_files::ReadText;
using testing_files::WriteBytes;

// The fixture of tests that write files: a fresh folder of their own.
class ScratchFolder : public ::testing::Test {
 protected:
  std::string dir = MakeTempFolder();
  std::string Path(const std::string& name) const { return dir + "/" + name; }
};

// Every row of `source`, read in bands of `band` rows.
std::vector<std::uint8_t> ReadInBands(ImageSource& source, std::uint32_t band);
// The reader's error for the image at `path` read in bands of `band` rows
// (into one band's buffer); empty when the whole image was read.
std::string ReadRefusal(const std::string& path, std::uint32_t band = 16);

// Pseudo-random but reproducible 8-bit RGB pixels.
std::vector<std::uint8_t> NoisePixels(std::uint32_t width, std::uint32_t height, std::uint32_t seed);

// PNG with libpng's simplified writer. `channels` 3 (RGB) or 4 (RGBA);
// `sixteenBit` stores 16-bit samples (values given on 0..65535).
void WritePngFile(const std::string& path, std::uint32_t width, std::uint32_t height, int channels,
                  const std::vector<std::uint16_t>& samples, bool sixteenBit);
// TIFF with libtiff: photometric 2 (RGB), 1 (grey) or 5 (CMYK), any
// samples per pixel; extraAlpha marks the sample after the colour as
// unassociated alpha. Compressed files hold one strip; an orientation
// other than 0 is stored in its tag.
void WriteTiffFile(const std::string& path, std::uint32_t width, std::uint32_t height, int photometric,
                   int samplesPerPixel, int bits, const std::vector<std::uint16_t>& samples,
                   bool extraAlpha, int compression = 1, int orientation = 0);
void WritePpmFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                  const std::vector<std::uint8_t>& rgb);

struct JpegFileOptions {
  int components = 3;
  std::vector<std::uint8_t> icc{}, exif{};
  std::uint16_t dpi = 0;
  bool progressive = false;
  // Pixels (width x height x components); empty: a smooth ramp.
  std::vector<std::uint8_t> pixels{};
  // Scans as {first component, component count, Ss, Se, Ah, Al}; empty:
  // the encoder's own script.
  std::vector<std::array<int, 6>> scans{};
};
// A JPEG written with libjpeg directly, so that the host's writer is not
// the oracle.
void WriteJpegFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                   const JpegFileOptions& options);

std::vector<std::uint16_t> Widen(const std::vector<std::uint8_t>& bytes);

// A little-endian Exif block whose IFD0 holds only the orientation tag.
std::vector<std::uint8_t> ExifWithOrientation(std::uint16_t orientation);

}  // namespace k7730::host::test
