// The bridge to the external line-filter library.
#pragma once

#include <cstdint>

#include "k7730fe_abi.h"
#include "platform/platform.h"

namespace k7730 {

extern "C" {
typedef std::uint32_t(K7730_CDECL* VornVoidFn)();
typedef std::uint32_t(K7730_CDECL* VornSetFn)(std::uint32_t);
typedef std::uint32_t(K7730_CDECL* VornFilterFn)(const std::uint8_t* line, std::uint8_t* out);
}

inline constexpr std::uint32_t kLineFilterDefaultDots = 1844;
inline constexpr std::uint32_t kLineFilterBufferBytes = 12000;

struct LineFilterBridge {
  std::uint8_t tableNumber;
  platform::LibraryId library;
  std::uint32_t loaded;
  VornVoidFn init;
  VornVoidFn fin;
  VornSetFn setDotsPerLine;
  VornSetFn setParameterTableNo;
  VornVoidFn preFilter;
  VornFilterFn filter;
  std::uint32_t dotsPerLine;
  std::uint8_t* lineBuffer;
};

void LineFilterReset(LineFilterBridge& bridge);
// Calls the library's finish entry when known, releases the line buffer and
// the library.
void LineFilterUnload(LineFilterBridge& bridge);

}  // namespace k7730
