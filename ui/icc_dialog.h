// The colour-matching dialog "ICCSETUP": the input and output profiles and
// the rendering intent. Every picked profile is tried at once, so only
// profiles the RGB pipeline can use are taken.
#pragma once

#include <cstdint>

#include "window/ui_platform.h"

namespace k7730::ui {

// Edits the two paths (fields of 260 bytes) and the intent; returns what the
// dialog returned: 1 for OK (the three values then copied back), 2 for
// Cancel, kDialogFailed when it could not be shown.
int RunIccDialog(WindowId owner, char* inputPath, char* outputPath, std::uint16_t* intent);

// Asks for a profile file, starting from `path` (a field of 260 bytes); 1
// when the user chose one (its full path then in `path`), else 0.
int ChooseProfileFile(char* path);

}  // namespace k7730::ui
