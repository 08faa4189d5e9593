// The vector stage kernels for processors with AVX-512 F, BW and VBMI.
// GCC 12's AVX-512 header initialises its "undefined" vectors from
// themselves, which its own -Wmaybe-uninitialized reports at every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "cmm/instruction_set_target.h"
#include "stages/stage_kernels.h"

#if K7730_HAVE_X86_KERNELS
#include <immintrin.h>

K7730_TARGET_BEGIN("avx512f,avx512bw,avx512vbmi")
namespace k7730::avx512 {
#define K7730_USE_AVX512 1
#include "stages/stage_kernels_inl.h"
}  // namespace k7730::avx512
K7730_TARGET_END
#else
namespace k7730::avx512 {
std::size_t MtfVectorLine(const MtfState&, const MtfTap*, int, std::size_t, std::uint8_t*) { return 0; }
std::size_t BandTableBlocks(bool, std::uint8_t*, std::uint8_t*, std::size_t, const ChannelTables&,
                            const ChannelTables&) {
  return 0;
}
std::size_t ChannelTableBlocks(const ChannelTables&, std::uint8_t*, const std::uint8_t*, std::size_t) { return 0; }
}  // namespace k7730::avx512
#endif
