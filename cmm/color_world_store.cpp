#include "cmm/color_world_store.h"

#include <mutex>

#include "platform/platform.h"

namespace k7730::cmm {
namespace {

// Slot index in the low 12 bits (1..4095), generation in the high 20, so a
// handle is never 0.
constexpr std::uint32_t kSlotBits = 12;
constexpr std::uint32_t kSlotCount = 1u << kSlotBits;
constexpr std::uint32_t kSlotMask = kSlotCount - 1;

// A slot whose ColorWorld was disposed while locked keeps its block until
// the last lock goes: matching on another thread never reads freed memory.
struct Slot {
  ColorWorldHeader* block = nullptr;
  WideTables* wide = nullptr;
  std::uint32_t generation = 0;
  std::uint32_t locks = 0;
  bool disposed = false;
};

struct Store {
  std::mutex lock;
  Slot slots[kSlotCount];
  std::uint32_t live = 0;
};

Store& TheStore() {
  static Store store;
  return store;
}

// The slot `handle` names, disposed or not.
Slot* FindAny(Store& s, K7730_ColorWorld handle) {
  std::uint32_t index = handle & kSlotMask;
  if (index == 0) return nullptr;
  Slot& slot = s.slots[index];
  if (slot.block == nullptr || slot.generation != (handle >> kSlotBits)) return nullptr;
  return &slot;
}

// The slot of a ColorWorld that may still be used.
Slot* Find(Store& s, K7730_ColorWorld handle) {
  Slot* slot = FindAny(s, handle);
  return slot != nullptr && !slot->disposed ? slot : nullptr;
}

struct Released {
  ColorWorldHeader* block = nullptr;
  WideTables* wide = nullptr;
};

// Empties the slot; the caller frees what it held outside the store's lock.
Released Vacate(Store& s, Slot& slot) {
  Released r{slot.block, slot.wide};
  slot = Slot{nullptr, nullptr, slot.generation, 0, false};
  --s.live;
  return r;
}

void Free(Released r) {
  platform::Release(r.block);
  ReleaseWideTables(r.wide);
}

}  // namespace

K7730_ColorWorld RegisterColorWorld(ColorWorldHeader* block, WideTables* wide) {
  if (block == nullptr) return 0;
  Store& s = TheStore();
  std::lock_guard<std::mutex> guard(s.lock);
  for (std::uint32_t index = 1; index < kSlotCount; ++index) {
    Slot& slot = s.slots[index];
    if (slot.block != nullptr) continue;
    slot.generation = (slot.generation + 1) & ((1u << (32 - kSlotBits)) - 1);
    slot.block = block;
    slot.wide = wide;
    slot.locks = 0;
    slot.disposed = false;
    ++s.live;
    return (slot.generation << kSlotBits) | index;
  }
  return 0;
}

LockedColorWorld LockColorWorld(K7730_ColorWorld handle) {
  Store& s = TheStore();
  std::lock_guard<std::mutex> guard(s.lock);
  Slot* slot = Find(s, handle);
  if (slot == nullptr) return {};
  ++slot->locks;
  return {slot->block, slot->wide};
}

void UnlockColorWorld(K7730_ColorWorld handle) {
  Released released;
  {
    Store& s = TheStore();
    std::lock_guard<std::mutex> guard(s.lock);
    Slot* slot = FindAny(s, handle);
    if (slot == nullptr || slot->locks == 0) return;
    if (--slot->locks == 0 && slot->disposed) released = Vacate(s, *slot);
  }
  Free(released);
}

void DisposeColorWorld(K7730_ColorWorld handle) {
  Released released;
  {
    Store& s = TheStore();
    std::lock_guard<std::mutex> guard(s.lock);
    Slot* slot = Find(s, handle);
    if (slot == nullptr) return;
    // Still in use: the last unlock releases it; new locks are refused now.
    if (slot->locks > 0) {
      slot->disposed = true;
      return;
    }
    released = Vacate(s, *slot);
  }
  Free(released);
}

std::uint32_t LiveColorWorldCount() {
  Store& s = TheStore();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.live;
}

}  // namespace k7730::cmm
