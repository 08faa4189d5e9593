// The point-drag and free-hand tracking loops.
#include <algorithm>

#include "tonecurve/curve_area.h"
#include "window/cursor_table.h"

namespace k7730 {

void PointDrag::Start(int index, ui::PixelPoint press, ui::WindowId previousFocus) {
  const int count = area_.PointCount();
  held_ = index;
  holdsEndPoint_ = index == 0 || index == count - 1;
  lo_ = index == 0 ? 0 : area_.Point(index - 1).input + 1;
  hi_ = index == count - 1 ? area_.Rect().Width() - 1 : area_.Point(index + 1).input - 1;
  previous_ = press;
  previousFocus_ = previousFocus;
  active_ = true;
  area_.Window()->CaptureMouse();
}

void PointDrag::Move(ui::PixelPoint position) {
  if (!active_ || position == previous_) return;
  previous_ = position;
  const int input = area_.Input(position);
  const int output = area_.Output(position);
  ChooseCursorAndHolder(input, output, position);
  if (held_ >= 0) {
    ControlPoint& point = area_.Point(held_);
    point.input = static_cast<std::uint16_t>(std::clamp(input, lo_, hi_));
    point.output = static_cast<std::uint16_t>(std::clamp(output, 0, area_.Rect().Height() - 1));
  }
  area_.CurveChanged();
  area_.ShowReadouts(position);
}

// Picks the cursor for the position and removes or re-creates the held
// point as it leaves or re-enters its bounds.
void PointDrag::ChooseCursorAndHolder(int input, int output, ui::PixelPoint position) {
  const int width = area_.Rect().Width();
  const int height = area_.Rect().Height();
  const bool inBounds = input >= lo_ && input <= hi_ && output >= 0 && output <= height - 1;
  if (inBounds) {
    ui::SelectCursor(ui::kCursorPlus);
    if (held_ < 0) held_ = area_.AddPoint(position);
  } else if (held_ >= 0 && !holdsEndPoint_) {
    ui::SelectCursor(ui::kCursorTrash);
    area_.RemovePoint(held_);
    held_ = -1;
  } else if (held_ < 0) {
    ui::SelectCursor(ui::kCursorTrash);
  } else {
    const bool inArea = input >= 0 && input <= width - 1 && output >= 0 && output <= height - 1;
    ui::SelectCursor(inArea ? ui::kCursorPlus : ui::kCursorStop);
  }
}

void PointDrag::Finish() {
  if (!active_) return;
  active_ = false;
  // The capture stays: the next move outside the area gives it up.
  area_.ClearReadouts();
  area_.Window()->RestoreFocus(previousFocus_);
}

namespace {

ui::PixelPoint ClampInto(const ui::PixelRect& r, ui::PixelPoint p) {
  return {std::clamp(p.x, r.left, r.right - 1), std::clamp(p.y, r.top, r.bottom - 1)};
}

// Writes the straight segment between two curve points into the table.
void DrawSegment(std::uint8_t* table, int xa, int ya, int xb, int yb) {
  int x0 = xa, y0 = ya, x1 = xb, y1 = yb;
  if (x1 < x0) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  int slope = 0;
  if (x0 == x1) {
    y0 = yb;
  } else {
    slope = (y1 - y0) * 100 / (x1 - x0);
  }
  for (int x = std::max(x0, 0); x <= std::min(x1, 255); ++x) {
    table[x] = static_cast<std::uint8_t>(std::clamp(y0 + slope * (x - x0) / 100, 0, 255));
  }
}

}  // namespace

void FreehandStroke::Start(ui::PixelPoint press, ui::WindowId previousFocus) {
  area_.SetPointCount(0);
  area_.Window()->CaptureMouse();
  previousFocus_ = previousFocus;
  active_ = true;
  // The press itself is the first sample; clamped like every later one so a
  // press on the border never reaches outside the table.
  previous_ = ClampInto(area_.Rect(), press);
  Move(press);
}

void FreehandStroke::Move(ui::PixelPoint position) {
  if (!active_) return;
  const ui::PixelPoint clamped = ClampInto(area_.Rect(), position);
  DrawSegment(area_.Table(), area_.Input(previous_), area_.Output(previous_), area_.Input(clamped),
              area_.Output(clamped));
  area_.DrawNow();
  area_.ShowReadouts(clamped);
  previous_ = clamped;
}

void FreehandStroke::Finish() {
  if (!active_) return;
  active_ = false;
  area_.ClearReadouts();
  area_.Window()->RestoreFocus(previousFocus_);
}

}  // namespace k7730
