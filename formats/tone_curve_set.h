// The five-channel tone-curve record and the page's LutRecords.
#pragma once

#include <cstddef>
#include <cstdint>

#include "k7730fe.h"

namespace k7730 {

using ControlPoint = K7730_ControlPoint;
using ToneCurveSet = K7730_ToneCurveSet;

inline constexpr int kCurveChannels = K7730_CURVE_CHANNELS;
inline constexpr int kMaxCurvePoints = K7730_CURVE_POINTS;

enum CurveMode : std::uint16_t { kModePoints = 1, kModeFreeHand = 2, kModeGamma = 3 };
enum Polarity : std::uint16_t { kPolarityLevels = 1, kPolarityInk = 2 };

// One page table with the polarities of its two axes.
struct LutRecord {
  std::uint16_t inPolarity;
  std::uint16_t outPolarity;
  std::uint8_t table[256];
};
static_assert(sizeof(LutRecord) == 260);
static_assert(offsetof(LutRecord, outPolarity) == 2);
static_assert(offsetof(LutRecord, table) == 4);

// Five records per direction: 0 common, 1..3 channels, 4 fourth channel.
using LutRecordSet = LutRecord[kCurveChannels];

}  // namespace k7730
