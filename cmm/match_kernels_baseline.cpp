// The vector matching kernels for every processor: four pixels a block,
// plain loads where the wider sets gather.
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "cmm/instruction_set_target.h"
#include "cmm/match_kernels.h"
#include "cmm/match_pixel.h"
#include "cmm/match_tables.h"

namespace k7730::cmm::baseline {
#define K7730_LANES 4
#define K7730_FASTEST_PATH Blocks
#include "cmm/match_kernels_inl.h"
}  // namespace k7730::cmm::baseline
