#include "formats/gamma_table.h"

#include <cmath>

namespace k7730 {
namespace {

// (i / top)^gamma * top + 0.5, truncated and limited to 0..top; a result
// that is not a number gives top.
std::uint32_t RoundedPower(std::uint32_t i, double gamma, std::uint32_t top) {
  const double v = std::pow(i / static_cast<double>(top), gamma) * top + 0.5;
  if (!(v < top + 1.0)) return top;  // also catches NaN
  if (v < 0.0) return 0;
  return static_cast<std::uint32_t>(v);
}

std::uint8_t RoundedPower8(int i, double gamma) {
  return static_cast<std::uint8_t>(RoundedPower(static_cast<std::uint32_t>(i), gamma, 255));
}

}  // namespace

void ComputeGammaTable(double gamma, std::uint8_t table[256]) {
  if (table == nullptr) return;
  table[0] = 0;
  for (int i = 1; i < 256; ++i) table[i] = RoundedPower8(i, gamma);
}

void GammaTablePlainPower(double gamma, std::uint8_t table[256]) {
  if (table == nullptr) return;
  for (int i = 0; i < 256; ++i) table[i] = RoundedPower8(i, gamma);
}

void GammaTable16PlainPower(double gamma, std::uint32_t table[kGammaTable16Entries]) {
  if (table == nullptr) return;
  for (std::uint32_t v = 0; v < kGammaTable16Entries; ++v) table[v] = RoundedPower(v, gamma, 65535);
}

}  // namespace k7730
