// Painting the drawing area.
#include <algorithm>

#include "tonecurve/curve_area.h"

namespace k7730 {
namespace {

constexpr ui::Rgb kGridGrey{127, 127, 127};
constexpr int kHandleHalf = 2;  // handles are 5 x 5 pixels

void DrawGrid(ui::Canvas& canvas, const ui::PixelRect& r) {
  for (int j = 1; j <= 9; ++j) {
    const int p = (255 * j + 5) / 10;
    canvas.Line({r.left + p, r.top}, {r.left + p, r.bottom - 1}, kGridGrey);
    canvas.Line({r.left, r.bottom - 1 - p}, {r.right - 1, r.bottom - 1 - p}, kGridGrey);
  }
}

void DrawCurve(ui::Canvas& canvas, const ui::PixelRect& r, const std::uint8_t* table) {
  const int last = std::min(r.Width() - 1, 255);
  ui::PixelPoint from{r.left, r.bottom - 1 - table[0]};
  for (int x = 1; x <= last; ++x) {
    const ui::PixelPoint to{r.left + x, r.bottom - 1 - table[x]};
    canvas.Line(from, to, ui::kBlack);
    from = to;
  }
}

}  // namespace

void CurveArea::Draw(ui::Canvas& canvas) const {
  canvas.FillRect(rect_, ui::kWhite);
  DrawGrid(canvas, rect_);
  if (!Bound()) return;
  DrawCurve(canvas, rect_, channel_.table);
  // Handles only where the points describe the curve.
  const int count = PointCount();
  if (channel_.mode != kModePoints || count < 2) return;
  for (int k = 0; k < count; ++k) {
    const int x = rect_.left + channel_.points[k].input;
    const int y = rect_.bottom - 1 - channel_.points[k].output;
    canvas.FillRect({x - kHandleHalf, y - kHandleHalf, x + kHandleHalf + 1, y + kHandleHalf + 1},
                    ui::kBlack);
  }
}

}  // namespace k7730
