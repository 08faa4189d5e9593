// What the real-window dialog hosts (Win32 under Wine, GTK) share: the
// module's filter exports, one dialog run through plugin_filter_preference
// mode 3 under the watch of the window system's inspector, and the report
// of what it left in the SettingsBlock, one "name|value" line each, for the
// scenario scripts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <vector>

#include "k7730fe.h"
#include "tests/support/dynamic_module.h"

namespace k7730::test {

// The inspector, one for each window system: while a dialog runs it reports
// every window that appears, for the scripts that click and type ("window|",
// "item|caption|id|left|top|right|bottom|type", "area|", "message|caption|text"),
// and every mismatch with the dialog's template ("FAIL|what"); the first
// dialog must be owned by `owner`. Stop returns the mismatches found.
void StartInspector(std::uintptr_t owner);
int StopInspector();

struct FilterExports {
  explicit FilterExports(void* library)
      : open(Symbol<decltype(open)>(library, "plugin_filter_open")),
        preference(Symbol<decltype(preference)>(library, "plugin_filter_preference")),
        close(Symbol<decltype(close)>(library, "plugin_filter_close")),
        dispose(Symbol<decltype(dispose)>(library, "plugin_filter_disposPtr")) {}
  decltype(&plugin_filter_open) open;
  decltype(&plugin_filter_preference) preference;
  decltype(&plugin_filter_close) close;
  decltype(&plugin_filter_disposPtr) dispose;
};

// A dialog host's start: the report unbuffered (the test script reads it
// while the dialog runs), one argument, the module loaded. Null when not.
inline void* StartHost(int argc, const char* usage, const char* modulePath) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s\n", usage);
    return nullptr;
  }
  void* module = OpenLibrary(modulePath);
  if (module == nullptr) std::printf("FAIL|cannot load %s\n", modulePath);
  return module;
}

inline void PrintCurve(const char* name, const K7730_ToneCurveSet& set) {
  std::printf("%s|mode %u|points %d|", name, set.mode[0], set.pointCount[0]);
  for (int k = 0; k < set.pointCount[0] && k < K7730_CURVE_POINTS; ++k) {
    std::printf("%u,%u ", set.points[0][k].input, set.points[0][k].output);
  }
  std::printf("|table128 %u\n", set.tables[0][128]);
  std::printf("%sGamma|%d\n", name, set.gammaHundredths[0]);
  // Samples of the finished table, for the pixels of the drawn curve.
  for (int x : {32, 64, 192, 224}) std::printf("%sTable|%d|%u\n", name, x, set.tables[0][x]);
}

inline K7730_SettingsBlock GetBlock(const FilterExports& f, K7730_FilterInstance* inst) {
  K7730_SettingsBlock block{};
  std::uint32_t size = sizeof block;
  std::uint16_t err = 0;
  f.preference(inst, K7730_PREF_GET_BLOCK, 0, &block, &size, &err);
  return block;
}

// What asking for a dialog gave where none can be shown.
struct DialogRefusal {
  std::uint16_t selector, err;
  std::uint32_t result, size;
  bool unchanged;
};

// Asks a fresh instance for each of the five dialogs without an owner.
inline std::vector<DialogRefusal> AskForEveryDialog(const FilterExports& f) {
  std::vector<DialogRefusal> answers;
  std::uint16_t err = 0;
  K7730_FilterInstance* inst = f.open(&err);
  if (inst == nullptr) return answers;
  for (std::uint16_t selector = 0; selector <= 4; ++selector) {
    const K7730_SettingsBlock before = GetBlock(f, inst);
    DialogRefusal a{selector, 0, 0, 77, false};
    a.result = f.preference(inst, K7730_PREF_DIALOG, selector, nullptr, &a.size, &a.err);
    const K7730_SettingsBlock after = GetBlock(f, inst);
    a.unchanged = std::memcmp(&before, &after, sizeof before) == 0;
    answers.push_back(a);
  }
  f.close(inst);
  f.dispose(inst);
  return answers;
}

// Runs dialog `selector` owned by `owner` on a fresh instance, inspected,
// and reports its result and the settings; `afterDialog` reports more.
// Returns the mismatches.
inline int RunDialog(const FilterExports& f, std::uint16_t selector, void* owner,
                     const std::function<void()>& afterDialog = {}) {
  std::uint16_t err = 0;
  K7730_FilterInstance* inst = f.open(&err);
  const K7730_SettingsBlock before = GetBlock(f, inst);
  std::uint32_t size = 0;
  StartInspector(reinterpret_cast<std::uintptr_t>(owner));
  const std::uint32_t result = f.preference(inst, K7730_PREF_DIALOG, selector, owner, &size, &err);
  std::printf("result|%u|error %u\n", result, err);
  const int failures = StopInspector();
  if (afterDialog) afterDialog();
  const K7730_SettingsBlock s = GetBlock(f, inst);
  std::printf("unchanged|%s\n", std::memcmp(&before, &s, sizeof s) == 0 ? "yes" : "no");
  std::printf("mtfEnabled|%u\nc12|%d\nscale|%d\nmtfName|%s\nintent|%u\niccEnabled|%u\n", s.mtfEnabled,
              s.mtf.coefficients[12], s.mtf.scale, s.mtfName, s.intent, s.iccEnabled);
  PrintCurve("inputCurve", s.inputCurves);
  PrintCurve("outputCurve", s.outputCurves);
  std::printf("failures|%d\n", failures);
  f.close(inst);
  f.dispose(inst);
  return failures;
}

}  // namespace k7730::test
