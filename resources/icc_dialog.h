// The colour-matching dialog "ICCSETUP".
#pragma once

#include "resources/dialog_template.h"

namespace k7730::res {

enum IccControl : int {
  kIcOk = 1,
  kIcCancel = 2,
  kIcInputProfileButton = 1100,
  kIcOutputProfileButton = 1101,
  kIcIntentFirst = 1102,  // radio of intent i: 1102 + i
  kIcIntentPerceptual = 1102,
  kIcIntentRelative = 1103,
  kIcIntentSaturation = 1104,
  kIcIntentAbsolute = 1105,
  kIcIntentLast = 1105,
  kIcInputProfileName = 1106,
  kIcOutputProfileName = 1107,
  kIcInputProfileNote = 1108,
  kIcOutputProfileNote = 1109,
};

inline constexpr ui::ControlTemplate kIccControls[] = {
    {kIcOk, ui::ControlKind::DefaultPushButton, "OK", {124, 248, 50, 14}},
    {kIcCancel, ui::ControlKind::PushButton, "Cancel", {181, 248, 50, 14}},
    {ui::kNoControlId, ui::ControlKind::GroupBox, "Input Profile", {7, 7, 224, 71}},
    {ui::kNoControlId, ui::ControlKind::RightText, "Input Profile:", {8, 20, 49, 8}},
    {kIcInputProfileName, ui::ControlKind::Text, "", {65, 20, 117, 8}},
    {kIcInputProfileNote, ui::ControlKind::Text, "(Image Source: Scanner, Monitor, Printing Press)",
     {19, 35, 163, 8}},
    {kIcInputProfileButton, ui::ControlKind::PushButton, "Set Profile...", {150, 58, 73, 14}},
    {ui::kNoControlId, ui::ControlKind::GroupBox, "Output Profile", {7, 87, 224, 71}},
    {ui::kNoControlId, ui::ControlKind::RightText, "Output Profile:", {8, 99, 49, 8}},
    {kIcOutputProfileName, ui::ControlKind::Text, "", {64, 99, 117, 8}},
    {kIcOutputProfileNote, ui::ControlKind::Text, "(Printer)", {15, 115, 166, 8}},
    {kIcOutputProfileButton, ui::ControlKind::PushButton, "Set Profile...", {151, 138, 73, 14}},
    {ui::kNoControlId, ui::ControlKind::GroupBox, "Rendering Intent", {7, 167, 224, 72}},
    {kIcIntentPerceptual, ui::ControlKind::RadioButton, "Perceptual (Photographic)", {17, 181, 137, 10}},
    {kIcIntentRelative, ui::ControlKind::RadioButton, "Relative Colorimetric (Digital Proofing)",
     {17, 193, 135, 10}},
    {kIcIntentSaturation, ui::ControlKind::RadioButton, "Saturation (CG, Logo Colors)",
     {17, 205, 135, 10}},
    {kIcIntentAbsolute, ui::ControlKind::RadioButton, "Digital Proofing (Absolute Colorimetric)",
     {17, 217, 135, 10}, ui::kStyleHidden | ui::kStyleDisabled},
};

inline constexpr ui::DialogTemplate kIccDialog{
    "ICCSETUP", "Color Matching", "MS Sans Serif", 8, {0, 0, 238, 269}, kIccControls};

}  // namespace k7730::res
