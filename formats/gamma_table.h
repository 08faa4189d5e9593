// Gamma curves as tables: entry i of n = (i / (n - 1))^gamma * (n - 1) + 0.5,
// truncated and limited to 0..n - 1. The 256-entry rules differ only at
// entry 0, and only for gammas of 0 or below.
#pragma once

#include <cstdint>

namespace k7730 {

// Entry 0 is always 0 (0^gamma taken as 0), as the tone-curve editor's gamma
// channels have it. A gamma that is not a number gives 255 elsewhere.
void ComputeGammaTable(double gamma, std::uint8_t table[256]);

// Entry 0 as the power gives it: 255 for a gamma of 0 or below (1, or
// infinite, times 255), 0 above; as the colour engine's gamma curve sets
// and its one-entry profile curves have it.
void GammaTablePlainPower(double gamma, std::uint8_t table[256]);

// The plain power over 16-bit values, 65536 entries of 0..65535: the colour
// engine's one-entry profile curves at full precision.
inline constexpr std::uint32_t kGammaTable16Entries = 65536;
void GammaTable16PlainPower(double gamma, std::uint32_t table[kGammaTable16Entries]);

}  // namespace k7730
