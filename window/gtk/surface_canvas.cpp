#include "window/gtk/surface_canvas.h"

#include <algorithm>
#include <cstring>

namespace k7730::ui::gtk {
namespace {

std::uint32_t Pixel(Rgb c) {
  return (static_cast<std::uint32_t>(c.r) << 16) | (static_cast<std::uint32_t>(c.g) << 8) | c.b;
}

}  // namespace

SurfaceCanvas::SurfaceCanvas(cairo_surface_t* surface)
    : surface_(surface), data_(nullptr), width_(0), height_(0), stride_(0) {
  if (surface_ == nullptr || cairo_image_surface_get_format(surface_) != CAIRO_FORMAT_RGB24) return;
  cairo_surface_flush(surface_);
  data_ = cairo_image_surface_get_data(surface_);
  width_ = cairo_image_surface_get_width(surface_);
  height_ = cairo_image_surface_get_height(surface_);
  stride_ = cairo_image_surface_get_stride(surface_);
}

SurfaceCanvas::~SurfaceCanvas() {
  if (data_ != nullptr) cairo_surface_mark_dirty(surface_);
}

void SurfaceCanvas::Plot(int x, int y, std::uint32_t pixel) {
  if (data_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  std::memcpy(data_ + static_cast<std::size_t>(y) * stride_ + static_cast<std::size_t>(x) * 4, &pixel,
              sizeof pixel);
}

void SurfaceCanvas::FillRect(const PixelRect& rect, Rgb colour) {
  const std::uint32_t pixel = Pixel(colour);
  const int left = std::max(rect.left, 0), right = std::min(rect.right, width_);
  const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, height_);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) Plot(x, y, pixel);
  }
}

void SurfaceCanvas::Line(PixelPoint from, PixelPoint to, Rgb colour) {
  const std::uint32_t pixel = Pixel(colour);
  ForEachLinePixel(from, to, [&](int x, int y) { Plot(x, y, pixel); });
}

}  // namespace k7730::ui::gtk
