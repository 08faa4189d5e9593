// Big-endian words through the file wrappers, and the layout numbers of the
// native tone-curve file, shared by its reader and writer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/file_wrappers.h"

namespace k7730::curvefile {

inline constexpr std::uint16_t kWrittenVersion = 2;
inline constexpr std::uint16_t kOldVersion = 1;
inline constexpr std::uint16_t kChannelCount = 5;
inline constexpr std::size_t kHeaderBytes = 6;
inline constexpr std::size_t kChannelHeaderBytes = 4;  // mode word and count word
inline constexpr std::size_t kPointBytes = 4;          // output word, input word
inline constexpr std::size_t kTableBytes = 256;
inline constexpr std::size_t kGammaBytes = 2;

inline std::uint16_t LoadBigEndian16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline void StoreBigEndian16(std::uint8_t* p, std::uint16_t value) {
  p[0] = static_cast<std::uint8_t>(value >> 8);
  p[1] = static_cast<std::uint8_t>(value & 0xFF);
}

// True when exactly `count` bytes arrived.
inline bool ReadExactly(FileHandle* file, void* buffer, std::size_t count) {
  if (count > 0xFFFF) return false;
  auto n = static_cast<std::uint16_t>(count);
  return FileRead(file, buffer, &n) == 0;
}

inline bool ReadWord(FileHandle* file, std::uint16_t* value) {
  std::uint8_t bytes[2];
  if (!ReadExactly(file, bytes, sizeof bytes)) return false;
  *value = LoadBigEndian16(bytes);
  return true;
}

}  // namespace k7730::curvefile
