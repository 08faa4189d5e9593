// The MTF dialog "MTFSETUP2".
#pragma once

#include "resources/dialog_template.h"

namespace k7730::res {

enum MtfControl : int {
  kMfOk = 1,
  kMfCancel = 2,
  kMfDefault = 1000,
  kMfLoad = 1001,
  kMfSave = 1002,
  kMfFileName = 1003,
  kMfNameLabel = 1004,
  kMfScale = 1005,
  kMfFirstCoefficient = 1006,  // the edit of coefficient i: 1006 + i
};

inline constexpr std::uint32_t kMtfEditStyle =
    ui::kStyleBorder | ui::kStyleAutoHScroll | ui::kStyleTabStop;
// The outer ring of the 5 x 5 kernel: carried in hidden fields.
inline constexpr std::uint32_t kMtfRingStyle = kMtfEditStyle | ui::kStyleHidden | ui::kStyleDisabled;

// Edit of coefficient i of the 5 x 5 kernel: the centre 3 x 3 sits in a
// grid of columns x 10, 43, 77 and rows y 17, 35, 51; the ring is hidden.
constexpr ui::ControlTemplate MtfCoefficientEdit(int i) {
  constexpr int kColumns[] = {10, 43, 77};
  constexpr int kRows[] = {17, 35, 51};
  const int row = i / 5;
  const int column = i % 5;
  const bool centre = row >= 1 && row <= 3 && column >= 1 && column <= 3;
  if (!centre) return {kMfFirstCoefficient + i, ui::ControlKind::Edit, "", {0, 0, 29, 14}, kMtfRingStyle};
  return {kMfFirstCoefficient + i, ui::ControlKind::Edit, "",
          {kColumns[column - 1], kRows[row - 1], 29, 14}, kMtfEditStyle};
}

inline constexpr ui::ControlTemplate kMtfControls[] = {
    {kMfOk, ui::ControlKind::DefaultPushButton, "OK", {173, 86, 50, 14}},
    {kMfCancel, ui::ControlKind::PushButton, "Cancel", {173, 105, 50, 14}},
    {kMfDefault, ui::ControlKind::PushButton, "Default", {173, 12, 50, 14}},
    {kMfLoad, ui::ControlKind::PushButton, "Load...", {173, 30, 50, 14}},
    {kMfSave, ui::ControlKind::PushButton, "Save...", {173, 48, 50, 14}},
    MtfCoefficientEdit(0), MtfCoefficientEdit(1), MtfCoefficientEdit(2), MtfCoefficientEdit(3),
    MtfCoefficientEdit(4), MtfCoefficientEdit(5), MtfCoefficientEdit(6), MtfCoefficientEdit(7),
    MtfCoefficientEdit(8), MtfCoefficientEdit(9), MtfCoefficientEdit(10), MtfCoefficientEdit(11),
    MtfCoefficientEdit(12), MtfCoefficientEdit(13), MtfCoefficientEdit(14), MtfCoefficientEdit(15),
    MtfCoefficientEdit(16), MtfCoefficientEdit(17), MtfCoefficientEdit(18), MtfCoefficientEdit(19),
    MtfCoefficientEdit(20), MtfCoefficientEdit(21), MtfCoefficientEdit(22), MtfCoefficientEdit(23),
    MtfCoefficientEdit(24),
    {kMfScale, ui::ControlKind::Edit, "", {130, 67, 35, 14}, kMtfEditStyle},
    {ui::kNoControlId, ui::ControlKind::Text, "Scale:", {97, 70, 31, 8}},
    {kMfNameLabel, ui::ControlKind::Text, "Name:", {10, 89, 159, 8}},
    {kMfFileName, ui::ControlKind::Text, "", {10, 102, 159, 8}},
};

inline constexpr ui::DialogTemplate kMtfDialog{
    "MTFSETUP2", "MTF", "MS Sans Serif", 8, {0, 0, 230, 127}, kMtfControls};

}  // namespace k7730::res
