// Drawing surface of a window the module paints itself (the curve drawing
// area): a handful of plain operations, each the counterpart of one GDI call.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace k7730::ui {

struct PixelPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Client pixels; right and bottom are exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(PixelPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

// The pixels of the platform's one-pixel line from `from` towards `to`
// (Bresenham's), the end point itself left out, each handed to plot(x, y).
template <typename Plot>
void ForEachLinePixel(PixelPoint from, PixelPoint to, Plot&& plot) {
  const int dx = std::abs(to.x - from.x), sx = from.x < to.x ? 1 : -1;
  const int dy = -std::abs(to.y - from.y), sy = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  int x = from.x, y = from.y;
  while (x != to.x || y != to.y) {
    plot(x, y);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

// Canvases wrap a platform drawing context, so they are never copied.
class Canvas {
 public:
  Canvas() = default;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  virtual ~Canvas() = default;
  // FillRect with a solid brush: every pixel of the rectangle.
  virtual void FillRect(const PixelRect& rect, Rgb colour) = 0;
  // MoveToEx + LineTo with a solid pen one pixel wide: the end point itself
  // is left out, as the platform's line drawing does.
  virtual void Line(PixelPoint from, PixelPoint to, Rgb colour) = 0;
};

}  // namespace k7730::ui
