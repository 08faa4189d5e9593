// The Canvas on a Cairo image surface: every operation writes the pixels
// themselves, so lines and rectangles come out exactly as the platform's
// one-pixel pens and solid brushes draw them, without antialiasing.
#pragma once

#include <cairo.h>

#include "window/canvas.h"

namespace k7730::ui::gtk {

class SurfaceCanvas final : public Canvas {
 public:
  // `surface` is an RGB24 image surface; the canvas flushes it first and
  // marks it dirty when it goes away.
  explicit SurfaceCanvas(cairo_surface_t* surface);
  ~SurfaceCanvas() override;

  void FillRect(const PixelRect& rect, Rgb colour) override;
  void Line(PixelPoint from, PixelPoint to, Rgb colour) override;

 private:
  void Plot(int x, int y, std::uint32_t pixel);

  cairo_surface_t* surface_;
  unsigned char* data_;
  int width_, height_, stride_;
};

}  // namespace k7730::ui::gtk
