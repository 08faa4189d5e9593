#include "host/core/raster_page.h"

#include <unistd.h>

#include <array>
#include <cstdint>
#include <utility>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/core/image.h"

namespace k7730::host {

std::string ColorSpaceName(unsigned colorSpace) {
  static constexpr std::array<std::pair<unsigned, const char*>, 16> kNames{{
      {CUPS_CSPACE_W, "grey (W)"},      {CUPS_CSPACE_RGB, "RGB"},     {CUPS_CSPACE_RGBA, "RGBA"},
      {CUPS_CSPACE_K, "black (K)"},     {CUPS_CSPACE_CMY, "CMY"},     {CUPS_CSPACE_YMC, "YMC"},
      {CUPS_CSPACE_CMYK, "CMYK"},       {CUPS_CSPACE_YMCK, "YMCK"},   {CUPS_CSPACE_KCMY, "KCMY"},
      {CUPS_CSPACE_RGBW, "RGBW"},       {CUPS_CSPACE_SW, "sGrey"},    {CUPS_CSPACE_SRGB, "sRGB"},
      {CUPS_CSPACE_ADOBERGB, "AdobeRGB"}, {CUPS_CSPACE_CIELab, "CIE Lab"}, {CUPS_CSPACE_CIEXYZ, "CIE XYZ"},
      {CUPS_CSPACE_DEVICE1, "Device1"},
  }};
  for (const auto& [code, name] : kNames) {
    if (code == colorSpace) return name;
  }
  return "colour space " + std::to_string(colorSpace);
}

namespace {

const char* OrderName(unsigned order) {
  switch (order) {
    case CUPS_ORDER_CHUNKED: return "chunky";
    case CUPS_ORDER_BANDED: return "banded";
    case CUPS_ORDER_PLANAR: return "planar";
    default: return "unknown order";
  }
}

}  // namespace

std::string UnsupportedPageProblem(const cups_page_header2_t& h, RgbSpaces spaces) {
  const bool adobe = spaces == RgbSpaces::kWithAdobeRgb;
  const bool rgb = h.cupsColorSpace == CUPS_CSPACE_RGB || h.cupsColorSpace == CUPS_CSPACE_SRGB ||
                   (adobe && h.cupsColorSpace == CUPS_CSPACE_ADOBERGB);
  if (!rgb || h.cupsBitsPerColor != 8 || h.cupsBitsPerPixel != 24 || h.cupsColorOrder != CUPS_ORDER_CHUNKED) {
    return std::string("the printer takes 8-bit ") + (adobe ? "RGB, sRGB or Adobe RGB" : "RGB or sRGB") +
           " in chunky order, this page is " + ColorSpaceName(h.cupsColorSpace) +
           " with " + std::to_string(h.cupsBitsPerColor) + " bits per colour, " +
           std::to_string(h.cupsBitsPerPixel) + " bits per pixel, " + OrderName(h.cupsColorOrder);
  }
  const std::string size = std::to_string(h.cupsWidth) + " x " + std::to_string(h.cupsHeight) + " pixels";
  if (h.cupsWidth == 0 || h.cupsHeight == 0) return "the page header gives an empty page (" + size + ")";
  if (h.cupsWidth > kMaxImageSide || h.cupsHeight > kMaxImageSide ||
      std::uint64_t{h.cupsWidth} * h.cupsHeight * 3 > kMaxImageBytes) {
    return "the page header claims " + size + ", beyond the " + std::to_string(kMaxImageSide) +
           " pixels per side and 1 GiB per page this filter takes";
  }
  if (std::uint64_t{h.cupsBytesPerLine} != std::uint64_t{h.cupsWidth} * 3) {
    return "the page header gives " + std::to_string(h.cupsBytesPerLine) + " bytes per line for " +
           std::to_string(h.cupsWidth) + " RGB pixels";
  }
  return "";
}

std::string PageInputProfile(const cups_page_header2_t& header) {
  if (header.cupsColorSpace != CUPS_CSPACE_ADOBERGB) return "";
  if (::access(kAdobeRgbProfile, R_OK) != 0) {
    throw FileError(kAdobeRgbProfile, "the page is Adobe RGB, and its profile cannot be read (" + ErrnoText() +
                                          "); Debian's colord-data package installs it");
  }
  return kAdobeRgbProfile;
}

}  // namespace k7730::host
