// Loads tagged elements of an open profile into memory of their own.
#pragma once

#include <cstdint>

#include "cmm/byte_reader.h"
#include "platform/platform.h"

namespace k7730::cmm {

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

  // Loads the whole element tagged `signature`. False (and nothing held)
  // when the tag is missing, its element does not lie inside the file, the
  // memory cannot be had or the read comes up short.
  bool Load(platform::FileId file, std::uint32_t signature);

 private:
  std::uint8_t* data_ = nullptr;
  std::uint32_t size_ = 0;
};

// Reads exactly `count` bytes from `offset` into the element tagged
// `signature`; false when the tag is missing or the bytes are not all inside
// the element.
bool ReadElementSlice(platform::FileId file, std::uint32_t signature, std::uint32_t offset, std::uint32_t count,
                      void* buffer);

}  // namespace k7730::cmm
