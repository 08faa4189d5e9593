#include "window/gtk/dialog_units.h"

#include <cstdint>

namespace k7730::ui::gtk {
namespace {

// value * numerator / denominator rounded to the nearest, halves away from
// zero (the system's MulDiv).
int MulDiv(int value, int numerator, int denominator) {
  if (denominator <= 0) return 0;
  const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
  const std::int64_t half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

int PangoPixelsUp(int units) { return (units + PANGO_SCALE - 1) / PANGO_SCALE; }

}  // namespace

BaseUnits MeasureBaseUnits(GtkWidget* widget, const char* font, int points) {
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, font);
  pango_font_description_set_size(description, points * PANGO_SCALE);
  PangoLayout* layout = gtk_widget_create_pango_layout(widget, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  pango_layout_set_font_description(layout, description);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  PangoFontMetrics* metrics = pango_context_get_metrics(pango_layout_get_context(layout), description, nullptr);
  const int fontHeight = PangoPixelsUp(pango_font_metrics_get_ascent(metrics)) +
                         PangoPixelsUp(pango_font_metrics_get_descent(metrics));
  pango_font_metrics_unref(metrics);
  g_object_unref(layout);
  pango_font_description_free(description);
  return {(width / 26 + 1) / 2, fontHeight > 0 ? fontHeight : height};
}

PixelRect ToPixels(BaseUnits base, const DialogUnits& u) {
  const int left = MulDiv(u.x, base.x, 4);
  const int top = MulDiv(u.y, base.y, 8);
  return {left, top, left + MulDiv(u.width, base.x, 4), top + MulDiv(u.height, base.y, 8)};
}

}  // namespace k7730::ui::gtk
