// The DLL entry point: records the module handle at process attach and
// does nothing else.
#include <windows.h>

#include "platform/win32/module_handle_win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) k7730::platform::detail::RecordModuleHandle(instance);
  return TRUE;
}
