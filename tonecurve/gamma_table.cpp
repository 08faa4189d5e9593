#include "tonecurve/gamma_table.h"

#include <cmath>

namespace k7730 {
namespace {

std::uint8_t RoundedPower(int i, double gamma) {
  const double v = std::pow(i / 255.0, gamma) * 255.0 + 0.5;
  if (!(v < 256.0)) return 255;  // also catches NaN
  if (v < 0.0) return 0;
  return static_cast<std::uint8_t>(static_cast<int>(v));
}

}  // namespace

void ComputeGammaTable(double gamma, std::uint8_t table[256]) {
  if (table == nullptr) return;
  table[0] = 0;
  for (int i = 1; i < 256; ++i) table[i] = RoundedPower(i, gamma);
}

void GammaTablePlainPower(double gamma, std::uint8_t table[256]) {
  if (table == nullptr) return;
  for (int i = 0; i < 256; ++i) table[i] = RoundedPower(i, gamma);
}

}  // namespace k7730
