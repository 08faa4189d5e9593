// Builds without a window system: no file is ever chosen (and no failure is
// reported, so no warning box follows), messages go nowhere, there are no
// cursors, no key is held down and no dialog can be shown.
#include "window/ui_platform.h"

namespace k7730::ui {
namespace {

class NoWindowSystem final : public UiPlatform {
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

UiPlatform& SystemUiPlatform() {
  static NoWindowSystem instance;
  return instance;
}

}  // namespace k7730::ui
