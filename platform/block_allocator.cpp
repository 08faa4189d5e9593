// Keeps a registry of the blocks handed out, so that a release by address
// can tell the module's own blocks from foreign or already released ones,
// and so that callers can learn the size a block was allocated with.
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/platform.h"
#include "platform/raw_memory.h"

namespace k7730::platform {
namespace {

struct Registry {
  std::mutex lock;
  std::unordered_map<const void*, std::size_t> blocks;
#if K7730_TEST_HOOKS
  long failAfter = -1;
#endif
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void* Allocate(std::size_t bytes) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
#if K7730_TEST_HOOKS
  if (r.failAfter == 0) {
    r.failAfter = -1;
    return nullptr;
  }
  if (r.failAfter > 0) --r.failAfter;
#endif
  void* block = detail::RawAllocateZeroed(bytes == 0 ? 1 : bytes);
  if (block == nullptr) return nullptr;
  try {
    r.blocks.emplace(block, bytes);
  } catch (const std::bad_alloc&) {
    detail::RawRelease(block);
    return nullptr;
  }
  return block;
}

void Release(void* block) {
  if (block == nullptr) return;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.blocks.find(block);
  if (it == r.blocks.end()) return;
  r.blocks.erase(it);
  detail::RawRelease(block);
}

std::size_t BlockSize(const void* block) {
  if (block == nullptr) return 0;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.blocks.find(block);
  return it == r.blocks.end() ? 0 : it->second;
}

std::size_t LiveBlockCount() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.blocks.size();
}

#if K7730_TEST_HOOKS
void FailAllocationAfter(long successes) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.failAfter = successes < 0 ? -1 : successes;
}
#endif

}  // namespace k7730::platform
