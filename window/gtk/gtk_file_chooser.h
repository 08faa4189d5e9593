// The open and save file dialogs as GTK file choosers, filled from the
// platform's file-dialog record: title, filter pairs (the first selected),
// initial folder and name, overwrite question, default extension.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>

#include "window/ui_platform.h"

namespace k7730::ui::gtk {

enum class ChooserKind { Open, Save };

// 1 when a file was chosen (the record's buffer then holds its full path),
// 0 otherwise; `error` receives 0 for a cancel, else the reason (the path
// does not fit the buffer: 0x3003, as the platform's own dialogs say).
int RunFileChooser(ChooserKind kind, FileDialogRecord& record, GtkWindow* parent, std::uint32_t& error);

}  // namespace k7730::ui::gtk
