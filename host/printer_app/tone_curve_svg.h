// A tone-curve set drawn as an SVG picture: the finished table of each of
// its five channels as a line over a 256 x 256 grid.
#pragma once

#include <string>

#include "k7730fe.h"

namespace k7730::printer_app {

// `output` picks the channel names and colours of the printer adjustment
// (cyan, magenta, yellow) instead of the image adjustment (red, green, blue).
std::string ToneCurveSvg(const K7730_ToneCurveSet& set, bool output, const std::string& title);

}  // namespace k7730::printer_app
