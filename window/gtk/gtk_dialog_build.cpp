// Building a dialog's window and controls from its template.
#include <string>

#include "window/gtk/gtk_pictures.h"
#include "window/gtk/gtk_template_dialog.h"
#include "window/gtk/gtk_window_system.h"

namespace k7730::ui::gtk {
namespace {

// The theme's generous padding and minimum sizes would push the controls
// out of the rectangles the template gives them; within the dialog they
// shrink to the template's measure, in the template's font.
std::string DialogStyle(const std::string& scope, const DialogTemplate& dialog) {
  const std::string all = scope + ", " + scope + " *";
  return all + " { font-family: \"" + dialog.font + "\"; font-size: " + std::to_string(dialog.fontPoints) +
         "pt; }\n" + scope + " button, " + scope + " entry, " + scope + " combobox button {" +
         " min-height: 0; min-width: 0; padding: 0 4px; }\n" + scope + " entry { padding: 0 2px; }\n" + scope +
         " checkbutton, " + scope + " radiobutton { min-height: 0; padding: 0; }\n" + scope +
         " button.owner-drawn { padding: 0; border: none; background: none; box-shadow: none; outline: none; }\n";
}

GtkWidget* NewLabel(const char* text, float xalign) {
  GtkWidget* label = gtk_label_new(text);
  gtk_label_set_xalign(GTK_LABEL(label), xalign);
  gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  return label;
}

int g_dialogsBuilt = 0;

}  // namespace

void KeepLabelInside(GtkWidget* button) {
  GtkWidget* child = gtk_bin_get_child(GTK_BIN(button));
  if (child != nullptr && GTK_IS_LABEL(child)) gtk_label_set_ellipsize(GTK_LABEL(child), PANGO_ELLIPSIZE_END);
}

void TemplateDialog::AddStyle(const DialogTemplate& dialog) {
  const std::string scope = "k7730-dialog-" + std::to_string(++g_dialogsBuilt);
  gtk_style_context_add_class(gtk_widget_get_style_context(window_), scope.c_str());
  style_ = gtk_css_provider_new();
  const std::string css = DialogStyle("." + scope, dialog);
  gtk_css_provider_load_from_data(style_, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window_), GTK_STYLE_PROVIDER(style_),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

void TemplateDialog::Build(const DialogTemplate& dialog, GtkWindow* owner) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), dialog.caption);
  gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  if (owner != nullptr) gtk_window_set_transient_for(GTK_WINDOW(window_), owner);
  gtk_window_set_position(GTK_WINDOW(window_), owner != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  AddStyle(dialog);
  base_ = MeasureBaseUnits(window_, dialog.font, dialog.fontPoints);

  fixed_ = gtk_fixed_new();
  const PixelRect client = ToPixels(base_, {0, 0, dialog.rect.width, dialog.rect.height});
  gtk_widget_set_size_request(fixed_, client.right, client.bottom);
  gtk_container_add(GTK_CONTAINER(window_), fixed_);
  for (const ControlTemplate& control : dialog.controls) {
    auto item = std::make_unique<Item>();
    item->dialog = this;
    item->source = &control;
    item->rect = ToPixels(base_, control.rect);
    item->widget = NewControl(*item);
    Place(*item);
    items_.push_back(std::move(item));
  }
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);
  g_signal_connect(window_, "destroy", G_CALLBACK(OnDestroyed), this);
}

// Shown, enabled, named after its id (so tools find it), at its place.
void TemplateDialog::Place(Item& item) {
  const ControlTemplate& control = *item.source;
  const std::string name = "control-" + std::to_string(control.id);
  gtk_widget_set_name(item.widget, name.c_str());
  gtk_widget_set_sensitive(item.widget, (control.style & kStyleDisabled) == 0);
  gtk_widget_set_size_request(item.widget, item.rect.Width(), item.rect.Height());
  gtk_fixed_put(GTK_FIXED(fixed_), item.widget, item.rect.left, item.rect.top);
  if ((control.style & kStyleHidden) == 0) gtk_widget_show_all(item.widget);
  if (item.radioOff != nullptr) SetMark(item, false);
}

