// Loads tagged elements of an open profile into memory of their own.
#pragma once

#include <cstdint>

#include "cmm/refusal.h"
#include "formats/byte_reader.h"
#include "platform/platform.h"

namespace k7730::cmm {

// What loading an element came to. Only Absent (the tag is not in the
// table) may be answered with a fallback; a damaged file or a lack of
// memory must fail the caller instead of quietly changing its result.
enum class ElementStatus { Loaded, Absent, Unreadable, NoMemory };

// The refusal an element that did not load stands for: ElementCutShort when
// it is unreadable, NoMemory when its block could not be had.
inline Refusal RefusalOf(ElementStatus status) {
  return status == ElementStatus::NoMemory ? Refusal::NoMemory : Refusal::ElementCutShort;
}

// An element's bytes, owned; released when the object goes.
class LoadedElement {
 public:
  LoadedElement() = default;
  ~LoadedElement();
  LoadedElement(const LoadedElement&) = delete;
  LoadedElement& operator=(const LoadedElement&) = delete;

  bool present() const { return data_ != nullptr; }
  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::uint32_t size() const { return size_; }
  ByteView view() const { return ByteView(data_, size_); }
  void Reset();

  // Loads the whole element tagged `signature`. Anything but Loaded leaves
  // nothing held: Absent when the tag is not listed, Unreadable when the
  // table or the element does not lie inside the file or the read comes up
  // short, NoMemory when the block cannot be had.
  ElementStatus Load(platform::FileId file, std::uint32_t signature);

 private:
  std::uint8_t* data_ = nullptr;
  std::uint32_t size_ = 0;
};

// Reads exactly `count` bytes from `offset` into the element tagged
// `signature`: Loaded, Absent, or Unreadable when the bytes are not all
// inside the element or do not arrive.
ElementStatus ReadElementSlice(platform::FileId file, std::uint32_t signature, std::uint32_t offset, std::uint32_t count,
                      void* buffer);

}  // namespace k7730::cmm
