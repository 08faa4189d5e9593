// The GTK inspector: looks at the host's windows from the host's own main
// context, which the dialog's event loop drives, and measures every control
// against dialog units converted here, independently, from the template
// font's metrics.
#include <X11/Xutil.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "resources/tonecurve_dialog.h"
#include "tests/support/dialog_compare.h"
#include "tests/support/dialog_report.h"

namespace k7730::test {
namespace {

using ui::ControlKind;
using ui::DialogTemplate;

guint g_timer = 0;
std::uintptr_t g_owner = 0;
bool g_ownerChecked = false;
int g_failures = 0;
std::set<GtkWidget*> g_seen;
std::set<GtkWidget*> g_mapped;  // seen mapped once: reported at the next look

void Fail(const std::string& what) {
  ++g_failures;
  std::printf("FAIL|%s\n", what.c_str());
}

// The base units of a font as the dialog manager defines them.
struct Base {
  int x = 0, y = 0;
};

Base BaseOf(GtkWidget* window, const DialogTemplate& dialog) {
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, dialog.font);
  pango_font_description_set_size(font, dialog.fontPoints * PANGO_SCALE);
  PangoLayout* layout = gtk_widget_create_pango_layout(window, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  pango_layout_set_font_description(layout, font);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  PangoFontMetrics* metrics = pango_context_get_metrics(pango_layout_get_context(layout), font, nullptr);
  const int ascent = (pango_font_metrics_get_ascent(metrics) + PANGO_SCALE - 1) / PANGO_SCALE;
  const int descent = (pango_font_metrics_get_descent(metrics) + PANGO_SCALE - 1) / PANGO_SCALE;
  pango_font_metrics_unref(metrics);
  g_object_unref(layout);
  pango_font_description_free(font);
  return {(width / 26 + 1) / 2, ascent + descent};
}

int Round(int value, int base, int divisor) { return (value * base + divisor / 2) / divisor; }

Box Expected(Base base, const ui::DialogUnits& u) {
  const int left = Round(u.x, base.x, 4), top = Round(u.y, base.y, 8);
  return {left, top, left + Round(u.width, base.x, 4), top + Round(u.height, base.y, 8)};
}

// A widget's box in its toplevel's client coordinates.
Box BoxIn(GtkWidget* window, GtkWidget* widget) {
  int x = 0, y = 0;
  gtk_widget_translate_coordinates(widget, window, 0, 0, &x, &y);
  return {x, y, x + gtk_widget_get_allocated_width(widget), y + gtk_widget_get_allocated_height(widget)};
}

const char* ExpectedType(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::OwnerDrawButton: return "GtkButton";
    case ControlKind::CheckBox:
    case ControlKind::AutoCheckBox: return "GtkCheckButton";
    case ControlKind::RadioButton: return "GtkRadioButton";
    case ControlKind::GroupBox:
    case ControlKind::Frame: return "GtkFrame";
    case ControlKind::BlackFrame: return "GtkDrawingArea";
    case ControlKind::Text:
    case ControlKind::RightText: return "GtkLabel";
    case ControlKind::Edit: return "GtkEntry";
    case ControlKind::DropDownList: return "GtkComboBoxText";
    case ControlKind::Bitmap: return "GtkImage";
  }
  return "";
}

// Every widget below `root` with a name starting with `prefix`.
void Collect(GtkWidget* root, const char* prefix, std::vector<GtkWidget*>& found) {
  if (std::strncmp(gtk_widget_get_name(root), prefix, std::strlen(prefix)) == 0) found.push_back(root);
  if (GTK_IS_CONTAINER(root)) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    for (GList* c = children; c != nullptr; c = c->next) Collect(GTK_WIDGET(c->data), prefix, found);
    g_list_free(children);
  }
}

GtkWidget* Control(GtkWidget* window, int id) {
  const std::string name = "control-" + std::to_string(id);
  std::vector<GtkWidget*> found;
  Collect(window, name.c_str(), found);
  for (GtkWidget* w : found) {
    if (name == gtk_widget_get_name(w)) return w;
  }
  return nullptr;
}

class GtkView : public DialogView {
 public:
  GtkView(GtkWidget* window, Base base) : window_(window), base_(base) {}
  bool Has(int id) const override { return Control(window_, id) != nullptr; }
  std::string WrongType(int id, ControlKind kind) const override {
    const char* type = G_OBJECT_TYPE_NAME(Control(window_, id));
    return std::strcmp(type, ExpectedType(kind)) == 0 ? "" : type;
  }
  bool Visible(int id) const override { return gtk_widget_get_visible(Control(window_, id)); }
  bool Enabled(int id) const override { return gtk_widget_get_sensitive(Control(window_, id)); }
  std::optional<std::string> Caption(int id) const override {
    GtkWidget* w = Control(window_, id);
    if (!GTK_IS_BUTTON(w)) return std::nullopt;
    const char* label = gtk_button_get_label(GTK_BUTTON(w));
    return label != nullptr ? label : "";
  }
  // Hidden widgets have no place.
  std::optional<Box> Place(int id) const override {
    GtkWidget* w = Control(window_, id);
    if (!gtk_widget_get_visible(w)) return std::nullopt;
    return BoxIn(window_, w);
  }
  Box Pixels(const ui::DialogUnits& units) const override { return Expected(base_, units); }

 private:
  GtkWidget* window_;
  Base base_;
};

