// Which raster pages the module can take: 8-bit RGB (or sRGB) in chunky
// order, of a size the host accepts.
#pragma once

#include <cups/raster.h>

#include <string>

namespace k7730::host {

// Empty when the page can go through the module, else what was found.
std::string UnsupportedPageProblem(const cups_page_header2_t& header);

// "CMYK", "sRGB", ... or "colour space N" for codes without a name.
std::string ColorSpaceName(unsigned colorSpace);

}  // namespace k7730::host
