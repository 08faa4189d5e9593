#include "window/ui_platform_none.h"

namespace k7730::ui {
namespace {

class NoWindowSystemPlatform final : public UiPlatform {
 public:
  int OpenFileDialog(FileDialogRecord&) override { return 0; }
  int SaveFileDialog(FileDialogRecord&) override { return 0; }
  std::uint32_t FileDialogError() override { return 0; }
  int ShowMessageBox(WindowId, const char*, const char*, std::uint32_t) override { return 1; }
  CursorId LoadSystemCursor(int) override { return 0; }
  CursorId LoadModuleCursor(const char*) override { return 0; }
  CursorId SetCurrentCursor(CursorId) override { return 0; }
  int DestroyCursor(CursorId) override { return 1; }
  std::uint16_t AsyncKeyState(int) override { return 0; }
  WindowId ActiveWindow() override { return 0; }
  CursorId CurrentCursor() override { return 0; }
  int RunDialog(const DialogTemplate&, WindowId, DialogProcedure&) override { return kDialogFailed; }
  int LoadString(int, char* buffer, int size) override {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
  }
};

}  // namespace

UiPlatform& NoWindowSystem() {
  static NoWindowSystemPlatform instance;
  return instance;
}

}  // namespace k7730::ui
