#include "platform/win32/module_handle_win32.h"
#include "window/win32/module_instance.h"

namespace k7730::ui::win32 {

// Linked into a program rather than the DLL, the program's own resources.
HINSTANCE ModuleInstance() {
  HMODULE module = platform::detail::RecordedModuleHandle();
  return module != nullptr ? module : GetModuleHandleA(nullptr);
}

}  // namespace k7730::ui::win32
