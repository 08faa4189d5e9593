// Running the tone-curve editor: its start, its commands and its owner-drawn
// buttons.
#include "tonecurve/curve_editor.h"

#include "resources/string_table.h"
#include "resources/tonecurve_dialog.h"
#include "tonecurve/curve_editor_dialog.h"
#include "formats/curve_reset.h"
#include "window/cursor_table.h"
#include "window/message_box.h"

namespace k7730 {
namespace {

// The editor is modal: one drawing area serves every opening, and its last
// readout pair carries over like the rest of its binding.
CurveArea& TheArea() {
  static CurveArea area;
  return area;
}

}  // namespace

int RunToneCurveEditor(ui::WindowId owner, ToneCurveSet& set, int direction) {
  ui::UiPlatform& platform = ui::CurrentUiPlatform();
  const ui::CursorId previousCursor = platform.CurrentCursor();
  ui::LoadEditorCursors();
  ToneCurveEditor editor(set, direction == kOutputCurves ? kOutputCurves : kInputCurves, TheArea());
  const int result = platform.RunDialog(res::kToneCurveDialog, owner, editor);
  ui::ReleaseEditorCursors();
  platform.SetCurrentCursor(previousCursor);
  return result;
}

int EditToneCurve(ui::WindowId owner, ToneCurveSet& set, int direction) {
  return RunToneCurveEditor(owner, set, direction) == 1 ? 1 : 0;
}

void ToneCurveEditor::Init(ui::DialogWindow& dialog) {
  dialog.SetCaption(direction_ == kOutputCurves ? ui::kCaptionOutputToneCurve
                                                : ui::kCaptionInputToneCurve);
  working_ = callerSet_;
  if (working_.polarity != kPolarityLevels && working_.polarity != kPolarityInk) {
    working_.polarity = direction_ == kOutputCurves ? kPolarityInk : kPolarityLevels;
  }
  channel_ = 0;
  LayOut(dialog);
  area_.ClearReadouts();
  FillChannelList(dialog);
  CheckModeRadio(dialog);
  RefreshGammaBox(dialog);
  AttachCurrent();
  dialog.EnableItem(res::kTcPaste, false);
  RedrawBars(dialog);
  RedrawTools(dialog);
}

void ToneCurveEditor::FillChannelList(ui::DialogWindow& dialog) {
  const int first = direction_ == kOutputCurves ? res::kOutputChannelNames : res::kInputChannelNames;
  ui::UiPlatform& platform = ui::CurrentUiPlatform();
  dialog.ComboReset(res::kTcChannelList);
  for (int k = 0; k < 4; ++k) {
    char name[32] = "";
    platform.LoadString(first + k, name, sizeof name);
    dialog.ComboAdd(res::kTcChannelList, name);
  }
  dialog.ComboSelect(res::kTcChannelList, 0);
}

void ToneCurveEditor::Command(ui::DialogWindow& dialog, int id, int notification) {
  switch (id) {
    case res::kTcOk:
      callerSet_ = working_;
      dialog.End(1);
      return;
    case res::kTcCancel: dialog.End(2); return;
    case res::kTcCopy: CopyChannel(dialog); return;
    case res::kTcPaste: PasteChannel(dialog); return;
    case res::kTcChannelList:
      if (notification == ui::kCbnSelEndOk) ChooseChannel(dialog);
      return;
    case res::kTcGammaBox: GammaTyped(dialog); return;
    case res::kTcGammaTool:
    case res::kTcGammaRadio: ChangeMode(dialog, kModeGamma); return;
    case res::kTcFreeHandTool:
    case res::kTcFreeHandRadio: ChangeMode(dialog, kModeFreeHand); return;
    case res::kTcPointsTool:
    case res::kTcPointsRadio: ChangeMode(dialog, kModePoints); return;
    case res::kTcLoad: LoadFile(dialog); return;
    case res::kTcSave: SaveFile(dialog); return;
    case res::kTcReset:
      ResetCurveChannel(working_, channel_);
      FullRefresh(dialog);
      return;
    case res::kTcInputBar: SwitchPolarity(dialog); return;
    default: return;
  }
}

int ToneCurveEditor::DrawItem(ui::DialogWindow&, int id) {
  const bool levels = working_.polarity == kPolarityLevels;
  switch (id) {
    case res::kTcGammaTool: return Mode() == kModeGamma ? res::kBmpGammaActive : res::kBmpGamma;
    case res::kTcFreeHandTool:
      return Mode() == kModeFreeHand ? res::kBmpPencilActive : res::kBmpPencil;
    case res::kTcPointsTool: return Mode() == kModePoints ? res::kBmpCurveActive : res::kBmpCurve;
    case res::kTcInputBar: return levels ? res::kBmpRampBlackToWhite : res::kBmpRampWhiteToBlack;
    case res::kTcOutputBar: return levels ? res::kBmpRampWhiteTopDown : res::kBmpRampBlackTopDown;
    default: return 0;
  }
}

void ToneCurveEditor::Destroy(ui::DialogWindow&) { area_.Destroy(); }

}  // namespace k7730
