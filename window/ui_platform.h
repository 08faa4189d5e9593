// The window system as the dialogs, the tone-curve editor and the file
// formats see it: a handful of primitive operations, each the counterpart of
// one Win32 call. The services built on them (file dialogs, message boxes,
// cursor table, Shift key) and every dialog procedure live in the ui/ and
// tonecurve/ core and never talk to a window system directly, so a scripted
// implementation can stand in for tests and a Win32 one for the real module.
//
// A window system supplies: UiPlatform (files dialogs, messages, cursors,
// keys, running a modal dialog from a template, the string table), the
// DialogWindow it hands to a DialogProcedure while the dialog runs, the
// AreaWindow of a self-painted child area with its Canvas, and the loop
// that feeds an area's AreaTracking state machine with mouse events.
#pragma once

#include <cstdint>

#include "window/canvas.h"
#include "resources/dialog_template.h"

namespace k7730::ui {

using WindowId = std::uintptr_t;  // HWND; 0 is "no window"
using CursorId = std::uintptr_t;  // HCURSOR; 0 is "no cursor"

// Longest path, terminator included, that the file dialogs deal in.
inline constexpr std::uint32_t kDialogPathSize = 260;

// File-dialog option bits (OFN_*).
inline constexpr std::uint32_t kOfnOverwritePrompt = 0x0002;
inline constexpr std::uint32_t kOfnHideReadOnly = 0x0004;
inline constexpr std::uint32_t kOfnPathMustExist = 0x0800;
inline constexpr std::uint32_t kOfnFileMustExist = 0x1000;

// Message-box style bits (MB_*).
inline constexpr std::uint32_t kMbOk = 0x0000;
inline constexpr std::uint32_t kMbIconStop = 0x0010;
inline constexpr std::uint32_t kMbTaskModal = 0x2000;

// Standard system cursors (IDC_*).
inline constexpr int kIdcArrow = 32512;
inline constexpr int kIdcCross = 32515;
inline constexpr int kIdcSizeNwSe = 32642;
inline constexpr int kIdcSizeNeSw = 32643;

// Virtual key of either Shift key (VK_SHIFT).
inline constexpr int kVkShift = 0x10;

// The fields of the platform's file-dialog record (OPENFILENAMEA) that the
// module fills. Strings are borrowed for the duration of the call.
struct FileDialogRecord {
  WindowId owner = 0;
  // Pairs of terminated strings (description, pattern), ended by an empty
  // string. Never null when handed to the platform.
  const char* filter = nullptr;
  std::uint32_t filterIndex = 0;
  // In: the initial file name. Out: the chosen full path, terminated.
  char* file = nullptr;
  std::uint32_t fileSize = 0;
  const char* initialFolder = nullptr;  // may be null
  const char* title = nullptr;
  std::uint32_t flags = 0;
  const char* defaultExtension = nullptr;  // may be null
};

// Notification codes of WM_COMMAND that the dialogs tell apart.
inline constexpr int kBnClicked = 0;        // BN_CLICKED
inline constexpr int kCbnSelChange = 1;     // CBN_SELCHANGE
inline constexpr int kCbnSelEndOk = 9;      // CBN_SELENDOK
inline constexpr int kCbnCloseUp = 8;       // CBN_CLOSEUP
inline constexpr int kEnChange = 0x0300;    // EN_CHANGE

// What RunDialog returns when the dialog cannot be shown (DialogBoxParamA).
inline constexpr int kDialogFailed = -1;

// A combo box with no selection (CB_ERR).
inline constexpr int kNoSelection = -1;

class AreaHandler;

// The window of a self-painted child area, as the area's logic drives it.
class AreaWindow {
 public:
  virtual ~AreaWindow() = default;
  virtual WindowId Handle() const = 0;
  // GetClientRect.
  virtual PixelRect ClientRect() const = 0;
  // SetCapture / ReleaseCapture / GetCapture() == this window.
  virtual void CaptureMouse() = 0;
  virtual void ReleaseMouse() = 0;
  virtual bool HasMouse() const = 0;
  // SetFocus to the area; returns the window that had the focus.
  virtual WindowId TakeFocus() = 0;
  // SetFocus back to a window TakeFocus returned.
  virtual void RestoreFocus(WindowId previous) = 0;
  // InvalidateRect without erasing, then UpdateWindow: the handler paints
  // the whole area now.
  virtual void Repaint() = 0;
  // GetDC, the handler paints, ReleaseDC: drawing outside WM_PAINT.
  virtual void DrawNow() = 0;
};

// A mouse tracking loop of an area, as a state machine. The platform feeds
// it every mouse event of the area until it is no longer active: the Win32
// implementation from its PeekMessageA loop, the tests directly.
class AreaTracking {
 public:
  virtual ~AreaTracking() = default;
  virtual bool Active() const = 0;
  virtual void Move(PixelPoint position) = 0;  // WM_MOUSEMOVE
  virtual void Release() = 0;                  // WM_LBUTTONUP
  virtual void CaptureLost() = 0;              // WM_CAPTURECHANGED / WM_CANCELMODE
};

// The logic of a self-painted area, called by the platform on the area's
// window messages.
class AreaHandler {
 public:
  virtual ~AreaHandler() = default;
  // WM_PAINT (between BeginPaint and EndPaint) and DrawNow.
  virtual void Paint(Canvas& canvas) = 0;
  // WM_MOUSEMOVE outside a tracking loop.
  virtual void MouseMove(PixelPoint position) = 0;
  // WM_LBUTTONDOWN. A non-null result is a tracking loop that has started;
  // the platform feeds it until it is no longer active.
  virtual AreaTracking* ButtonDown(PixelPoint position) = 0;
};

// A running modal dialog, as its procedure acts on it. Every operation is
// the counterpart of one Win32 call; item rectangles are in the dialog's
// client pixels.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  virtual WindowId Handle() const = 0;

