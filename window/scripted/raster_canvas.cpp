#include "window/scripted/raster_canvas.h"

#include <algorithm>

namespace k7730::ui {

RasterCanvas::RasterCanvas(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {}

void RasterCanvas::Plot(int x, int y, Rgb colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
      colour;
}

Rgb RasterCanvas::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kBlack;
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

int RasterCanvas::Count(Rgb colour) const {
  return static_cast<int>(std::count(pixels_.begin(), pixels_.end(), colour));
}

void RasterCanvas::FillRect(const PixelRect& rect, Rgb colour) {
  const int left = std::max(rect.left, 0), right = std::min(rect.right, width_);
  const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, height_);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) Plot(x, y, colour);
  }
}

void RasterCanvas::Line(PixelPoint from, PixelPoint to, Rgb colour) {
  ForEachLinePixel(from, to, [&](int x, int y) { Plot(x, y, colour); });
}

}  // namespace k7730::ui
