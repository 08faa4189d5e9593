#include "window/ui_platform.h"

namespace k7730::ui {
namespace {

// Module-wide like the dialogs' own state: the dialogs are modal and run on
// the caller's thread, one at a time.
UiPlatform* g_installed = nullptr;

}  // namespace

UiPlatform& CurrentUiPlatform() {
  return g_installed != nullptr ? *g_installed : SystemUiPlatform();
}

UiPlatform* InstallUiPlatform(UiPlatform* platform) {
  UiPlatform* previous = g_installed;
  g_installed = platform;
  return previous;
}

}  // namespace k7730::ui
