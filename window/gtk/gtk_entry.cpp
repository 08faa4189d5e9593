// The library's one exported name: the module asks it for the window
// system once a dialog is wanted.
#include <gtk/gtk.h>

#include <type_traits>

#include "window/window_system_library.h"
#include "window/gtk/gtk_window_system.h"

namespace k7730::ui::gtk {
namespace {

GtkWindowSystem* g_system = nullptr;

}  // namespace
}  // namespace k7730::ui::gtk

extern "C" __attribute__((visibility("default"))) k7730::ui::UiPlatform* k7730_window_system(
    std::uint32_t interfaceVersion) {
  using namespace k7730::ui;
  if (interfaceVersion != kUiPlatformInterfaceVersion) return nullptr;
  if (gtk::g_system != nullptr) return gtk::g_system;
  // GTK opens the display named by the environment; without one there is
  // no window system, and a later request may try again.
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr) return nullptr;
  gtk::g_system = new gtk::GtkWindowSystem(display);
  return gtk::g_system;
}

static_assert(std::is_same_v<decltype(&k7730_window_system), k7730::ui::WindowSystemEntry>,
              "the entry point has the type the module calls it through");
