// The window system as the dialogs, the tone-curve editor and the file
// formats see it: a handful of primitive operations, each the counterpart of
// one Win32 call. The services built on them (file dialogs, message boxes,
// cursor table, Shift key) live in the ui/ core and never talk to a window
// system directly, so a scripted implementation can stand in for tests and a
// Win32 one for the real module.
#pragma once

#include <cstdint>

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
};

// The implementation the services use: the one installed with
// InstallUiPlatform, otherwise the system's own (see SystemUiPlatform).
UiPlatform& CurrentUiPlatform();
// Installs an implementation (null restores the system's) and returns the
// one installed before, or null when that was the system's.
UiPlatform* InstallUiPlatform(UiPlatform* platform);

// The system's implementation. Every build supplies exactly one; a build
// without a window system answers every file dialog as cancelled, shows no
// message and has no cursors.
UiPlatform& SystemUiPlatform();

}  // namespace k7730::ui
