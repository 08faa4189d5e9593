#include "formats/curve_reset.h"

namespace k7730 {
namespace {

void ResetChannel(ToneCurveSet& set, int c, std::uint16_t mode, std::int16_t count) {
  set.mode[c] = mode;
  set.gammaHundredths[c] = 100;
  set.pointCount[c] = count;
  set.points[c][0] = ControlPoint{0, 0};
  set.points[c][1] = ControlPoint{255, 255};
  FillIdentityTable(set.tables[c]);
}

}  // namespace

void FillIdentityTable(std::uint8_t table[256]) {
  for (int i = 0; i < 256; ++i) table[i] = static_cast<std::uint8_t>(i);
}

void ResetCurveSet(ToneCurveSet& set) {
  for (int c = 0; c < kCurveChannels; ++c) ResetChannel(set, c, kModePoints, 2);
  set.polarity = kPolarityLevels;
}

void ResetCurveSetForRawTables(ToneCurveSet& set) {
  for (int c = 0; c < kCurveChannels; ++c) ResetChannel(set, c, kModeFreeHand, 0);
}

void ResetCurveChannel(ToneCurveSet& set, int channel) {
  if (channel < 0 || channel >= kCurveChannels) return;
  ResetChannel(set, channel, kModePoints, 2);
}

}  // namespace k7730