  // SetWindowTextA / GetWindowTextA on the dialog.
  virtual void SetCaption(const char* text) = 0;
  virtual int GetCaption(char* buffer, int size) const = 0;

  // SetDlgItemTextA.
  virtual void SetItemText(int id, const char* text) = 0;
  // GetDlgItemTextA: at most size - 1 characters and a terminator; returns
  // the characters copied.
  virtual int GetItemText(int id, char* buffer, int size) const = 0;
  // SetDlgItemInt, signed.
  virtual void SetItemInt(int id, std::int32_t value) = 0;

  // EnableWindow / ShowWindow on an item.
  virtual void EnableItem(int id, bool enable) = 0;
  virtual void ShowItem(int id, bool show) = 0;
  // CheckRadioButton: checks `checked`, clears the others of first..last.
  virtual void CheckRadio(int first, int last, int checked) = 0;
  // BM_SETCHECK / BM_GETCHECK.
  virtual void CheckItem(int id, bool checked) = 0;
  virtual bool IsItemChecked(int id) const = 0;
  // SetFocus on an item.
  virtual void FocusItem(int id) = 0;

  // EM_SETSEL 0..-1 / EM_LIMITTEXT.
  virtual void SelectAllText(int id) = 0;
  virtual void LimitText(int id, int characters) = 0;

  // CB_RESETCONTENT / CB_ADDSTRING / CB_SETCURSEL / CB_GETCURSEL.
  virtual void ComboReset(int id) = 0;
  virtual void ComboAdd(int id, const char* text) = 0;
  virtual void ComboSelect(int id, int index) = 0;
  virtual int ComboSelection(int id) const = 0;  // kNoSelection when none

  // GetWindowRect + ScreenToClient / MoveWindow of an item.
  virtual PixelRect ItemRect(int id) const = 0;
  virtual void MoveItem(int id, const PixelRect& rect) = 0;
  // Resizes the dialog, keeping its position, so that its outer frame ends
  // at these client coordinates (GetWindowRect, ClientToScreen, MoveWindow).
  virtual void ExtendTo(int right, int bottom) = 0;

  // InvalidateRect without erasing + UpdateWindow: an owner-drawn item is
  // painted again at once.
  virtual void RedrawItem(int id) = 0;

  // EndDialog: RunDialog returns `result` once the procedure returns.
  virtual void End(int result) = 0;

  // RegisterClassA (failure ignored) + CreateWindowExA + ShowWindow: a
  // visible child area of the dialog that `handler` paints and that feeds
  // `handler` its mouse messages. The platform owns the window.
  virtual AreaWindow* CreateArea(const char* className, const PixelRect& rect,
                                 AreaHandler& handler) = 0;
  // DestroyWindow of an area made by CreateArea.
  virtual void DestroyArea(AreaWindow* area) = 0;
};

