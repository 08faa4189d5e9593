// The two mouse tracking loops of the curve drawing area as state machines:
// started by a press, fed with every move, ended by the button's release or
// by the loss of the mouse capture.
#pragma once

#include "window/ui_platform.h"

namespace k7730 {

class CurveArea;

// Dragging one control point: inside its neighbours' inputs it follows the
// pointer; an inner point dragged beyond them is removed and comes back when
// the pointer returns; the end points are only ever clamped.
class PointDrag final : public ui::AreaTracking {
 public:
  explicit PointDrag(CurveArea& area) : area_(area) {}
  void Start(int index, ui::PixelPoint press, ui::WindowId previousFocus);

  bool Active() const override { return active_; }
  void Move(ui::PixelPoint position) override;
  void Release() override { Finish(); }
  void CaptureLost() override { Finish(); }

 private:
  void ChooseCursorAndHolder(int input, int output, ui::PixelPoint position);
  void Finish();

  CurveArea& area_;
  bool active_ = false;
  int held_ = -1;               // index of the held point; -1 once it was removed
  bool holdsEndPoint_ = false;  // the first or the last point: never removed
  int lo_ = 0, hi_ = 0;         // input range the held point may take
  ui::PixelPoint previous_;
  ui::WindowId previousFocus_ = 0;
};

// A free-hand stroke: every pointer position, clamped into the area, is
// joined to the previous one by a straight segment written into the table.
class FreehandStroke final : public ui::AreaTracking {
 public:
  explicit FreehandStroke(CurveArea& area) : area_(area) {}
  void Start(ui::PixelPoint press, ui::WindowId previousFocus);

  bool Active() const override { return active_; }
  void Move(ui::PixelPoint position) override;
  void Release() override { Finish(); }
  void CaptureLost() override { Finish(); }

 private:
  void Finish();

  CurveArea& area_;
  bool active_ = false;
  ui::PixelPoint previous_;  // clamped
  ui::WindowId previousFocus_ = 0;
};

}  // namespace k7730
