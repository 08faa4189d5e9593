// The correction dialog "CORRECT_UI": the four corrections in pipeline order,
// each with an on/off box and a button opening its editor. It works on a
// copy of the whole SettingsBlock and hands it back only on OK.
#pragma once

#include <cstdint>

#include "k7730fe.h"
#include "ui/settings_dialogs.h"
#include "window/ui_platform.h"

namespace k7730::ui {

// 1 when the user pressed OK (the block then holds the edited copy), else 0;
// ErrorCode 0 either way, 1000 (result 0) when the copy cannot be had.
int RunCorrectionDialog(WindowId owner, K7730_SettingsBlock& settings, std::uint16_t* err);

// The same, telling a dialog that could not be shown apart.
DialogOutcome ShowCorrectionDialog(WindowId owner, K7730_SettingsBlock& settings);

}  // namespace k7730::ui
