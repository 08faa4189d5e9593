// The correction dialog.
#include "ui/correction_dialog.h"

#include <cstring>
#include <initializer_list>

#include "platform/platform.h"
#include "resources/correction_dialog.h"
#include "stages/profile_check.h"
#include "tonecurve/curve_editor.h"
#include "ui/icc_dialog.h"
#include "window/message_box.h"
#include "ui/mtf_dialog.h"
#include "platform/path_utils.h"

namespace k7730::ui {
namespace {

using platform::kMaxPath;

enum class Section { InputCurve, Mtf, Icc, OutputCurve };

struct SectionRow {
  Section section;
  int checkBox;
  int button;
  std::initializer_list<int> dependents;  // enabled while the section is on
};

const SectionRow kSections[] = {
    {Section::InputCurve, res::kCoInputCurveCheck, res::kCoInputCurveButton,
     {res::kCoInputCurveButton, res::kCoInputCurveNote}},
    {Section::Mtf, res::kCoMtfCheck, res::kCoMtfButton,
     {res::kCoMtfButton, res::kCoMtfLabel, res::kCoMtfName}},
    {Section::Icc, res::kCoIccCheck, res::kCoIccButton,
     {res::kCoIccButton, res::kCoInputProfileName, res::kCoOutputProfileName, res::kCoInputProfileLabel,
      res::kCoOutputProfileLabel}},
    {Section::OutputCurve, res::kCoOutputCurveCheck, res::kCoOutputCurveButton,
     {res::kCoOutputCurveButton, res::kCoOutputCurveNote}},
};

class CorrectionDialog final : public DialogProcedure {
 public:
  explicit CorrectionDialog(K7730_SettingsBlock& working) : working_(working) {}

  void Init(DialogWindow& dialog) override;
  void Command(DialogWindow& dialog, int id, int notification) override;
  int DrawItem(DialogWindow&, int) override { return 0; }
  void Destroy(DialogWindow&) override {}

 private:
  std::uint32_t& Flag(Section section);
  bool DependentsOn(Section section);
  void ShowSection(DialogWindow& dialog, const SectionRow& row);
  void ToggleSection(DialogWindow& dialog, const SectionRow& row);
  // Opens the section's editor; true when the user left it with OK.
  bool OpenEditor(DialogWindow& dialog, Section section);
  void ShowProfileNames(DialogWindow& dialog);
  void ShowMtfName(DialogWindow& dialog);
  void Confirm(DialogWindow& dialog);

