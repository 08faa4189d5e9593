// Conversions between level polarity and ink polarity.
#pragma once

#include <cstdint>

#include "formats/tone_curve_set.h"

namespace k7730 {

// entry i becomes 255 - old entry (255 - i); its own inverse.
void ReverseInvertTable(std::uint8_t table[256]);

// Reverses the order of the valid points and mirrors each coordinate
// (v -> 255 - v): the same curve in the other polarity. Counts are clamped
// to the 20-point array.
void FlipPoints(ControlPoint* points, int count);

// Brings a record's table to the target polarities of its two axes; a
// polarity word either equals its target or differs from it.
void NormaliseLutRecord(LutRecord& record, std::uint16_t targetIn, std::uint16_t targetOut);

}  // namespace k7730
