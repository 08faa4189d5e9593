// The editor's edits of the current channel and how it shows them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "resources/tonecurve_dialog.h"
#include "tonecurve/curve_editor_dialog.h"
#include "tonecurve/curve_file.h"
#include "formats/curve_table.h"
#include "formats/gamma_table.h"
#include "formats/polarity.h"
#include "window/cursor_table.h"
#include "formats/decimal_text.h"

namespace k7730 {
namespace {

// Module-wide: a channel copied in one opening can be pasted in a later
// one only after a Copy there.
ChannelClipboard g_clipboard;

int ValidCount(std::int16_t count) { return std::clamp<int>(count, 0, kMaxCurvePoints); }

// Hundredths of a typed gamma value, limited to what the record can hold.
std::int16_t GammaHundredths(double value) {
  const double hundredths = std::trunc((value + 0.005) * 100.0);
  return static_cast<std::int16_t>(std::clamp(hundredths, -32768.0, 32767.0));
}

constexpr int kPointsFromTable = 16;  // at inputs 0, 17, .., 255

}  // namespace

void ToneCurveEditor::CopyChannel(ui::DialogWindow& dialog) {
  const int c = channel_;
  const int count = ValidCount(working_.pointCount[c]);
  g_clipboard.mode = working_.mode[c];
  g_clipboard.gammaHundredths = working_.gammaHundredths[c];
  g_clipboard.pointCount = static_cast<std::int16_t>(count);
  std::copy_n(working_.points[c], count, g_clipboard.points);
  std::memcpy(g_clipboard.table, working_.tables[c], sizeof g_clipboard.table);
  dialog.EnableItem(res::kTcPaste, true);
}

void ToneCurveEditor::PasteChannel(ui::DialogWindow& dialog) {
  const int c = channel_;
  working_.mode[c] = g_clipboard.mode;
  working_.gammaHundredths[c] = g_clipboard.gammaHundredths;
  working_.pointCount[c] = g_clipboard.pointCount;
  std::copy_n(g_clipboard.points, ValidCount(g_clipboard.pointCount), working_.points[c]);
  std::memcpy(working_.tables[c], g_clipboard.table, sizeof g_clipboard.table);
  FullRefresh(dialog);
}

void ToneCurveEditor::ChooseChannel(ui::DialogWindow& dialog) {
  const int selection = dialog.ComboSelection(res::kTcChannelList);
  if (selection < 0 || selection > 3 || selection == channel_) return;
  channel_ = selection;
  FullRefresh(dialog);
}

void ToneCurveEditor::LoadFile(ui::DialogWindow& dialog) {
  ShowStatus(dialog, LoadCurveFile(working_));
  FullRefresh(dialog);
}

void ToneCurveEditor::SaveFile(ui::DialogWindow& dialog) {
  ShowStatus(dialog, SaveCurveFile(working_));
  ClearPointer();
}

void ToneCurveEditor::ShowStatus(ui::DialogWindow& dialog, int status) {
  if (status == kCurveFileOk) return;
  char caption[64] = "";
  dialog.GetCaption(caption, sizeof caption);
  ReportCurveFileStatus(status, caption);
}

void ToneCurveEditor::SetGammaTable(double gamma) {
  ComputeGammaTable(gamma, working_.tables[channel_]);
  // The gamma law acts on ink amounts in ink polarity.
  if (working_.polarity == kPolarityInk) ReverseInvertTable(working_.tables[channel_]);
}

void ToneCurveEditor::GammaTyped(ui::DialogWindow& dialog) {
  if (Mode() == kModeGamma) {
    char text[256] = "";
    dialog.GetItemText(res::kTcGammaBox, text, sizeof text);
    const double value = ParseLeadingNumber(text);
    working_.gammaHundredths[channel_] = GammaHundredths(value);
    // The table follows the value as typed, not its stored hundredths.
    SetGammaTable(value);
  }
  AttachCurrent();
}

void ToneCurveEditor::ChangeMode(ui::DialogWindow& dialog, std::uint16_t mode) {
  const std::uint16_t previous = Mode();
  working_.mode[channel_] = mode;
  CheckModeRadio(dialog);
  if (mode == previous) return;
  const int c = channel_;
  if (mode == kModeGamma) {
    working_.pointCount[c] = 0;
    SetGammaTable(working_.gammaHundredths[c] * 0.01);
    RefreshGammaBox(dialog);
  } else if (mode == kModeFreeHand) {
    working_.pointCount[c] = 0;
    dialog.EnableItem(res::kTcGammaBox, false);
  } else {
    working_.pointCount[c] = kPointsFromTable;
    for (int k = 0; k < kPointsFromTable; ++k) {
      working_.points[c][k].input = static_cast<std::uint16_t>(17 * k);
      working_.points[c][k].output = working_.tables[c][17 * k];
    }
    dialog.EnableItem(res::kTcGammaBox, false);
  }
  AttachCurrent();
  RedrawTools(dialog);
  ClearPointer();
}

void ToneCurveEditor::SwitchPolarity(ui::DialogWindow& dialog) {
  working_.polarity = working_.polarity == kPolarityLevels ? kPolarityInk : kPolarityLevels;
  for (int c = 0; c < kCurveChannels; ++c) {
    const int count = ValidCount(working_.pointCount[c]);
    if (working_.mode[c] == kModePoints && count >= 2) {
      FlipPoints(working_.points[c], count);
      ComputeCurveTable(working_.points[c], count, working_.tables[c]);
    } else {
      // Too few points to rebuild the table from: convert the table itself.
      if (working_.mode[c] == kModePoints) FlipPoints(working_.points[c], count);
      ReverseInvertTable(working_.tables[c]);
    }
  }
  AttachCurrent();
  RedrawBars(dialog);
  ClearPointer();
}

void ToneCurveEditor::RefreshGammaBox(ui::DialogWindow& dialog) {
  const int hundredths = working_.gammaHundredths[channel_];
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
  dialog.SetItemText(res::kTcGammaBox, text);
  if (Mode() != kModeGamma) {
    dialog.EnableItem(res::kTcGammaBox, false);
    return;
  }
  dialog.EnableItem(res::kTcGammaBox, true);
  dialog.SelectAllText(res::kTcGammaBox);
  dialog.FocusItem(res::kTcGammaBox);
}

void ToneCurveEditor::CheckModeRadio(ui::DialogWindow& dialog) {
  // A mode outside 1..3 (a foreign set) checks none of the three.
  dialog.CheckRadio(res::kTcPointsRadio, res::kTcGammaRadio, res::kTcPointsRadio - 1 + Mode());
}

void ToneCurveEditor::AttachCurrent() {
  const int c = channel_;
  area_.Attach({&working_.pointCount[c], working_.points[c], working_.tables[c], working_.mode[c],
                working_.polarity});
}

void ToneCurveEditor::RedrawTools(ui::DialogWindow& dialog) {
  dialog.RedrawItem(res::kTcPointsTool);
  dialog.RedrawItem(res::kTcFreeHandTool);
  dialog.RedrawItem(res::kTcGammaTool);
}

void ToneCurveEditor::RedrawBars(ui::DialogWindow& dialog) {
  dialog.RedrawItem(res::kTcInputBar);
  dialog.RedrawItem(res::kTcOutputBar);
}

void ToneCurveEditor::FullRefresh(ui::DialogWindow& dialog) {
  RefreshGammaBox(dialog);
  AttachCurrent();
  RedrawBars(dialog);
  RedrawTools(dialog);
  CheckModeRadio(dialog);
  ClearPointer();
}

void ToneCurveEditor::ClearPointer() {
  area_.ClearReadouts();
  ui::SelectCursor(ui::kCursorArrow);
}

}  // namespace k7730
