#include "window/window_state.h"

namespace k7730::ui {

bool IsShiftDown() { return (CurrentUiPlatform().AsyncKeyState(kVkShift) & 0x8000u) != 0; }

WindowId ActiveWindow() { return CurrentUiPlatform().ActiveWindow(); }

}  // namespace k7730::ui
