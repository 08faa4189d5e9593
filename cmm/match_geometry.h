// Checks a caller's image descriptions against a ColorWorld before any
// byte is touched, and turns them into a MatchRun.
#pragma once

#include "cmm/color_world.h"
#include "cmm/match_kernels.h"
#include "k7730fe_cmm.h"

namespace k7730::cmm {

enum class RunCheck {
  Refused,  // the descriptions do not fit the ColorWorld or cannot be safe
  Empty,    // nothing to do: width or height 0
  Ready,    // `run` describes the work
};

// Without a destination the results go over the source: same rows, same
// skips, the first planes in order. A four-to-three run in place on padded
// rows therefore keeps the source's row padding: output row y starts
// y * (rowBytes - width) bytes into the buffer, which with packed rows is a
// packed run of 3-byte pixels, and never overtakes the reads.
RunCheck CheckPixelMaps(const ColorWorldHeader& world, const K7730_PixelMap* source,
                        const K7730_PixelMap* destination, MatchRun* run);
RunCheck CheckPlaneMaps(const ColorWorldHeader& world, const K7730_PlaneMap* source,
                        const K7730_PlaneMap* destination, MatchRun* run);

}  // namespace k7730::cmm
