// The vector matching kernels for every processor: four pixels a block,
// plain loads where the wider sets gather.
#include <cstring>

#include "cmm/instruction_set_target.h"
#include "cmm/match_kernels.h"
#include "cmm/match_pixel.h"
#include "cmm/match_tables.h"

namespace k7730::cmm::baseline {
#define K7730_LANES 4
#include "cmm/match_kernels_inl.h"
}  // namespace k7730::cmm::baseline
