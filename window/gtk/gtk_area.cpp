#include "window/gtk/gtk_area.h"

#include <algorithm>
#include <cmath>

#include "window/gtk/gtk_window_system.h"
#include "window/gtk/surface_canvas.h"

namespace k7730::ui::gtk {
namespace {

struct Search {
  GtkWidget* wanted;
  bool found;
};

void Visit(GtkWidget* widget, gpointer data) {
  auto* search = static_cast<Search*>(data);
  if (search->found) return;
  if (widget == search->wanted) {
    search->found = true;
  } else if (GTK_IS_CONTAINER(widget)) {
    gtk_container_forall(GTK_CONTAINER(widget), Visit, search);
  }
}

bool Contains(GtkWidget* root, GtkWidget* wanted) {
  Search search{wanted, false};
  if (root != nullptr) Visit(root, &search);
  return search.found;
}

PixelPoint Position(double x, double y) {
  return {static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))};
}

}  // namespace

DrawingAreaWindow::~DrawingAreaWindow() { Destroy(); }

void DrawingAreaWindow::Create(GtkWidget* container, const char* className, const PixelRect& rect) {
  width_ = std::max(rect.Width(), 0);
  height_ = std::max(rect.Height(), 0);
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(width_, 1), std::max(height_, 1));
  widget_ = gtk_drawing_area_new();
  gtk_widget_set_name(widget_, className);
  gtk_widget_set_can_focus(widget_, TRUE);
  gtk_widget_set_size_request(widget_, width_, height_);
  gtk_widget_add_events(widget_, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                       GDK_LEAVE_NOTIFY_MASK);
  g_signal_connect(widget_, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(widget_, "motion-notify-event", G_CALLBACK(OnMotion), this);
  g_signal_connect(widget_, "button-press-event", G_CALLBACK(OnButton), this);
  g_signal_connect(widget_, "button-release-event", G_CALLBACK(OnButton), this);
  g_signal_connect(widget_, "grab-broken-event", G_CALLBACK(OnGrabBroken), this);
  g_signal_connect(widget_, "leave-notify-event", G_CALLBACK(OnLeave), this);
  g_signal_connect(widget_, "realize", G_CALLBACK(OnRealize), this);
  g_signal_connect(widget_, "destroy", G_CALLBACK(OnWidgetDestroyed), this);
  gtk_fixed_put(GTK_FIXED(container), widget_, rect.left, rect.top);
  gtk_widget_show(widget_);
  system_.AreaCreated(widget_);
}

void DrawingAreaWindow::Destroy() {
  if (widget_ != nullptr) {
    tracking_ = nullptr;
    ReleaseMouse();
    system_.AreaGone(widget_);
    g_signal_handlers_disconnect_by_data(widget_, this);
    gtk_widget_destroy(widget_);
    widget_ = nullptr;
  }
  if (surface_ != nullptr) cairo_surface_destroy(surface_);
  surface_ = nullptr;
}

// While a button is held GTK sends the area every pointer event, inside
// or out, until the release (its implicit grab), and tells it when another
// client breaks that grab. Without a button the area learns of the pointer
// leaving from GTK's crossing event instead of an X grab, which would keep
// the pointer from the dialog's other controls. So holding the mouse is
// the area's own note.
void DrawingAreaWindow::CaptureMouse() {
  if (widget_ != nullptr) grabbed_ = true;
}

void DrawingAreaWindow::ReleaseMouse() { grabbed_ = false; }

WindowId DrawingAreaWindow::TakeFocus() {
  if (widget_ == nullptr) return 0;
  GtkWidget* top = gtk_widget_get_toplevel(widget_);
  GtkWidget* previous = GTK_IS_WINDOW(top) ? gtk_window_get_focus(GTK_WINDOW(top)) : nullptr;
  gtk_widget_grab_focus(widget_);
  return reinterpret_cast<WindowId>(previous);
}

