// gtk_dialog_host SELECTOR: a Linux print host that loads K7730fe.so, opens
// one of the five settings dialogs through plugin_filter_preference mode 3
// (the module loads its GTK window system for it), owned by an X window of
// its own, and reports what the dialog left in the SettingsBlock. While the dialog runs, the inspector
// reports every window that appears (see gtk_inspector.h). The exit code is
// the number of mismatches found.
#include <dlfcn.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "k7730fe.h"
#include "tests/window/gtk/gtk_inspector.h"

namespace {

template <typename Function>
Function Export(void* module, const char* name) {
  return reinterpret_cast<Function>(dlsym(module, name));
}

void PrintCurve(const char* name, const K7730_ToneCurveSet& set) {
  std::printf("%s|mode %u|points %d|", name, set.mode[0], set.pointCount[0]);
  for (int k = 0; k < set.pointCount[0] && k < K7730_CURVE_POINTS; ++k) {
    std::printf("%u,%u ", set.points[0][k].input, set.points[0][k].output);
  }
  std::printf("|table128 %u\n", set.tables[0][128]);
  std::printf("%sGamma|%d\n", name, set.gammaHundredths[0]);
  // Samples of the finished table, for the pixels of the drawn curve.
  for (int x : {32, 64, 192, 224}) std::printf("%sTable|%d|%u\n", name, x, set.tables[0][x]);
}

void PrintSettings(const K7730_SettingsBlock& s) {
  std::printf("mtfEnabled|%u\nc12|%d\nscale|%d\nmtfName|%s\nintent|%u\niccEnabled|%u\n", s.mtfEnabled,
              s.mtf.coefficients[12], s.mtf.scale, s.mtfName, s.intent, s.iccEnabled);
  PrintCurve("inputCurve", s.inputCurves);
  PrintCurve("outputCurve", s.outputCurves);
}

// The owner: a window of this host in the top-left corner, handed to the
// module as its X window id.
unsigned long OwnerWindow() {
  if (!gtk_init_check(nullptr, nullptr)) return 0;
  GtkWidget* owner = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(owner), "K7730 dialog host");
  gtk_window_set_default_size(GTK_WINDOW(owner), 240, 120);
  gtk_window_move(GTK_WINDOW(owner), 0, 0);
  gtk_widget_show(owner);
  while (gtk_events_pending()) gtk_main_iteration();
  return gdk_x11_window_get_xid(gtk_widget_get_window(owner));
}

}  // namespace

int main(int argc, char** argv) {
  // The test script reads the report while the dialog runs.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc != 2) {
    std::fprintf(stderr, "usage: gtk_dialog_host SELECTOR\n");
    return 2;
  }
  const auto selector = static_cast<std::uint16_t>(std::atoi(argv[1]));
  void* module = dlopen(K7730FE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    std::printf("FAIL|cannot load %s\n", K7730FE_MODULE_PATH);
    return 1;
  }
  auto open = Export<decltype(&plugin_filter_open)>(module, "plugin_filter_open");
  auto preference = Export<decltype(&plugin_filter_preference)>(module, "plugin_filter_preference");
  auto close = Export<decltype(&plugin_filter_close)>(module, "plugin_filter_close");
  auto dispose = Export<decltype(&plugin_filter_disposPtr)>(module, "plugin_filter_disposPtr");

  std::uint16_t err = 0;
  K7730_FilterInstance* inst = open(&err);
  K7730_SettingsBlock before{}, after{};
  std::uint32_t size = sizeof before;
  preference(inst, K7730_PREF_GET_BLOCK, 0, &before, &size, &err);

  const unsigned long owner = OwnerWindow();
  k7730::gtktest::StartInspector(owner);
  size = 0;
  const std::uint32_t result =
      preference(inst, K7730_PREF_DIALOG, selector, reinterpret_cast<void*>(owner), &size, &err);
  std::printf("result|%u|error %u\n", result, err);
  const int failures = k7730::gtktest::StopInspector();

  size = sizeof after;
  preference(inst, K7730_PREF_GET_BLOCK, 0, &after, &size, &err);
  std::printf("unchanged|%s\n", std::memcmp(&before, &after, sizeof before) == 0 ? "yes" : "no");
  PrintSettings(after);
  std::printf("failures|%d\n", failures);
  close(inst);
  dispose(inst);
  return failures == 0 ? 0 : 1;
}
