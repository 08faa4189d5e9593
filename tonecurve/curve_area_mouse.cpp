// The drawing area under the mouse outside a tracking loop: cursor choice,
// readouts, capture, and what a press starts.
#include "tonecurve/curve_area.h"
#include "window/cursor_table.h"

namespace k7730 {

void CurveArea::MouseMove(ui::PixelPoint position) {
  if (window_ == nullptr) return;
  if (!rect_.Contains(position)) {
    if (channel_.mode == kModeFreeHand) ui::SelectCursor(ui::kCursorArrow);
    if (window_->HasMouse()) window_->ReleaseMouse();
    ClearReadouts();
    return;
  }
  // Holding the capture is how leaving the area is noticed.
  if (!window_->HasMouse()) window_->CaptureMouse();
  if (channel_.mode == kModePoints || channel_.mode == kModeFreeHand) ShowReadouts(position);
  ChooseHoverCursor(position);
}

void CurveArea::ChooseHoverCursor(ui::PixelPoint position) {
  switch (channel_.mode) {
    case kModeFreeHand:
      ui::SelectCursor(ui::kCursorPen);
      return;
    case kModePoints:
      if (HitTest(position) >= 0) {
        ui::SelectCursor(ui::kCursorPlus);
      } else if (PointCount() < kMaxCurvePoints) {
        ui::SelectCursor(ui::kCursorCross);
      } else {
        ui::SelectCursor(ui::kCursorArrow);
      }
      return;
    default:
      ui::SelectCursor(ui::kCursorArrow);
      return;
  }
}

ui::AreaTracking* CurveArea::ButtonDown(ui::PixelPoint position) {
  // An area without pixels (a window shrunk away) has nothing to track.
  if (window_ == nullptr || !Bound() || rect_.Width() < 1 || rect_.Height() < 1) return nullptr;
  const ui::WindowId previousFocus = window_->TakeFocus();
  ui::AreaTracking* tracking = nullptr;
  if (channel_.mode == kModePoints) {
    tracking = PressOnPoints(position, previousFocus);
  } else if (channel_.mode == kModeFreeHand) {
    stroke_.Start(position, previousFocus);
    tracking = &stroke_;
  }
  // Without a loop to end, the focus goes back at once.
  if (tracking == nullptr) window_->RestoreFocus(previousFocus);
  return tracking;
}

ui::AreaTracking* CurveArea::PressOnPoints(ui::PixelPoint position, ui::WindowId previousFocus) {
  int index = HitTest(position);
  if (index == -2) return nullptr;
  if (index == -1) index = AddPoint(position);
  if (index < 0) return nullptr;
  CurveChanged();
  drag_.Start(index, position, previousFocus);
  return &drag_;
}

}  // namespace k7730
