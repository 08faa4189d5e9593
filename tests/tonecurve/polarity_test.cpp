#include <gtest/gtest.h>

#include <array>
#include <random>

#include "tonecurve/curve_reset.h"
#include "tonecurve/curve_table.h"
#include "tonecurve/polarity.h"

namespace k7730 {
namespace {

TEST(ReverseInvert, WorkedValuesAndSelfInverse) {
  std::uint8_t t[256];
  FillIdentityTable(t);
  ReverseInvertTable(t);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(t[i], i);

  std::fill(t, t + 256, 40);
  ReverseInvertTable(t);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(t[i], 215);

  std::mt19937 rng(3);
  std::uint8_t original[256];
  for (auto& v : original) v = static_cast<std::uint8_t>(rng());
  std::copy(original, original + 256, t);
  ReverseInvertTable(t);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(t[i], 255 - original[255 - i]);
  ReverseInvertTable(t);
  EXPECT_TRUE(std::equal(t, t + 256, original));
}

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
  for (int i = 0; i < kMaxCurvePoints; ++i) {
    EXPECT_EQ(points[i].input, copy[i].input);
    EXPECT_EQ(points[i].output, copy[i].output);
  }
  FlipPoints(points, 1000);  // clamped to the array; ASan checks the bound
}

TEST(NormaliseLutRecord, EachPolarityCombination) {
  LutRecord r{};
  for (int i = 0; i < 256; ++i) r.table[i] = static_cast<std::uint8_t>(i / 2);
  auto fresh = [&](std::uint16_t in, std::uint16_t out) {
    LutRecord x = r;
    x.inPolarity = in;
    x.outPolarity = out;
    return x;
  };

  LutRecord same = fresh(1, 1);
  NormaliseLutRecord(same, 1, 1);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(same.table[i], i / 2);

  LutRecord outOnly = fresh(1, 2);
  NormaliseLutRecord(outOnly, 1, 1);
  EXPECT_EQ(outOnly.outPolarity, 1);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(outOnly.table[i], 255 - i / 2);

  LutRecord inOnly = fresh(7, 1);  // any value other than the target differs
  NormaliseLutRecord(inOnly, 1, 1);
  EXPECT_EQ(inOnly.inPolarity, 1);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(inOnly.table[i], (255 - i) / 2);

  LutRecord both = fresh(2, 0);
  NormaliseLutRecord(both, 1, 1);
  EXPECT_EQ(both.inPolarity, 1);
  EXPECT_EQ(both.outPolarity, 1);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(both.table[i], 255 - (255 - i) / 2);
}

TEST(CurveReset, DefaultsAndRawTableReset) {
  ToneCurveSet set{};
  std::fill(reinterpret_cast<std::uint8_t*>(&set), reinterpret_cast<std::uint8_t*>(&set) + sizeof set, 0xAB);
  ResetCurveSet(set);
  EXPECT_EQ(set.polarity, 1);
  for (int c = 0; c < kCurveChannels; ++c) {
    EXPECT_EQ(set.mode[c], 1);
    EXPECT_EQ(set.gammaHundredths[c], 100);
    EXPECT_EQ(set.pointCount[c], 2);
    EXPECT_EQ(set.points[c][0].input, 0);
    EXPECT_EQ(set.points[c][0].output, 0);
    EXPECT_EQ(set.points[c][1].input, 255);
    EXPECT_EQ(set.points[c][1].output, 255);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(set.tables[c][i], i);
  }

  set.polarity = 2;
  set.tables[3][9] = 0;
  ResetCurveSetForRawTables(set);
  EXPECT_EQ(set.polarity, 2);
  for (int c = 0; c < kCurveChannels; ++c) {
    EXPECT_EQ(set.mode[c], 2);
    EXPECT_EQ(set.pointCount[c], 0);
    EXPECT_EQ(set.points[c][1].input, 255);
  }
  EXPECT_EQ(set.tables[3][9], 9);

  set.mode[2] = 3;
  set.gammaHundredths[2] = 220;
  ResetCurveChannel(set, 2);
  EXPECT_EQ(set.mode[2], 1);
  EXPECT_EQ(set.gammaHundredths[2], 100);
  EXPECT_EQ(set.mode[1], 2);
  EXPECT_EQ(set.polarity, 2);
  ResetCurveChannel(set, 5);
  ResetCurveChannel(set, -1);
}

}  // namespace
}  // namespace k7730
