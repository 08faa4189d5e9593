#include "cmm/pcs_math.h"

#include <cmath>

namespace k7730::cmm {
namespace {

constexpr double kEpsilon = 0.008856;
constexpr double kKappa = 903.3;

double LabF(double t) { return t > kEpsilon ? std::pow(t, 1.0 / 3.0) : 7.787 * t + 16.0 / 116.0; }

double LabFInverse(double f) {
  return f > 0.2068927064827586 ? f * f * f : (f - 16.0 / 116.0) / 7.787;
}

}  // namespace

void XyzToLab(const double xyz[3], const double white[3], double lab[3]) {
  double x = xyz[0] / white[0];
  double y = xyz[1] / white[1];
  double z = xyz[2] / white[2];
  double fx = LabF(x), fy = LabF(y), fz = LabF(z);
  lab[0] = y > kEpsilon ? 116.0 * fy - 16.0 : kKappa * y;
  lab[1] = 500.0 * (fx - fy);
  lab[2] = 200.0 * (fy - fz);
}

void LabToXyz(const double lab[3], const double white[3], double xyz[3]) {
  double y, fy;
  if (lab[0] > 7.9996248) {
    fy = (lab[0] + 16.0) / 116.0;
    y = fy * fy * fy;
  } else {
    y = lab[0] / kKappa;
    fy = 7.787 * y + 16.0 / 116.0;
  }
  double fx = lab[1] / 500.0 + fy;
  double fz = fy - lab[2] / 200.0;
  xyz[0] = LabFInverse(fx) * white[0];
  xyz[1] = y * white[1];
  xyz[2] = LabFInverse(fz) * white[2];
}

bool InvertMatrix3(double m[3][3]) {
  for (int p = 0; p < 3; ++p) {
    double q = m[p][p];
    if (q == 0.0 || !std::isfinite(q)) return false;
    for (int c = 0; c < 3; ++c) m[p][c] /= q;
    m[p][p] = 1.0 / q;
    for (int r = 0; r < 3; ++r) {
      if (r == p) continue;
      double f = m[r][p];
      for (int c = 0; c < 3; ++c)
        if (c != p) m[r][c] -= f * m[p][c];
      m[r][p] = -f / q;
    }
  }
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      if (!std::isfinite(m[r][c])) return false;
  return true;
}

}  // namespace k7730::cmm
