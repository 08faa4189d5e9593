#pragma once

#include "formats/tone_curve_set.h"

namespace k7730 {

// Every channel a two-point identity curve; polarity levels.
void ResetCurveSet(ToneCurveSet& set);
// Every channel a free-hand identity table; polarity unchanged.
void ResetCurveSetForRawTables(ToneCurveSet& set);
// One channel back to the two-point identity; polarity unchanged.
// Channels outside 0..4 are ignored.
void ResetCurveChannel(ToneCurveSet& set, int channel);

void FillIdentityTable(std::uint8_t table[256]);

}  // namespace k7730
