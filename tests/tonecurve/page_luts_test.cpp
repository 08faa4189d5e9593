#include <gtest/gtest.h>

#include <cstring>

#include "formats/curve_reset.h"
#include "tonecurve/page_luts.h"

namespace k7730 {
namespace {

// A levels set is copied; an ink set, or any polarity other than 1, is
// reverse-inverted; a direction switched anything but 1 gives the identity.
// The records say levels either way.
TEST(BuildPageLuts, EnabledSetsAreCopiedOrReverseInvertedOthersAreIdentity) {
  for (std::uint32_t enabled : {1u, 2u, 0u}) {
    for (std::uint16_t polarity : {1, 2, 9}) {
      K7730_SettingsBlock s{};
      s.inputCurveEnabled = s.outputCurveEnabled = enabled;
      s.inputCurves.polarity = s.outputCurves.polarity = polarity;
      for (int c = 0; c < kCurveChannels; ++c) {
        for (int i = 0; i < 256; ++i) {
          s.inputCurves.tables[c][i] = static_cast<std::uint8_t>(i * (c + 3));
          s.outputCurves.tables[c][i] = static_cast<std::uint8_t>((i * (c + 1)) & 0xFF);
        }
      }
      LutRecordSet in, out;
      std::memset(in, 0x55, sizeof in);
      std::memset(out, 0x55, sizeof out);
      BuildPageLuts(s, in, out);
      for (int c = 0; c < kCurveChannels; ++c) {
        for (const auto& [records, tables] : {std::pair{&in, &s.inputCurves.tables}, {&out, &s.outputCurves.tables}}) {
          const LutRecord& r = (*records)[c];
          EXPECT_EQ(r.inPolarity, 1);
          EXPECT_EQ(r.outPolarity, 1);
          for (int i = 0; i < 256; ++i) {
            const int expected = enabled != 1 ? i : polarity == 1 ? (*tables)[c][i] : 255 - (*tables)[c][255 - i];
            ASSERT_EQ(r.table[i], expected) << enabled << " " << polarity << " " << c << " " << i;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace k7730
