// The GTK window system's primitives in-process, on the display the
// scenarios use: each DialogWindow, AreaWindow and UiPlatform operation
// does what its Win32 counterpart does, as the dialogs rely on it (marks
// the dialog sets itself, notifications the program's own changes do not
// send, lone radio buttons that lose their mark, the area's tracking ended
// by release and by the loss of the pointer grab, pixel-exact painting).
// Events are handed to the widgets as GTK would hand them over.
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/dynamic_module.h"
#include "window/ui_platform.h"
#include "window/window_system_library.h"

namespace {

using namespace k7730::ui;

UiPlatform& Gtk() {
  static UiPlatform* platform = [] {
    void* library = k7730::test::OpenLibrary(K7730_GTK_LIBRARY_PATH);
    auto entry = k7730::test::Symbol<WindowSystemEntry>(library, kWindowSystemEntryName);
    return entry != nullptr ? entry(kUiPlatformInterfaceVersion) : nullptr;
  }();
  if (platform == nullptr) ADD_FAILURE() << "no GTK window system (is DISPLAY set?)";
  return *platform;
}

constexpr ControlTemplate kControls[] = {
    {1, ControlKind::DefaultPushButton, "OK", {150, 5, 50, 14}},
    {2, ControlKind::PushButton, "Cancel", {150, 22, 50, 14}},
    {10, ControlKind::CheckBox, "manual", {5, 5, 60, 10}},
    {11, ControlKind::AutoCheckBox, "auto", {5, 18, 60, 10}},
    {20, ControlKind::RadioButton, "r0", {5, 31, 40, 10}},
    {21, ControlKind::RadioButton, "r1", {5, 44, 40, 10}},
    {30, ControlKind::Edit, "", {70, 5, 40, 14}, kStyleBorder},
    {40, ControlKind::DropDownList, "", {70, 22, 60, 50}},
    {50, ControlKind::Bitmap, "", {5, 60, 10, 10}, kStyleHidden, 146},
    {60, ControlKind::OwnerDrawButton, "", {70, 40, 16, 14}, kStyleFlat},
    {70, ControlKind::Text, "text", {120, 60, 40, 8}},
    {80, ControlKind::PushButton, "hidden", {120, 70, 40, 14}, kStyleHidden | kStyleDisabled},
};
constexpr DialogTemplate kDialog{"TEST", "Primitives", "MS Sans Serif", 8, {0, 0, 210, 120}, kControls};

GtkWidget* Find(GtkWidget* root, const std::string& name) {
  if (gtk_widget_get_name(root) == name) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  GtkWidget* found = nullptr;
  for (GList* c = children; c != nullptr && found == nullptr; c = c->next) found = Find(GTK_WIDGET(c->data), name);
  g_list_free(children);
  return found;
}

// A procedure that records its commands and, once the dialog is on the
// screen, runs the test's steps and ends the dialog.
class Recorder : public DialogProcedure {
 public:
  std::function<void(DialogWindow&)> init, steps;
  std::vector<std::pair<int, int>> commands;
  int drawn = 0;

  void Init(DialogWindow& dialog) override {
    dialog_ = &dialog;
    if (init) init(dialog);
    g_timeout_add(30, &Recorder::Step, this);
  }
  void Command(DialogWindow&, int id, int notification) override { commands.emplace_back(id, notification); }
  int DrawItem(DialogWindow&, int id) override {
    ++drawn;
    return id == 60 ? 142 : 0;
  }
  void Destroy(DialogWindow&) override {}
  GtkWidget* Widget(int id) const {
    return Find(reinterpret_cast<GtkWidget*>(dialog_->Handle()), "control-" + std::to_string(id));
  }

 private:
  static gboolean Step(gpointer self) {
    auto* recorder = static_cast<Recorder*>(self);
    if (!gtk_widget_get_mapped(reinterpret_cast<GtkWidget*>(recorder->dialog_->Handle()))) return G_SOURCE_CONTINUE;
    if (recorder->steps) recorder->steps(*recorder->dialog_);
    recorder->dialog_->End(1);
    return G_SOURCE_REMOVE;
  }
  DialogWindow* dialog_ = nullptr;
};

GdkEvent* NewEvent(GdkEventType type, GtkWidget* widget) {
  GdkEvent* event = gdk_event_new(type);
  event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
  gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(widget))));
  return event;
}

void Send(GtkWidget* widget, GdkEvent* event) {
  gtk_widget_event(widget, event);
  gdk_event_free(event);
}

