// The tone-curve editor's dialog procedure.
#pragma once

#include "tonecurve/curve_area.h"
#include "formats/tone_curve_set.h"
#include "window/ui_platform.h"

namespace k7730 {

// One channel held by Copy; it outlives the dialog.
struct ChannelClipboard {
  std::uint16_t mode = kModePoints;
  std::int16_t gammaHundredths = 100;
  std::int16_t pointCount = 0;
  ControlPoint points[kMaxCurvePoints] = {};
  std::uint8_t table[256] = {};
};

class ToneCurveEditor final : public ui::DialogProcedure {
 public:
  ToneCurveEditor(ToneCurveSet& callerSet, int direction, CurveArea& area)
      : callerSet_(callerSet), direction_(direction), area_(area) {}

  void Init(ui::DialogWindow& dialog) override;
  void Command(ui::DialogWindow& dialog, int id, int notification) override;
  int DrawItem(ui::DialogWindow& dialog, int id) override;
  void Destroy(ui::DialogWindow& dialog) override;

 private:
  // Initialisation.
  void LayOut(ui::DialogWindow& dialog);
  void FillChannelList(ui::DialogWindow& dialog);

  // Commands.
  void CopyChannel(ui::DialogWindow& dialog);
  void PasteChannel(ui::DialogWindow& dialog);
  void ChooseChannel(ui::DialogWindow& dialog);
  void LoadFile(ui::DialogWindow& dialog);
  void SaveFile(ui::DialogWindow& dialog);
  void GammaTyped(ui::DialogWindow& dialog);
  void ChangeMode(ui::DialogWindow& dialog, std::uint16_t mode);
  void SwitchPolarity(ui::DialogWindow& dialog);

  // Showing the current channel.
  void RefreshGammaBox(ui::DialogWindow& dialog);
  void CheckModeRadio(ui::DialogWindow& dialog);
  void AttachCurrent();
  void RedrawTools(ui::DialogWindow& dialog);
  void RedrawBars(ui::DialogWindow& dialog);
  void FullRefresh(ui::DialogWindow& dialog);
  void ClearPointer();
  void ShowStatus(ui::DialogWindow& dialog, int status);

  std::uint16_t Mode() const { return working_.mode[channel_]; }
  void SetGammaTable(double gamma);

  ToneCurveSet& callerSet_;
  int direction_;
  CurveArea& area_;
  ToneCurveSet working_{};
  int channel_ = 0;
};

}  // namespace k7730
