// Gamma curves as 256-entry tables: entry i = (i / 255)^gamma * 255 + 0.5,
// truncated and limited to 0..255. The two rules differ only at entry 0,
// and only for gammas of 0 or below.
#pragma once

#include <cstdint>

namespace k7730 {

// Entry 0 is always 0 (0^gamma taken as 0), as the tone-curve editor's gamma
// channels have it. A gamma that is not a number gives 255 elsewhere.
void ComputeGammaTable(double gamma, std::uint8_t table[256]);

// Entry 0 as the power gives it: 255 for a gamma of 0 or below (1, or
// infinite, times 255), 0 above; as the colour engine's gamma curve sets
// have it.
void GammaTablePlainPower(double gamma, std::uint8_t table[256]);

}  // namespace k7730
