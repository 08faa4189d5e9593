#pragma once

#include <cstdint>

#include "formats/tone_curve_set.h"

namespace k7730 {

// Fills a 256-entry table from control points: a straight line for two
// points, a natural cubic spline for more, flat beyond the end points.
// Leaves the table untouched when fewer than two points are given. Only the
// first kMaxCurvePoints points are ever read.
//
// Points that break the editor's invariants (inputs that do not rise
// strictly, coordinates outside 0..255) are first reduced to the strictly
// rising points inside 0..255, so nothing divides by zero and every entry
// stays in 0..255.
void ComputeCurveTable(const ControlPoint* points, int count, std::uint8_t table[256]);

}  // namespace k7730