// Declares every DialogWindow operation as an override, so that each window
// system's dialog class names the interface in one line and defines the
// operations in its own .cpp file.
#define K7730_DIALOG_WINDOW_OVERRIDES                                                        \
  WindowId Handle() const override;                                                          \
  void SetCaption(const char* text) override;                                                \
  int GetCaption(char* buffer, int size) const override;                                     \
  void SetItemText(int id, const char* text) override;                                       \
  int GetItemText(int id, char* buffer, int size) const override;                            \
  void SetItemInt(int id, std::int32_t value) override;                                      \
  void EnableItem(int id, bool enable) override;                                             \
  void ShowItem(int id, bool show) override;                                                 \
  void CheckRadio(int first, int last, int checked) override;                                \
  void CheckItem(int id, bool checked) override;                                             \
  bool IsItemChecked(int id) const override;                                                 \
  void FocusItem(int id) override;                                                           \
  void SelectAllText(int id) override;                                                       \
  void LimitText(int id, int characters) override;                                           \
  void ComboReset(int id) override;                                                          \
  void ComboAdd(int id, const char* text) override;                                          \
  void ComboSelect(int id, int index) override;                                              \
  int ComboSelection(int id) const override;                                                 \
  PixelRect ItemRect(int id) const override;                                                 \
  void MoveItem(int id, const PixelRect& rect) override;                                     \
  void ExtendTo(int right, int bottom) override;                                             \
  void RedrawItem(int id) override;                                                          \
  void End(int result) override;                                                             \
  AreaWindow* CreateArea(const char* className, const PixelRect& rect, AreaHandler& handler) \
      override;                                                                              \
  void DestroyArea(AreaWindow* area) override;

// The logic of one modal dialog: plain code reacting to the dialog's
// messages through the DialogWindow primitives.
class DialogProcedure {
 public:
  virtual ~DialogProcedure() = default;
  // WM_INITDIALOG.
  virtual void Init(DialogWindow& dialog) = 0;
  // WM_COMMAND: control id and notification code.
  virtual void Command(DialogWindow& dialog, int id, int notification) = 0;
  // WM_DRAWITEM: the bitmap resource to copy unscaled into the item's
  // top-left corner, or 0 to paint nothing.
  virtual int DrawItem(DialogWindow& dialog, int id) = 0;
  // WM_DESTROY.
  virtual void Destroy(DialogWindow& dialog) = 0;
};

class UiPlatform {
 public:
  virtual ~UiPlatform() = default;

  // GetOpenFileNameA / GetSaveFileNameA: 1 when the user chose a file (the
  // record's file buffer then holds it), 0 when cancelled or failed.
  virtual int OpenFileDialog(FileDialogRecord& record) = 0;
  virtual int SaveFileDialog(FileDialogRecord& record) = 0;
  // CommDlgExtendedError: why the last file dialog returned 0; 0 = cancelled.
  virtual std::uint32_t FileDialogError() = 0;

  // MessageBoxA.
  virtual int ShowMessageBox(WindowId owner, const char* text, const char* caption,
                             std::uint32_t style) = 0;

  // LoadCursorA with no instance and a standard identifier.
  virtual CursorId LoadSystemCursor(int id) = 0;
  // LoadCursorA with the module's instance and a resource name.
  virtual CursorId LoadModuleCursor(const char* name) = 0;
  // SetCursor: makes the cursor current and returns the previous one.
  virtual CursorId SetCurrentCursor(CursorId cursor) = 0;
  // DestroyCursor.
  virtual int DestroyCursor(CursorId cursor) = 0;

  // GetAsyncKeyState: the high bit (0x8000) is set while the key is down.
  virtual std::uint16_t AsyncKeyState(int virtualKey) = 0;
  // GetActiveWindow.
  virtual WindowId ActiveWindow() = 0;
  // GetCursor.
  virtual CursorId CurrentCursor() = 0;

  // DialogBoxParamA with the module's instance: runs the dialog of the
  // template modally, owned by `owner`, and returns the result given to
  // DialogWindow::End, or kDialogFailed when it cannot be shown.
  virtual int RunDialog(const DialogTemplate& dialog, WindowId owner,
                        DialogProcedure& procedure) = 0;
  // LoadStringA from the module's string table: at most size - 1
  // characters and a terminator; returns the characters copied, 0 when
  // the string does not exist.
  virtual int LoadString(int id, char* buffer, int size) = 0;
};

// The implementation the services use: the one installed with
// InstallUiPlatform, otherwise the system's own (see SystemUiPlatform).
UiPlatform& CurrentUiPlatform();
// Installs an implementation (null restores the system's) and returns the
// one installed before, or null when that was the system's.
UiPlatform* InstallUiPlatform(UiPlatform* platform);

// The system's implementation. Every build supplies exactly one; a build
// without a window system answers every file dialog as cancelled, shows no
// message, has no cursors and cannot show a dialog.
UiPlatform& SystemUiPlatform();

}  // namespace k7730::ui
