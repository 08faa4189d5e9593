// The correction dialog "CORRECT_UI".
#pragma once

#include "resources/dialog_template.h"

namespace k7730::res {

enum CorrectionControl : int {
  kCoOk = 1,
  kCoCancel = 2,
  kCoOutputCurveCheck = 1300,
  kCoInputCurveButton = 1301,
  kCoOutputCurveButton = 1302,
  kCoInputCurveCheck = 1303,
  kCoIccCheck = 1304,
  kCoIccButton = 1305,
  kCoInputProfileName = 1306,
  kCoOutputProfileName = 1307,
  kCoInputProfileLabel = 1308,
  kCoOutputProfileLabel = 1309,
  kCoInputCurveNote = 1310,
  kCoOutputCurveNote = 1311,
  kCoMtfButton = 1312,
  kCoMtfCheck = 1313,
  kCoMtfLabel = 1314,
  kCoMtfName = 1315,
};

inline constexpr ui::ControlTemplate kCorrectionControls[] = {
    {ui::kNoControlId, ui::ControlKind::Frame, "", {4, 6, 194, 37}},
    {kCoInputCurveCheck, ui::ControlKind::CheckBox, "Input Tone Curve", {8, 10, 90, 12}},
    {kCoInputCurveButton, ui::ControlKind::PushButton, "Set Tone Curve...", {102, 10, 92, 14}},
    {kCoInputCurveNote, ui::ControlKind::Text, "(Image Adjustment, Gamma Correction)", {15, 28, 169, 8}},
    {ui::kNoControlId, ui::ControlKind::Frame, "", {4, 44, 194, 37}},
    {kCoMtfCheck, ui::ControlKind::AutoCheckBox, "MTF Filter", {8, 49, 87, 10}},
    {kCoMtfButton, ui::ControlKind::PushButton, "Set Filter...", {102, 48, 91, 14}},
    {kCoMtfLabel, ui::ControlKind::RightText, "Filter:", {17, 67, 38, 8}},
    {kCoMtfName, ui::ControlKind::Text, "", {57, 67, 137, 8}},
    {ui::kNoControlId, ui::ControlKind::Frame, "", {4, 83, 194, 57}},
    {kCoIccCheck, ui::ControlKind::CheckBox, "Color Matching", {8, 87, 88, 12}},
    {kCoIccButton, ui::ControlKind::PushButton, "Set ICC Profile...", {102, 87, 91, 14}},
    {kCoInputProfileLabel, ui::ControlKind::RightText, "Input Profile :", {11, 108, 68, 8}},
    {kCoInputProfileName, ui::ControlKind::Text, "", {83, 108, 109, 8}},
    {kCoOutputProfileLabel, ui::ControlKind::RightText, "Output Profile :", {11, 122, 68, 8}},
    {kCoOutputProfileName, ui::ControlKind::Text, "", {83, 122, 109, 8}},
    {ui::kNoControlId, ui::ControlKind::Frame, "", {4, 142, 194, 37}},
    {kCoOutputCurveCheck, ui::ControlKind::CheckBox, "Output Tone Curve", {8, 148, 88, 10}},
    {kCoOutputCurveButton, ui::ControlKind::PushButton, "Set Tone Curve...", {102, 146, 91, 14}},
    {kCoOutputCurveNote, ui::ControlKind::Text, "(Printer Adjustment, Gray Balance)", {15, 165, 177, 8}},
    {kCoOk, ui::ControlKind::PushButton, "OK", {88, 191, 50, 14}},
    {kCoCancel, ui::ControlKind::PushButton, "Cancel", {144, 191, 50, 14}},
};

inline constexpr ui::DialogTemplate kCorrectionDialog{
    "CORRECT_UI", "Correction", "MS Sans Serif", 8, {0, 0, 203, 213}, kCorrectionControls};

}  // namespace k7730::res
