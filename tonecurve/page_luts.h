#pragma once

#include "k7730fe.h"
#include "formats/tone_curve_set.h"

namespace k7730 {

// Identity tables with both polarity words 1.
void ResetLutRecords(LutRecordSet& records);

// The page's ten tables from the settings: a direction's set when its switch
// is 1, identity otherwise; then all records normalised to levels.
void BuildPageLuts(const K7730_SettingsBlock& settings, LutRecordSet& inputLuts,
                   LutRecordSet& outputLuts);

}  // namespace k7730
