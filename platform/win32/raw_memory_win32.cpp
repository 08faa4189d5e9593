// Movable, zero-filled global memory, locked at once; the locked address is
// what the module uses and hands out. Release finds the handle back from
// that address.
#include <windows.h>

#include "platform/raw_memory.h"

namespace k7730::platform::detail {
namespace {

constexpr UINT kMovableZeroed = GMEM_MOVEABLE | GMEM_ZEROINIT;  // 0x42
static_assert(kMovableZeroed == 0x42);

}  // namespace

void* RawAllocateZeroed(std::size_t bytes) {
  HGLOBAL handle = ::GlobalAlloc(kMovableZeroed, bytes);
  if (handle == nullptr) return nullptr;
  void* block = ::GlobalLock(handle);
  if (block == nullptr) ::GlobalFree(handle);
  return block;
}

// Only ever called with an address the block registry handed out, so
// GlobalHandle never sees a foreign pointer.
void RawRelease(void* block) {
  HGLOBAL handle = ::GlobalHandle(block);
  if (handle == nullptr) return;
  ::GlobalUnlock(handle);
  ::GlobalFree(handle);
}

}  // namespace k7730::platform::detail
