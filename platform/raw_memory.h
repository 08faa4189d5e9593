// The system's zero-filled allocation underneath the block allocator.
#pragma once

#include <cstddef>

namespace k7730::platform::detail {

void* RawAllocateZeroed(std::size_t bytes);
void RawRelease(void* block);

}  // namespace k7730::platform::detail
