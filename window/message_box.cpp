#include "window/message_box.h"

namespace k7730::ui {

void ShowStopMessage(WindowId owner, const char* text, const char* caption) {
  if (text == nullptr) return;
  CurrentUiPlatform().ShowMessageBox(owner, text, caption, kStopMessageStyle);
}

}  // namespace k7730::ui
