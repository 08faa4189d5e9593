// Samples the chain source device -> 8-bit Lab -> destination device into a
// ColorWorld block, with the input- and output-side curves in its header.
#pragma once

#include "cmm/color_world.h"
#include "cmm/profile_transform.h"
#include "cmm/wide_tables.h"
#include "k7730fe_cmm.h"

namespace k7730::cmm {

// `wide` is given exactly when the source is matrix/TRC based; its source
// curves are filled, and the builder adds the composites, the expanded
// caller curves and the 16-bit weights. Returns the filled block, or null
// when memory runs out, a matrix side has a non-positive white or a
// destination matrix cannot be inverted. The caller keeps `wide` either way.
ColorWorldHeader* BuildCombinedTable(const ProfileTransform& source, const K7730_CurveLutSet* inputCurves,
                                     const ProfileTransform& destination, const K7730_CurveLutSet* outputCurves,
                                     WideTables* wide);

// Matrix row sums: the XYZ of device white (1, 1, 1).
void MatrixWhite(const double m[3][3], double white[3]);

}  // namespace k7730::cmm
