// The scripted window system's drawing areas: painted into a raster and fed
// with the mouse events a test plays.
#include "window/scripted/scripted_dialog.h"

namespace k7730::ui {

VirtualArea::VirtualArea(VirtualDialog& dialog, WindowId handle, std::string className,
                         const PixelRect& rect, AreaHandler& handler)
    : dialog_(dialog), handle_(handle), className_(std::move(className)), rect_(rect),
      handler_(handler), raster_(rect.Width(), rect.Height()) {}

void VirtualArea::Paint() {
  ++paints_;
  handler_.Paint(raster_);
}

WindowId VirtualArea::TakeFocus() {
  const WindowId previous = dialog_.focus;
  dialog_.focus = handle_;
  return previous;
}

void VirtualArea::RestoreFocus(WindowId previous) { dialog_.focus = previous; }

void VirtualArea::EndTrackingIfDone() {
  if (tracking_ != nullptr && !tracking_->Active()) tracking_ = nullptr;
}

void VirtualArea::MoveTo(PixelPoint position) {
  if (tracking_ != nullptr) {
    tracking_->Move(position);
    EndTrackingIfDone();
    return;
  }
  handler_.MouseMove(position);
}

void VirtualArea::Press(PixelPoint position) {
  if (tracking_ != nullptr) return;
  tracking_ = handler_.ButtonDown(position);
  EndTrackingIfDone();
}

void VirtualArea::Release() {
  if (tracking_ == nullptr) return;
  tracking_->Release();
  tracking_ = nullptr;
}

void VirtualArea::LoseCapture() {
  capture_ = false;
  if (tracking_ == nullptr) return;
  tracking_->CaptureLost();
  tracking_ = nullptr;
}

void VirtualArea::Drag(PixelPoint from, const std::vector<PixelPoint>& path) {
  Press(from);
  for (PixelPoint p : path) MoveTo(p);
  Release();
}

}  // namespace k7730::ui
