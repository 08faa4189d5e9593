// A modal dialog from the module's resources, driven by a portable
// DialogProcedure: one dialog procedure hands WM_INITDIALOG, WM_COMMAND,
// WM_DRAWITEM and WM_DESTROY to it, and every DialogWindow primitive is the
// Win32 call it stands for.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "window/ui_platform.h"
#include "window/win32/win32_area.h"

namespace k7730::ui::win32 {

class Win32Dialog final : public DialogWindow {
 public:
  explicit Win32Dialog(DialogProcedure& procedure) : procedure_(procedure) {}

  // DialogBoxParamA with the module's instance and the template's resource
  // name: the dialog's result, or -1 when it cannot be shown.
  int Run(const DialogTemplate& dialog, HWND owner);

  K7730_DIALOG_WINDOW_OVERRIDES

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void DrawItem(const DRAWITEMSTRUCT& item);
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  LRESULT Send(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendDlgItemMessageA(hwnd_, id, message, wParam, lParam);
  }

  DialogProcedure& procedure_;
  HWND hwnd_ = nullptr;
  std::vector<std::unique_ptr<Win32Area>> areas_;
};

}  // namespace k7730::ui::win32
