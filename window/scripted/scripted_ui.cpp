#include "window/scripted/scripted_ui.h"

#include <algorithm>
#include <cstring>

#include "resources/string_table.h"

namespace k7730::ui {
namespace {

std::optional<std::string> Optional(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

}  // namespace

void ScriptedUi::AnswerWithPath(std::string path) {
  answers_.push_back({ScriptedAnswer::Path, std::move(path), 0});
}

void ScriptedUi::AnswerCancel() { answers_.push_back({ScriptedAnswer::Cancel, {}, 0}); }

void ScriptedUi::AnswerFailure(std::uint32_t extendedError) {
  answers_.push_back({ScriptedAnswer::Failure, {}, extendedError});
}

int ScriptedUi::Respond(bool save, FileDialogRecord& record) {
  DialogCall call;
  call.save = save;
  call.owner = record.owner;
  for (const char* p = record.filter; p != nullptr && *p != '\0';) {
    std::string description = p;
    p += description.size() + 1;
    std::string pattern = p;
    p += pattern.size() + 1;
    call.filters.emplace_back(std::move(description), std::move(pattern));
  }
  call.filterIndex = record.filterIndex;
  if (record.file != nullptr) call.initialName = record.file;
  call.fileSize = record.fileSize;
  call.initialFolder = Optional(record.initialFolder);
  call.title = Optional(record.title);
  call.flags = record.flags;
  call.defaultExtension = Optional(record.defaultExtension);
  dialogs.push_back(std::move(call));

  ScriptedAnswer answer{ScriptedAnswer::Cancel, {}, 0};
  if (!answers_.empty()) {
    answer = std::move(answers_.front());
    answers_.pop_front();
  }
  lastError_ = 0;
  switch (answer.kind) {
    case ScriptedAnswer::Path:
      // Like the real dialog, a path that does not fit the buffer is an error.
      if (record.file == nullptr || answer.path.size() + 1 > record.fileSize) {
        lastError_ = 0x3003;  // FNERR_BUFFERTOOSMALL
        return 0;
      }
      std::memcpy(record.file, answer.path.c_str(), answer.path.size() + 1);
      return 1;
    case ScriptedAnswer::Cancel:
      return 0;
    case ScriptedAnswer::Failure:
      lastError_ = answer.error;
      return 0;
  }
  return 0;
}

int ScriptedUi::OpenFileDialog(FileDialogRecord& record) { return Respond(false, record); }
int ScriptedUi::SaveFileDialog(FileDialogRecord& record) { return Respond(true, record); }

int ScriptedUi::ShowMessageBox(WindowId owner, const char* text, const char* caption,
                               std::uint32_t style) {
  messages.push_back({owner, text != nullptr ? text : "", caption != nullptr ? caption : "",
                      style});
  return 1;  // IDOK
}

CursorId ScriptedUi::LoadSystemCursor(int id) {
  std::string name = "#";
  name += std::to_string(id);
  loadedCursors.push_back(name);
  return SystemCursorHandle(id);
}

CursorId ScriptedUi::ModuleCursorHandle(const std::string& name) const {
  CursorId h = 0x1000;
  for (char c : name) h = h * 31 + static_cast<unsigned char>(c);
  return h;
}

CursorId ScriptedUi::LoadModuleCursor(const char* name) {
  if (name == nullptr) return 0;
  loadedCursors.push_back(name);
  return ModuleCursorHandle(name);
}

CursorId ScriptedUi::SetCurrentCursor(CursorId cursor) {
  const CursorId previous = currentCursor;
  currentCursor = cursor;
  cursorsSet.push_back(cursor);
  return previous;
}

int ScriptedUi::DestroyCursor(CursorId cursor) {
  cursorsDestroyed.push_back(cursor);
  return 1;
}

std::uint16_t ScriptedUi::AsyncKeyState(int virtualKey) {
  return virtualKey == kVkShift && shiftDown ? 0x8000 : 0;
}

void ScriptedUi::OnDialog(std::string name, DialogScript script) {
  scripts_.emplace_back(std::move(name), std::move(script));
}

int ScriptedUi::RunDialog(const DialogTemplate& dialog, WindowId owner, DialogProcedure& procedure) {
  dialogsRun.emplace_back(dialog.name);
  const auto queued = std::find_if(scripts_.begin(), scripts_.end(),
                                   [&](const auto& entry) { return entry.first == dialog.name; });
  if (queued == scripts_.end()) return kDialogFailed;
  DialogScript script = std::move(queued->second);
  scripts_.erase(queued);
  VirtualDialog running(dialog, owner, procedure);
  running.Start();
  if (script) script(running);
  running.Finish();
  return running.Result();
}

int ScriptedUi::LoadString(int id, char* buffer, int size) {
  const char* text = res::FindString(id);
  if (buffer == nullptr || size <= 0) return 0;
  const int n = text == nullptr ? 0 : std::min(static_cast<int>(std::strlen(text)), size - 1);
  if (n > 0) std::memcpy(buffer, text, static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

}  // namespace k7730::ui
