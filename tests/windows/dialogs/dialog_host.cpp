// dialog_host.exe SELECTOR | --no-display: a Windows print host that loads K7730fe.dll,
// opens one of the five settings dialogs through plugin_filter_preference
// mode 3, owned by a window of its own, and reports what the dialog left
// in the SettingsBlock (with --no-display: that every selector fails at
// once when no dialog can be shown). While the dialog runs, the inspector reports every
// dialog and message box that appears (see dialog_report.h). The exit
// code is the number of mismatches found.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/dialog_report.h"
#include "tests/windows/dialogs/dialog_inspector.h"

namespace {

using k7730::test::FilterExports;

// The owner sits in the top-left corner, so that the dialogs, placed
// relative to it, lie wholly on the screen.
HWND OwnerWindow() {
  return CreateWindowExA(0, "STATIC", "K7730 dialog host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 240, 120,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Without a display no dialog can appear: every selector must come back at
// once with result 0 and ErrorCode 1006, the settings untouched.
int WithoutDisplay(const FilterExports& f) {
  int failures = 0;
  for (const k7730::test::DialogRefusal& a : k7730::test::AskForEveryDialog(f)) {
    std::printf("selector %u|result %u|error %u|%s\n", a.selector, a.result, a.err,
                a.unchanged ? "unchanged" : "changed");
    if (a.result != 0 || a.err != K7730_ERR_BAD_ARGUMENT || !a.unchanged) ++failures;
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // plain line feeds
  void* library = k7730::test::StartHost(argc, "dialog_host SELECTOR | --no-display", K7730FE_MODULE_PATH);
  if (library == nullptr) return 1;
  const auto module = static_cast<HMODULE>(library);
  const FilterExports exports(library);
  int failures = k7730::test::CheckModuleResources(module);
  if (std::strcmp(argv[1], "--no-display") == 0) {
    failures += WithoutDisplay(exports);
    std::printf("failures|%d\n", failures);
    return failures == 0 ? 0 : 1;
  }
  HWND owner = OwnerWindow();
  // The drawing area's class goes with the dialog, so that nothing of the
  // module stays registered once the host may unload it.
  const auto areaClass = [module] {
    WNDCLASSA found{};
    std::printf("editAreaClass|%s\n", GetClassInfoA(module, "EditArea", &found) ? "registered" : "unregistered");
  };
  failures = k7730::test::RunDialog(exports, static_cast<std::uint16_t>(std::atoi(argv[1])), owner,
                                    areaClass);
  DestroyWindow(owner);
  return failures == 0 ? 0 : 1;
}
