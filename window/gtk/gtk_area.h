// A self-painted child area of a dialog: a GtkDrawingArea that hands its
// painting to the handler (through a pixel surface the size of the area)
// and its mouse events to the handler or, while one runs, to the handler's
// tracking loop, which ends on the button's release or on the loss of the
// pointer grab GTK holds while the button is down.
#pragma once

#include <gtk/gtk.h>

#include "window/ui_platform.h"

namespace k7730::ui::gtk {

class GtkWindowSystem;

class DrawingAreaWindow final : public AreaWindow {
 public:
  DrawingAreaWindow(GtkWindowSystem& system, AreaHandler& handler) : system_(system), handler_(handler) {}
  ~DrawingAreaWindow() override;
  DrawingAreaWindow(const DrawingAreaWindow&) = delete;
  DrawingAreaWindow& operator=(const DrawingAreaWindow&) = delete;

  // A visible area of `rect`'s size named `className`, put into `container`
  // (a GtkFixed) at the rectangle's corner.
  void Create(GtkWidget* container, const char* className, const PixelRect& rect);
  // Ends a tracking loop, gives up the grab and destroys the widget.
  void Destroy();

  WindowId Handle() const override { return reinterpret_cast<WindowId>(widget_); }
  PixelRect ClientRect() const override { return {0, 0, width_, height_}; }
  void CaptureMouse() override;
  void ReleaseMouse() override;
  bool HasMouse() const override { return widget_ != nullptr && grabbed_; }
  WindowId TakeFocus() override;
  void RestoreFocus(WindowId previous) override;
  void Repaint() override { DrawNow(); }
  void DrawNow() override;

 private:
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
  static gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, gpointer self);
  static gboolean OnButton(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static gboolean OnLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
  static gboolean OnGrabBroken(GtkWidget* widget, GdkEventGrabBroken* event, gpointer self);
  static void OnRealize(GtkWidget* widget, gpointer self);
  static void OnWidgetDestroyed(GtkWidget* widget, gpointer self);
  void Press(PixelPoint position);
  void Release();
  void EndTrackingIfDone();

  GtkWindowSystem& system_;
  AreaHandler& handler_;
  GtkWidget* widget_ = nullptr;
  cairo_surface_t* surface_ = nullptr;
  int width_ = 0, height_ = 0;
  AreaTracking* tracking_ = nullptr;
  bool grabbed_ = false;
};

}  // namespace k7730::ui::gtk
