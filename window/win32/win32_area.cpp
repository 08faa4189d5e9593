#include "window/win32/win32_area.h"

#include <windowsx.h>

#include "window/win32/gdi_canvas.h"
#include "window/win32/module_instance.h"

namespace k7730::ui::win32 {
namespace {

PixelPoint MousePosition(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

bool Win32Area::Create(HWND parent, const char* className, const PixelRect& rect) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &Win32Area::Procedure;
  windowClass.hInstance = ModuleInstance();
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
  className_ = className;
  hwnd_ = CreateWindowExA(0, className, "edit", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.Width(),
                          rect.Height(), parent, nullptr, ModuleInstance(), this);
  if (hwnd_ == nullptr) return false;
  ShowWindow(hwnd_, SW_SHOW);
  return true;
}

void Win32Area::Destroy() {
  if (hwnd_ == nullptr) return;
  if (GetCapture() == hwnd_) ReleaseCapture();
  HWND hwnd = hwnd_;
  hwnd_ = nullptr;
  DestroyWindow(hwnd);
  // A class left registered would outlive the DLL if the host unloads it,
  // and the next opening after a reload would call into freed code.
  UnregisterClassA(className_.c_str(), ModuleInstance());
}

PixelRect Win32Area::ClientRect() const {
  RECT r{};
  if (hwnd_ != nullptr) GetClientRect(hwnd_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void Win32Area::Repaint() {
  if (hwnd_ == nullptr) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void Win32Area::DrawNow() {
  if (hwnd_ == nullptr) return;
  HDC dc = GetDC(hwnd_);
  if (dc == nullptr) return;
  {
    GdiCanvas canvas(dc);
    handler_.Paint(canvas);
  }
  ReleaseDC(hwnd_, dc);
}

void Win32Area::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  if (dc != nullptr) {
    GdiCanvas canvas(dc);
    handler_.Paint(canvas);
  }
  EndPaint(hwnd_, &paint);
}

// The tracking loop: the area's own messages are taken from the queue until
// the state machine ends (button released, capture lost). Mouse moves and
// the release go to the state machine; everything else is dispatched as
// usual. Between messages the thread waits for the next one.
void Win32Area::Track(AreaTracking& tracking) {
  tracking_ = &tracking;
  MSG message;
  while (tracking.Active() && hwnd_ != nullptr) {
    if (!PeekMessageA(&message, hwnd_, 0, 0, PM_REMOVE | PM_NOYIELD)) {
      if (GetCapture() != hwnd_) {
        tracking.CaptureLost();
        break;
      }
      WaitMessage();
      continue;
    }
    switch (message.message) {
      case WM_MOUSEMOVE: tracking.Move(MousePosition(message.lParam)); break;
      case WM_LBUTTONUP: tracking.Release(); break;
      default:
        TranslateMessage(&message);
        DispatchMessageA(&message);
        break;
    }
  }
  tracking_ = nullptr;
}

LRESULT Win32Area::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_MOUSEMOVE: handler_.MouseMove(MousePosition(lParam)); return 0;
    case WM_LBUTTONDOWN:
      if (tracking_ == nullptr) {
        if (AreaTracking* tracking = handler_.ButtonDown(MousePosition(lParam))) Track(*tracking);
      }
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the mouse in the middle of a drag or stroke.
      if (tracking_ != nullptr && reinterpret_cast<HWND>(lParam) != hwnd_) tracking_->CaptureLost();
      return 0;
    default: return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
}

LRESULT CALLBACK Win32Area::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* area = static_cast<Win32Area*>(create->lpCreateParams);
    area->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(area));
  }
  auto* area = reinterpret_cast<Win32Area*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (area == nullptr || area->hwnd_ != hwnd || message == WM_NCDESTROY) {
    if (message == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  return area->OnMessage(message, wParam, lParam);
}

}  // namespace k7730::ui::win32
