// The GTK window system behind the dialogs: GTK's file choosers and message
// dialogs, GDK cursors and key state, and the module's dialogs built from
// their templates. One instance serves the process; it keeps the stack of
// running dialogs (owners and the active window come from it) and the
// drawing areas the current cursor is shown on.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <set>
#include <vector>

#include "window/ui_platform.h"

namespace k7730::ui::gtk {

class GtkWindowSystem final : public UiPlatform {
 public:
  explicit GtkWindowSystem(GdkDisplay* display) : display_(display) {}

  int OpenFileDialog(FileDialogRecord& record) override;
  int SaveFileDialog(FileDialogRecord& record) override;
  std::uint32_t FileDialogError() override { return fileError_; }
  int ShowMessageBox(WindowId owner, const char* text, const char* caption, std::uint32_t style) override;
  CursorId LoadSystemCursor(int id) override;
  CursorId LoadModuleCursor(const char* name) override;
  CursorId SetCurrentCursor(CursorId cursor) override;
  int DestroyCursor(CursorId cursor) override;
  std::uint16_t AsyncKeyState(int virtualKey) override;
  WindowId ActiveWindow() override;
  CursorId CurrentCursor() override { return reinterpret_cast<CursorId>(current_); }
  int RunDialog(const DialogTemplate& dialog, WindowId owner, DialogProcedure& procedure) override;
  int LoadString(int id, char* buffer, int size) override;

  // ---- For the dialogs and areas of this library -----------------------------
  // The running dialog with this handle, or null: a handle the host passes
  // is never dereferenced unless it is one of ours.
  GtkWindow* OwnDialog(WindowId owner) const;
  void DialogBuilt(GtkWindow* dialog);
  void DialogGone(GtkWindow* dialog);
  // Areas show the current cursor while they exist.
  void AreaCreated(GtkWidget* area);
  void AreaGone(GtkWidget* area);
  void ShowCursorOn(GtkWidget* area) const;

 private:
  GdkDisplay* display_;
  std::vector<GtkWindow*> dialogs_;  // running, innermost last
  std::vector<GtkWidget*> areas_;
  std::map<int, GdkCursor*> systemCursors_;  // shared, never destroyed
  std::set<GdkCursor*> moduleCursors_;       // live until DestroyCursor
  GdkCursor* current_ = nullptr;
  std::uint32_t fileError_ = 0;
};

}  // namespace k7730::ui::gtk
