#include "window/gtk/gtk_window_system.h"

#include <algorithm>
#include <cstring>

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include "resources/string_table.h"
#include "window/gtk/gtk_file_chooser.h"
#include "window/gtk/gtk_pictures.h"
#include "window/gtk/gtk_template_dialog.h"

namespace k7730::ui::gtk {
namespace {

constexpr int kIdOk = 1;

// The standard cursors by their names in the cursor themes.
const char* SystemCursorName(int id) {
  switch (id) {
    case kIdcArrow: return "default";
    case kIdcCross: return "crosshair";
    case kIdcSizeNwSe: return "nwse-resize";
    case kIdcSizeNeSw: return "nesw-resize";
    default: return nullptr;
  }
}

CursorId Id(GdkCursor* cursor) { return reinterpret_cast<CursorId>(cursor); }

// ---- Dialogs -----------------------------------------------------------------------

// A host's owner is its own X window: the dialog stays above it. A value
// that names no window (X answers so, without harm) owns nothing, and
// neither does any owner on a display that is not X11.
GdkWindow* ForeignOwner(GdkDisplay* display, WindowId owner) {
#ifdef GDK_WINDOWING_X11
  constexpr WindowId kLargestWindowId = 0x1fffffff;  // X resource ids have 29 bits
  if (owner == 0 || owner > kLargestWindowId || !GDK_IS_X11_DISPLAY(display)) return nullptr;
  return gdk_x11_window_foreign_new_for_display(display, static_cast<Window>(owner));
#else
  (void)display;
  (void)owner;
  return nullptr;
#endif
}

}  // namespace

int GtkWindowSystem::RunDialog(const DialogTemplate& dialog, WindowId owner, DialogProcedure& procedure) {
  GtkWindow* parent = OwnDialog(owner);
  GdkWindow* foreign = parent == nullptr ? ForeignOwner(display_, owner) : nullptr;
  TemplateDialog window(*this, procedure);
  const int result = window.Run(dialog, parent, foreign);
  if (foreign != nullptr) g_object_unref(foreign);
  return result;
}

// Registered while it runs, so that its handle may own the dialogs and
// message boxes it opens.
void GtkWindowSystem::DialogBuilt(GtkWindow* dialog) { dialogs_.push_back(dialog); }

void GtkWindowSystem::DialogGone(GtkWindow* dialog) {
  dialogs_.erase(std::remove(dialogs_.begin(), dialogs_.end(), dialog), dialogs_.end());
}

GtkWindow* GtkWindowSystem::OwnDialog(WindowId owner) const {
  if (owner == 0) return nullptr;
  for (GtkWindow* dialog : dialogs_) {
    if (reinterpret_cast<WindowId>(dialog) == owner) return dialog;
  }
  return nullptr;
}

// The innermost running dialog: it is modal, so it is the window that takes
// the user's input.
WindowId GtkWindowSystem::ActiveWindow() {
  return dialogs_.empty() ? 0 : reinterpret_cast<WindowId>(dialogs_.back());
}

int GtkWindowSystem::LoadString(int id, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const char* text = res::FindString(id);
  const int n = text != nullptr ? std::min(static_cast<int>(std::strlen(text)), size - 1) : 0;
  if (n > 0) std::memcpy(buffer, text, static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

// ---- Messages and file dialogs ---------------------------------------------------

// Every message the module shows is a stop message with an OK button. A
// task-modal message without an owner stands over the innermost running
// dialog, whose input it blocks.
int GtkWindowSystem::ShowMessageBox(WindowId owner, const char* text, const char* caption, std::uint32_t style) {
  const GtkMessageType type = (style & kMbIconStop) != 0 ? GTK_MESSAGE_ERROR : GTK_MESSAGE_OTHER;
  GtkWindow* parent = OwnDialog(owner);
  if (parent == nullptr && (style & kMbTaskModal) != 0 && !dialogs_.empty()) parent = dialogs_.back();
  GtkWidget* box = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, type, GTK_BUTTONS_OK, "%s",
                                          text != nullptr ? text : "");
  gtk_window_set_title(GTK_WINDOW(box), caption != nullptr ? caption : "");
  gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER_ON_PARENT);
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  return kIdOk;
}

int GtkWindowSystem::OpenFileDialog(FileDialogRecord& record) {
  return RunFileChooser(ChooserKind::Open, record, OwnDialog(record.owner), fileError_);
}

int GtkWindowSystem::SaveFileDialog(FileDialogRecord& record) {
  return RunFileChooser(ChooserKind::Save, record, OwnDialog(record.owner), fileError_);
}

// ---- Cursors and keys ----------------------------------------------------------------

CursorId GtkWindowSystem::LoadSystemCursor(int id) {
  auto found = systemCursors_.find(id);
  if (found != systemCursors_.end()) return Id(found->second);
  const char* name = SystemCursorName(id);
  GdkCursor* cursor = name != nullptr ? gdk_cursor_new_from_name(display_, name) : nullptr;
  if (cursor == nullptr && name != nullptr) cursor = gdk_cursor_new_for_display(display_, GDK_LEFT_PTR);
  if (cursor != nullptr) systemCursors_[id] = cursor;
  return Id(cursor);
}

CursorId GtkWindowSystem::LoadModuleCursor(const char* name) {
  GdkCursor* cursor = NewModuleCursor(display_, name);
  if (cursor != nullptr) moduleCursors_.insert(cursor);
  return Id(cursor);
}

// The cursor shows on every drawing area, the only windows that choose one.
CursorId GtkWindowSystem::SetCurrentCursor(CursorId cursor) {
  const CursorId previous = Id(current_);
  GdkCursor* wanted = reinterpret_cast<GdkCursor*>(cursor);
  const bool known = wanted == nullptr || moduleCursors_.count(wanted) != 0 ||
                     std::any_of(systemCursors_.begin(), systemCursors_.end(),
                                 [&](const auto& entry) { return entry.second == wanted; });
  if (!known) return previous;
  current_ = wanted;
  for (GtkWidget* area : areas_) ShowCursorOn(area);
  return previous;
}

int GtkWindowSystem::DestroyCursor(CursorId cursor) {
  GdkCursor* doomed = reinterpret_cast<GdkCursor*>(cursor);
  if (moduleCursors_.erase(doomed) == 0) return 0;
  if (current_ == doomed) SetCurrentCursor(0);
  g_object_unref(doomed);
  return 1;
}

std::uint16_t GtkWindowSystem::AsyncKeyState(int virtualKey) {
  if (virtualKey != kVkShift) return 0;
  GdkKeymap* keymap = gdk_keymap_get_for_display(display_);
  return (gdk_keymap_get_modifier_state(keymap) & GDK_SHIFT_MASK) != 0 ? 0x8000 : 0;
}

void GtkWindowSystem::AreaCreated(GtkWidget* area) {
  areas_.push_back(area);
  ShowCursorOn(area);
}

void GtkWindowSystem::AreaGone(GtkWidget* area) {
  areas_.erase(std::remove(areas_.begin(), areas_.end(), area), areas_.end());
}

void GtkWindowSystem::ShowCursorOn(GtkWidget* area) const {
  GdkWindow* window = gtk_widget_get_window(area);
  if (window != nullptr) gdk_window_set_cursor(window, current_);
}

}  // namespace k7730::ui::gtk
