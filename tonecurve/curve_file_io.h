// File-wrapper helpers of the tone-curve file readers and writer (the
// native file's layout numbers are in curve_file_parse.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/curve_file_parse.h"
#include "platform/file_wrappers.h"

namespace k7730::curvefile {

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

}  // namespace k7730::curvefile
