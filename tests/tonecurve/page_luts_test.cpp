#include <gtest/gtest.h>

#include <cstring>

#include "tonecurve/curve_reset.h"
#include "tonecurve/page_luts.h"
#include "tonecurve/polarity.h"

namespace k7730 {
namespace {

K7730_SettingsBlock FreshSettings() {
  K7730_SettingsBlock s{};
  ResetCurveSet(s.inputCurves);
  ResetCurveSet(s.outputCurves);
  return s;
}

TEST(BuildPageLuts, DisabledDirectionsGiveIdentityRecords) {
  K7730_SettingsBlock s = FreshSettings();
  s.inputCurves.tables[1][5] = 99;  // ignored while the switch is off
  s.inputCurveEnabled = 2;          // only 1 counts as on
  LutRecordSet in, out;
  std::memset(in, 0x55, sizeof in);
  std::memset(out, 0x55, sizeof out);
  BuildPageLuts(s, in, out);
  for (int c = 0; c < kCurveChannels; ++c) {
    for (const LutRecordSet* set : {&in, &out}) {
      EXPECT_EQ((*set)[c].inPolarity, 1);
      EXPECT_EQ((*set)[c].outPolarity, 1);
      for (int i = 0; i < 256; ++i) ASSERT_EQ((*set)[c].table[i], i);
    }
  }
}

TEST(BuildPageLuts, EnabledInkSetIsReverseInverted) {
  K7730_SettingsBlock s = FreshSettings();
  s.outputCurveEnabled = 1;
  s.outputCurves.polarity = 2;
  for (int c = 0; c < kCurveChannels; ++c) {
    for (int i = 0; i < 256; ++i) s.outputCurves.tables[c][i] = static_cast<std::uint8_t>((i * (c + 1)) & 0xFF);
  }
  LutRecordSet in, out;
  BuildPageLuts(s, in, out);
  for (int c = 0; c < kCurveChannels; ++c) {
    std::uint8_t expected[256];
    std::memcpy(expected, s.outputCurves.tables[c], 256);
    ReverseInvertTable(expected);
    EXPECT_EQ(out[c].inPolarity, 1);
    EXPECT_EQ(out[c].outPolarity, 1);
    EXPECT_EQ(0, std::memcmp(out[c].table, expected, 256)) << c;
  }
}

TEST(BuildPageLuts, StrangePolarityCountsAsInkAndLevelsAreCopied) {
  K7730_SettingsBlock s = FreshSettings();
  s.inputCurveEnabled = 1;
  s.inputCurves.tables[0][0] = 200;
  LutRecordSet in, out;
  BuildPageLuts(s, in, out);
  EXPECT_EQ(in[0].table[0], 200);

  s.inputCurves.polarity = 9;
  BuildPageLuts(s, in, out);
  EXPECT_EQ(in[0].table[255], 255 - 200);
  EXPECT_EQ(in[0].inPolarity, 1);
}

}  // namespace
}  // namespace k7730
