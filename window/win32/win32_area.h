// The "EditArea" window: a child window the module paints itself, feeding
// its handler the paint and mouse messages and running the handler's
// tracking loops on the area's own messages.
#pragma once

#include <windows.h>

#include <string>

#include "window/ui_platform.h"

namespace k7730::ui::win32 {

class Win32Area final : public AreaWindow {
 public:
  explicit Win32Area(AreaHandler& handler) : handler_(handler) {}

  // RegisterClassA (a failure, as on a second opening, is ignored) and a
  // visible child of `parent` titled "edit". False when no window came.
  bool Create(HWND parent, const char* className, const PixelRect& rect);
  // Destroys the window and unregisters its class.
  void Destroy();

  WindowId Handle() const override { return reinterpret_cast<WindowId>(hwnd_); }
  PixelRect ClientRect() const override;
  void CaptureMouse() override { SetCapture(hwnd_); }
  void ReleaseMouse() override { ReleaseCapture(); }
  bool HasMouse() const override { return hwnd_ != nullptr && GetCapture() == hwnd_; }
  WindowId TakeFocus() override { return reinterpret_cast<WindowId>(SetFocus(hwnd_)); }
  void RestoreFocus(WindowId previous) override { SetFocus(reinterpret_cast<HWND>(previous)); }
  void Repaint() override;
  void DrawNow() override;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  void Track(AreaTracking& tracking);

  AreaHandler& handler_;
  HWND hwnd_ = nullptr;
  std::string className_;
  AreaTracking* tracking_ = nullptr;
};

}  // namespace k7730::ui::win32
