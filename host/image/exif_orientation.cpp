#include "host/image/exif_orientation.h"

#include <cstring>

#include "formats/byte_reader.h"

namespace k7730::host {

namespace {

constexpr std::size_t kTiffStart = 6;   // after "Exif\0\0"
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
// IFD0 of a real camera holds a few dozen entries; more is not an Exif block.
constexpr std::uint16_t kMaxEntries = 1000;

// Where the orientation value lies in the block, or 0 when it has none.
std::size_t OrientationOffset(const std::vector<std::uint8_t>& exif, bool& little) {
  const ByteView view(exif.data(), exif.size());
  if (exif.size() < kTiffStart + 8 || std::memcmp(exif.data(), "Exif\0\0", 6) != 0) return 0;
  little = exif[kTiffStart] == 'I';
  if (!little && exif[kTiffStart] != 'M') return 0;
  auto u16 = [&](std::size_t at, std::uint16_t* out) {
    if (!view.U16(at, out)) return false;
    if (little) *out = static_cast<std::uint16_t>((*out >> 8) | (*out << 8));
    return true;
  };
  std::uint32_t ifd = 0;
  if (little ? !view.U32LittleEndian(kTiffStart + 4, &ifd) : !view.U32(kTiffStart + 4, &ifd)) return 0;
  std::uint16_t count = 0;
  if (!u16(kTiffStart + std::uint64_t{ifd}, &count) || count > kMaxEntries) return 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::size_t entry = kTiffStart + ifd + 2 + 12u * i;
    std::uint16_t tag = 0, type = 0;
    if (!u16(entry, &tag) || !u16(entry + 2, &type)) return 0;
    if (tag == kOrientationTag && type == kShortType && view.Has(entry + 8, 2)) return entry + 8;
  }
  return 0;
}

}  // namespace

std::uint16_t ExifOrientation(const std::vector<std::uint8_t>& exif) {
  bool little = false;
  const std::size_t at = OrientationOffset(exif, little);
  if (at == 0) return 1;
  const std::uint16_t value = little ? static_cast<std::uint16_t>(exif[at] | exif[at + 1] << 8)
                                     : static_cast<std::uint16_t>(exif[at] << 8 | exif[at + 1]);
  return value >= 1 && value <= 8 ? value : 1;
}

void MarkExifUpright(std::vector<std::uint8_t>& exif) {
  bool little = false;
  const std::size_t at = OrientationOffset(exif, little);
  if (at == 0) return;
  exif[at] = little ? 1 : 0;
  exif[at + 1] = little ? 0 : 1;
}

}  // namespace k7730::host
