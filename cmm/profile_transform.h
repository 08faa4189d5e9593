// What ColorWorld construction decodes from one profile (source or
// destination side) and hands to the table builder.
#pragma once

#include <cstdint>

namespace k7730::cmm {

struct ProfileTransform {
  std::uint16_t inChannels = 0;
  std::uint8_t inputCurves[4][256] = {};
  std::uint16_t outChannels = 0;
  std::uint8_t outputCurves[4][256] = {};
  std::uint16_t gridPoints = 0;
  // One byte per entry in ICC order (first input slowest, outputs innermost);
  // points into the loaded element. Null on a matrix/TRC side.
  const std::uint8_t* clut = nullptr;
  // Matrix/TRC side only: rows X, Y, Z; columns the r, g, b colorants.
  double matrix[3][3] = {};
};

// Fills `curves[0..count-1]` with the identity.
void SetIdentityCurves(std::uint8_t (*curves)[256], int count);

}  // namespace k7730::cmm
