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

  WindowId Handle() const override { return reinterpret_cast<WindowId>(hwnd_); }
  void SetCaption(const char* text) override { SetWindowTextA(hwnd_, text); }
  int GetCaption(char* buffer, int size) const override;
  void SetItemText(int id, const char* text) override { SetDlgItemTextA(hwnd_, id, text); }
  int GetItemText(int id, char* buffer, int size) const override;
  void SetItemInt(int id, std::int32_t value) override;
  void EnableItem(int id, bool enable) override { EnableWindow(Item(id), enable ? TRUE : FALSE); }
  void ShowItem(int id, bool show) override { ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }
  void CheckRadio(int first, int last, int checked) override { CheckRadioButton(hwnd_, first, last, checked); }
  void CheckItem(int id, bool checked) override;
  bool IsItemChecked(int id) const override;
  void FocusItem(int id) override { SetFocus(Item(id)); }
  void SelectAllText(int id) override;
  void LimitText(int id, int characters) override;
  void ComboReset(int id) override;
  void ComboAdd(int id, const char* text) override;
  void ComboSelect(int id, int index) override;
  int ComboSelection(int id) const override;
  PixelRect ItemRect(int id) const override;
  void MoveItem(int id, const PixelRect& rect) override;
  void ExtendTo(int right, int bottom) override;
  void RedrawItem(int id) override;
  void End(int result) override { EndDialog(hwnd_, result); }
  AreaWindow* CreateArea(const char* className, const PixelRect& rect, AreaHandler& handler) override;
  void DestroyArea(AreaWindow* area) override;

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
