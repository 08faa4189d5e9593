// Running a dialog modally: its start, its own event loop until End, the
// keys and the close button a dialog answers, and its end.
#include <gdk/gdkkeysyms.h>

#include "window/gtk/gtk_template_dialog.h"
#include "window/gtk/gtk_window_system.h"

namespace k7730::ui::gtk {
namespace {

constexpr int kOk = 1;
constexpr int kCancel = 2;

}  // namespace

TemplateDialog::~TemplateDialog() { TearDown(); }

int TemplateDialog::Run(const DialogTemplate& dialog, GtkWindow* owner, GdkWindow* foreignOwner) {
  Build(dialog, owner);
  system_.DialogBuilt(GTK_WINDOW(window_));
  if (owner == nullptr && foreignOwner != nullptr) {
    gtk_widget_realize(window_);
    gdk_window_set_transient_for(gtk_widget_get_window(window_), foreignOwner);
  }
  procedure_.Init(*this);
  // A dialog ended while it started is never shown.
  if (!result_.has_value()) {
    gtk_widget_show(fixed_);
    gtk_widget_show(window_);
    loop_ = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop_);
    g_main_loop_unref(loop_);
    loop_ = nullptr;
  }
  procedure_.Destroy(*this);
  TearDown();
  return result_.value_or(0);
}

void TemplateDialog::End(int result) {
  if (result_.has_value()) return;
  result_ = result;
  if (window_ != nullptr) gtk_widget_hide(window_);
  if (loop_ != nullptr) g_main_loop_quit(loop_);
}

// Nothing reaches the procedure once the dialog has ended.
void TemplateDialog::Notify(int id, int notification) {
  if (result_.has_value()) return;
  procedure_.Command(*this, id, notification);
}

int TemplateDialog::DefaultCommand() const {
  for (const auto& item : items_) {
    if (item->source->kind == ControlKind::DefaultPushButton) return item->source->id;
  }
  return kOk;
}

// The areas first (they give up the pointer), then the window and its
// controls, then the style of this dialog.
void TemplateDialog::TearDown() {
  for (auto& area : areas_) area->Destroy();
  areas_.clear();
  for (auto& item : items_) {
    if (item->radioOff == nullptr) continue;
    gtk_widget_destroy(item->radioOff);
    g_object_unref(item->radioOff);
    item->radioOff = nullptr;
  }
  if (window_ != nullptr) {
    system_.DialogGone(GTK_WINDOW(window_));
    g_signal_handlers_disconnect_by_data(window_, this);
    gtk_widget_destroy(window_);
    window_ = nullptr;
    fixed_ = nullptr;
  }
  items_.clear();
  if (style_ != nullptr) {
    gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(style_));
    g_object_unref(style_);
    style_ = nullptr;
  }
}

// The close button is Cancel.
gboolean TemplateDialog::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<TemplateDialog*>(self)->Notify(kCancel, kBnClicked);
  return TRUE;
}

// Escape is Cancel; Enter is the default button, unless a push button has
// the focus, which Enter presses instead.
gboolean TemplateDialog::OnKey(GtkWidget* widget, GdkEventKey* event, gpointer self) {
  auto* dialog = static_cast<TemplateDialog*>(self);
  if (event->keyval == GDK_KEY_Escape) {
    dialog->Notify(kCancel, kBnClicked);
    return TRUE;
  }
  if (event->keyval != GDK_KEY_Return && event->keyval != GDK_KEY_KP_Enter) return FALSE;
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(widget));
  if (focus != nullptr && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus)) return FALSE;
  const int id = dialog->DefaultCommand();
  const Item* target = dialog->Find(id);
  if (target != nullptr && !gtk_widget_is_sensitive(target->widget)) return TRUE;
  dialog->Notify(id, kBnClicked);
  return TRUE;
}

// Someone else destroyed the window: the dialog ends as cancelled.
void TemplateDialog::OnDestroyed(GtkWidget*, gpointer self) {
  auto* dialog = static_cast<TemplateDialog*>(self);
  dialog->system_.DialogGone(GTK_WINDOW(dialog->window_));
  dialog->window_ = nullptr;
  dialog->fixed_ = nullptr;
  if (!dialog->result_.has_value()) dialog->End(0);
}

}  // namespace k7730::ui::gtk
