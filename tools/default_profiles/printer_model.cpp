#include "printer_model.h"

#include <algorithm>
#include <cmath>

namespace k7730::profiles {

namespace {

// Bands to XYZ (D50): the primaries of a wide-gamut RGB, so that the dyes'
// own colours reach beyond sRGB in cyan, green and yellow.
constexpr double kBandToXyz[3][3] = {{0.6097559, 0.2052401, 0.1492240},
                                     {0.3111242, 0.6256560, 0.0632197},
                                     {0.0194811, 0.0608902, 0.7448387}};
constexpr double kD50[3] = {0.9642, 1.0, 0.8249};
constexpr double kSurface = 0.006;     // light reflected before it reaches the dyes
constexpr double kToneExponent = 1.2;  // dye transfer: effective amount = amount^1.2
constexpr double kNeutralDensity = 2.2;
constexpr double kDarkRolloff = 30.0;  // L* units above the black over which chroma is eased in

// Unwanted absorptions of real dyes, per dye: red, green, blue band.
constexpr double kAbsorption[3][3] = {{1.00, 0.32, 0.10}, {0.10, 1.00, 0.30}, {0.02, 0.12, 1.00}};
// A slight cast of the printer at equal amounts, as real machines have.
constexpr double kDyeStrength[3] = {1.00, 0.975, 1.03};

using Mat3 = std::array<Vec3, 3>;

Mat3 Invert(const Mat3& m) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  Mat3 r{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const int a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
      r[i][j] = (m[a][c] * m[b][d] - m[a][d] * m[b][c]) / det;
    }
  }
  return r;
}

double LabF(double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; }
double LabFInv(double f) { return f > 0.2068930 ? f * f * f : (f - 16.0 / 116.0) / 7.787; }

Vec3 XyzToLab(const Vec3& xyz) {
  const double fx = LabF(xyz[0] / kD50[0]), fy = LabF(xyz[1] / kD50[1]), fz = LabF(xyz[2] / kD50[2]);
  return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

Vec3 LabToXyz(const Vec3& lab) {
  const double fy = (lab[0] + 16.0) / 116.0;
  return {kD50[0] * LabFInv(fy + lab[1] / 500.0), kD50[1] * LabFInv(fy), kD50[2] * LabFInv(fy - lab[2] / 200.0)};
}

}  // namespace

PrinterModel::PrinterModel() {
  // Choose each dye's full density so that equal amounts print neutral at
  // kNeutralDensity, then give the dyes their slight cast.
  Mat3 transposed{};
  for (int dye = 0; dye < 3; ++dye) {
    for (int band = 0; band < 3; ++band) transposed[band][dye] = kAbsorption[dye][band];
  }
  const Mat3 inv = Invert(transposed);
  for (int dye = 0; dye < 3; ++dye) {
    double full = 0;
    for (int band = 0; band < 3; ++band) full += inv[dye][band] * kNeutralDensity;
    for (int band = 0; band < 3; ++band) density_[dye][band] = full * kDyeStrength[dye] * kAbsorption[dye][band];
  }
  Mat3 bandsFromAmounts{};
  for (int band = 0; band < 3; ++band) {
    for (int dye = 0; dye < 3; ++dye) bandsFromAmounts[band][dye] = density_[dye][band];
  }
  densityInv_ = Invert(bandsFromAmounts);
  black_ = DeviceToLab({0, 0, 0});
  blackL_ = black_[0];
}

Vec3 PrinterModel::DeviceToLab(const Vec3& rgb) const {
  Vec3 amount{};
  for (int dye = 0; dye < 3; ++dye) amount[dye] = std::pow(1.0 - std::clamp(rgb[dye], 0.0, 1.0), kToneExponent);
  Vec3 reflectance{};
  for (int band = 0; band < 3; ++band) {
    double d = 0;
    for (int dye = 0; dye < 3; ++dye) d += density_[dye][band] * amount[dye];
    reflectance[band] = kSurface + (1.0 - kSurface) * std::pow(10.0, -d);
  }
  Vec3 xyz{};
  for (int i = 0; i < 3; ++i) {
    for (int band = 0; band < 3; ++band) xyz[i] += kBandToXyz[i][band] * reflectance[band];
  }
  return XyzToLab(xyz);
}

