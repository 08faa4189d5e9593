// Builds without a window system show no dialog.
#include "ui/settings_dialogs.h"

namespace k7730::ui {

DialogOutcome RunSettingsDialog(int, void*, K7730_SettingsBlock&) {
  return DialogOutcome::Unavailable;
}

}  // namespace k7730::ui
