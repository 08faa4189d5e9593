#include "support/test_images.h"

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <cstring>
#include <cstdlib>

namespace k7730::host::test {

std::string MakeTempFolder() {
  std::string base = ::testing::TempDir();
  if (base.empty() || base.back() != '/') base += '/';
  std::string folder = base + "k7730-host-XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  return folder;
}

std::vector<std::uint8_t> NoisePixels(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  std::uint32_t state = seed * 2654435761u + 1;
  for (auto& v : rgb) {
    state = state * 1664525u + 1013904223u;
    v = static_cast<std::uint8_t>(state >> 24);
  }
  return rgb;
}

std::vector<std::uint16_t> Widen(const std::vector<std::uint8_t>& bytes) {
  return std::vector<std::uint16_t>(bytes.begin(), bytes.end());
}

void WritePngFile(const std::string& path, std::uint32_t width, std::uint32_t height, int channels,
                  const std::vector<std::uint16_t>& samples, bool sixteenBit) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = (channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB) | (sixteenBit ? PNG_FORMAT_FLAG_LINEAR : 0);
  int ok = 0;
  if (sixteenBit) {
    ok = png_image_write_to_file(&image, path.c_str(), 0, samples.data(), 0, nullptr);
  } else {
    std::vector<std::uint8_t> bytes(samples.begin(), samples.end());
    ok = png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr);
  }
  ASSERT_NE(ok, 0) << image.message;
}

void WriteTiffFile(const std::string& path, std::uint32_t width, std::uint32_t height, int photometric,
                   int samplesPerPixel, int bits, const std::vector<std::uint16_t>& samples,
                   bool extraAlpha) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samplesPerPixel);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
  if (extraAlpha) {
    const std::uint16_t kind = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
  }
  const std::size_t perRow = static_cast<std::size_t>(width) * samplesPerPixel;
  std::vector<std::uint8_t> row(perRow * (bits / 8));
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::size_t i = 0; i < perRow; ++i) {
      const std::uint16_t v = samples[y * perRow + i];
      if (bits == 16) {
        std::memcpy(&row[i * 2], &v, 2);
      } else {
        row[i] = static_cast<std::uint8_t>(v);
      }
    }
    ASSERT_GE(TIFFWriteScanline(tif, row.data(), y, 0), 0);
  }
  TIFFClose(tif);
}

void WritePpmFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                  const std::vector<std::uint8_t>& rgb) {
  std::string header = "P6\n# test page\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  bytes.insert(bytes.end(), rgb.begin(), rgb.end());
  WriteBytes(path, bytes);
}

}  // namespace k7730::host::test
