// The settings dialogs on whatever window system the build has; one that
// cannot show a dialog makes every request unavailable.
#include "ui/settings_dialogs.h"

#include "platform/platform.h"
#include "tonecurve/curve_editor.h"
#include "ui/correction_dialog.h"
#include "ui/icc_dialog.h"
#include "ui/mtf_dialog.h"
#include "platform/path_utils.h"

namespace k7730::ui {
namespace {

DialogOutcome FromResult(int result) {
  if (result == kDialogFailed) return DialogOutcome::Unavailable;
  return result == 1 ? DialogOutcome::Confirmed : DialogOutcome::Cancelled;
}

WindowId OwnerWindow(void* owner) { return reinterpret_cast<WindowId>(owner); }

}  // namespace

DialogOutcome RunSettingsDialog(int selector, void* owner, K7730_SettingsBlock& settings) {
  switch (selector) {
    case K7730_DIALOG_CORRECTION:
      return ShowCorrectionDialog(OwnerWindow(owner), settings);
    case K7730_DIALOG_INPUT_CURVE:
      return FromResult(RunToneCurveEditor(OwnerWindow(owner), settings.inputCurves, kInputCurves));
    case K7730_DIALOG_OUTPUT_CURVE:
      return FromResult(RunToneCurveEditor(OwnerWindow(owner), settings.outputCurves, kOutputCurves));
    case K7730_DIALOG_COLOR_MATCHING:
      return FromResult(RunIccDialog(OwnerWindow(owner), settings.inputProfilePath,
                                     settings.outputProfilePath, &settings.intent));
    case K7730_DIALOG_MTF: {
      char folder[platform::kMaxPath] = "";
      GetModuleFolder(folder);
      return FromResult(ShowMtfDialog(OwnerWindow(owner), folder, settings.mtfName, &settings.mtf));
    }
    default:
      return DialogOutcome::Unavailable;
  }
}

}  // namespace k7730::ui
