// The scripted window system's dialogs, for tests: a virtual dialog built
// from a template keeps the state of every control, lets a test act on it
// as a user would (click, type, pick a list entry, move and press the
// mouse in a drawing area) and read back everything it shows.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "window/scripted/raster_canvas.h"
#include "window/ui_platform.h"

namespace k7730::ui {

class VirtualDialog;

// A self-painted child area: painted into a raster, fed with mouse events.
class VirtualArea final : public AreaWindow {
 public:
  VirtualArea(VirtualDialog& dialog, WindowId handle, std::string className, const PixelRect& rect,
              AreaHandler& handler);

  // ---- The user -------------------------------------------------------------
  // The pointer moves to a position in the area's client pixels (outside a
  // tracking loop, or within one while the button is held).
  void MoveTo(PixelPoint position);
  // The left button goes down at a position; a tracking loop may start.
  void Press(PixelPoint position);
  // The left button comes up (ends a tracking loop).
  void Release();
  // Another window takes the mouse capture.
  void LoseCapture();
  // Press, move through `path`, release.
  void Drag(PixelPoint from, const std::vector<PixelPoint>& path);
  bool Tracking() const { return tracking_ != nullptr; }

  // ---- What it shows ---------------------------------------------------------
  const RasterCanvas& Raster() const { return raster_; }
  const std::string& ClassName() const { return className_; }
  const PixelRect& PlacedAt() const { return rect_; }
  int Paints() const { return paints_; }

  // ---- AreaWindow ------------------------------------------------------------
  WindowId Handle() const override { return handle_; }
  PixelRect ClientRect() const override { return {0, 0, rect_.Width(), rect_.Height()}; }
  void CaptureMouse() override { capture_ = true; }
  void ReleaseMouse() override { capture_ = false; }
  bool HasMouse() const override { return capture_; }
  WindowId TakeFocus() override;
  void RestoreFocus(WindowId previous) override;
  void Repaint() override { Paint(); }
  void DrawNow() override { Paint(); }

 private:
  void Paint();
  void EndTrackingIfDone();

  VirtualDialog& dialog_;
  WindowId handle_;
  std::string className_;
  PixelRect rect_;
  AreaHandler& handler_;
  RasterCanvas raster_;
  AreaTracking* tracking_ = nullptr;
  bool capture_ = false;
  int paints_ = 0;
};

class VirtualDialog final : public DialogWindow {
 public:
  VirtualDialog(const DialogTemplate& dialog, WindowId owner, DialogProcedure& procedure);
  ~VirtualDialog() override;

  // Dialog units to client pixels (8-point MS Sans Serif at 96 dpi).
  static PixelRect ToPixels(const DialogUnits& units);

  // ---- The user: each returns false when the user could not do it (no such
  // control, hidden, disabled, or the dialog has ended) ----------------------
  bool Click(int id);
  bool Type(int id, const std::string& text);
  bool Pick(int id, int index);
  bool Click(const std::string& text);  // the visible, enabled button with this text
  // The drawing area created by the dialog (the only one, or null).
  VirtualArea* Area();

  // ---- What it shows ----------------------------------------------------------
  const DialogTemplate& Template() const { return template_; }
  WindowId Owner() const { return owner_; }
  std::string Caption() const { return caption_; }
  std::string Text(int id) const;
  bool Enabled(int id) const;
  bool Visible(int id) const;
  bool Checked(int id) const;
  // The id of the control with the focus; 0 when none of them has it.
  int FocusedItem() const;
  bool AreaHasFocus() const;
  std::vector<std::string> ComboItems(int id) const;
  int TextLimit(int id) const;
  bool TextSelected(int id) const;
  PixelRect Rect(int id) const { return ItemRect(id); }
  // The bitmap an owner-drawn item last painted (0 before any painting).
  int Bitmap(int id) const;
  PixelPoint Extent() const { return extent_; }
  bool Ended() const { return result_.has_value(); }
  int Result() const { return result_.value_or(0); }

  // Runs the dialog's start: WM_INITDIALOG, then the first painting.
  void Start();
  // The user closes the dialog without choosing (IDCANCEL), then WM_DESTROY.
  void Finish();

  // ---- DialogWindow -----------------------------------------------------------
  K7730_DIALOG_WINDOW_OVERRIDES

  // Focus as window handles, shared with the areas.
  WindowId focus = 0;
  WindowId ItemHandle(int id) const { return handle_ + 0x10000 + static_cast<WindowId>(id); }

 private:
  struct Control {
    const ControlTemplate* source = nullptr;
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    PixelRect rect;
    std::vector<std::string> items;
    int selection = kNoSelection;
    int limit = 30000;  // the platform's default limit of an edit
    bool selected = false;
    int bitmap = 0;
  };
  Control* Find(int id);
  const Control* Find(int id) const;
  // The control the user can act on: exists, visible, enabled, dialog open.
  Control* Reachable(int id);
  void Send(int id, int notification) { procedure_.Command(*this, id, notification); }

  const DialogTemplate& template_;
  WindowId owner_;
  DialogProcedure& procedure_;
  WindowId handle_;
  std::string caption_;
  std::vector<Control> controls_;
  std::vector<std::unique_ptr<VirtualArea>> areas_;
  PixelPoint extent_;
  std::optional<int> result_;
};

}  // namespace k7730::ui