bool PrinterModel::AmountsFor(const Vec3& lab, Vec3* amounts) const {
  const Vec3 xyz = LabToXyz(lab);
  static const Mat3 xyzToBand = Invert({Vec3{kBandToXyz[0][0], kBandToXyz[0][1], kBandToXyz[0][2]},
                                        Vec3{kBandToXyz[1][0], kBandToXyz[1][1], kBandToXyz[1][2]},
                                        Vec3{kBandToXyz[2][0], kBandToXyz[2][1], kBandToXyz[2][2]}});
  Vec3 density{};
  bool reachable = true;
  for (int band = 0; band < 3; ++band) {
    double r = 0;
    for (int i = 0; i < 3; ++i) r += xyzToBand[band][i] * xyz[i];
    const double dyeLight = (r - kSurface) / (1.0 - kSurface);
    if (!(dyeLight > 1e-6) || dyeLight > 1.0) reachable = false;
    density[band] = -std::log10(std::clamp(dyeLight, 1e-6, 1.0));
  }
  for (int dye = 0; dye < 3; ++dye) {
    double amount = 0;
    for (int band = 0; band < 3; ++band) amount += densityInv_[dye][band] * density[band];
    (*amounts)[dye] = amount;
  }
  return reachable;
}

bool PrinterModel::InGamut(const Vec3& lab) const {
  constexpr double kSlack = 1e-9;
  Vec3 amounts{};
  if (!AmountsFor(lab, &amounts)) return false;
  for (double a : amounts) {
    if (a < -kSlack || a > 1.0 + kSlack) return false;
  }
  return true;
}

Vec3 PrinterModel::AnchorFor(const Vec3& lab) const {
  // The neutral of the same lightness, limited to the printer's range; over
  // the darkest 10 L* units it takes on the cast of the printer's black, so
  // that at the bottom it is that black itself.
  constexpr double kBlend = 10.0;
  const double l = std::clamp(lab[0], blackL_, 100.0);
  const double toBlack = std::max(0.0, 1.0 - (l - blackL_) / kBlend);
  return {l, black_[1] * toBlack, black_[2] * toBlack};
}

Vec3 PrinterModel::MapIntoGamut(const Vec3& input) const {
  const Vec3 anchor = AnchorFor(input);
  // Near its black the printer's gamut narrows to a point: there chroma is
  // eased toward the anchor, so that neighbouring dark colours of any hue
  // print as neighbouring near-blacks.
  const double t = std::clamp((input[0] - blackL_) / kDarkRolloff, 0.0, 1.0);
  const double keep = t * t * (3.0 - 2.0 * t);
  const Vec3 lab = {input[0], anchor[1] + keep * (input[1] - anchor[1]), anchor[2] + keep * (input[2] - anchor[2])};
  if (InGamut(lab)) return lab;
  auto along = [&](double s) {
    return Vec3{anchor[0] + s * (lab[0] - anchor[0]), anchor[1] + s * (lab[1] - anchor[1]),
                anchor[2] + s * (lab[2] - anchor[2])};
  };
  // Bisection for the last reachable point; the anchor itself may lie a
  // hair outside (the paper's white, the black's own rounding), which the
  // dye-by-dye limit in LabToDevice then absorbs.
  double inside = 0.0, outside = 1.0;
  for (int i = 0; i < 40; ++i) {
    const double mid = 0.5 * (inside + outside);
    (InGamut(along(mid)) ? inside : outside) = mid;
  }
  return along(inside);
}

Vec3 PrinterModel::LabToDevice(const Vec3& lab) const {
  Vec3 amounts{};
  AmountsFor(lab, &amounts);
  Vec3 rgb{};
  for (int dye = 0; dye < 3; ++dye) rgb[dye] = 1.0 - std::pow(std::clamp(amounts[dye], 0.0, 1.0), 1.0 / kToneExponent);
  return rgb;
}

Vec3 PerceptualToColorimetric(const Vec3& lab, double blackL) {
  // Black-point compression and a gentle chroma reduction, so that shadows
  // keep their detail and saturated colours are not clipped flat.
  const double scale = (100.0 - blackL) / 100.0;
  return {blackL + lab[0] * scale, lab[1] * 0.9, lab[2] * 0.9};
}

Vec3 ColorimetricToPerceptual(const Vec3& lab, double blackL) {
  const double scale = (100.0 - blackL) / 100.0;
  return {(lab[0] - blackL) / scale, lab[1] / 0.9, lab[2] / 0.9};
}

Vec3 SaturationToColorimetric(const Vec3& lab) { return {lab[0], lab[1] * 1.15, lab[2] * 1.15}; }

}  // namespace k7730::profiles
