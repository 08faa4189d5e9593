#include <cstdlib>

#include "platform/raw_memory.h"

namespace k7730::platform::detail {

void* RawAllocateZeroed(std::size_t bytes) { return std::calloc(1, bytes); }

void RawRelease(void* block) { std::free(block); }

}  // namespace k7730::platform::detail
