// A canvas that renders into memory, for tests: every pixel can be read
// back. Lines follow the usual one-pixel rule of leaving out the end point.
#pragma once

#include <vector>

#include "window/canvas.h"

namespace k7730::ui {

class RasterCanvas final : public Canvas {
 public:
  RasterCanvas(int width, int height);

  void FillRect(const PixelRect& rect, Rgb colour) override;
  void Line(PixelPoint from, PixelPoint to, Rgb colour) override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The pixel's colour; outside the raster, black.
  Rgb At(int x, int y) const;
  int Count(Rgb colour) const;

 private:
  void Plot(int x, int y, Rgb colour);

  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

}  // namespace k7730::ui
