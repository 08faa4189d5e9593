// A modal dialog built from a template: a GtkWindow whose GtkFixed holds one
// widget per control at the place the template gives in dialog units,
// converted with the template font's metrics. The DialogProcedure gets the
// dialog's start, the commands of its controls (the notifications the
// Windows controls send), the painting of owner-drawn buttons and the end;
// every DialogWindow primitive acts on the widgets.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <optional>
#include <vector>

#include "window/ui_platform.h"
#include "window/gtk/dialog_units.h"
#include "window/gtk/gtk_area.h"

namespace k7730::ui::gtk {

class GtkWindowSystem;

// A button's own label may not widen it beyond its rectangle.
void KeepLabelInside(GtkWidget* button);

class TemplateDialog final : public DialogWindow {
 public:
  TemplateDialog(GtkWindowSystem& system, DialogProcedure& procedure) : system_(system), procedure_(procedure) {}
  ~TemplateDialog() override;
  TemplateDialog(const TemplateDialog&) = delete;
  TemplateDialog& operator=(const TemplateDialog&) = delete;

  // Builds the window, runs the procedure's start, shows the window and
  // runs the display's events until End; the result given to End. The
  // dialog stands over `owner`, a dialog of this library, or else over
  // `foreignOwner`, a window of another program (either may be null).
  int Run(const DialogTemplate& dialog, GtkWindow* owner, GdkWindow* foreignOwner);
  GtkWindow* Window() const { return GTK_WINDOW(window_); }

  // ---- DialogWindow ---------------------------------------------------------
  K7730_DIALOG_WINDOW_OVERRIDES

 private:
  struct Item {
    TemplateDialog* dialog = nullptr;
    const ControlTemplate* source = nullptr;
    GtkWidget* widget = nullptr;
    // A radio button's hidden partner: checking it takes the mark away,
    // which a lone GTK radio button cannot do by itself.
    GtkWidget* radioOff = nullptr;
    PixelRect rect;
    bool checked = false;  // the mark as the program set it (manual kinds)
  };

  // ---- Building (gtk_dialog_build.cpp) ---------------------------------------
  void Build(const DialogTemplate& dialog, GtkWindow* owner);
  void AddStyle(const DialogTemplate& dialog);
  GtkWidget* NewControl(Item& item);
  GtkWidget* NewButtonLike(Item& item);
  void Place(Item& item);
  static void OnClicked(GtkButton* button, gpointer item);
  static void OnEditChanged(GtkEditable* edit, gpointer item);
  static void OnComboChanged(GtkComboBox* combo, gpointer item);
  static gboolean OnOwnerDraw(GtkWidget* widget, cairo_t* cr, gpointer item);
  static gboolean OnFrameDraw(GtkWidget* widget, cairo_t* cr, gpointer item);

  // ---- Running (gtk_dialog_run.cpp) -----------------------------------------
  static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, gpointer self);
  static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer self);
  static void OnDestroyed(GtkWidget* widget, gpointer self);
  void Notify(int id, int notification);
  int DefaultCommand() const;
  void TearDown();

  Item* Find(int id);
  const Item* Find(int id) const;
  // Sets a toggle's mark without telling the procedure.
  void SetMark(Item& item, bool checked);

  GtkWindowSystem& system_;
  DialogProcedure& procedure_;
  GtkWidget* window_ = nullptr;
  GtkWidget* fixed_ = nullptr;
  GtkCssProvider* style_ = nullptr;
  BaseUnits base_;
  std::vector<std::unique_ptr<Item>> items_;
  std::vector<std::unique_ptr<DrawingAreaWindow>> areas_;
  GMainLoop* loop_ = nullptr;
  std::optional<int> result_;
  int quiet_ = 0;  // > 0 while the program, not the user, changes a control
};

}  // namespace k7730::ui::gtk
