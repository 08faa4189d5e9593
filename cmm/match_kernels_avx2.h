// Kernels for processors with AVX2; same results as the scalar kernels.
#pragma once

#include "cmm/match_kernels.h"

namespace k7730::cmm::avx2 {

// Null for an unknown kernel id. Call only where the processor has AVX2.
MatchKernel Kernel(std::uint32_t id);

}  // namespace k7730::cmm::avx2
