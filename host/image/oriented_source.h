// An image turned upright as its stored orientation says (the Exif and
// TIFF orientation values 1 to 8), still read as a stream of rows.
#pragma once

#include <memory>

#include "host/core/image_stream.h"

namespace k7730::host {

// The phrase for a notice: "rotated 90 degrees clockwise" and the like.
const char* OrientationWords(std::uint16_t orientation);

// Wraps `image` when its header's orientation is not 1; the header of the
// result has the upright size and orientation 1. A mirror (2) is done row
// by row; every other turn needs the rows in another order, so the image is
// first copied to an unlinked temporary file and read back from there:
// memory stays in proportion to a band.
std::unique_ptr<ImageSource> TurnUpright(std::unique_ptr<ImageSource> image);

}  // namespace k7730::host
