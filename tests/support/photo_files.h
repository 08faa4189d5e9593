// WebP and HEIF (HEIC, AVIF) files for the host tests, made with libwebp's
// and libheif's own encoders: the host only reads these formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace k7730::host::test {

struct WebpFileOptions {
  bool lossless = true;
  bool alpha = false;                    // pixels are RGBA when set, RGB otherwise
  std::vector<std::uint8_t> icc{}, exif{};   // ICCP and EXIF chunks when not empty
};
// A still WebP of `pixels`.
void WriteWebpFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                   const std::vector<std::uint8_t>& pixels, const WebpFileOptions& options);

enum class HeifCodec { Hevc, Av1 };
struct HeifFileOptions {
  HeifCodec codec = HeifCodec::Hevc;
  int channels = 3;                      // 1 grey, 3 RGB, 4 RGBA
  int bits = 8;                          // 8, 10 or 12 (aom here: 8 or 12); deeper samples are the 8-bit ones scaled
  int quality = 90;
  std::vector<std::uint8_t> icc{};       // a prof colour box when not empty
  int primaries = 0, transfer = 0;       // an nclx colour box when primaries is not 0
  int orientation = 1;                   // turned by irot and imir boxes, as Exif numbers it
};
// A HEIC or AVIF of `pixels` (width x height x channels); the encoder that
// is missing fails the test.
void WriteHeifFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                   const std::vector<std::uint8_t>& pixels, const HeifFileOptions& options);

}  // namespace k7730::host::test
