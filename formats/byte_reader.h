// Bounds-checked reads from a view of untrusted bytes, big-endian unless
// named otherwise. Every access names an offset and a width and fails,
// rather than reading outside the view, when they do not fit. Shared by the
// colour engine, the file formats and the print command.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k7730 {

inline std::uint16_t LoadBigEndian16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t LoadBigEndian32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

inline std::uint32_t LoadLittleEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

class ByteView {
 public:
  ByteView() = default;
  ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(data == nullptr ? 0 : size) {}

  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

  // True when `count` bytes from `offset` lie inside the view (no overflow).
  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }

  bool U8(std::uint64_t offset, std::uint8_t* out) const {
    if (!Has(offset, 1)) return false;
    *out = data_[offset];
    return true;
  }
  bool U16(std::uint64_t offset, std::uint16_t* out) const {
    if (!Has(offset, 2)) return false;
    *out = LoadBigEndian16(data_ + offset);
    return true;
  }
  bool U32(std::uint64_t offset, std::uint32_t* out) const {
    if (!Has(offset, 4)) return false;
    *out = LoadBigEndian32(data_ + offset);
    return true;
  }

  bool U32LittleEndian(std::uint64_t offset, std::uint32_t* out) const {
    if (!Has(offset, 4)) return false;
    *out = LoadLittleEndian32(data_ + offset);
    return true;
  }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// A view of 16-bit big-endian entries, checked once when it is made.
class BigEndian16Array {
 public:
  BigEndian16Array() = default;
  // Fails (ok false) unless `count` entries at `offset` lie inside `bytes`.
  BigEndian16Array(ByteView bytes, std::uint64_t offset, std::uint64_t count, bool* ok) {
    *ok = count <= (UINT64_MAX / 2) && bytes.Has(offset, count * 2);
    if (*ok) {
      data_ = bytes.data() + offset;
      count_ = static_cast<std::size_t>(count);
    }
  }
  std::size_t count() const { return count_; }
  // Entry i; i must be below count() (the callers index only within it).
  std::uint16_t operator[](std::size_t i) const { return LoadBigEndian16(data_ + 2 * i); }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t count_ = 0;
};

}  // namespace k7730
