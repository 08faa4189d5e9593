// The printer's media and how a picture is laid out on one: the sizes the
// queue's PPD offers, at the printer's 300 dpi, borderless.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace k7730::host {

constexpr double kPrinterDpi = 300;

struct Media {
  const char* name;        // "4x6": what the user and the job options say
  const char* ppdName;     // "4x6.Fullbleed": the PPD's PageSize keyword
  std::uint32_t widthPoints, heightPoints;   // portrait, 72 to the inch

  std::uint32_t WidthPixels() const { return widthPoints * 300 / 72; }
  std::uint32_t HeightPixels() const { return heightPoints * 300 / 72; }
};

// The media named "4x6", "5x7" or "6x8" (or by their PPD keyword); null for
// any other name.
const Media* FindMedia(std::string_view name);
// "4x6, 5x7 or 6x8", for messages.
std::string MediaNames();

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
