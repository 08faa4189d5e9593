// The raster lines PAPPL hands the driver, as the module takes them: 8-bit
// RGB as it comes, 8-bit grey expanded to R = G = B. Apple raster clients
// send grey (PAPPL always lists "W8" in urf-supported), and PAPPL passes any
// 8-bit page of a PWG raster client on with the client's own header.
#pragma once

#include <cups/raster.h>

#include <cstdint>

namespace k7730::printer_app {

enum class LineForm {
  kRgb,           // taken as it is
  kGrey,          // W or sGrey: 0 is black
  kInvertedGrey,  // K: 0 is white
};

// The form of the page's lines. Only 8-bit chunky grey of one byte per
// pixel is expanded; anything else is taken for RGB and left to the RGB
// check, which names what it is.
LineForm FormOf(const cups_page_header2_t& header);

// The page as the module and the device see it: 8-bit RGB of the same size
// (sRGB from sGrey, device RGB from device grey and black).
cups_page_header2_t RgbHeader(const cups_page_header2_t& header, LineForm form);

// One line of `width` pixels into `rgb`, width x 3 bytes.
void ToRgb(LineForm form, const std::uint8_t* line, std::uint32_t width, std::uint8_t* rgb);

}  // namespace k7730::printer_app
