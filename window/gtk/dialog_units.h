// Dialog units to pixels the way the Windows dialog manager converts them:
// from the average character width and the height of the dialog's font.
#pragma once

#include <gtk/gtk.h>

#include "window/canvas.h"
#include "resources/dialog_template.h"

namespace k7730::ui::gtk {

// Pixels per 4 horizontal and per 8 vertical dialog units.
struct BaseUnits {
  int x = 0;
  int y = 0;
};

// The template's font, as Pango resolves it on the widget's screen: the
// average width of the 52 letters and the font's full height.
BaseUnits MeasureBaseUnits(GtkWidget* widget, const char* font, int points);

// A rectangle in dialog units as client pixels. Position and size are
// converted each on its own, so the right edge is the converted x plus the
// converted width.
PixelRect ToPixels(BaseUnits base, const DialogUnits& units);

}  // namespace k7730::ui::gtk
