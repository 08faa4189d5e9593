// The bridge to the external line-filter library: a separate library in the
// module's folder that rewrites every finished output line.
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

inline constexpr char kLineFilterLibraryStem[] = "vorndll";
inline constexpr std::uint32_t kLineFilterDefaultDots = 1844;
inline constexpr std::uint32_t kLineFilterBufferBytes = 12000;
inline constexpr std::uint8_t kLineFilterMaxTable = 5;

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
  // Bytes the line buffer holds: at least 12000, more once the library has
  // been offered a wider line.
  std::uint32_t lineBufferBytes;
};

// Table number 0, 1844 dots, nothing loaded.
void LineFilterReset(LineFilterBridge& bridge);

// Loads the library from the module's folder, finds its six entry points and
// initialises it. On failure nothing stays loaded and no entry point is kept.
bool LineFilterLoad(LineFilterBridge& bridge);
// Obtains the 12000-byte line buffer (when there is none yet).
bool LineFilterObtainBuffer(LineFilterBridge& bridge);

// Offers the library the page's width and parameter table; refusals are
// silent and keep the last accepted values.
void LineFilterPageStart(LineFilterBridge& bridge, std::uint8_t tableNumber, std::uint32_t width);

// Filters `byteCount` bytes in place as whole lines of the accepted width.
void LineFilterBand(LineFilterBridge& bridge, std::uint8_t* buffer, std::uint64_t byteCount);

// Calls the library's finish entry when known, releases the line buffer and
// the library.
void LineFilterUnload(LineFilterBridge& bridge);

inline bool LineFilterLoaded(const LineFilterBridge& bridge) { return bridge.loaded == 1; }

}  // namespace k7730
