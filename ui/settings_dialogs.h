// The settings dialogs as the filter interface runs them, on the window
// system of the build (ui_platform.h); a build without one runs no dialog
// and says so.
#pragma once

#include <cstdint>

#include "k7730fe.h"

namespace k7730::ui {

enum class DialogOutcome {
  Confirmed,    // the user pressed OK; the settings were written back
  Cancelled,    // the user cancelled; the settings are unchanged
  OutOfMemory,  // the working copy could not be had
  Unavailable,  // this build has no window system to show dialogs in
};

// Runs the dialog of a selector 0..4 (correction, input curve, output curve,
// colour matching, MTF) owned by `owner`, editing `settings`.
DialogOutcome RunSettingsDialog(int selector, void* owner, K7730_SettingsBlock& settings);

}  // namespace k7730::ui
