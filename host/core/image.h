// An 8-bit RGB page image as the module takes it: rows of width x 3 bytes,
// no padding, plus what the reader noticed on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace k7730::host {

// Pixels per inch across and down; 0 when the file does not say.
struct Resolution {
  double x = 0, y = 0;
  bool Known() const { return x > 0 && y > 0; }
};

// What a page image says about itself, apart from its pixels.
struct ImageHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> iccProfile;    // embedded profile, empty when none
  std::string iccProblem;                  // why an embedded profile could not be read; empty when none
  std::vector<std::string> notices;        // conversions the reader made
  Resolution resolution;
  std::vector<std::uint8_t> exif;          // a JPEG's Exif block ("Exif\0\0" and on), empty when none
  // How the stored rows must be turned to stand upright: 1 as stored, 2 to
  // 8 as the Exif and TIFF orientation values (6: rotate 90 degrees clockwise).
  std::uint16_t orientation = 1;
  std::string comment;                     // a line of text for the file's comment, written only

  std::size_t RowBytes() const { return static_cast<std::size_t>(width) * 3; }
};

struct Image : ImageHeader {
  std::vector<std::uint8_t> rgb;           // width * height * 3
};

// The largest page the host accepts, to refuse absurd headers before any
// allocation: 1 GiB of RGB data, and no side above 1 << 20 pixels.
constexpr std::uint64_t kMaxImageBytes = std::uint64_t{1} << 30;
constexpr std::uint32_t kMaxImageSide = 1u << 20;

// Sample conversions shared by the readers.
inline std::uint8_t Scale16To8(std::uint32_t v) {
  return static_cast<std::uint8_t>((v * 255 + 32767) / 65535);
}
// Composites a colour sample over white paper.
inline std::uint8_t OverWhite(std::uint32_t colour, std::uint32_t alpha, bool premultiplied) {
  const std::uint32_t paper = 255 - alpha;
  if (premultiplied) {
    const std::uint32_t v = colour + paper;
    return static_cast<std::uint8_t>(v > 255 ? 255 : v);
  }
  return static_cast<std::uint8_t>((colour * alpha + 255 * paper + 127) / 255);
}

}  // namespace k7730::host
