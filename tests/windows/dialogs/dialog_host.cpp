// dialog_host.exe SELECTOR | --no-display: a Windows print host that loads
// K7730fe.dll, checks its resources, opens one of the five settings dialogs
// through plugin_filter_preference mode 3, owned by a window of its own,
// and reports what the dialog left in the SettingsBlock (with --no-display:
// that every selector fails at once when no dialog can be shown). While the
// dialog runs, the inspector reports every dialog and message box that
// appears (see dialog_report.h). The exit code is the number of mismatches.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resources/cursor_names.h"
#include "resources/string_table.h"
#include "tests/support/dialog_report.h"

namespace {

using k7730::test::FilterExports;

// The owner sits in the top-left corner, so that the dialogs, placed
// relative to it, lie wholly on the screen.
HWND OwnerWindow() {
  return CreateWindowExA(0, "STATIC", "K7730 dialog host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 240, 120,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// The resources of the module itself: bitmaps 140 to 149 as 16-colour
// bitmaps of their sizes, every cursor, every string. Returns mismatches.
int CheckModuleResources(HMODULE module) {
  int failures = 0;
  const auto fail = [&failures](const std::string& what) {
    ++failures;
    std::printf("FAIL|%s\n", what.c_str());
  };
  for (int id = 140; id <= 149; ++id) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    const auto* header = found ? static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, found))) : nullptr;
    if (header == nullptr) {
      fail("bitmap " + std::to_string(id) + " is missing");
      continue;
    }
    const bool tool = id <= 145, vertical = id == 147 || id == 148;
    const LONG width = tool ? 27 : vertical ? 12 : 256, height = tool ? 23 : vertical ? 256 : 12;
    if (header->biWidth != width || header->biHeight != height || header->biBitCount != 4) {
      fail("bitmap " + std::to_string(id) + " is " + std::to_string(header->biWidth) + " x " +
           std::to_string(header->biHeight) + " at " + std::to_string(header->biBitCount) + " bits");
    }
  }
  for (const char* name : k7730::res::kModuleCursorNames) {
    HCURSOR cursor = LoadCursorA(module, name);
    if (cursor == nullptr) fail(std::string("cursor ") + name + " is missing");
  }
  for (const k7730::ui::StringResource& entry : k7730::res::kStringTable) {
    char text[64] = "";
    LoadStringA(module, static_cast<UINT>(entry.id), text, sizeof text);
    if (std::strcmp(text, entry.text) != 0) fail("string " + std::to_string(entry.id) + " reads " + text);
  }
  std::printf("resources|checked\n");
  return failures;
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
  int failures = CheckModuleResources(module);
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
  failures += k7730::test::RunDialog(exports, static_cast<std::uint16_t>(std::atoi(argv[1])), owner,
                                    areaClass);
  DestroyWindow(owner);
  return failures == 0 ? 0 : 1;
}
