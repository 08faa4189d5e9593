// The curve drawing area of the tone-curve editor: one channel's curve,
// 256 x 256 pixels (one pixel per level), edited with the mouse. Control
// points are added, dragged and dragged away in control-point mode; the
// table is drawn directly in free-hand mode; two readouts of the dialog show
// the curve coordinates under the pointer.
#pragma once

#include <cstdint>

#include "tonecurve/curve_area_tracking.h"
#include "formats/tone_curve_set.h"
#include "window/ui_platform.h"

namespace k7730 {

// The editor's channel the area edits, borrowed from the working set.
struct AreaChannel {
  std::int16_t* pointCount = nullptr;
  ControlPoint* points = nullptr;  // kMaxCurvePoints entries
  std::uint8_t* table = nullptr;   // 256 entries
  std::uint16_t mode = kModePoints;
  std::uint16_t polarity = kPolarityLevels;
};

inline constexpr int kAreaSize = 256;
inline constexpr int kInputReadoutId = 1221;
inline constexpr int kOutputReadoutId = 1222;

class CurveArea final : public ui::AreaHandler {
 public:
  // CreateEditArea: a visible child "EditArea" window of the dialog.
  void Create(ui::DialogWindow& dialog, const ui::PixelRect& rect);
  // DestroyEditArea: gives up the capture and destroys the window.
  void Destroy();
  ui::AreaWindow* Window() const { return window_; }

  // AttachChannel: binds the channel, recomputes a control-point channel's
  // table from its points and repaints at once.
  void Attach(const AreaChannel& channel);

  // -2 outside the area, else the first point whose hit square holds the
  // position, else -1.
  int HitTest(ui::PixelPoint position) const;
  // Inserts a point at the position in input order; its index, or -1 when
  // none can be added (20 points, outside the end points, input taken).
  int AddPoint(ui::PixelPoint position);
  void RemovePoint(int index);

  void ShowReadouts(ui::PixelPoint position);
  void ClearReadouts();

  // DrawArea: white ground, grey grid, black curve, point handles.
  void Draw(ui::Canvas& canvas) const;

  // ---- ui::AreaHandler -----------------------------------------------------
  void Paint(ui::Canvas& canvas) override { Draw(canvas); }
  void MouseMove(ui::PixelPoint position) override;
  ui::AreaTracking* ButtonDown(ui::PixelPoint position) override;

  // ---- Used by the tracking loops -------------------------------------------
  const ui::PixelRect& Rect() const { return rect_; }
  int Input(ui::PixelPoint p) const { return p.x - rect_.left; }
  int Output(ui::PixelPoint p) const { return rect_.bottom - 1 - p.y; }
  // The valid points: the stored count clamped to the 20-point array.
  int PointCount() const;
  ControlPoint& Point(int index) { return channel_.points[index]; }
  std::uint8_t* Table() { return channel_.table; }
  void SetPointCount(int count) { *channel_.pointCount = static_cast<std::int16_t>(count); }
  // Recomputes the table from the points and draws at once.
  void CurveChanged();
  void DrawNow();

 private:
  bool Bound() const { return channel_.pointCount != nullptr; }
  void ChooseHoverCursor(ui::PixelPoint position);
  ui::AreaTracking* PressOnPoints(ui::PixelPoint position, ui::WindowId previousFocus);

  ui::DialogWindow* dialog_ = nullptr;
  ui::AreaWindow* window_ = nullptr;
  ui::PixelRect rect_;
  AreaChannel channel_;
  // The last readout pair computed; kept from one attachment to the next.
  int lastInput_ = -1000000;
  int lastOutput_ = -1000000;
  PointDrag drag_{*this};
  FreehandStroke stroke_{*this};
};

}  // namespace k7730
