// The MTF sharpening filter: a 3 x 3 or 5 x 5 integer convolution per
// channel over a page that streams through in bands, with a line delay of
// one or two lines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "k7730fe.h"
#include "stages/mtf_state.h"

namespace k7730 {

// Outer ring of the 5 x 5 grid: any non-zero coefficient there selects 5 x 5.
inline constexpr std::uint32_t kMtfOuterRingMask = 0x1F8C63F;

// Bytes of the seven line buffers for a line of `width` pixels, or 0 when
// that does not fit 32 bits.
std::uint64_t MtfLineBlockBytes(std::uint32_t width);

// Points the seven line pointers into `block` (7 x lineLength bytes).
void MtfAttachLines(MtfState& state, void* block, std::uint32_t width);

// Starts a page: copies the kernel and scale, chooses the mode and the
// normalisation, and restarts the line count. Keeps the line buffers.
void MtfStartPage(MtfState& state, const K7730_MtfSettings& settings, std::uint32_t width,
                  std::uint32_t height, std::uint16_t components);

// Takes `lineCount` lines of `band` and writes the lines it releases one
// after the other to `out`, which holds (lineCount + 2) lines; the rest of
// those lines is cleared to 0.
void MtfFilterBand(MtfState& state, std::uint32_t width, std::uint32_t lineCount,
                   std::uint8_t* out, const std::uint8_t* band, std::size_t* bytesReleased,
                   std::uint32_t* linesReleased);

}  // namespace k7730
