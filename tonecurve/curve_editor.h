// The tone-curve editor: the modal dialog "TONECURVE" in which the user
// edits the input or the output curves. It works on a copy of the set and
// writes it back only when the user presses OK.
#pragma once

#include "formats/tone_curve_set.h"
#include "window/ui_platform.h"

namespace k7730 {

enum CurveDirection : int { kInputCurves = 0, kOutputCurves = 1 };

// 1 when the user pressed OK (the set then holds the edited curves), else 0.
int EditToneCurve(ui::WindowId owner, ToneCurveSet& set, int direction);

// As EditToneCurve, with the dialog's own end result: 1 OK, 2 Cancel, or
// ui::kDialogFailed when the dialog could not be shown.
int RunToneCurveEditor(ui::WindowId owner, ToneCurveSet& set, int direction);

}  // namespace k7730
