#include "window/win32/win32_dialog.h"

#include <algorithm>

#include "window/win32/module_instance.h"

namespace k7730::ui::win32 {

int Win32Dialog::Run(const DialogTemplate& dialog, HWND owner) {
  const INT_PTR result = DialogBoxParamA(ModuleInstance(), dialog.name, owner, &Win32Dialog::Procedure,
                                         reinterpret_cast<LPARAM>(this));
  areas_.clear();
  return static_cast<int>(result);
}

int Win32Dialog::GetCaption(char* buffer, int size) const {
  if (buffer == nullptr || size <= 0) return 0;
  return GetWindowTextA(hwnd_, buffer, size);
}

int Win32Dialog::GetItemText(int id, char* buffer, int size) const {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  return static_cast<int>(GetDlgItemTextA(hwnd_, id, buffer, size));
}

void Win32Dialog::SetItemInt(int id, std::int32_t value) {
  SetDlgItemInt(hwnd_, id, static_cast<UINT>(value), TRUE);
}

void Win32Dialog::CheckItem(int id, bool checked) {
  Send(id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Dialog::IsItemChecked(int id) const { return Send(id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Win32Dialog::SelectAllText(int id) { Send(id, EM_SETSEL, 0, -1); }

void Win32Dialog::LimitText(int id, int characters) {
  Send(id, EM_LIMITTEXT, static_cast<WPARAM>(std::max(characters, 0)), 0);
}

void Win32Dialog::ComboReset(int id) { Send(id, CB_RESETCONTENT, 0, 0); }

void Win32Dialog::ComboAdd(int id, const char* text) {
  Send(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void Win32Dialog::ComboSelect(int id, int index) { Send(id, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int Win32Dialog::ComboSelection(int id) const {
  const LRESULT selection = Send(id, CB_GETCURSEL, 0, 0);
  return selection == CB_ERR ? kNoSelection : static_cast<int>(selection);
}

PixelRect Win32Dialog::ItemRect(int id) const {
  RECT r{};
  HWND item = Item(id);
  if (item == nullptr || !GetWindowRect(item, &r)) return {};
  POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
  for (POINT& p : corners) ScreenToClient(hwnd_, &p);
  return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

void Win32Dialog::MoveItem(int id, const PixelRect& rect) {
  MoveWindow(Item(id), rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
}

void Win32Dialog::ExtendTo(int right, int bottom) {
  RECT frame{};
  GetWindowRect(hwnd_, &frame);
  POINT corner{right, bottom};
  ClientToScreen(hwnd_, &corner);
  MoveWindow(hwnd_, frame.left, frame.top, corner.x - frame.left, corner.y - frame.top, TRUE);
}

void Win32Dialog::RedrawItem(int id) {
  HWND item = Item(id);
  if (item == nullptr) return;
  InvalidateRect(item, nullptr, FALSE);
  UpdateWindow(item);
}

AreaWindow* Win32Dialog::CreateArea(const char* className, const PixelRect& rect, AreaHandler& handler) {
  auto area = std::make_unique<Win32Area>(handler);
  if (!area->Create(hwnd_, className, rect)) return nullptr;
  areas_.push_back(std::move(area));
  return areas_.back().get();
}

void Win32Dialog::DestroyArea(AreaWindow* area) {
  auto found = std::find_if(areas_.begin(), areas_.end(),
                            [&](const std::unique_ptr<Win32Area>& a) { return a.get() == area; });
  if (found == areas_.end()) return;
  (*found)->Destroy();
  areas_.erase(found);
}

// The bitmap the procedure names, copied unscaled into the item's top-left
// corner.
void Win32Dialog::DrawItem(const DRAWITEMSTRUCT& item) {
  const int bitmapId = procedure_.DrawItem(*this, static_cast<int>(item.CtlID));
  if (bitmapId == 0) return;
  HBITMAP bitmap = LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(bitmapId));
  if (bitmap == nullptr) return;
  BITMAP size{};
  GetObjectA(bitmap, sizeof size, &size);
  HDC memory = CreateCompatibleDC(item.hDC);
  if (memory != nullptr) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
  }
  DeleteObject(bitmap);
}

INT_PTR Win32Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      procedure_.Command(*this, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item == nullptr || item->CtlType != ODT_BUTTON) return FALSE;
      DrawItem(*item);
      return TRUE;
    }
    case WM_DESTROY:
      procedure_.Destroy(*this);
      for (auto& area : areas_) area->Destroy();
      return FALSE;
    default: return FALSE;
  }
}

// The one dialog procedure of every dialog: WM_INITDIALOG carries the
// Win32Dialog, which the window keeps for the messages after it.
// Initialisation returns 0: the procedure places the focus itself.
INT_PTR CALLBACK Win32Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<Win32Dialog*>(lParam);
    dialog->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    dialog->procedure_.Init(*dialog);
    return FALSE;
  }
  auto* dialog = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  const INT_PTR handled = dialog->OnMessage(message, wParam, lParam);
  if (message == WM_DESTROY) SetWindowLongPtrA(hwnd, DWLP_USER, 0);
  return handled;
}

WindowId Win32Dialog::Handle() const { return reinterpret_cast<WindowId>(hwnd_); }
void Win32Dialog::SetCaption(const char* text) { SetWindowTextA(hwnd_, text); }
void Win32Dialog::SetItemText(int id, const char* text) { SetDlgItemTextA(hwnd_, id, text); }
void Win32Dialog::EnableItem(int id, bool enable) { EnableWindow(Item(id), enable ? TRUE : FALSE); }
void Win32Dialog::ShowItem(int id, bool show) { ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }
void Win32Dialog::CheckRadio(int first, int last, int checked) { CheckRadioButton(hwnd_, first, last, checked); }
void Win32Dialog::FocusItem(int id) { SetFocus(Item(id)); }
void Win32Dialog::End(int result) { EndDialog(hwnd_, result); }

}  // namespace k7730::ui::win32
