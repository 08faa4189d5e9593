// CIE conversions and the 3 x 3 matrix inverse used when the grid is sampled.
#pragma once

namespace k7730::cmm {

void XyzToLab(const double xyz[3], const double white[3], double lab[3]);
void LabToXyz(const double lab[3], const double white[3], double xyz[3]);
// Gauss-Jordan in place without pivoting. False, with the matrix in an
// unspecified state, when a pivot is zero or the result is not finite.
bool InvertMatrix3(double m[3][3]);

}  // namespace k7730::cmm
