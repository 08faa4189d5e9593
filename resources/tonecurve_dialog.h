// The tone-curve editor's dialog "TONECURVE".
#pragma once

#include "resources/dialog_template.h"

namespace k7730::res {

using ui::ControlKind;
using ui::ControlTemplate;
using ui::DialogTemplate;

enum ToneCurveControl : int {
  kTcOk = 1,
  kTcCancel = 2,
  kTcCopy = 1200,
  kTcPaste = 1201,
  kTcChannelList = 1202,
  kTcGammaBox = 1203,
  kTcGammaTool = 1204,
  kTcFreeHandTool = 1205,
  kTcPointsTool = 1206,
  kTcInputBarSize = 1207,
  kTcOutputBarSize = 1208,
  kTcPointsRadio = 1209,
  kTcFreeHandRadio = 1210,
  kTcGammaRadio = 1211,
  kTcLoad = 1212,
  kTcSave = 1213,
  kTcReset = 1214,
  kTcAreaFrame = 1215,
  kTcInputBar = 1216,
  kTcOutputBar = 1217,
  kTcSeparator1 = 1218,
  kTcSeparator2 = 1219,
  kTcSeparator3 = 1220,
  kTcInputReadout = 1221,
  kTcOutputReadout = 1222,
};

// Bitmaps of the tool buttons (normal, then inverted for the active tool)
// and of the two gradient bars.
enum ToneCurveBitmap : int {
  kBmpGamma = 140,
  kBmpGammaActive = 141,
  kBmpPencil = 142,
  kBmpPencilActive = 143,
  kBmpCurve = 144,
  kBmpCurveActive = 145,
  kBmpRampWhiteToBlack = 146,  // horizontal, 256 x 12
  kBmpRampBlackToWhite = 149,
  kBmpRampBlackTopDown = 147,  // vertical, 12 x 256
  kBmpRampWhiteTopDown = 148,
};

inline constexpr std::uint32_t kFlatOwnerDraw = ui::kStyleFlat;
inline constexpr std::uint32_t kHiddenDisabled = ui::kStyleHidden | ui::kStyleDisabled;

inline constexpr ControlTemplate kToneCurveControls[] = {
    {kTcOk, ControlKind::PushButton, "OK", {175, 130, 50, 14}},
    {kTcCancel, ControlKind::PushButton, "Cancel", {175, 147, 50, 14}},
    {kTcChannelList, ControlKind::DropDownList, "", {175, 6, 50, 72}},
    {kTcCopy, ControlKind::PushButton, "Copy", {175, 29, 50, 14}},
    {kTcPaste, ControlKind::PushButton, "Paste", {175, 46, 50, 14}},
    {kTcReset, ControlKind::PushButton, "Reset", {175, 63, 50, 14}},
    {kTcLoad, ControlKind::PushButton, "Load...", {175, 88, 50, 14}},
    {kTcSave, ControlKind::PushButton, "Save...", {175, 105, 50, 14}},
    {kTcPointsTool, ControlKind::OwnerDrawButton, "", {10, 5, 16, 14}, kFlatOwnerDraw},
    {kTcFreeHandTool, ControlKind::OwnerDrawButton, "", {30, 5, 16, 14}, kFlatOwnerDraw},
    {kTcGammaTool, ControlKind::OwnerDrawButton, "", {50, 5, 16, 14}, kFlatOwnerDraw},
    {kTcGammaBox, ControlKind::Edit, "", {69, 5, 28, 14}, ui::kStyleBorder | ui::kStyleAutoHScroll},
    {kTcPointsRadio, ControlKind::RadioButton, " ", {16, 190, 12, 8}, kHiddenDisabled},
    {kTcFreeHandRadio, ControlKind::RadioButton, " ", {49, 190, 12, 8}, kHiddenDisabled},
    {kTcGammaRadio, ControlKind::RadioButton, " ", {83, 190, 12, 8}, kHiddenDisabled},
    {kTcAreaFrame, ControlKind::BlackFrame, "", {10, 22, 160, 160}, ui::kStyleHidden},
    {kTcInputBar, ControlKind::OwnerDrawButton, "", {11, 183, 160, 8}, kFlatOwnerDraw},
    {kTcOutputBar, ControlKind::OwnerDrawButton, "", {1, 22, 8, 160}, kFlatOwnerDraw},
    {kTcInputBarSize, ControlKind::Bitmap, "", {75, 188, 146, 7}, ui::kStyleHidden, kBmpRampWhiteToBlack},
    {kTcOutputBarSize, ControlKind::Bitmap, "", {159, 6, 7, 158}, ui::kStyleHidden, kBmpRampBlackTopDown},
    {kTcSeparator1, ControlKind::BlackFrame, "", {176, 25, 48, 1}},
    {kTcSeparator2, ControlKind::BlackFrame, "", {176, 82, 48, 1}},
    {kTcSeparator3, ControlKind::BlackFrame, "", {176, 124, 48, 1}},
    {kTcInputReadout, ControlKind::Text, "in:", {175, 166, 50, 8}},
    {kTcOutputReadout, ControlKind::Text, "out:", {175, 176, 50, 8}},
};

// The caption is replaced when the dialog starts.
inline constexpr DialogTemplate kToneCurveDialog{
    "TONECURVE", "Tone Curve", "MS Sans Serif", 8, {10, 22, 230, 199}, kToneCurveControls};

}  // namespace k7730::res