void Button(GtkWidget* w, GdkEventType type, double x, double y) {
  GdkEvent* e = NewEvent(type, w);
  e->button.x = x;
  e->button.y = y;
  e->button.button = 1;
  Send(w, e);
}

void Motion(GtkWidget* w, double x, double y) {
  GdkEvent* e = NewEvent(GDK_MOTION_NOTIFY, w);
  e->motion.x = x;
  e->motion.y = y;
  Send(w, e);
}

void Key(GtkWidget* window, guint keyval) {
  GdkEvent* e = NewEvent(GDK_KEY_PRESS, window);
  e->key.keyval = keyval;
  Send(window, e);
}

TEST(GtkPrimitives, StringsAndCursors) {
  UiPlatform& ui = Gtk();
  char text[8] = "";
  EXPECT_EQ(ui.LoadString(401, text, sizeof text), 3);
  EXPECT_STREQ(text, "RGB");
  EXPECT_EQ(ui.LoadString(402, text, 4), 3);
  EXPECT_STREQ(text, "Red");
  EXPECT_EQ(ui.LoadString(9999, text, sizeof text), 0);
  EXPECT_STREQ(text, "");

  const CursorId cross = ui.LoadSystemCursor(kIdcCross);
  EXPECT_NE(cross, 0u);
  EXPECT_EQ(ui.LoadSystemCursor(kIdcCross), cross);
  const CursorId plus = ui.LoadModuleCursor("PLUS");
  EXPECT_NE(plus, 0u);
  EXPECT_EQ(ui.LoadModuleCursor("NO SUCH CURSOR"), 0u);
  const CursorId before = ui.SetCurrentCursor(plus);
  EXPECT_EQ(ui.CurrentCursor(), plus);
  EXPECT_EQ(ui.SetCurrentCursor(cross), plus);
  // A destroyed cursor is gone; the shared system cursors are never destroyed.
  EXPECT_EQ(ui.DestroyCursor(plus), 1);
  EXPECT_EQ(ui.DestroyCursor(plus), 0);
  EXPECT_EQ(ui.DestroyCursor(cross), 0);
  EXPECT_EQ(ui.SetCurrentCursor(plus), cross) << "a destroyed cursor cannot become current";
  EXPECT_EQ(ui.CurrentCursor(), cross);
  ui.SetCurrentCursor(before);
}

TEST(GtkPrimitives, ADialogEndedAtItsStartIsNeverShown) {
  struct EndAtInit : DialogProcedure {
    void Init(DialogWindow& dialog) override { dialog.End(7); }
    void Command(DialogWindow&, int, int) override { ++commands; }
    int DrawItem(DialogWindow&, int) override { return 0; }
    void Destroy(DialogWindow&) override { ++destroyed; }
    int commands = 0, destroyed = 0;
  } procedure;
  EXPECT_EQ(Gtk().RunDialog(kDialog, 0, procedure), 7);
  EXPECT_EQ(procedure.destroyed, 1);
  EXPECT_EQ(Gtk().ActiveWindow(), 0u) << "no dialog runs any more";
}

// Check boxes and radio buttons the dialog marks itself keep their mark
// when clicked; only the click is reported. The automatic one toggles.
TEST(GtkPrimitives, MarksAreTheDialogsExceptOnTheAutomaticCheckBox) {
  Recorder r;
  r.init = [](DialogWindow& d) {
    d.CheckItem(10, true);
    d.CheckRadio(20, 21, 21);
  };
  r.steps = [&](DialogWindow& d) {
    EXPECT_TRUE(d.IsItemChecked(10));
    gtk_button_clicked(GTK_BUTTON(r.Widget(10)));
    EXPECT_TRUE(d.IsItemChecked(10));
    gtk_button_clicked(GTK_BUTTON(r.Widget(11)));
    EXPECT_TRUE(d.IsItemChecked(11));
    gtk_button_clicked(GTK_BUTTON(r.Widget(20)));
    EXPECT_FALSE(d.IsItemChecked(20));
    EXPECT_TRUE(d.IsItemChecked(21));
    // A radio button alone loses its mark, too.
    d.CheckRadio(20, 21, 0);
    EXPECT_FALSE(d.IsItemChecked(20));
    EXPECT_FALSE(d.IsItemChecked(21));
    EXPECT_EQ(Gtk().ActiveWindow(), d.Handle());
  };
  EXPECT_EQ(Gtk().RunDialog(kDialog, 0, r), 1);
  const std::vector<std::pair<int, int>> expected{{10, kBnClicked}, {11, kBnClicked}, {20, kBnClicked}};
  EXPECT_EQ(r.commands, expected) << "the program's own marks send nothing";
}

