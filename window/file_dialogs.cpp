#include "window/file_dialogs.h"

#include <cstdio>
#include <cstring>

#include "window/message_box.h"

namespace k7730::ui {
namespace {

enum class DialogKind { Open, Save };

// Copies at most size - 1 characters and always terminates.
void CopyBounded(char* to, const char* from, std::size_t size) {
  std::size_t n = 0;
  if (from != nullptr) {
    while (n + 1 < size && from[n] != '\0') {
      to[n] = from[n];
      ++n;
    }
  }
  to[n] = '\0';
}

int RunFileDialog(DialogKind kind, WindowId owner, const char* title, const char* filter,
                  const char* initialFolder, char* path, const char* defaultExtension) {
  if (path == nullptr) return 0;

  // The platform writes into a working buffer of its own, so the caller's
  // path is left alone unless a file is chosen.
  char working[kDialogPathSize];
  CopyBounded(working, path, sizeof working);

  FileDialogRecord record;
  record.owner = owner;
  record.filter = filter != nullptr ? filter : kAllFilesFilter;
  record.filterIndex = 1;
  record.file = working;
  record.fileSize = sizeof working;
  record.initialFolder = initialFolder;
  record.title = title;
  record.flags = kind == DialogKind::Open ? kOpenDialogFlags : kSaveDialogFlags;
  record.defaultExtension = defaultExtension;

  UiPlatform& ui = CurrentUiPlatform();
  const int chosen =
      kind == DialogKind::Open ? ui.OpenFileDialog(record) : ui.SaveFileDialog(record);
  if (chosen == 1) {
    working[sizeof working - 1] = '\0';
    CopyBounded(path, working, kDialogPathSize);
    return 1;
  }

  const std::uint32_t error = ui.FileDialogError();
  if (error == 0) return 0;  // the user cancelled
  char text[16];
  std::snprintf(text, sizeof text, "%ld", static_cast<long>(error));
  ui.ShowMessageBox(owner, text, kCaptionWarning, kStopMessageStyle);
  return 0;
}

}  // namespace

int ChooseOpenFile(WindowId owner, const char* title, const char* filter,
                   const char* initialFolder, char* path) {
  return RunFileDialog(DialogKind::Open, owner, title, filter, initialFolder, path, nullptr);
}

int ChooseSaveFile(WindowId owner, const char* title, const char* filter, char* path) {
  return RunFileDialog(DialogKind::Save, owner, title, filter, nullptr, path, nullptr);
}

int ChooseSaveFileIn(WindowId owner, const char* title, const char* filter,
                     const char* initialFolder, char* path, const char* defaultExtension) {
  return RunFileDialog(DialogKind::Save, owner, title, filter, initialFolder, path,
                       defaultExtension);
}

}  // namespace k7730::ui
