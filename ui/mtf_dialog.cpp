// Running the MTF dialog and its buttons.
#include "ui/mtf_dialog.h"

#include "resources/mtf_dialog.h"
#include "window/file_dialogs.h"
#include "window/message_box.h"
#include "ui/mtf_dialog_state.h"
#include "platform/path_utils.h"

namespace k7730::ui {
namespace {

using platform::kMaxPath;

constexpr char kMtfFilter[] = "Mtf file (*.mtf)\0*.mtf\0";
constexpr const char* kMtfTitle = "OPEN Mtf file";

void ShowStatus(int status) {
  const char* message = MtfStatusMessage(status);
  if (message != nullptr) ShowStopMessage(0, message, kCaptionMtf);
}

bool IsOuterRing(int index) {
  const int row = index / 5, column = index % 5;
  return row == 0 || row == 4 || column == 0 || column == 4;
}

}  // namespace

int ShowMtfDialog(WindowId owner, const char* defaultFolder, char* path, MtfSettings* settings) {
  if (settings == nullptr) return 0;
  MtfDialogState state;
  CopyPathField(state.currentPath, path);
  CopyPathField(state.defaultFolder, defaultFolder);
  state.working = *settings;
  MtfDialog procedure(state);
  const int result = CurrentUiPlatform().RunDialog(res::kMtfDialog, owner, procedure);
  if (result == 1) {
    if (path != nullptr) CopyPathField(path, state.currentPath);
    *settings = state.working;
  }
  return result;
}

int RunMtfDialog(WindowId owner, const char* defaultFolder, char* path, MtfSettings* settings) {
  return ShowMtfDialog(owner, defaultFolder, path, settings) == 1 ? 1 : 0;
}

void MtfDialog::Init(DialogWindow& dialog) {
  dialog.LimitText(res::kMfScale, 5);
  for (int i = 0; i < 25; ++i) dialog.LimitText(res::kMfFirstCoefficient + i, 6);
  ShowFields(dialog);
  dialog.FocusItem(res::kMfDefault);
}

void MtfDialog::Command(DialogWindow& dialog, int id, int) {
  switch (id) {
    case res::kMfOk:
      if (TakeFields(dialog)) dialog.End(1);
      return;
    case res::kMfCancel: dialog.End(2); return;
    case res::kMfDefault: Default(dialog); return;
    case res::kMfLoad: Load(dialog); return;
    case res::kMfSave: Save(dialog); return;
    default: return;
  }
}

bool MtfDialog::TakeFields(DialogWindow& dialog) {
  int focusId = 0;
  const int status = ReadFields(dialog, focusId);
  if (status == kMtfOk) return true;
  ShowStatus(status);
  dialog.FocusItem(focusId);
  dialog.SelectAllText(focusId);
  return false;
}

void MtfDialog::Default(DialogWindow& dialog) {
  for (std::int32_t& c : state_.working.coefficients) c = 0;
  state_.working.coefficients[12] = 100;
  state_.working.scale = 100;
  ShowFields(dialog);
}

const char* MtfDialog::PrepareFileDialog(char* path, char* folder) const {
  CopyPathField(path, PathFileName(state_.currentPath));
  if (state_.currentPath[0] == '\0') return state_.defaultFolder;
  CopyPathField(folder, state_.currentPath);
  PathCutLastComponent(folder);
  return folder;
}

void MtfDialog::Load(DialogWindow& dialog) {
  char path[kMaxPath];
  char folder[kMaxPath];
  const char* initialFolder = PrepareFileDialog(path, folder);
  if (ChooseOpenFile(dialog.Handle(), kMtfTitle, kMtfFilter, initialFolder, path) == 1) {
    MtfSettings loaded{};
    std::uint16_t status = kMtfOk;
    if (ReadMtfFile(path, &loaded, &status) == 1) {
      // A file sets the centre 3 x 3 and the scale; the ring starts clear.
      for (int i = 0; i < 25; ++i) {
        if (IsOuterRing(i)) loaded.coefficients[i] = 0;
      }
      state_.working = loaded;
      CopyPathField(state_.currentPath, path);
    }
    ShowStatus(status);
  }
  // Text typed since the last reading is replaced in every case.
  ShowFields(dialog);
}

void MtfDialog::Save(DialogWindow& dialog) {
  if (!TakeFields(dialog)) return;
  char path[kMaxPath];
  char folder[kMaxPath];
  const char* initialFolder = PrepareFileDialog(path, folder);
  if (ChooseSaveFileIn(dialog.Handle(), kMtfTitle, kMtfFilter, initialFolder, path, "mtf") == 1) {
    std::uint16_t status = kMtfOk;
    if (WriteMtfFile(path, &state_.working, &status) == 1) CopyPathField(state_.currentPath, path);
    ShowStatus(status);
  }
  ShowFields(dialog);
}

}  // namespace k7730::ui
