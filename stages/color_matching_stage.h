// The colour-matching stage: the page's ColorWorld and its use per band.
#pragma once

#include <cstdint>

#include "k7730fe.h"
#include "formats/tone_curve_set.h"

namespace k7730 {

// Disposes of the page's ColorWorld, if any, and sets the handle to 0.
void DisposePageColorWorld(std::uintptr_t& colorWorld);

// Builds the page's ColorWorld from the colour-matching settings with the
// output tables folded in. Returns the ErrorCode: 0 on success (the handle
// may still be 0 when nothing was built), otherwise 1006, 1005 or 1000.
std::uint16_t BuildPageColorWorld(const K7730_SettingsBlock& settings,
                                  const LutRecordSet& outputLuts, std::uintptr_t& colorWorld);

// Matches `pixels` 3-byte pixels from src into dst through the ColorWorld;
// dst may equal src.
void MatchBandPixels(std::uintptr_t colorWorld, std::uint8_t* dst, const std::uint8_t* src,
                     std::uint32_t width, std::uint32_t lines);

}  // namespace k7730
