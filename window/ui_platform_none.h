// The answers of a build or a machine without a window system.
#pragma once

#include "window/ui_platform.h"

namespace k7730::ui {

// No file is ever chosen (and no failure is reported, so no warning box
// follows), messages go nowhere, there are no cursors, no key is held down
// and no dialog can be shown.
UiPlatform& NoWindowSystem();

}  // namespace k7730::ui
