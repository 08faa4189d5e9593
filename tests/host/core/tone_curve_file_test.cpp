// Tone-curve files as the host reads them for --input-curve/--output-curve.
#include <gtest/gtest.h>

#include "host/core/host_error.h"
#include "host/core/tone_curve_file.h"
#include "support/byte_order.h"

namespace k7730::host {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Be16(Bytes& b, int v) { k7730::test::AppendBig16(b, static_cast<std::uint32_t>(v)); }

// A version 2 file: channel 0 a gamma, channel 1 three points, channel 2
// free-hand, channels 3 and 4 the identity line; modes numbered from base.
Bytes Version2File(int base, int polarity, int gammaHundredths) {
  Bytes b;
  Be16(b, 2); Be16(b, polarity); Be16(b, 5);
  Be16(b, base + 2); Be16(b, 0); Be16(b, gammaHundredths);
  Be16(b, base); Be16(b, 3);
  for (auto [out, in] : {std::pair{0, 0}, {200, 128}, {255, 255}}) { Be16(b, out); Be16(b, in); }
  Be16(b, base + 1); Be16(b, 0);
  for (int i = 0; i < 256; ++i) b.push_back(static_cast<std::uint8_t>(255 - i));
  for (int c = 3; c < 5; ++c) {
    Be16(b, base); Be16(b, 2);
    Be16(b, 0); Be16(b, 0); Be16(b, 255); Be16(b, 255);
  }
  return b;
}

// Gamma 2.00 gives 64 at 128; the three points give the spline's 114 at 64;
// an ink file's gamma channel is reverse-inverted (255 - 64 at 127).
TEST(NativeToneCurveFile, ReadsBothModeNumberingsAndBothPolarities) {
  for (int base : {0, 1}) {
    for (int polarity : {1, 2}) {
      SCOPED_TRACE(testing::Message() << "base " << base << " polarity " << polarity);
      const ToneCurveTables t = ParseNativeToneCurves(Version2File(base, polarity, 200), "c.tcv");
      EXPECT_EQ(t.polarity, polarity);
      EXPECT_EQ(t.tables[0][polarity == 1 ? 128 : 127], polarity == 1 ? 64 : 191);
      EXPECT_EQ(t.tables[1][64], 114);
      EXPECT_EQ(t.tables[2][10], 245);
      EXPECT_EQ(t.tables[3][77], 77);
    }
  }
}

// The module's file tests take the damaged files case by case; here only
// that the host turns a refusal into an error naming the file.
TEST(NativeToneCurveFile, RefusesDamagedFiles) {
  std::vector<Bytes> damaged(3, Version2File(0, 1, 100));
  damaged[0].push_back(0);
  damaged[1][1] = 3;
  damaged[2] = Version2File(0, 1, 0);
  for (const Bytes& file : damaged) EXPECT_THROW(ParseNativeToneCurves(file, "x"), HostError) << file.size();
}

}  // namespace
}  // namespace k7730::host