// The dialog the host asked for stands over the host's window.
void CheckOwner(GtkWidget* window, const std::string& caption) {
  if (g_ownerChecked) return;
  g_ownerChecked = true;
  GdkWindow* gdk = gtk_widget_get_window(window);
  Window parent = 0;
  XGetTransientForHint(GDK_WINDOW_XDISPLAY(gdk), GDK_WINDOW_XID(gdk), &parent);
  if (parent != g_owner) Fail(caption + " is not owned by the host's window");
}

void CheckDialog(GtkWidget* window, const DialogTemplate& dialog, const std::string& caption, Box client) {
  CheckOwner(window, caption);
  const Base base = BaseOf(window, dialog);
  if (&dialog == &res::kToneCurveDialog) {
    std::vector<GtkWidget*> areas;
    Collect(window, "EditArea", areas);
    if (areas.size() != 1) return Fail("the tone-curve editor has " + std::to_string(areas.size()) + " areas");
    const Box area = BoxIn(window, areas[0]);
    if (area.right - area.left != 256 || area.bottom - area.top != 256) Fail("the drawing area is " + Describe(area));
    const Box frame = Expected(base, res::kToneCurveDialog.Find(res::kTcAreaFrame)->rect);
    if (area.left != frame.left || area.top != frame.top) Fail("the drawing area is not at frame 1215");
  }
  CompareWithTemplate(GtkView(window, base), dialog, caption, client, Fail);
}

void PrintItems(GtkWidget* window, const std::string& caption, int originX, int originY) {
  std::vector<GtkWidget*> found;
  Collect(window, "control-", found);
  Collect(window, "EditArea", found);
  for (GtkWidget* w : found) {
    const Box b = BoxIn(window, w);
    const char* name = gtk_widget_get_name(w);
    const bool area = std::strcmp(name, "EditArea") == 0;
    if (area) {
      std::printf("area|%s|%ld|%ld|%ld|%ld\n", caption.c_str(), originX + b.left, originY + b.top, originX + b.right,
                  originY + b.bottom);
    } else {
      std::printf("item|%s|%s|%ld|%ld|%ld|%ld|%s\n", caption.c_str(), name + std::strlen("control-"), originX + b.left,
                  originY + b.top, originX + b.right, originY + b.bottom, G_OBJECT_TYPE_NAME(w));
    }
  }
}

void Inspect(GtkWidget* window) {
  const char* title = gtk_window_get_title(GTK_WINDOW(window));
  const std::string caption = title != nullptr ? title : "";
  int x = 0, y = 0;
  gdk_window_get_origin(gtk_widget_get_window(window), &x, &y);
  const Box client{0, 0, gtk_widget_get_allocated_width(window), gtk_widget_get_allocated_height(window)};
  std::printf("window|%s|%d|%d|%ld|%ld|%ld|%ld\n", caption.c_str(), x, y, x + client.right, y + client.bottom,
              client.right, client.bottom);
  PrintItems(window, caption, x, y);
  if (GTK_IS_MESSAGE_DIALOG(window)) {
    // Its OK button reported as the item IDOK, for the script to press.
    GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(window), GTK_RESPONSE_OK);
    if (ok != nullptr) {
      const Box b = BoxIn(window, ok);
      std::printf("item|%s|1|%ld|%ld|%ld|%ld|GtkButton\n", caption.c_str(), x + b.left, y + b.top, x + b.right,
                  y + b.bottom);
    }
    gchar* text = nullptr;
    g_object_get(window, "text", &text, nullptr);
    std::printf("message|%s|%s\n", caption.c_str(), text != nullptr ? text : "");
    g_free(text);
  } else if (GTK_IS_FILE_CHOOSER(window)) {
    // The filters offered, the chosen one first, and the folder shown.
    GtkFileFilter* chosen = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(window));
    std::string names = chosen != nullptr ? gtk_file_filter_get_name(chosen) : "";
    GSList* filters = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(window));
    for (GSList* f = filters; f != nullptr; f = f->next) names += std::string(";") + gtk_file_filter_get_name(GTK_FILE_FILTER(f->data));
    g_slist_free(filters);
    gchar* folder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(window));
    std::printf("chooser|%s|%s|%s\n", caption.c_str(), names.c_str(), folder != nullptr ? folder : "");
    g_free(folder);
  } else if (const DialogTemplate* dialog = TemplateOf(caption, GtkView(window, {}))) {
    CheckDialog(window, *dialog, caption, client);
  }
  std::printf("inspected|%s\n", caption.c_str());
}

void Forget(gpointer, GObject* gone) {
  g_seen.erase(reinterpret_cast<GtkWidget*>(gone));
  g_mapped.erase(reinterpret_cast<GtkWidget*>(gone));
}

gboolean Look(gpointer) {
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w != nullptr; w = w->next) {
    GtkWidget* window = GTK_WIDGET(w->data);
    if (!gtk_widget_get_mapped(window) || g_seen.count(window) != 0) continue;
    if (g_mapped.insert(window).second) {
      g_object_weak_ref(G_OBJECT(window), Forget, nullptr);
      continue;
    }
    g_seen.insert(window);
    Inspect(window);
  }
  g_list_free(windows);
  return G_SOURCE_CONTINUE;
}

}  // namespace

void StartInspector(std::uintptr_t owner) {
  g_owner = owner;
  g_timer = g_timeout_add(50, Look, nullptr);
}

int StopInspector() {
  if (g_timer != 0) g_source_remove(g_timer);
  g_timer = 0;
  return g_failures;
}

}  // namespace k7730::test