// Only a widget still inside the area's own dialog takes the focus back;
// the handle is compared, never followed, until it is found there.
void DrawingAreaWindow::RestoreFocus(WindowId previous) {
  if (widget_ == nullptr || previous == 0) return;
  GtkWidget* wanted = reinterpret_cast<GtkWidget*>(previous);
  if (Contains(gtk_widget_get_toplevel(widget_), wanted)) gtk_widget_grab_focus(wanted);
}

void DrawingAreaWindow::DrawNow() {
  if (widget_ != nullptr) gtk_widget_queue_draw(widget_);
}

gboolean DrawingAreaWindow::OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
  auto* area = static_cast<DrawingAreaWindow*>(self);
  if (area->surface_ == nullptr) return TRUE;
  {
    SurfaceCanvas canvas(area->surface_);
    area->handler_.Paint(canvas);
  }
  cairo_set_source_surface(cr, area->surface_, 0, 0);
  cairo_paint(cr);
  return TRUE;
}

// The dialog's window went away with the area in it.
void DrawingAreaWindow::OnWidgetDestroyed(GtkWidget* widget, gpointer self) {
  auto* area = static_cast<DrawingAreaWindow*>(self);
  area->tracking_ = nullptr;
  area->grabbed_ = false;
  area->system_.AreaGone(widget);
  area->widget_ = nullptr;
}

void DrawingAreaWindow::OnRealize(GtkWidget* widget, gpointer self) {
  static_cast<DrawingAreaWindow*>(self)->system_.ShowCursorOn(widget);
}

gboolean DrawingAreaWindow::OnMotion(GtkWidget*, GdkEventMotion* event, gpointer self) {
  auto* area = static_cast<DrawingAreaWindow*>(self);
  const PixelPoint position = Position(event->x, event->y);
  if (area->tracking_ != nullptr) {
    area->tracking_->Move(position);
    area->EndTrackingIfDone();
  } else {
    area->handler_.MouseMove(position);
  }
  return TRUE;
}

// The pointer left the area with no button held: a move to where it went,
// which lies outside the area, while the area holds the mouse.
gboolean DrawingAreaWindow::OnLeave(GtkWidget*, GdkEventCrossing* event, gpointer self) {
  auto* area = static_cast<DrawingAreaWindow*>(self);
  if (area->tracking_ == nullptr && area->grabbed_ && event->mode == GDK_CROSSING_NORMAL) {
    area->handler_.MouseMove(Position(event->x, event->y));
  }
  return FALSE;
}

gboolean DrawingAreaWindow::OnButton(GtkWidget*, GdkEventButton* event, gpointer self) {
  auto* area = static_cast<DrawingAreaWindow*>(self);
  if (event->button != GDK_BUTTON_PRIMARY) return TRUE;
  // A double click is two presses, as for a window class without double clicks.
  if (event->type == GDK_BUTTON_PRESS) area->Press(Position(event->x, event->y));
  if (event->type == GDK_BUTTON_RELEASE) area->Release();
  return TRUE;
}

gboolean DrawingAreaWindow::OnGrabBroken(GtkWidget*, GdkEventGrabBroken*, gpointer self) {
  auto* area = static_cast<DrawingAreaWindow*>(self);
  area->grabbed_ = false;
  if (area->tracking_ != nullptr) {
    area->tracking_->CaptureLost();
    area->EndTrackingIfDone();
  }
  return TRUE;
}

void DrawingAreaWindow::Press(PixelPoint position) {
  if (tracking_ != nullptr) return;
  tracking_ = handler_.ButtonDown(position);
  EndTrackingIfDone();
}

void DrawingAreaWindow::Release() {
  if (tracking_ == nullptr) return;
  tracking_->Release();
  EndTrackingIfDone();
}

void DrawingAreaWindow::EndTrackingIfDone() {
  if (tracking_ != nullptr && !tracking_->Active()) tracking_ = nullptr;
}

}  // namespace k7730::ui::gtk
