// The MTF dialog "MTFSETUP2": the centre 3 x 3 of the sharpening kernel and
// its scale, with Default, Load and Save of MTF files. The outer ring of the
// 5 x 5 kernel is carried through hidden fields.
#pragma once

#include "ui/mtf_file.h"
#include "window/ui_platform.h"

namespace k7730::ui {

// Edits `settings` and the path of the MTF file they came from (a field of
// 260 bytes, or null); `defaultFolder` is where the file dialogs start when
// there is no path. 1 when the user pressed OK (both then written back),
// else 0.
int RunMtfDialog(WindowId owner, const char* defaultFolder, char* path, MtfSettings* settings);

// As RunMtfDialog, with the dialog's own end result: 1 OK, 2 Cancel, or
// kDialogFailed when it could not be shown (0 for null settings).
int ShowMtfDialog(WindowId owner, const char* defaultFolder, char* path, MtfSettings* settings);

}  // namespace k7730::ui
