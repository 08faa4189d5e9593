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

// A levels set is copied; an ink set, or any polarity other than 1, is
// reverse-inverted; the records say levels either way.
TEST(BuildPageLuts, EnabledSetsAreCopiedOrReverseInverted) {
  for (std::uint16_t polarity : {1, 2, 9}) {
    K7730_SettingsBlock s = FreshSettings();
    s.inputCurveEnabled = s.outputCurveEnabled = 1;
    s.inputCurves.polarity = s.outputCurves.polarity = polarity;
    for (int c = 0; c < kCurveChannels; ++c) {
      for (int i = 0; i < 256; ++i) {
        s.inputCurves.tables[c][i] = static_cast<std::uint8_t>(i * (c + 3));
        s.outputCurves.tables[c][i] = static_cast<std::uint8_t>((i * (c + 1)) & 0xFF);
      }
    }
    LutRecordSet in, out;
    BuildPageLuts(s, in, out);
    for (int c = 0; c < kCurveChannels; ++c) {
      for (const auto& [records, tables] : {std::pair{&in, &s.inputCurves.tables}, {&out, &s.outputCurves.tables}}) {
        const LutRecord& r = (*records)[c];
        EXPECT_EQ(r.inPolarity, 1);
        EXPECT_EQ(r.outPolarity, 1);
        for (int i = 0; i < 256; ++i) {
          ASSERT_EQ(r.table[i], polarity == 1 ? (*tables)[c][i] : 255 - (*tables)[c][255 - i]) << polarity << " " << c;
        }
      }
    }
  }
}

}  // namespace
}  // namespace k7730
