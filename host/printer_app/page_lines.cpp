#include "host/printer_app/page_lines.h"

#include <cstring>

namespace k7730::printer_app {

LineForm FormOf(const cups_page_header2_t& h) {
  if (h.cupsBitsPerColor != 8 || h.cupsBitsPerPixel != 8 || h.cupsColorOrder != CUPS_ORDER_CHUNKED ||
      h.cupsBytesPerLine != h.cupsWidth) {
    return LineForm::kRgb;
  }
  switch (h.cupsColorSpace) {
    case CUPS_CSPACE_W:
    case CUPS_CSPACE_SW: return LineForm::kGrey;
    case CUPS_CSPACE_K: return LineForm::kInvertedGrey;
    default: return LineForm::kRgb;
  }
}

cups_page_header2_t RgbHeader(const cups_page_header2_t& header, LineForm form) {
  cups_page_header2_t rgb = header;
  if (form == LineForm::kRgb) return rgb;
  rgb.cupsColorSpace = header.cupsColorSpace == CUPS_CSPACE_SW ? CUPS_CSPACE_SRGB : CUPS_CSPACE_RGB;
  rgb.cupsBitsPerPixel = 24;
  rgb.cupsNumColors = 3;
  rgb.cupsBytesPerLine = header.cupsWidth * 3;
  return rgb;
}

void ToRgb(LineForm form, const std::uint8_t* line, std::uint32_t width, std::uint8_t* rgb) {
  if (form == LineForm::kRgb) {
    std::memcpy(rgb, line, std::size_t{width} * 3);
    return;
  }
  const std::uint8_t flip = form == LineForm::kInvertedGrey ? 0xFF : 0x00;
  for (std::uint32_t x = 0; x < width; ++x) {
    const std::uint8_t v = line[x] ^ flip;
    rgb[3 * x] = rgb[3 * x + 1] = rgb[3 * x + 2] = v;
  }
}

}  // namespace k7730::printer_app
