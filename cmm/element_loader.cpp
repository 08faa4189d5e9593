#include "cmm/element_loader.h"

#include "cmm/profile_file.h"

namespace k7730::cmm {

LoadedElement::~LoadedElement() { Reset(); }

void LoadedElement::Reset() {
  platform::Release(data_);
  data_ = nullptr;
  size_ = 0;
}

namespace {

ElementStatus StatusOf(TagLookup lookup) {
  return lookup == TagLookup::Absent ? ElementStatus::Absent : ElementStatus::Unreadable;
}

}  // namespace

ElementStatus LoadedElement::Load(platform::FileId file, std::uint32_t signature) {
  Reset();
  K7730_TagEntry entry;
  const TagLookup lookup = FindTag(file, signature, &entry);
  if (lookup != TagLookup::Found) return StatusOf(lookup);
  auto* block = static_cast<std::uint8_t*>(platform::Allocate(entry.size));
  if (block == nullptr) return ElementStatus::NoMemory;
  if (ReadAt(file, entry.offset, block, entry.size) != entry.size) {
    platform::Release(block);
    return ElementStatus::Unreadable;
  }
  data_ = block;
  size_ = entry.size;
  return ElementStatus::Loaded;
}

ElementStatus ReadElementSlice(platform::FileId file, std::uint32_t signature, std::uint32_t offset,
                               std::uint32_t count, void* buffer) {
  K7730_TagEntry entry;
  const TagLookup lookup = FindTag(file, signature, &entry);
  if (lookup != TagLookup::Found) return StatusOf(lookup);
  if (static_cast<std::uint64_t>(offset) + count > entry.size) return ElementStatus::Unreadable;
  if (ReadAt(file, static_cast<std::uint64_t>(entry.offset) + offset, buffer, count) != count)
    return ElementStatus::Unreadable;
  return ElementStatus::Loaded;
}

}  // namespace k7730::cmm
