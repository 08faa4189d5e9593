// Interleaved three-to-three kernels for processors with AVX-512 F, BW and VBMI;
// same results as the scalar kernels.
#pragma once

#include "cmm/match_kernels.h"

namespace k7730::cmm::avx512 {

// Null for the kernels this file does not provide. Call only where the
// processor has AVX-512 F, BW and VBMI.
MatchKernel Kernel(std::uint32_t id);

}  // namespace k7730::cmm::avx512
