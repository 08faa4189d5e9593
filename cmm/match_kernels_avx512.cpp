// The vector matching kernels for processors with AVX-512 F, BW and VBMI:
// sixteen pixels a block. The dispatcher calls them only where the
// processor has all three.
#include <cstring>

#include "cmm/instruction_set_target.h"
#include "cmm/match_kernels.h"
#include "cmm/match_pixel.h"
#include "cmm/match_tables.h"

#if K7730_HAVE_X86_KERNELS
#include <immintrin.h>

K7730_TARGET_BEGIN("avx512f,avx512bw,avx512vbmi")
namespace k7730::cmm::avx512 {
#define K7730_LANES 16
#define K7730_USE_AVX512 1
#define K7730_FASTEST_PATH OneByOne
#include "cmm/match_kernels_inl.h"
}  // namespace k7730::cmm::avx512
K7730_TARGET_END
#else
namespace k7730::cmm::avx512 {
MatchKernel VectorKernel(std::uint32_t, MatchPath) { return nullptr; }
}  // namespace k7730::cmm::avx512
#endif
