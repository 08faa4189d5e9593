// A picture resampled onto a page of the printer's media, read as a
// stream of page rows like any image.
#pragma once

#include <memory>

#include "host/core/image_stream.h"
#include "host/core/media.h"

namespace k7730::host {

// The page `layout` describes, with `image` resampled into its picture area
// (stb_image_resize: Mitchell filter when shrinking, Catmull-Rom when
// enlarging) and white elsewhere. The picture is read from top to bottom
// as the page rows are asked for, keeping only the picture rows the next
// few page rows need, so memory follows the band, not the picture. The
// header is the page's: its size and the printer's resolution.
std::unique_ptr<ImageSource> LayOutOnPage(std::unique_ptr<ImageSource> image, const PageLayout& layout);

}  // namespace k7730::host
