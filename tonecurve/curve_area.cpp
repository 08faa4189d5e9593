// The drawing area's window, binding, point list and readouts.
#include "tonecurve/curve_area.h"

#include <algorithm>
#include <cstdio>

#include "formats/curve_table.h"

namespace k7730 {

void CurveArea::Create(ui::DialogWindow& dialog, const ui::PixelRect& rect) {
  dialog_ = &dialog;
  window_ = dialog.CreateArea("EditArea", rect, *this);
  channel_ = AreaChannel{};
}

void CurveArea::Destroy() {
  if (window_ != nullptr) {
    if (window_->HasMouse()) window_->ReleaseMouse();
    dialog_->DestroyArea(window_);
  }
  window_ = nullptr;
  dialog_ = nullptr;
  channel_ = AreaChannel{};
}

void CurveArea::Attach(const AreaChannel& channel) {
  channel_ = channel;
  if (window_ != nullptr) rect_ = window_->ClientRect();
  // A free-hand or gamma channel may carry stale points from a foreign file;
  // only a control-point channel's table follows its points.
  if (channel_.mode == kModePoints) ComputeCurveTable(channel_.points, PointCount(), channel_.table);
  if (window_ != nullptr) window_->Repaint();
}

int CurveArea::PointCount() const {
  if (!Bound()) return 0;
  return std::clamp<int>(*channel_.pointCount, 0, kMaxCurvePoints);
}

int CurveArea::HitTest(ui::PixelPoint position) const {
  if (!rect_.Contains(position)) return -2;
  constexpr int kReach = 2 + 3;  // half the handle, grown by 3 pixels
  for (int k = 0; k < PointCount(); ++k) {
    const int x = rect_.left + channel_.points[k].input;
    const int y = rect_.bottom - 1 - channel_.points[k].output;
    if (std::abs(position.x - x) <= kReach && std::abs(position.y - y) <= kReach) return k;
  }
  return -1;
}

int CurveArea::AddPoint(ui::PixelPoint position) {
  const int count = PointCount();
  if (count >= kMaxCurvePoints || count < 2) return -1;
  if (rect_.Width() < 2 || rect_.Height() < 2) return -1;
  const int input = Input(position) * 255 / (rect_.Width() - 1);
  const int output = Output(position) * 255 / (rect_.Height() - 1);
  ControlPoint* points = channel_.points;
  const auto inputOf = [&](int k) { return static_cast<std::int16_t>(points[k].input); };
  if (input <= inputOf(0) || input >= inputOf(count - 1)) return -1;
  int slot = 0;
  for (int k = 0; k < count; ++k) {
    if (inputOf(k) == input) return -1;
    if (inputOf(k) < input) slot = k + 1;
  }
  std::copy_backward(points + slot, points + count, points + count + 1);
  points[slot].input = static_cast<std::uint16_t>(input);
  points[slot].output = static_cast<std::uint16_t>(std::clamp(output, 0, 255));
  SetPointCount(count + 1);
  return slot;
}

void CurveArea::RemovePoint(int index) {
  const int count = PointCount();
  if (index < 0 || index >= count) return;
  std::copy(channel_.points + index + 1, channel_.points + count, channel_.points + index);
  SetPointCount(count - 1);
}

void CurveArea::ShowReadouts(ui::PixelPoint position) {
  const int input = Input(position);
  const int output = Output(position);
  if (input == lastInput_ && output == lastOutput_) return;
  lastInput_ = input;
  lastOutput_ = output;
  if (dialog_ == nullptr) return;
  char inText[32] = "";
  char outText[32] = "";
  if (input >= 0 && input <= 255 && output >= 0 && output <= 255) {
    if (channel_.polarity == kPolarityInk) {
      std::snprintf(inText, sizeof inText, " in: %d%%", (input * 100 + 5) / 255);
      std::snprintf(outText, sizeof outText, "out: %d%%", (output * 100 + 5) / 255);
    } else {
      std::snprintf(inText, sizeof inText, " in: %d", input);
      std::snprintf(outText, sizeof outText, "out: %d", output);
    }
  }
  dialog_->SetItemText(kInputReadoutId, inText);
  dialog_->SetItemText(kOutputReadoutId, outText);
}

void CurveArea::ClearReadouts() {
  if (dialog_ == nullptr) return;
  dialog_->SetItemText(kInputReadoutId, "");
  dialog_->SetItemText(kOutputReadoutId, "");
}

void CurveArea::CurveChanged() {
  if (channel_.mode == kModePoints) ComputeCurveTable(channel_.points, PointCount(), channel_.table);
  DrawNow();
}

void CurveArea::DrawNow() {
  if (window_ != nullptr) window_->DrawNow();
}

}  // namespace k7730
