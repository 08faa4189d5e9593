// Numbers in files of either byte order, for the tests that build or
// inspect them: ICC profiles and PNG chunks are big-endian; the settings
// record, BMP and cursor files little-endian. Every access is
// bounds-checked (vector::at).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace k7730::test {

// The `size` bytes at `at`, most significant first or last.
inline std::uint32_t GetBig(const std::vector<std::uint8_t>& b, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = 0; i < size; ++i) v = v << 8 | b.at(at + i);
  return v;
}
inline std::uint32_t GetLittle(const std::vector<std::uint8_t>& b, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | b.at(at + i);
  return v;
}
inline std::uint16_t GetBig16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(GetBig(b, at, 2));
}
inline std::uint32_t GetBig32(const std::vector<std::uint8_t>& b, std::size_t at) { return GetBig(b, at, 4); }
inline std::uint16_t GetLittle16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(GetLittle(b, at, 2));
}
inline std::uint32_t GetLittle32(const std::vector<std::uint8_t>& b, std::size_t at) { return GetLittle(b, at, 4); }

inline void PutBig(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int size) {
  for (int i = size - 1; i >= 0; --i, v >>= 8) b.at(at + i) = static_cast<std::uint8_t>(v);
}
inline void PutBig16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { PutBig(b, at, v, 2); }
inline void PutBig32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { PutBig(b, at, v, 4); }

inline void PutLittle32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i, v >>= 8) b.at(at + i) = static_cast<std::uint8_t>(v);
}

inline void AppendBig16(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.resize(b.size() + 2);
  PutBig16(b, b.size() - 2, v);
}
inline void AppendBig32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.resize(b.size() + 4);
  PutBig32(b, b.size() - 4, v);
}

}  // namespace k7730::test