  K7730_SettingsBlock& working_;
};

std::uint32_t& CorrectionDialog::Flag(Section section) {
  switch (section) {
    case Section::InputCurve: return working_.inputCurveEnabled;
    case Section::Mtf: return working_.mtfEnabled;
    case Section::Icc: return working_.iccEnabled;
    case Section::OutputCurve: break;
  }
  return working_.outputCurveEnabled;
}

// Colour matching counts as on only with 1; the others with any non-zero.
bool CorrectionDialog::DependentsOn(Section section) {
  return section == Section::Icc ? Flag(section) == 1 : Flag(section) != 0;
}

void CorrectionDialog::ShowSection(DialogWindow& dialog, const SectionRow& row) {
  dialog.CheckItem(row.checkBox, Flag(row.section) == 1);
  const bool on = DependentsOn(row.section);
  for (int id : row.dependents) dialog.EnableItem(id, on);
}

void CorrectionDialog::Init(DialogWindow& dialog) {
  for (int id : {res::kCoInputCurveCheck, res::kCoOutputCurveCheck, res::kCoIccCheck}) {
    dialog.EnableItem(id, true);
  }
  ShowProfileNames(dialog);
  dialog.ShowItem(res::kCoMtfLabel, true);
  dialog.ShowItem(res::kCoMtfName, true);
  ShowMtfName(dialog);
  for (const SectionRow& row : kSections) ShowSection(dialog, row);
  dialog.EnableItem(res::kCoOk, true);
  dialog.FocusItem(res::kCoOk);
}

void CorrectionDialog::Command(DialogWindow& dialog, int id, int) {
  for (const SectionRow& row : kSections) {
    if (id == row.checkBox) return ToggleSection(dialog, row);
    if (id == row.button) {
      OpenEditor(dialog, row.section);
      return;
    }
  }
  if (id == res::kCoOk) return Confirm(dialog);
  if (id == res::kCoCancel) dialog.End(2);
}

void CorrectionDialog::ToggleSection(DialogWindow& dialog, const SectionRow& row) {
  std::uint32_t& flag = Flag(row.section);
  const bool wasOff = flag == 0;
  flag = flag == 1 ? 0 : 1;
  // Switching a section on opens its editor; leaving it without OK leaves
  // the section off.
  if (wasOff && !OpenEditor(dialog, row.section)) flag = 0;
  ShowSection(dialog, row);
}

bool CorrectionDialog::OpenEditor(DialogWindow& dialog, Section section) {
  const WindowId owner = dialog.Handle();
  switch (section) {
    case Section::InputCurve: return EditToneCurve(owner, working_.inputCurves, kInputCurves) == 1;
    case Section::OutputCurve: return EditToneCurve(owner, working_.outputCurves, kOutputCurves) == 1;
    case Section::Mtf: {
      char folder[kMaxPath] = "";
      GetModuleFolder(folder);
      const bool ok = RunMtfDialog(owner, folder, working_.mtfName, &working_.mtf) == 1;
      if (ok) ShowMtfName(dialog);
      return ok;
    }
    case Section::Icc: {
      const bool ok = RunIccDialog(owner, working_.inputProfilePath, working_.outputProfilePath,
                                   &working_.intent) == 1;
      if (ok) ShowProfileNames(dialog);
      return ok;
    }
  }
  return false;
}

void CorrectionDialog::ShowProfileNames(DialogWindow& dialog) {
  char path[kMaxPath];
  CopyPathField(path, working_.inputProfilePath);
  dialog.SetItemText(res::kCoInputProfileName, PathFileName(path));
  CopyPathField(path, working_.outputProfilePath);
  dialog.SetItemText(res::kCoOutputProfileName, PathFileName(path));
}

void CorrectionDialog::ShowMtfName(DialogWindow& dialog) {
  char path[kMaxPath];
  CopyPathField(path, working_.mtfName);
  dialog.SetItemText(res::kCoMtfName, path[0] == '\0' ? "CUSTOM" : PathFileName(path));
}

void CorrectionDialog::Confirm(DialogWindow& dialog) {
  if (working_.iccEnabled == 1) {
    char input[kMaxPath];
    char output[kMaxPath];
    CopyPathField(input, working_.inputProfilePath);
    CopyPathField(output, working_.outputProfilePath);
    if (!ProfileUsable(input) || !ProfileUsable(output)) {
      ShowStopMessage(0, "Ignore ICC Profile setting.", kCaptionColormatching);
      return;
    }
  }
  dialog.End(1);
}

}  // namespace

DialogOutcome ShowCorrectionDialog(WindowId owner, K7730_SettingsBlock& settings) {
  auto* working = static_cast<K7730_SettingsBlock*>(platform::Allocate(sizeof(K7730_SettingsBlock)));
  if (working == nullptr) return DialogOutcome::OutOfMemory;
  std::memcpy(working, &settings, sizeof settings);
  CorrectionDialog procedure(*working);
  const int result = CurrentUiPlatform().RunDialog(res::kCorrectionDialog, owner, procedure);
  if (result == 1) std::memcpy(&settings, working, sizeof settings);
  platform::Release(working);
  if (result == kDialogFailed) return DialogOutcome::Unavailable;
  return result == 1 ? DialogOutcome::Confirmed : DialogOutcome::Cancelled;
}

int RunCorrectionDialog(WindowId owner, K7730_SettingsBlock& settings, std::uint16_t* err) {
  const DialogOutcome outcome = ShowCorrectionDialog(owner, settings);
  if (err != nullptr) *err = outcome == DialogOutcome::OutOfMemory ? K7730_ERR_NO_MEMORY : K7730_OK;
  return outcome == DialogOutcome::Confirmed ? 1 : 0;
}

}  // namespace k7730::ui
