// The window system of the Linux module: the GTK library beside the module,
// loaded through the platform's loader when a dialog is first asked for.
// Until it is loaded, and whenever it is missing, does not load, has
// another interface version or finds no display, every operation answers
// as a build without a window system does, so a dialog request fails with
// "no dialog can be shown" and the module itself never needs GTK.
#include "platform/platform.h"
#include "platform/path_utils.h"
#include "window/ui_platform.h"
#include "window/ui_platform_none.h"
#include "window/window_system_library.h"

namespace k7730::ui {
namespace {

// Module-wide like the dialogs themselves (modal, on the caller's thread).
// The library stays loaded for the rest of the process: a toolkit that has
// opened a display cannot be unloaded safely.
struct LoadedLibrary {
  platform::LibraryId library = 0;
  UiPlatform* platform = nullptr;
  bool tried = false;
};
LoadedLibrary g_loaded;

void TryLoad() {
  g_loaded.tried = true;
  if (g_loaded.library == 0) {
    char folder[platform::kMaxPath] = "";
    char path[platform::kMaxPath] = "";
    GetModuleFolder(folder);
    if (folder[0] == '\0' || !JoinModuleFile(folder, kGtkLibraryName, path)) return;
    g_loaded.library = platform::LibraryLoad(path);
    if (g_loaded.library == 0) return;
  }
  auto entry = reinterpret_cast<WindowSystemEntry>(
      platform::LibrarySymbol(g_loaded.library, kWindowSystemEntryName));
  // No display yet is worth another try at the next dialog; the library
  // stays loaded for it.
  if (entry != nullptr) g_loaded.platform = entry(kUiPlatformInterfaceVersion);
}

// Every operation goes to the loaded window system, else to none. The first
// operation of all (the tone-curve editor asks for its cursors before its
// dialog) tries to load it; a failed attempt is repeated by the next dialog.
class LazyWindowSystem final : public UiPlatform {
 public:
  int OpenFileDialog(FileDialogRecord& record) override { return Target().OpenFileDialog(record); }
  int SaveFileDialog(FileDialogRecord& record) override { return Target().SaveFileDialog(record); }
  std::uint32_t FileDialogError() override { return Target().FileDialogError(); }
  int ShowMessageBox(WindowId owner, const char* text, const char* caption, std::uint32_t style) override {
    return Target().ShowMessageBox(owner, text, caption, style);
  }
  CursorId LoadSystemCursor(int id) override { return Target().LoadSystemCursor(id); }
  CursorId LoadModuleCursor(const char* name) override { return Target().LoadModuleCursor(name); }
  CursorId SetCurrentCursor(CursorId cursor) override { return Target().SetCurrentCursor(cursor); }
  int DestroyCursor(CursorId cursor) override { return Target().DestroyCursor(cursor); }
  std::uint16_t AsyncKeyState(int virtualKey) override { return Target().AsyncKeyState(virtualKey); }
  WindowId ActiveWindow() override { return Target().ActiveWindow(); }
  CursorId CurrentCursor() override { return Target().CurrentCursor(); }
  int RunDialog(const DialogTemplate& dialog, WindowId owner, DialogProcedure& procedure) override {
    if (g_loaded.platform == nullptr) TryLoad();
    return Target().RunDialog(dialog, owner, procedure);
  }
  int LoadString(int id, char* buffer, int size) override { return Target().LoadString(id, buffer, size); }

 private:
  static UiPlatform& Target() {
    if (!g_loaded.tried) TryLoad();
    return g_loaded.platform != nullptr ? *g_loaded.platform : NoWindowSystem();
  }
};

}  // namespace

UiPlatform& SystemUiPlatform() {
  static LazyWindowSystem instance;
  return instance;
}

}  // namespace k7730::ui
