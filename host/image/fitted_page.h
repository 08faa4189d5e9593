// A raster page of a size none of the printer's media has, fitted onto a
// medium as a printer's own "fit to page" does: the page's lines are
// gathered as they come, then read back laid out on the medium as the
// print command lays out a picture with --fit (the whole page, white
// margins, landscape when it is wider than tall).
#pragma once

#include <cstdint>
#include <memory>

#include "host/core/image.h"
#include "host/core/image_stream.h"
#include "host/core/media.h"

namespace k7730::host {

class FittedPage {
 public:
  // Holds width x height RGB pixels; the caller has checked the size.
  FittedPage(const Media& media, std::uint32_t width, std::uint32_t height);

  // The page on the medium: its size and where the lines go.
  const PageLayout& Layout() const { return layout_; }
  // Room for line `y` of the page as it came, width x 3 bytes.
  std::uint8_t* Line(std::uint32_t y);
  // The page rows on the medium, read from top to bottom; this page must
  // outlive the source.
  std::unique_ptr<ImageSource> LaidOut() const;

 private:
  Image page_;
  PageLayout layout_;
};

}  // namespace k7730::host
