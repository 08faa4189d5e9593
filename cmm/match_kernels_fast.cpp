// Chooses the fast kernels for this processor: the AVX-512 ones where they
// exist, else the AVX2 ones, where the compiler can build them and the
// processor has the instructions; the scalar ones elsewhere.
#include "cmm/match_kernels.h"

#include <initializer_list>

#if K7730_HAVE_AVX2_KERNELS
#include "cmm/match_kernels_avx2.h"
#include "cmm/match_kernels_avx512.h"
#endif

namespace k7730::cmm {

MatchKernel KernelFrom(KernelSet set, std::uint32_t id) {
  switch (set) {
    case KernelSet::Scalar: return ScalarKernel(id);
#if K7730_HAVE_AVX2_KERNELS
    case KernelSet::Avx2: {
      static const bool avx2 = __builtin_cpu_supports("avx2");
      return avx2 ? avx2::Kernel(id) : nullptr;
    }
    case KernelSet::Avx512: {
      static const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                 __builtin_cpu_supports("avx512vbmi");
      return avx512 ? avx512::Kernel(id) : nullptr;
    }
#endif
    default: return nullptr;
  }
}

MatchKernel FastKernel(std::uint32_t id) {
  for (KernelSet set : {KernelSet::Avx512, KernelSet::Avx2})
    if (MatchKernel k = KernelFrom(set, id)) return k;
  return ScalarKernel(id);
}

}  // namespace k7730::cmm
