// The common open and save file dialogs. Each returns 1 when the user chose a
// file and 0 otherwise. `path` belongs to the caller and holds at least
// kDialogPathSize bytes: the initial file name in, the chosen full path out;
// it changes only when a file was chosen. A dialog that fails for another
// reason than a cancel shows its error code in a "WARNING" box.
//
// A filter is a list of pairs of terminated strings (description, pattern)
// ended by an empty string; null offers the single pair "All files (*.*)".
#pragma once

#include "window/ui_platform.h"

namespace k7730::ui {

// The default filter, with its closing empty string.
inline constexpr char kAllFilesFilter[] = "All files (*.*)\0*.*\0";

// Option words of the two dialog kinds.
inline constexpr std::uint32_t kOpenDialogFlags =
    kOfnHideReadOnly | kOfnPathMustExist | kOfnFileMustExist;  // 0x1804
inline constexpr std::uint32_t kSaveDialogFlags = kOpenDialogFlags | kOfnOverwritePrompt;  // 0x1806

int ChooseOpenFile(WindowId owner, const char* title, const char* filter,
                   const char* initialFolder, char* path);
int ChooseSaveFile(WindowId owner, const char* title, const char* filter, char* path);
// As ChooseSaveFile, starting in `initialFolder`; `defaultExtension` is
// appended when the user types none.
int ChooseSaveFileIn(WindowId owner, const char* title, const char* filter,
                     const char* initialFolder, char* path, const char* defaultExtension);

}  // namespace k7730::ui
