#include "host/core/temporary_files.h"

#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>
#include <thread>

namespace k7730::host {

namespace {

// A slot's path is written only while the slot is Filling and read only
// after a handler moved it from Listed to Removing, so a signal arriving
// at any moment sees either a whole path or none.
enum SlotState : int { kFree, kFilling, kListed, kRemoving, kRemoved };

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};

static_assert(std::atomic<int>::is_always_lock_free, "signal handlers need lock-free slot states");

// Enough for every output of every thread of the host programs at once.
constexpr int kSlots = 64;
Slot slots[kSlots];

std::mutex givenFolderLock;
std::string givenFolder;

}  // namespace

void SetTemporaryFolder(const char* folder) {
  const std::lock_guard<std::mutex> hold(givenFolderLock);
  givenFolder = folder != nullptr ? folder : "";
}

std::string TemporaryFolder() {
  std::string folder;
  {
    const std::lock_guard<std::mutex> hold(givenFolderLock);
    folder = givenFolder;
  }
  // Whether the folder is writable is asked each time: it may change.
  if (!folder.empty() && ::access(folder.c_str(), W_OK) == 0) return folder;
  return "/tmp";
}

PendingFile::PendingFile(const std::string& path) {
  if (path.size() >= PATH_MAX) return;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!slots[i].state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].state.store(kListed, std::memory_order_release);
    slot_ = i;
    return;
  }
}

PendingFile::~PendingFile() {
  if (slot_ < 0) return;
  std::atomic<int>& state = slots[slot_].state;
  int expected = kListed;
  if (state.compare_exchange_strong(expected, kFree, std::memory_order_acq_rel)) return;
  // A handler took the slot: let it finish with the path before freeing it.
  while (state.load(std::memory_order_acquire) == kRemoving) std::this_thread::yield();
  state.store(kFree, std::memory_order_release);
}

void RemovePendingFiles() noexcept {
  for (Slot& slot : slots) {
    int expected = kListed;
    if (!slot.state.compare_exchange_strong(expected, kRemoving, std::memory_order_acquire)) continue;
    ::unlink(slot.path);
    slot.state.store(kRemoved, std::memory_order_release);
  }
}

}  // namespace k7730::host
