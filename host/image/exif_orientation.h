// The orientation tag of a JPEG's Exif block: how the stored pixels must be
// turned to show the picture upright.
#pragma once

#include <cstdint>
#include <vector>

namespace k7730::host {

// The orientation (1 to 8) in IFD0 of an Exif block ("Exif\0\0" and a TIFF
// structure); 1 when the block has none, or a value outside 1 to 8.
std::uint16_t ExifOrientation(const std::vector<std::uint8_t>& exif);

// Sets the orientation in the block to 1 (upright), for a block that goes
// with pixels already turned; a block without the tag is left alone.
void MarkExifUpright(std::vector<std::uint8_t>& exif);

}  // namespace k7730::host
