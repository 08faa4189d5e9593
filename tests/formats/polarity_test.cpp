#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "formats/curve_reset.h"
#include "formats/curve_table.h"
#include "formats/polarity.h"

namespace k7730 {
namespace {

TEST(FlipPoints, TwiceIsTheIdentityAndDescribesTheSameCurve) {
  ControlPoint points[kMaxCurvePoints] = {{0, 0}, {200, 128}, {230, 190}, {255, 255}};
  ControlPoint copy[kMaxCurvePoints];
  std::copy(points, points + kMaxCurvePoints, copy);

  FlipPoints(points, 4);
  EXPECT_EQ(points[0].input, 0);
  EXPECT_EQ(points[0].output, 0);
  EXPECT_EQ(points[1].input, 255 - 190);
  EXPECT_EQ(points[1].output, 255 - 230);

  // The flipped points, drawn in ink polarity, are the level curve reverse-inverted.
  std::uint8_t levels[256], ink[256];
  ComputeCurveTable(copy, 4, levels);
  ComputeCurveTable(points, 4, ink);
  ReverseInvertTable(ink);
  for (int x = 0; x < 256; ++x) EXPECT_NEAR(ink[x], levels[x], 1) << x;

  FlipPoints(points, 4);
  for (int i = 0; i < kMaxCurvePoints; ++i)
    EXPECT_TRUE(points[i].input == copy[i].input && points[i].output == copy[i].output) << i;
  FlipPoints(points, 1000);  // clamped to the array; ASan checks the bound
}

TEST(NormaliseLutRecord, EachPolarityCombination) {
  // Records of i / 2 brought to levels in and levels out: a differing output
  // polarity inverts the values, a differing input polarity reverses the
  // index (any value other than the target differs).
  const struct {
    std::uint16_t in, out;
    int (*expected)(int);
  } cases[] = {{1, 1, [](int i) { return i / 2; }},
               {1, 2, [](int i) { return 255 - i / 2; }},
               {7, 1, [](int i) { return (255 - i) / 2; }},
               {2, 0, [](int i) { return 255 - (255 - i) / 2; }}};
  for (const auto& c : cases) {
    LutRecord r{};
    for (int i = 0; i < 256; ++i) r.table[i] = static_cast<std::uint8_t>(i / 2);
    r.inPolarity = c.in;
    r.outPolarity = c.out;
    NormaliseLutRecord(r, 1, 1);
    EXPECT_EQ(r.inPolarity, 1);
    EXPECT_EQ(r.outPolarity, 1);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(r.table[i], c.expected(i)) << c.in << " " << c.out << " " << i;
  }
}

// The defaults and the raw-table reset are checked through the stored
// settings and the raw-table files; one channel's reset is checked here.
TEST(CurveReset, OneChannelAndNothingElse) {
  ToneCurveSet set{};
  ResetCurveSetForRawTables(set);
  set.polarity = 2;
  set.mode[2] = 3;
  set.gammaHundredths[2] = 220;
  set.tables[2][9] = 0;
  ResetCurveChannel(set, 2);
  EXPECT_EQ(std::vector<int>({set.mode[2], set.gammaHundredths[2], set.pointCount[2], set.points[2][1].input,
                              set.tables[2][9]}),
            std::vector<int>({1, 100, 2, 255, 9}));
  EXPECT_EQ(set.mode[1], 2);  // the other channels and the polarity stay
  EXPECT_EQ(set.polarity, 2);
  ResetCurveChannel(set, 5);  // outside the set: ignored (ASan checks the bounds)
  ResetCurveChannel(set, -1);
}

}  // namespace
}  // namespace k7730
