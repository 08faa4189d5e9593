#include "host/core/media.h"

#include <algorithm>
#include <cmath>

namespace k7730::host {

namespace {

std::uint32_t Clamp(double v, std::uint32_t limit) {
  return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, static_cast<long>(limit)));
}

}  // namespace

const Media* FindMedia(std::string_view name) {
  for (const Media& m : kMediaList) {
    if (name == m.name || name == m.ppdName) return &m;
  }
  return nullptr;
}

const Media* MediaOfPage(std::uint32_t width, std::uint32_t height) {
  for (const Media& m : kMediaList) {
    if ((width == m.WidthPixels() && height == m.HeightPixels()) ||
        (width == m.HeightPixels() && height == m.WidthPixels())) {
      return &m;
    }
  }
  return nullptr;
}

std::string MediaNames() {
  std::string text;
  for (std::size_t i = 0; i < std::size(kMediaList); ++i) {
    text.append(i == 0 ? "" : i + 1 == std::size(kMediaList) ? " or " : ", ").append(kMediaList[i].name);
  }
  return text;
}

std::string MediaChoices() {
  std::string text;
  for (const Media& m : kMediaList) text.append(text.empty() ? "" : "|").append(m.name);
  return text;
}

PageLayout LayOut(const Media& media, std::uint32_t imageWidth, std::uint32_t imageHeight, MediaFit fit) {
  PageLayout l;
  l.landscape = imageWidth > imageHeight;
  l.pageWidth = l.landscape ? media.HeightPixels() : media.WidthPixels();
  l.pageHeight = l.landscape ? media.WidthPixels() : media.HeightPixels();
  const double across = double(l.pageWidth) / imageWidth, down = double(l.pageHeight) / imageHeight;
  l.scale = fit == MediaFit::Fit ? std::min(across, down) : std::max(across, down);
  l.left = (l.pageWidth - imageWidth * l.scale) / 2;
  l.top = (l.pageHeight - imageHeight * l.scale) / 2;
  l.x0 = Clamp(l.left, l.pageWidth);
  l.y0 = Clamp(l.top, l.pageHeight);
  l.x1 = std::max(l.x0, Clamp(l.left + imageWidth * l.scale, l.pageWidth));
  l.y1 = std::max(l.y0, Clamp(l.top + imageHeight * l.scale, l.pageHeight));
  // A picture thinner than a page pixel still gets one.
  if (l.x1 == l.x0) l.x1 = l.x0 + 1;
  if (l.y1 == l.y0) l.y1 = l.y0 + 1;
  return l;
}

}  // namespace k7730::host
