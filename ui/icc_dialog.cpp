// The colour-matching dialog.
#include "ui/icc_dialog.h"

#include <cstring>

#include "platform/platform.h"
#include "resources/icc_dialog.h"
#include "stages/profile_check.h"
#include "window/file_dialogs.h"
#include "window/message_box.h"
#include "platform/path_utils.h"
#include "window/window_state.h"

namespace k7730::ui {
namespace {

using platform::kMaxPath;

constexpr char kProfileFilter[] = "Icc Profile (*.icm;*.icc)\0*.icc;*.icm\0";
constexpr const char* kUnusablePick = "Can not use this profile on current ribbon and image mode.";
constexpr const char* kUnusableOnOk = "Can not find right ICC Profile.";

// The values handed in and, after OK, handed back.
struct IccValues {
  char inputPath[kMaxPath] = "";
  char outputPath[kMaxPath] = "";
  std::uint16_t intent = 0;
};

class IccDialog final : public DialogProcedure {
 public:
  explicit IccDialog(IccValues& shared) : shared_(shared) {}

  void Init(DialogWindow& dialog) override {
    working_ = shared_;
    dialog.CheckRadio(res::kIcIntentFirst, res::kIcIntentLast, res::kIcIntentFirst + working_.intent);
    dialog.SetItemText(res::kIcInputProfileName, PathFileName(working_.inputPath));
    dialog.SetItemText(res::kIcOutputProfileName, PathFileName(working_.outputPath));
    dialog.FocusItem(res::kIcOk);
  }

  void Command(DialogWindow& dialog, int id, int) override {
    switch (id) {
      case res::kIcIntentPerceptual:
      case res::kIcIntentRelative:
      case res::kIcIntentSaturation:
      case res::kIcIntentAbsolute: ChooseIntent(dialog, id); return;
      case res::kIcInputProfileButton:
        PickProfile(dialog, working_.inputPath, res::kIcInputProfileName);
        return;
      case res::kIcOutputProfileButton:
        PickProfile(dialog, working_.outputPath, res::kIcOutputProfileName);
        return;
      case res::kIcOk: Confirm(dialog); return;
      case res::kIcCancel: dialog.End(2); return;
      default: return;
    }
  }

  int DrawItem(DialogWindow&, int) override { return 0; }
  void Destroy(DialogWindow&) override {}

 private:
  void ChooseIntent(DialogWindow& dialog, int id) {
    const auto index = static_cast<std::uint16_t>(id - res::kIcIntentFirst);
    if (index == working_.intent) return;
    dialog.CheckRadio(res::kIcIntentFirst, res::kIcIntentLast, id);
    working_.intent = index;
  }

  void PickProfile(DialogWindow& dialog, char* workingPath, int labelId) {
    char candidate[kMaxPath];
    CopyPathField(candidate, workingPath);
    if (ChooseProfileFile(candidate) != 1) return;
    if (!ProfileUsable(candidate)) {
      ShowStopMessage(0, kUnusablePick, kCaptionColormatching);
      return;
    }
    CopyPathField(workingPath, candidate);
    dialog.SetItemText(labelId, PathFileName(workingPath));
  }

  // The values go back even when a profile is unusable: the page start
  // reports it again.
  void Confirm(DialogWindow& dialog) {
    shared_ = working_;
    if (!ProfileUsable(shared_.inputPath) || !ProfileUsable(shared_.outputPath)) {
      ShowStopMessage(0, kUnusableOnOk, kCaptionColormatching);
    }
    dialog.End(1);
  }

  IccValues& shared_;
  IccValues working_;
};

}  // namespace

int RunIccDialog(WindowId owner, char* inputPath, char* outputPath, std::uint16_t* intent) {
  IccValues shared;
  shared.intent = intent != nullptr ? *intent : 0;
  CopyPathField(shared.inputPath, inputPath);
  CopyPathField(shared.outputPath, outputPath);
  IccDialog procedure(shared);
  const int result = CurrentUiPlatform().RunDialog(res::kIccDialog, owner, procedure);
  if (result == 1) {
    if (intent != nullptr) *intent = shared.intent;
    if (inputPath != nullptr) CopyPathField(inputPath, shared.inputPath);
    if (outputPath != nullptr) CopyPathField(outputPath, shared.outputPath);
  }
  return result;
}

int ChooseProfileFile(char* path) {
  char previous[kMaxPath];
  CopyPathField(previous, path);
  // The initial name is the file-name part of the previous choice.
  CopyPathField(path, PathFileName(previous));
  char folder[kMaxPath] = "";
  const char* initialFolder = nullptr;
  if (previous[0] == '\0') {
    GetModuleFolder(folder);
    initialFolder = folder;
  } else {
    CopyPathField(folder, previous);
    PathCutLastComponent(folder);
    if (platform::FolderExists(folder)) initialFolder = folder;
  }
  return ChooseOpenFile(ActiveWindow(), "OPEN Icc profile", kProfileFilter, initialFolder, path);
}

}  // namespace k7730::ui
