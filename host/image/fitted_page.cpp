#include "host/image/fitted_page.h"

#include "host/core/host_error.h"
#include "host/image/laid_out_source.h"

namespace k7730::host {

FittedPage::FittedPage(const Media& media, std::uint32_t width, std::uint32_t height)
    : layout_(LayOut(media, width, height, MediaFit::Fit)) {
  page_.width = width;
  page_.height = height;
  page_.resolution = {kPrinterDpi, kPrinterDpi};
  page_.rgb.resize(page_.RowBytes() * height);
}

std::uint8_t* FittedPage::Line(std::uint32_t y) {
  if (y >= page_.height) throw HostError("line " + std::to_string(y) + " is past the end of the page");
  return page_.rgb.data() + page_.RowBytes() * y;
}

std::unique_ptr<ImageSource> FittedPage::LaidOut() const { return LayOutOnPage(ReadFromMemory(page_), layout_); }

}  // namespace k7730::host
