// Which raster pages the module can take: 8-bit RGB (or sRGB, or Adobe
// RGB where the host matches its colours) in chunky order, of a size the
// host accepts.
#pragma once

#include <cups/raster.h>

#include <string>

namespace k7730::host {

// Where a page's values may be: RGB and sRGB alone, or Adobe RGB too, for a
// host that colour-matches Adobe RGB pages from their own profile.
enum class RgbSpaces { kRgbAndSrgb, kWithAdobeRgb };

// Empty when the page can go through the module, else what was found.
std::string UnsupportedPageProblem(const cups_page_header2_t& header, RgbSpaces spaces = RgbSpaces::kRgbAndSrgb);

// The Adobe RGB (1998) profile Debian ships (colord-data): the input profile
// of raster pages their client marks Adobe RGB.
constexpr const char* kAdobeRgbProfile = "/usr/share/color/icc/colord/AdobeRGB1998.icc";

// The input profile a page's colour space names: kAdobeRgbProfile for an
// Adobe RGB page, else empty (the settings' input profile applies). Throws
// HostError when that profile is not installed.
std::string PageInputProfile(const cups_page_header2_t& header);

// "CMYK", "sRGB", ... or "colour space N" for codes without a name.
std::string ColorSpaceName(unsigned colorSpace);

}  // namespace k7730::host
