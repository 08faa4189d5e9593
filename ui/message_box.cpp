#include "ui/message_box.h"

namespace k7730::ui {

void ShowStopMessage(WindowId owner, const char* text, const char* caption) {
  if (text == nullptr) return;
  CurrentUiPlatform().ShowMessageBox(owner, text, caption, kStopMessageStyle);
}

bool IsShiftDown() {
  return (CurrentUiPlatform().AsyncKeyState(kVkShift) & 0x8000u) != 0;
}

}  // namespace k7730::ui
