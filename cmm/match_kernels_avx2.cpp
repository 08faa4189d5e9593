// The vector matching kernels for processors with AVX2: eight pixels a
// block. The dispatcher calls them only where the processor has AVX2.
#include <cstring>

#include "cmm/instruction_set_target.h"
#include "cmm/match_kernels.h"
#include "cmm/match_pixel.h"
#include "cmm/match_tables.h"

#if K7730_HAVE_X86_KERNELS
#include <immintrin.h>

K7730_TARGET_BEGIN("avx2")
namespace k7730::cmm::avx2 {
#define K7730_LANES 8
#define K7730_USE_AVX2 1
#define K7730_FASTEST_PATH OneByOne
#include "cmm/match_kernels_inl.h"
}  // namespace k7730::cmm::avx2
K7730_TARGET_END
#else
namespace k7730::cmm::avx2 {
MatchKernel VectorKernel(std::uint32_t, MatchPath) { return nullptr; }
}  // namespace k7730::cmm::avx2
#endif