// An edit reports every change, the program's too; a list reports only
// the user's choice, as change, confirmed choice and closing.
TEST(GtkPrimitives, EditsAndListsNotifyAsThePlatformDoes) {
  Recorder r;
  r.steps = [&](DialogWindow& d) {
    d.SetItemText(30, "1.5");
    char text[3] = "";
    EXPECT_EQ(d.GetItemText(30, text, sizeof text), 2);
    EXPECT_STREQ(text, "1.");
    d.LimitText(30, 4);
    gtk_entry_set_text(GTK_ENTRY(r.Widget(30)), "123456");
    char all[16] = "";
    d.GetItemText(30, all, sizeof all);
    EXPECT_STREQ(all, "1234");
    d.ComboReset(40);
    for (const char* name : {"RGB", "Red", "Green"}) d.ComboAdd(40, name);
    d.ComboSelect(40, 1);
    EXPECT_EQ(d.ComboSelection(40), 1);
    gtk_combo_box_set_active(GTK_COMBO_BOX(r.Widget(40)), 2);
    EXPECT_EQ(d.ComboSelection(40), 2);
    d.ComboReset(40);
    EXPECT_EQ(d.ComboSelection(40), kNoSelection);
  };
  Gtk().RunDialog(kDialog, 0, r);
  const std::vector<std::pair<int, int>> expected{
      {30, kEnChange}, {30, kEnChange}, {40, kCbnSelChange}, {40, kCbnSelEndOk}, {40, kCbnCloseUp}};
  EXPECT_EQ(r.commands, expected);
}

// Enter is the default button, the close button Cancel (Escape is
// played on the correction dialog by the settings-edit scenario).
TEST(GtkPrimitives, EnterAndTheCloseButton) {
  Recorder r;
  r.steps = [&](DialogWindow& d) {
    GtkWidget* window = reinterpret_cast<GtkWidget*>(d.Handle());
    Key(window, GDK_KEY_Return);
    GdkEvent* close = NewEvent(GDK_DELETE, window);
    Send(window, close);
    EXPECT_TRUE(gtk_widget_get_visible(window)) << "closing is the procedure's choice";
  };
  Gtk().RunDialog(kDialog, 0, r);
  const std::vector<std::pair<int, int>> expected{{1, kBnClicked}, {2, kBnClicked}};
  EXPECT_EQ(r.commands, expected);
}

// Places, sizes, showing and enabling; a bitmap static takes its picture's
// size, an owner-drawn button is painted by the procedure.
TEST(GtkPrimitives, ItemsStandWhereTheTemplateAndTheProgramPutThem) {
  Recorder r;
  r.steps = [&](DialogWindow& d) {
    const PixelRect bitmap = d.ItemRect(50);
    EXPECT_EQ(bitmap.Width(), 256);
    EXPECT_EQ(bitmap.Height(), 12);
    d.MoveItem(70, {3, 4, 53, 24});
    EXPECT_EQ(d.ItemRect(70), (PixelRect{3, 4, 53, 24}));
    d.ShowItem(80, true);
    d.EnableItem(80, true);
    EXPECT_TRUE(gtk_widget_get_visible(r.Widget(80)));
    EXPECT_TRUE(gtk_widget_get_sensitive(r.Widget(80)));
    d.SetCaption("Renamed");
    char caption[8] = "";
    EXPECT_EQ(d.GetCaption(caption, sizeof caption), 7);
    EXPECT_STREQ(caption, "Renamed");
    // The new size takes effect at the next layout of the window.
    for (int i = 0; i < 200 && gtk_widget_get_allocated_width(r.Widget(70)) != 50; ++i) {
      g_main_context_iteration(nullptr, FALSE);
      g_usleep(5000);
    }
    EXPECT_EQ(gtk_widget_get_allocated_width(r.Widget(70)), 50);
    EXPECT_EQ(gtk_widget_get_allocated_height(r.Widget(70)), 20);
    EXPECT_GT(r.drawn, 0) << "the owner-drawn button asked for its bitmap";
  };
  Gtk().RunDialog(kDialog, 0, r);
}

