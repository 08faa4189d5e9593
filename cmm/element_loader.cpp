#include "cmm/element_loader.h"

#include "cmm/profile_file.h"

namespace k7730::cmm {

LoadedElement::~LoadedElement() { Reset(); }

void LoadedElement::Reset() {
  platform::Release(data_);
  data_ = nullptr;
  size_ = 0;
}

bool LoadedElement::Load(platform::FileId file, std::uint32_t signature) {
  Reset();
  K7730_TagEntry entry;
  if (!FindTag(file, signature, &entry)) return false;
  auto* block = static_cast<std::uint8_t*>(platform::Allocate(entry.size));
  if (block == nullptr) return false;
  if (ReadAt(file, entry.offset, block, entry.size) != entry.size) {
    platform::Release(block);
    return false;
  }
  data_ = block;
  size_ = entry.size;
  return true;
}

bool ReadElementSlice(platform::FileId file, std::uint32_t signature, std::uint32_t offset, std::uint32_t count,
                      void* buffer) {
  K7730_TagEntry entry;
  if (!FindTag(file, signature, &entry)) return false;
  if (static_cast<std::uint64_t>(offset) + count > entry.size) return false;
  return ReadAt(file, static_cast<std::uint64_t>(entry.offset) + offset, buffer, count) == count;
}

}  // namespace k7730::cmm
