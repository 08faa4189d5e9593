// What the window system can tell about the user's situation right now.
#pragma once

#include "window/ui_platform.h"

namespace k7730::ui {

// True while either Shift key is held down.
bool IsShiftDown();

// The active window of the calling thread, 0 when there is none.
WindowId ActiveWindow();

}  // namespace k7730::ui
