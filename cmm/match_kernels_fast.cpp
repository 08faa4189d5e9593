// Chooses the fast kernels for this processor: the AVX2 ones where the
// compiler can build them and the processor has AVX2, the scalar ones
// elsewhere.
#include "cmm/match_kernels.h"

#if K7730_HAVE_AVX2_KERNELS
#include "cmm/match_kernels_avx2.h"
#endif

namespace k7730::cmm {

MatchKernel FastKernel(std::uint32_t id) {
#if K7730_HAVE_AVX2_KERNELS
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) return avx2::Kernel(id);
#endif
  return ScalarKernel(id);
}

}  // namespace k7730::cmm
