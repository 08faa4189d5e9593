// The module's own instance: where its dialogs, strings, bitmaps and
// cursors come from.
#pragma once

#include <windows.h>

namespace k7730::ui::win32 {

HINSTANCE ModuleInstance();

}  // namespace k7730::ui::win32
