// The DLL entry point hands the module's own handle to the module-path code.
#pragma once

#include <windows.h>

namespace k7730::platform::detail {

void RecordModuleHandle(HMODULE module);
// The handle recorded, or null when the code is linked into a program.
HMODULE RecordedModuleHandle();

}  // namespace k7730::platform::detail
