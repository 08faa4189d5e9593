// The per-instance record behind the host's opaque FilterInstance pointer.
#pragma once

#include <cstdint>
#include <type_traits>

#include "filter/line_filter_bridge.h"
#include "k7730fe.h"
#include "stages/mtf_state.h"
#include "formats/tone_curve_set.h"

struct K7730_FilterInstance {
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t swapRB;
  K7730_SettingsBlock settings;
  std::uintptr_t colorWorld;
  k7730::MtfState mtfState;
  k7730::LutRecordSet inputLuts;
  k7730::LutRecordSet outputLuts;
  k7730::LineFilterBridge lineFilter;
};

namespace k7730 {

using FilterInstance = K7730_FilterInstance;

// The instance lives in a zero-filled block from the platform allocator and
// is cleared with memset: it must stay a plain record.
static_assert(std::is_trivially_copyable_v<FilterInstance>);
static_assert(std::is_standard_layout_v<FilterInstance>);

// Only the value 1 switches a stage on.
constexpr bool IsOn(std::uint32_t value) { return value == 1; }

// How every export ends: stores the ErrorCode where the host asked for it
// and gives the export's result, 1 for success and 0 for a failure.
inline std::uint32_t Report(std::uint16_t* err, std::uint16_t code) {
  if (err != nullptr) *err = code;
  return code == K7730_OK ? 1 : 0;
}

}  // namespace k7730
