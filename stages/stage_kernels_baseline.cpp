// The vector stage kernels for every x86-64 processor (SSE2).
#include "cmm/instruction_set_target.h"
#include "stages/stage_kernels.h"

#if K7730_HAVE_X86_KERNELS
#include <immintrin.h>

namespace k7730::baseline {
#include "stages/stage_kernels_inl.h"
}  // namespace k7730::baseline
#else
namespace k7730::baseline {
std::size_t MtfVectorLine(const MtfState&, const MtfTap*, int, std::size_t, std::uint8_t*) { return 0; }
std::size_t BandTableBlocks(bool, std::uint8_t*, std::uint8_t*, std::size_t, const ChannelTables&,
                            const ChannelTables&) {
  return 0;
}
std::size_t ChannelTableBlocks(const ChannelTables&, std::uint8_t*, const std::uint8_t*, std::size_t) { return 0; }
}  // namespace k7730::baseline
#endif
