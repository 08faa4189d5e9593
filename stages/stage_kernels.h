// The vector stage kernels of each instruction set (stage_kernels_inl.h
// compiled per set). Each handles the leading part of its work that whole
// vectors cover and returns how much it did; the caller runs the plain code
// over the rest. Call a set's kernels only where the processor has the set;
// a set without a kernel returns 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "stages/mtf_taps.h"
#include "stages/table_stages.h"

#define K7730_DECLARE_STAGE_KERNELS                                                                           \
  /* MTF sums for kernels with 16-bit coefficients and a shift or multiply-and-shift normalisation: */        \
  /* samples done. */                                                                                         \
  std::size_t MtfVectorLine(const MtfState& state, const MtfTap* taps, int count, std::size_t samples,        \
                            std::uint8_t* out);                                                               \
  /* ApplyBandTables and ApplyChannelTables over whole blocks: pixels done. */                                \
  std::size_t BandTableBlocks(bool swap, std::uint8_t* band, std::uint8_t* out, std::size_t pixels,           \
                              const ChannelTables& bandTables, const ChannelTables& outTables);               \
  std::size_t ChannelTableBlocks(const ChannelTables& tables, std::uint8_t* dst, const std::uint8_t* src,     \
                                 std::size_t count);

namespace k7730::baseline {
K7730_DECLARE_STAGE_KERNELS
}
namespace k7730::avx2 {
K7730_DECLARE_STAGE_KERNELS
}
namespace k7730::avx512 {
K7730_DECLARE_STAGE_KERNELS
}
#undef K7730_DECLARE_STAGE_KERNELS
