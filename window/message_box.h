// The module's user messages: a task-modal box with the stop icon and an OK
// button. Nothing is logged.
#pragma once

#include "window/ui_platform.h"

namespace k7730::ui {

inline constexpr const char* kCaptionMtf = "MTF";
inline constexpr const char* kCaptionColormatching = "Colormatching";
inline constexpr const char* kCaptionInputToneCurve = "Input Tone Curve";
inline constexpr const char* kCaptionOutputToneCurve = "Output Tone Curve";
inline constexpr const char* kCaptionWarning = "WARNING";

inline constexpr std::uint32_t kStopMessageStyle = kMbOk | kMbIconStop | kMbTaskModal;

// Shows `text` under `caption`; owner 0 means a box without owner.
void ShowStopMessage(WindowId owner, const char* text, const char* caption);

}  // namespace k7730::ui
