#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

#include "formats/curve_table.h"

namespace k7730 {
namespace {

using Table = std::array<std::uint8_t, 256>;

Table Curve(std::initializer_list<std::pair<int, int>> inputOutput) {
  ControlPoint points[kMaxCurvePoints] = {};
  int n = 0;
  for (auto [in, out] : inputOutput) {
    points[n++] = ControlPoint{static_cast<std::uint16_t>(out), static_cast<std::uint16_t>(in)};
  }
  Table t{};
  ComputeCurveTable(points, n, t.data());
  return t;
}

TEST(CurveTable, WorkedValuesOfLinesAndTheThreePointSpline) {
  Table identity = Curve({{0, 0}, {255, 255}});
  for (int x = 0; x < 256; ++x) EXPECT_EQ(identity[x], x);
  // Flat beyond the ends; a falling line truncates toward zero, not down.
  Table t = Curve({{20, 40}, {200, 180}});
  EXPECT_EQ(t[0], 40); EXPECT_EQ(t[20], 40); EXPECT_EQ(t[100], 102); EXPECT_EQ(t[200], 180); EXPECT_EQ(t[255], 180);
  Table falling = Curve({{0, 255}, {255, 0}});
  for (int x = 0; x < 256; ++x) EXPECT_EQ(falling[x], 255 - x);
  EXPECT_EQ(Curve({{0, 10}, {255, 0}})[1], 10);  // 10 + (1 * -10) / 255 = 10 - 0
  Table spline = Curve({{0, 0}, {128, 200}, {255, 255}});
  EXPECT_EQ(spline[0], 0); EXPECT_EQ(spline[64], 114); EXPECT_EQ(spline[128], 200);
  EXPECT_EQ(spline[192], 241); EXPECT_EQ(spline[255], 255);
}

TEST(CurveTable, SplinesThroughEveryPointExactly) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 500; ++trial) {
    const int n = 3 + static_cast<int>(rng() % 18);
    ControlPoint points[kMaxCurvePoints] = {};
    // Strictly rising inputs.
    std::array<bool, 256> used{};
    int chosen = 0;
    while (chosen < n) {
      int x = static_cast<int>(rng() % 256);
      if (!used[x]) used[x] = true, ++chosen;
    }
    int k = 0;
    for (int x = 0; x < 256; ++x) {
      if (used[x]) points[k++] = ControlPoint{static_cast<std::uint16_t>(rng() % 256), static_cast<std::uint16_t>(x)};
    }
    Table t{};
    ComputeCurveTable(points, n, t.data());
    for (int i = 0; i < n; ++i) ASSERT_EQ(t[points[i].input], points[i].output) << trial;
    for (int x = 0; x < points[0].input; ++x) ASSERT_EQ(t[x], points[0].output);
    for (int x = points[n - 1].input; x < 256; ++x) ASSERT_EQ(t[x], points[n - 1].output);
  }
}

TEST(CurveTable, LargeSwingsAreClamped) {
  // Steep ups and downs make the spline overshoot a little above 255 beside
  // the peaks and far below 0 after the last one.
  Table t = Curve({{0, 0}, {10, 255}, {20, 0}, {30, 255}, {40, 0}, {255, 255}});
  for (int x : {8, 9, 10, 30, 31}) EXPECT_EQ(t[x], 255) << x;
  for (int x : {20, 40, 41, 100, 200}) EXPECT_EQ(t[x], 0) << x;
}

// Sets from outside the editor: whatever they hold, nothing divides by zero,
// only the 20 points are read, and entries are bytes. ASan/UBSan catch the
// rest (reads past the array, float-to-int overflow).
TEST(CurveTable, HostileSetsStayInBounds) {
  std::mt19937 rng(11);
  struct Guarded {
    ControlPoint points[kMaxCurvePoints];
    ControlPoint poison[4];
  };
  for (int trial = 0; trial < 3000; ++trial) {
    Guarded g;
    for (auto& p : g.points) {
      p.input = static_cast<std::uint16_t>(rng());
      p.output = static_cast<std::uint16_t>(rng());
      if (trial % 3 == 0) p.input = static_cast<std::uint16_t>(rng() % 8);  // many equal inputs
    }
    for (auto& p : g.poison) p = ControlPoint{0xFFFF, 0xFFFF};
    const int count = static_cast<int>(rng() % 40) - 5;
    Table t{};
    ComputeCurveTable(g.points, count, t.data());
  }

  // Equal inputs throughout: a flat table of the first point's output.
  Table same = Curve({{50, 10}, {50, 200}, {50, 100}});
  for (auto v : same) EXPECT_EQ(v, 10);
  // Falling inputs: only the rising prefix counts.
  Table fall = Curve({{0, 0}, {255, 255}, {100, 0}});
  for (int x = 0; x < 256; ++x) EXPECT_EQ(fall[x], x);
  // Out-of-range coordinates (as signed 16-bit) are dropped or clamped.
  Table wild = Curve({{-300, 0}, {0, 900}, {255, -40}});
  EXPECT_EQ(wild[0], 255);
  EXPECT_EQ(wild[255], 0);
  // Fewer than two points leave the table alone.
  ControlPoint one[kMaxCurvePoints] = {{100, 100}};
  Table t;
  t.fill(77);
  for (int n : {1, 0, -5}) ComputeCurveTable(one, n, t.data());
  for (auto v : t) EXPECT_EQ(v, 77);
}

}  // namespace
}  // namespace k7730
