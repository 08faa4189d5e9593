// A window system that follows a script, for tests: file dialogs are
// answered from a queue (a path, a cancel or a failure code), modal dialogs
// are acted on by queued scripts (see scripted_dialog.h), and message boxes,
// cursor calls and dialog records are written down. Not part of the module;
// tests link it from its own library.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "window/scripted/scripted_dialog.h"
#include "window/ui_platform.h"

namespace k7730::ui {

class ScriptedUi final : public UiPlatform {
 public:
  // ---- Script ---------------------------------------------------------------
  // Queued answers for the next file dialogs, in order. With none left a
  // dialog is cancelled.
  void AnswerWithPath(std::string path);
  void AnswerCancel();
  void AnswerFailure(std::uint32_t extendedError);

  // The user's part in the next modal dialog of this template name (scripts
  // of one name are used in the order queued): it acts on the running
  // dialog, which may open further dialogs. A dialog the script leaves open
  // is closed as with the close box (IDCANCEL). A dialog with no script
  // queued for it cannot be shown (kDialogFailed).
  using DialogScript = std::function<void(VirtualDialog&)>;
  void OnDialog(std::string name, DialogScript script);
  std::size_t PendingDialogScripts() const { return scripts_.size(); }

  bool shiftDown = false;
  WindowId activeWindow = 0x5150;

  // ---- Record ---------------------------------------------------------------
  struct DialogCall {
    bool save = false;
    WindowId owner = 0;
    std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
    std::uint32_t filterIndex = 0;
    std::string initialName;
    std::uint32_t fileSize = 0;
    std::optional<std::string> initialFolder;
    std::optional<std::string> title;
    std::uint32_t flags = 0;
    std::optional<std::string> defaultExtension;
  };
  struct MessageCall {
    WindowId owner = 0;
    std::string text;
    std::string caption;
    std::uint32_t style = 0;
  };
  std::vector<DialogCall> dialogs;
  std::vector<MessageCall> messages;
  std::vector<std::string> loadedCursors;  // resource names, or "#id" for system cursors
  std::vector<CursorId> cursorsSet;        // every SetCurrentCursor, in order
  std::vector<CursorId> cursorsDestroyed;
  std::vector<std::string> dialogsRun;  // template names, in order of opening
  CursorId currentCursor = 0;

  // The handle LoadSystemCursor / LoadModuleCursor give for a cursor.
  static CursorId SystemCursorHandle(int id) { return static_cast<CursorId>(0x10000 + id); }
  CursorId ModuleCursorHandle(const std::string& name) const;

  // ---- UiPlatform -----------------------------------------------------------
  int OpenFileDialog(FileDialogRecord& record) override;
  int SaveFileDialog(FileDialogRecord& record) override;
  std::uint32_t FileDialogError() override { return lastError_; }
  int ShowMessageBox(WindowId owner, const char* text, const char* caption,
                     std::uint32_t style) override;
  CursorId LoadSystemCursor(int id) override;
  CursorId LoadModuleCursor(const char* name) override;
  CursorId SetCurrentCursor(CursorId cursor) override;
  int DestroyCursor(CursorId cursor) override;
  std::uint16_t AsyncKeyState(int virtualKey) override;
  WindowId ActiveWindow() override { return activeWindow; }
  CursorId CurrentCursor() override { return currentCursor; }
  int RunDialog(const DialogTemplate& dialog, WindowId owner, DialogProcedure& procedure) override;
  int LoadString(int id, char* buffer, int size) override;

 private:
  struct ScriptedAnswer {
    enum Kind { Path, Cancel, Failure } kind;
    std::string path;
    std::uint32_t error;
  };
  int Respond(bool save, FileDialogRecord& record);

  std::deque<ScriptedAnswer> answers_;
  std::deque<std::pair<std::string, DialogScript>> scripts_;
  std::uint32_t lastError_ = 0;
};

// Installs a ScriptedUi for the lifetime of the scope.
class ScopedScriptedUi {
 public:
  ScopedScriptedUi() : previous_(InstallUiPlatform(&ui_)) {}
  ~ScopedScriptedUi() { InstallUiPlatform(previous_); }
  ScopedScriptedUi(const ScopedScriptedUi&) = delete;
  ScopedScriptedUi& operator=(const ScopedScriptedUi&) = delete;
  ScriptedUi* operator->() { return &ui_; }
  ScriptedUi& operator*() { return ui_; }

 private:
  ScriptedUi ui_;
  UiPlatform* previous_;
};

}  // namespace k7730::ui
