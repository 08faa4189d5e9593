// The DLL entry point hands the module's own handle to the module-path code.
#pragma once

#include <windows.h>

namespace k7730::platform::detail {

void RecordModuleHandle(HMODULE module);

}  // namespace k7730::platform::detail