// ---- The drawing area ----------------------------------------------------------------

struct Track : AreaTracking {
  bool active = false;
  std::vector<std::string> log;
  bool Active() const override { return active; }
  void Move(PixelPoint p) override { log.push_back("move " + std::to_string(p.x) + "," + std::to_string(p.y)); }
  void Release() override {
    log.push_back("release");
    active = false;
  }
  void CaptureLost() override {
    log.push_back("lost");
    active = false;
  }
};

struct Painter : AreaHandler {
  Track track;
  AreaWindow* window = nullptr;
  std::vector<std::string> moves;
  void Paint(Canvas& canvas) override {
    canvas.FillRect({0, 0, 40, 30}, kWhite);
    canvas.Line({2, 2}, {12, 7}, kBlack);
    canvas.FillRect({20, 20, 23, 22}, Rgb{255, 0, 0});
  }
  void MouseMove(PixelPoint p) override {
    moves.push_back(std::to_string(p.x) + "," + std::to_string(p.y));
    if (p.x < 0 || p.y < 0 || p.x >= 40 || p.y >= 30) {
      window->ReleaseMouse();
    } else {
      window->CaptureMouse();
    }
  }
  AreaTracking* ButtonDown(PixelPoint) override {
    track.active = true;
    window->CaptureMouse();
    return &track;
  }
};

std::uint32_t PixelAt(cairo_surface_t* s, int x, int y) {
  std::uint32_t p = 0;
  std::memcpy(&p, cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + x * 4, 4);
  return p & 0xffffff;
}

TEST(GtkPrimitives, TheAreaPaintsExactPixelsAndTracksTheMouse) {
  Painter painter;
  Recorder r;
  r.init = [&](DialogWindow& d) { painter.window = d.CreateArea("EditArea", {10, 10, 50, 40}, painter); };
  r.steps = [&](DialogWindow&) {
    ASSERT_NE(painter.window, nullptr);
    EXPECT_EQ(painter.window->ClientRect(), (PixelRect{0, 0, 40, 30}));
    GtkWidget* area = reinterpret_cast<GtkWidget*>(painter.window->Handle());
    cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 40, 30);
    cairo_t* cr = cairo_create(shot);
    gtk_widget_draw(area, cr);
    cairo_destroy(cr);
    cairo_surface_flush(shot);
    EXPECT_EQ(PixelAt(shot, 2, 2), 0u) << "the line's first pixel";
    EXPECT_EQ(PixelAt(shot, 11, 7), 0u) << "the line's last pixel";
    EXPECT_EQ(PixelAt(shot, 12, 7), 0xffffffu) << "the end point itself is left out";
    EXPECT_EQ(PixelAt(shot, 22, 21), 0xff0000u);
    EXPECT_EQ(PixelAt(shot, 23, 21), 0xffffffu) << "right edges are exclusive";
    cairo_surface_destroy(shot);

    // Hovering takes the mouse; leaving gives it back.
    Motion(area, 5, 6);
    EXPECT_TRUE(painter.window->HasMouse());
    GdkEvent* leave = NewEvent(GDK_LEAVE_NOTIFY, area);
    leave->crossing.x = 45;
    leave->crossing.y = 6;
    leave->crossing.mode = GDK_CROSSING_NORMAL;
    Send(area, leave);
    EXPECT_FALSE(painter.window->HasMouse());

    // A press starts tracking: moves go to it, also outside, until the
    // release; a double click's second event starts nothing more.
    Button(area, GDK_BUTTON_PRESS, 3, 4);
    Button(area, GDK_2BUTTON_PRESS, 3, 4);
    Motion(area, 8.7, 9.2);
    Motion(area, -3, 50);
    Button(area, GDK_BUTTON_RELEASE, -3, 50);
    Motion(area, 7, 7);
    // Another client takes the pointer in the middle of a drag.
    Button(area, GDK_BUTTON_PRESS, 3, 4);
    GdkEvent* broken = NewEvent(GDK_GRAB_BROKEN, area);
    Send(area, broken);
    Motion(area, 9, 9);
  };
  Gtk().RunDialog(kDialog, 0, r);
  const std::vector<std::string> tracked{"move 8,9", "move -3,50", "release", "lost"};
  EXPECT_EQ(painter.track.log, tracked);
  const std::vector<std::string> moves{"5,6", "45,6", "7,7", "9,9"};
  EXPECT_EQ(painter.moves, moves);
}

}  // namespace
