// The Windows window system behind the dialogs: the common file dialogs,
// message boxes, cursors, key state and the module's own dialogs and
// strings, each the Win32 call it stands for.
#include <windows.h>
#include <commdlg.h>
// The interface's LoadString is the module's own operation, not the macro.
#undef LoadString

#include "window/ui_platform.h"
#include "window/win32/module_instance.h"
#include "window/win32/win32_dialog.h"

namespace k7730::ui {
namespace {

HWND Window(WindowId id) { return reinterpret_cast<HWND>(id); }
WindowId Id(HWND hwnd) { return reinterpret_cast<WindowId>(hwnd); }
HCURSOR Cursor(CursorId id) { return reinterpret_cast<HCURSOR>(id); }
CursorId Id(HCURSOR cursor) { return reinterpret_cast<CursorId>(cursor); }

OPENFILENAMEA FileDialog(FileDialogRecord& record) {
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Window(record.owner);
  dialog.hInstance = win32::ModuleInstance();
  dialog.lpstrFilter = record.filter;
  dialog.nFilterIndex = record.filterIndex;
  dialog.lpstrFile = record.file;
  dialog.nMaxFile = record.fileSize;
  dialog.lpstrInitialDir = record.initialFolder;
  dialog.lpstrTitle = record.title;
  dialog.Flags = record.flags;
  dialog.lpstrDefExt = record.defaultExtension;
  return dialog;
}

class Win32UiPlatform final : public UiPlatform {
 public:
  int OpenFileDialog(FileDialogRecord& record) override {
    OPENFILENAMEA dialog = FileDialog(record);
    return GetOpenFileNameA(&dialog) ? 1 : 0;
  }
  int SaveFileDialog(FileDialogRecord& record) override {
    OPENFILENAMEA dialog = FileDialog(record);
    return GetSaveFileNameA(&dialog) ? 1 : 0;
  }
  std::uint32_t FileDialogError() override { return CommDlgExtendedError(); }

  int ShowMessageBox(WindowId owner, const char* text, const char* caption, std::uint32_t style) override {
    return MessageBoxA(Window(owner), text, caption, style);
  }

  CursorId LoadSystemCursor(int id) override { return Id(LoadCursorA(nullptr, MAKEINTRESOURCEA(id))); }
  CursorId LoadModuleCursor(const char* name) override {
    return Id(LoadCursorA(win32::ModuleInstance(), name));
  }
  CursorId SetCurrentCursor(CursorId cursor) override { return Id(SetCursor(Cursor(cursor))); }
  int DestroyCursor(CursorId cursor) override { return ::DestroyCursor(Cursor(cursor)) ? 1 : 0; }

  std::uint16_t AsyncKeyState(int virtualKey) override {
    return static_cast<std::uint16_t>(GetAsyncKeyState(virtualKey));
  }
  WindowId ActiveWindow() override { return Id(GetActiveWindow()); }
  CursorId CurrentCursor() override { return Id(GetCursor()); }

  int RunDialog(const DialogTemplate& dialog, WindowId owner, DialogProcedure& procedure) override {
    win32::Win32Dialog window(procedure);
    return window.Run(dialog, Window(owner));
  }
  int LoadString(int id, char* buffer, int size) override {
    if (buffer == nullptr || size <= 0) return 0;
    buffer[0] = '\0';
    return ::LoadStringA(win32::ModuleInstance(), static_cast<UINT>(id), buffer, size);
  }
};

}  // namespace

UiPlatform& SystemUiPlatform() {
  static Win32UiPlatform instance;
  return instance;
}

}  // namespace k7730::ui
