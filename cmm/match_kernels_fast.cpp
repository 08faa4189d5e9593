#include "cmm/match_kernels.h"

namespace k7730::cmm {

MatchKernel FastKernel(std::uint32_t id) { return ScalarKernel(id); }

}  // namespace k7730::cmm
