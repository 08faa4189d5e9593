// The vector stage kernels for processors with AVX2.
#include "cmm/instruction_set_target.h"
#include "stages/stage_kernels.h"

#if K7730_HAVE_X86_KERNELS
#include <immintrin.h>

K7730_TARGET_BEGIN("avx2")
namespace k7730::avx2 {
#define K7730_USE_AVX2 1
#include "stages/stage_kernels_inl.h"
}  // namespace k7730::avx2
K7730_TARGET_END
#else
namespace k7730::avx2 {
std::size_t MtfVectorLine(const MtfState&, const MtfTap*, int, std::size_t, std::uint8_t*) { return 0; }
std::size_t BandTableBlocks(bool, std::uint8_t*, std::uint8_t*, std::size_t, const ChannelTables&,
                            const ChannelTables&) {
  return 0;
}
std::size_t ChannelTableBlocks(const ChannelTables&, std::uint8_t*, const std::uint8_t*, std::size_t) { return 0; }
}  // namespace k7730::avx2
#endif
