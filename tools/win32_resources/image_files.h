// The Windows image file formats the resource compiler takes: a 4-bit
// (16-colour) BMP file and a single-image monochrome CUR file.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/pictures.h"

namespace k7730::resgen {

// The pictures come from resources/; these files only encode them.
using res::Cursor;
using res::CursorPixel;
using res::kCursorSize;
using res::kPalette;
using res::PaletteEntry;
using res::Picture;

// BITMAPFILEHEADER, BITMAPINFOHEADER, the 16-colour palette and the rows
// bottom-up, each padded to four bytes.
std::vector<std::uint8_t> BmpFile(const Picture& picture);

// ICONDIR with one entry (type 2, the hot spot in place of planes and bit
// count), then the 32 x 32 image: BITMAPINFOHEADER of double height, the
// two-colour palette, the XOR mask and the AND mask, both bottom-up.
std::vector<std::uint8_t> CurFile(const Cursor& cursor);

}  // namespace k7730::resgen
