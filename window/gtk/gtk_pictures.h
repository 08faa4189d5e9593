// The tone-curve editor's bitmaps and the module's cursors as GDK pictures,
// drawn by the same code that makes the Windows resources, so both systems
// show the same pixels.
#pragma once

#include <gtk/gtk.h>

namespace k7730::ui::gtk {

// Bitmap `id` (140 to 149) in its 16 colours; the picture belongs to the
// library and lives as long as the process. Null for any other id.
GdkPixbuf* EditorBitmap(int id);

// A new cursor for the module cursor `name` (black, white and clear
// pixels; inverting pixels show black), or null for an unknown name.
GdkCursor* NewModuleCursor(GdkDisplay* display, const char* name);

}  // namespace k7730::ui::gtk
