// dialog_host.exe SELECTOR | --no-display: a Windows print host that loads K7730fe.dll,
// opens one of the five settings dialogs through plugin_filter_preference
// mode 3, owned by a window of its own, and reports what the dialog left
// in the SettingsBlock (with --no-display: that every selector fails at
// once when no dialog can be shown). While the dialog runs, the inspector reports every
// dialog and message box that appears (see dialog_inspector.h). The exit
// code is the number of mismatches found.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "k7730fe.h"
#include "tests/support/dynamic_module.h"
#include "tests/windows/dialogs/dialog_inspector.h"

namespace {

using Open = decltype(&plugin_filter_open);
using Preference = decltype(&plugin_filter_preference);
using Close = decltype(&plugin_filter_close);
using Dispose = decltype(&plugin_filter_disposPtr);

void PrintCurve(const char* name, const K7730_ToneCurveSet& set) {
  std::printf("%s|mode %u|points %d|", name, set.mode[0], set.pointCount[0]);
  for (int k = 0; k < set.pointCount[0] && k < K7730_CURVE_POINTS; ++k) {
    std::printf("%u,%u ", set.points[0][k].input, set.points[0][k].output);
  }
  std::printf("|table128 %u\n", set.tables[0][128]);
}

void PrintSettings(const K7730_SettingsBlock& s) {
  std::printf("mtfEnabled|%u\nc12|%d\nscale|%d\nmtfName|%s\nintent|%u\niccEnabled|%u\n", s.mtfEnabled,
              s.mtf.coefficients[12], s.mtf.scale, s.mtfName, s.intent, s.iccEnabled);
  PrintCurve("inputCurve", s.inputCurves);
  PrintCurve("outputCurve", s.outputCurves);
}

// The owner sits in the top-left corner, so that the dialogs, placed
// relative to it, lie wholly on the screen.
HWND OwnerWindow() {
  return CreateWindowExA(0, "STATIC", "K7730 dialog host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 240, 120,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Without a display no dialog can appear: every selector must come back at
// once with result 0 and ErrorCode 1006, the settings untouched.
int WithoutDisplay(K7730_FilterInstance* inst, Preference preference) {
  int failures = 0;
  for (std::uint16_t selector = 0; selector <= 4; ++selector) {
    K7730_SettingsBlock before{}, after{};
    std::uint32_t size = sizeof before;
    std::uint16_t err = 0;
    preference(inst, K7730_PREF_GET_BLOCK, 0, &before, &size, &err);
    size = 0;
    err = 0;
    const std::uint32_t result = preference(inst, K7730_PREF_DIALOG, selector, nullptr, &size, &err);
    size = sizeof after;
    std::uint16_t ignored = 0;
    preference(inst, K7730_PREF_GET_BLOCK, 0, &after, &size, &ignored);
    const bool same = std::memcmp(&before, &after, sizeof before) == 0;
    std::printf("selector %u|result %u|error %u|%s\n", selector, result, err, same ? "unchanged" : "changed");
    if (result != 0 || err != K7730_ERR_BAD_ARGUMENT || !same) ++failures;
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  // Plain line feeds and no buffering: the test script reads the report
  // while the dialog runs.
  _setmode(_fileno(stdout), _O_BINARY);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc != 2) {
    std::fprintf(stderr, "usage: dialog_host SELECTOR | --no-display\n");
    return 2;
  }
  const bool noDisplay = std::strcmp(argv[1], "--no-display") == 0;
  const auto selector = static_cast<std::uint16_t>(std::atoi(argv[1]));
  void* library = k7730::test::OpenLibrary(K7730FE_MODULE_PATH);
  const auto module = static_cast<HMODULE>(library);
  if (module == nullptr) {
    std::printf("FAIL|cannot load %s\n", K7730FE_MODULE_PATH);
    return 1;
  }
  using k7730::test::Symbol;
  auto open = Symbol<Open>(library, "plugin_filter_open");
  auto preference = Symbol<Preference>(library, "plugin_filter_preference");
  auto close = Symbol<Close>(library, "plugin_filter_close");
  auto dispose = Symbol<Dispose>(library, "plugin_filter_disposPtr");
  k7730::dialogtest::CheckModuleResources(module);

  std::uint16_t err = 0;
  K7730_FilterInstance* inst = open(&err);
  K7730_SettingsBlock before{}, after{};
  std::uint32_t size = sizeof before;
  preference(inst, K7730_PREF_GET_BLOCK, 0, &before, &size, &err);

  if (noDisplay) {
    const int failures = WithoutDisplay(inst, preference) + k7730::dialogtest::StopInspector();
    std::printf("failures|%d\n", failures);
    close(inst);
    dispose(inst);
    return failures == 0 ? 0 : 1;
  }

  HWND owner = OwnerWindow();
  k7730::dialogtest::StartInspector(GetCurrentThreadId(), owner);
  size = 0;
  const std::uint32_t result = preference(inst, K7730_PREF_DIALOG, selector, owner, &size, &err);
  std::printf("result|%u|error %u\n", result, err);
  const int failures = k7730::dialogtest::StopInspector();
  // The drawing area's class goes with the dialog, so that nothing of the
  // module stays registered once the host may unload it.
  WNDCLASSA areaClass{};
  std::printf("editAreaClass|%s\n", GetClassInfoA(module, "EditArea", &areaClass) ? "registered" : "unregistered");

  size = sizeof after;
  preference(inst, K7730_PREF_GET_BLOCK, 0, &after, &size, &err);
  std::printf("unchanged|%s\n", std::memcmp(&before, &after, sizeof before) == 0 ? "yes" : "no");
  PrintSettings(after);
  std::printf("failures|%d\n", failures);
  close(inst);
  dispose(inst);
  DestroyWindow(owner);
  return failures == 0 ? 0 : 1;
}
