// The printer's media and how a picture is laid out on one: the one list of
// the sizes the printer takes, at its 300 dpi, borderless. The print
// command, the printer application's driver and the sample PPD all offer
// these and no others.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace k7730::host {

constexpr double kPrinterDpi = 300;

struct Media {
  const char* name;        // "4x6": what the user and the job options say
  const char* pwgName;     // "na_index-4x6_4x6in": the IPP media keyword
  const char* ppdName;     // "4x6.Fullbleed": the PPD's PageSize keyword
  std::uint32_t widthPoints, heightPoints;   // portrait, 72 to the inch

  constexpr std::uint32_t WidthPixels() const { return widthPoints * 300 / 72; }
  constexpr std::uint32_t HeightPixels() const { return heightPoints * 300 / 72; }
};

// The first is the default medium.
inline constexpr Media kMediaList[] = {
    {"4x6", "na_index-4x6_4x6in", "4x6.Fullbleed", 288, 432},
    {"5x7", "na_5x7_5x7in", "5x7.Fullbleed", 360, 504},
    {"6x8", "oe_photo-6x8_6x8in", "6x8.Fullbleed", 432, 576},
};

// The longest side of any medium, in pixels at the printer's resolution.
constexpr std::uint32_t LongestMediaSidePixels() {
  std::uint32_t longest = 0;
  for (const Media& m : kMediaList) longest = std::max({longest, m.WidthPixels(), m.HeightPixels()});
  return longest;
}

// The media named "4x6", "5x7" or "6x8" (or by their PPD keyword); null for
// any other name.
const Media* FindMedia(std::string_view name);
// The medium a page of `width` x `height` pixels at the printer's
// resolution fills exactly, portrait or landscape; null for any other size.
const Media* MediaOfPage(std::uint32_t width, std::uint32_t height);
// "4x6, 5x7 or 6x8", for messages.
std::string MediaNames();
// "4x6|5x7|6x8", for the choices of an option.
std::string MediaChoices();

// Fit: the whole picture, white margins where its shape differs from the
// paper's. Fill: the paper covered, the picture's overhang cut off equally
// on both sides.
enum class MediaFit { Fit, Fill };

// Where a picture goes on the page, in page pixels.
struct PageLayout {
  std::uint32_t pageWidth = 0, pageHeight = 0;
  bool landscape = false;
  double scale = 1;             // page pixels per picture pixel
  double left = 0, top = 0;     // the picture's top-left corner on the page (negative when cut)
  // The part of the page the picture covers: [x0, x1) x [y0, y1); white
  // elsewhere.
  std::uint32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// The page is turned landscape when the picture is wider than tall.
PageLayout LayOut(const Media& media, std::uint32_t imageWidth, std::uint32_t imageHeight, MediaFit fit);

}  // namespace k7730::host
