#include "filter/line_filter_bridge.h"

#include <cstring>

#include "platform/path_utils.h"

namespace k7730 {
namespace {

void ForgetEntryPoints(LineFilterBridge& bridge) {
  bridge.init = nullptr;
  bridge.fin = nullptr;
  bridge.setDotsPerLine = nullptr;
  bridge.setParameterTableNo = nullptr;
  bridge.preFilter = nullptr;
  bridge.filter = nullptr;
}

template <typename Fn>
bool Find(platform::LibraryId library, const char* name, Fn& entry) {
  entry = reinterpret_cast<Fn>(platform::LibrarySymbol(library, name));
  return entry != nullptr;
}

// The library's path in the module's folder; false when it does not fit.
bool LibraryPath(char (&path)[platform::kMaxPath]) {
  char name[32];
  std::strcpy(name, kLineFilterLibraryStem);
  std::strcat(name, platform::kSharedLibraryExtension);
  char folder[platform::kMaxPath];
  GetModuleFolder(folder);
  return JoinModuleFile(folder, name, path);
}

bool FindEntryPoints(LineFilterBridge& bridge) {
  const platform::LibraryId library = bridge.library;
  return Find(library, "VornDllInit", bridge.init) && Find(library, "VornDllFin", bridge.fin) &&
         Find(library, "VornDllSetDotsPerLine", bridge.setDotsPerLine) &&
         Find(library, "VornDllSetParameterTableNo", bridge.setParameterTableNo) &&
         Find(library, "VornDllPreFilter", bridge.preFilter) &&
         Find(library, "VornDllFilter", bridge.filter);
}

bool Accepted(std::uint32_t result) { return (result & 0xFF) == 0; }

// Makes the line buffer hold a line of `width` pixels. A failure keeps the
// buffer as it was.
bool EnsureLineCapacity(LineFilterBridge& bridge, std::uint32_t width) {
  const std::uint64_t needed = static_cast<std::uint64_t>(width) * 3;
  if (needed <= bridge.lineBufferBytes) return true;
  if (needed > 0xFFFFFFFFu) return false;
  auto* wider = static_cast<std::uint8_t*>(platform::Allocate(static_cast<std::size_t>(needed)));
  if (wider == nullptr) return false;
  platform::Release(bridge.lineBuffer);
  bridge.lineBuffer = wider;
  bridge.lineBufferBytes = static_cast<std::uint32_t>(needed);
  return true;
}

}  // namespace

void LineFilterReset(LineFilterBridge& bridge) {
  bridge = LineFilterBridge{};
  bridge.dotsPerLine = kLineFilterDefaultDots;
}

bool LineFilterLoad(LineFilterBridge& bridge) {
  if (LineFilterLoaded(bridge)) return true;
  bridge.loaded = 0;
  ForgetEntryPoints(bridge);
  char path[platform::kMaxPath];
  if (!LibraryPath(path)) return false;
  bridge.library = platform::LibraryLoad(path);
  if (bridge.library == 0) return false;
  if (!FindEntryPoints(bridge)) {
    ForgetEntryPoints(bridge);
    platform::LibraryFree(bridge.library);
    bridge.library = 0;
    return false;
  }
  bridge.init();
  bridge.loaded = 1;
  return true;
}

bool LineFilterObtainBuffer(LineFilterBridge& bridge) {
  if (bridge.lineBuffer != nullptr) return true;
  bridge.lineBuffer = static_cast<std::uint8_t*>(platform::Allocate(kLineFilterBufferBytes));
  if (bridge.lineBuffer == nullptr) return false;
  bridge.lineBufferBytes = kLineFilterBufferBytes;
  return true;
}

void LineFilterPageStart(LineFilterBridge& bridge, std::uint8_t tableNumber, std::uint32_t width) {
  if (!LineFilterLoaded(bridge) || bridge.lineBuffer == nullptr) return;
  if (tableNumber > kLineFilterMaxTable) return;
  // A width whose line the buffer cannot hold is never offered: to the
  // module it counts as refused.
  if (width == 0 || !EnsureLineCapacity(bridge, width)) return;
  if (!Accepted(bridge.setDotsPerLine(width))) return;
  bridge.dotsPerLine = width;
  if (!Accepted(bridge.setParameterTableNo(tableNumber))) return;
  bridge.tableNumber = tableNumber;
  bridge.preFilter();
}

void LineFilterBand(LineFilterBridge& bridge, std::uint8_t* buffer, std::uint64_t byteCount) {
  if (!LineFilterLoaded(bridge) || bridge.lineBuffer == nullptr || buffer == nullptr) return;
  const std::uint64_t lineBytes = static_cast<std::uint64_t>(bridge.dotsPerLine) * 3;
  if (lineBytes == 0 || lineBytes > bridge.lineBufferBytes) return;
  const std::uint64_t lines = byteCount / lineBytes;
  std::uint8_t* line = buffer;
  for (std::uint64_t i = 0; i < lines; ++i, line += lineBytes) {
    bridge.filter(line, bridge.lineBuffer);
    std::memcpy(line, bridge.lineBuffer, static_cast<std::size_t>(lineBytes));
  }
}

void LineFilterUnload(LineFilterBridge& bridge) {
  if (bridge.fin != nullptr) bridge.fin();
  platform::Release(bridge.lineBuffer);
  bridge.lineBuffer = nullptr;
  bridge.lineBufferBytes = 0;
  if (LineFilterLoaded(bridge) || bridge.library != 0) {
    bridge.loaded = 0;
    ForgetEntryPoints(bridge);
    platform::LibraryFree(bridge.library);
    bridge.library = 0;
  }
}

}  // namespace k7730