GtkWidget* TemplateDialog::NewControl(Item& item) {
  const ControlTemplate& control = *item.source;
  switch (control.kind) {
    case ControlKind::GroupBox: return gtk_frame_new(control.text);
    case ControlKind::Frame: {
      GtkWidget* frame = gtk_frame_new(nullptr);
      gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_ETCHED_IN);
      return frame;
    }
    case ControlKind::BlackFrame: {
      GtkWidget* frame = gtk_drawing_area_new();
      g_signal_connect(frame, "draw", G_CALLBACK(OnFrameDraw), &item);
      return frame;
    }
    case ControlKind::Text: return NewLabel(control.text, 0.0f);
    case ControlKind::RightText: return NewLabel(control.text, 1.0f);
    case ControlKind::Edit: {
      GtkWidget* edit = gtk_entry_new();
      gtk_entry_set_width_chars(GTK_ENTRY(edit), 0);
      gtk_entry_set_has_frame(GTK_ENTRY(edit), (control.style & kStyleBorder) != 0);
      gtk_entry_set_text(GTK_ENTRY(edit), control.text);
      g_signal_connect(edit, "changed", G_CALLBACK(OnEditChanged), &item);
      return edit;
    }
    case ControlKind::DropDownList: {
      GtkWidget* combo = gtk_combo_box_text_new();
      g_signal_connect(combo, "changed", G_CALLBACK(OnComboChanged), &item);
      // The template's height includes the open list; closed, the list is
      // as high as its field.
      item.rect.bottom = item.rect.top + ToPixels(base_, {0, 0, 0, 14}).bottom;
      return combo;
    }
    case ControlKind::Bitmap: {
      GdkPixbuf* picture = EditorBitmap(control.bitmap);
      // The static takes its picture's size.
      if (picture != nullptr) {
        item.rect.right = item.rect.left + gdk_pixbuf_get_width(picture);
        item.rect.bottom = item.rect.top + gdk_pixbuf_get_height(picture);
      }
      return picture != nullptr ? gtk_image_new_from_pixbuf(picture) : gtk_image_new();
    }
    default: return NewButtonLike(item);
  }
}

GtkWidget* TemplateDialog::NewButtonLike(Item& item) {
  const ControlTemplate& control = *item.source;
  GtkWidget* button = nullptr;
  switch (control.kind) {
    case ControlKind::CheckBox:
    case ControlKind::AutoCheckBox: button = gtk_check_button_new_with_label(control.text); break;
    case ControlKind::RadioButton:
      button = gtk_radio_button_new_with_label(nullptr, control.text);
      item.radioOff = gtk_radio_button_new_from_widget(GTK_RADIO_BUTTON(button));
      g_object_ref_sink(item.radioOff);
      break;
    case ControlKind::OwnerDrawButton:
      button = gtk_button_new();
      gtk_style_context_add_class(gtk_widget_get_style_context(button), "owner-drawn");
      g_signal_connect_after(button, "draw", G_CALLBACK(OnOwnerDraw), &item);
      break;
    default:
      button = gtk_button_new_with_label(control.text);
      if (control.kind == ControlKind::DefaultPushButton) gtk_widget_set_can_default(button, TRUE);
      break;
  }
  KeepLabelInside(button);
  g_signal_connect(button, "clicked", G_CALLBACK(OnClicked), &item);
  return button;
}

// ---- Signals --------------------------------------------------------------------

// A check box or radio button the dialog marks itself keeps its mark when
// the user clicks it: the click is only reported.
void TemplateDialog::OnClicked(GtkButton* button, gpointer data) {
  auto& item = *static_cast<Item*>(data);
  TemplateDialog& dialog = *item.dialog;
  if (dialog.quiet_ > 0) return;
  switch (item.source->kind) {
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: dialog.SetMark(item, item.checked); break;
    case ControlKind::AutoCheckBox: item.checked = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)); break;
    default: break;
  }
  dialog.Notify(item.source->id, kBnClicked);
}

// An edit reports every change, also one the program makes.
void TemplateDialog::OnEditChanged(GtkEditable*, gpointer data) {
  auto& item = *static_cast<Item*>(data);
  item.dialog->Notify(item.source->id, kEnChange);
}

// The user picked an entry: the list reports the change, the confirmed
// choice and its closing.
void TemplateDialog::OnComboChanged(GtkComboBox*, gpointer data) {
  auto& item = *static_cast<Item*>(data);
  TemplateDialog& dialog = *item.dialog;
  if (dialog.quiet_ > 0) return;
  const int id = item.source->id;
  dialog.Notify(id, kCbnSelChange);
  dialog.Notify(id, kCbnSelEndOk);
  dialog.Notify(id, kCbnCloseUp);
}

// The bitmap the procedure names, unscaled in the item's top-left corner.
gboolean TemplateDialog::OnOwnerDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  auto& item = *static_cast<Item*>(data);
  TemplateDialog& dialog = *item.dialog;
  if (dialog.result_.has_value()) return FALSE;
  GdkPixbuf* picture = EditorBitmap(dialog.procedure_.DrawItem(dialog, item.source->id));
  if (picture == nullptr) return FALSE;
  gdk_cairo_set_source_pixbuf(cr, picture, 0, 0);
  cairo_paint(cr);
  return FALSE;
}

// A one-pixel black frame (a line when the frame is one pixel thin).
gboolean TemplateDialog::OnFrameDraw(GtkWidget* widget, cairo_t* cr, gpointer) {
  const int width = gtk_widget_get_allocated_width(widget);
  const int height = gtk_widget_get_allocated_height(widget);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_rectangle(cr, 0, 0, width, height);
  if (width > 2 && height > 2) cairo_rectangle(cr, 1, 1, width - 2, height - 2);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_fill(cr);
  return FALSE;
}

}  // namespace k7730::ui::gtk
