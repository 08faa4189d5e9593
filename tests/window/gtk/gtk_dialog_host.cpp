// gtk_dialog_host SELECTOR: a Linux print host that loads K7730fe.so, opens
// one of the five settings dialogs through plugin_filter_preference mode 3
// (the module loads its GTK window system for it), owned by an X window of
// its own, and reports what the dialog left in the SettingsBlock. While the
// dialog runs, the inspector reports every window that appears. The exit
// code is the number of mismatches found.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdint>
#include <cstdlib>

#include "tests/support/dialog_report.h"

namespace {

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
  void* module = k7730::test::StartHost(argc, "gtk_dialog_host SELECTOR", K7730FE_MODULE_PATH);
  if (module == nullptr) return 1;
  const auto selector = static_cast<std::uint16_t>(std::atoi(argv[1]));
  const int failures = k7730::test::RunDialog(k7730::test::FilterExports(module), selector,
                                              reinterpret_cast<void*>(OwnerWindow()));
  return failures == 0 ? 0 : 1;
}
