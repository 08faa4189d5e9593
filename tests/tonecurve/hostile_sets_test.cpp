// Sets from outside the editor (a host's block, a foreign file) may break
// every invariant: point counts beyond the 20-point array or negative,
// stale points on free-hand channels, coordinates beyond the area, unknown
// modes. The editor shows and edits them without reaching outside the set.
#include <random>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "formats/polarity.h"

namespace k7730::editor_test {
namespace {

using namespace res;

ToneCurveSet HostileSet() {
  ToneCurveSet set = FreshSet();
  for (int c = 0; c < kCurveChannels; ++c) {
    for (int k = 0; k < kMaxCurvePoints; ++k) {
      set.points[c][k].input = static_cast<std::uint16_t>(13 * k);
      set.points[c][k].output = static_cast<std::uint16_t>(255 - 13 * k);
    }
    for (int x = 0; x < 256; ++x) set.tables[c][x] = static_cast<std::uint8_t>(x / 2 + 40);
  }
  set.pointCount[0] = 25;     // beyond the array
  set.pointCount[1] = -3;     // negative
  set.pointCount[2] = 1;      // too few to make a curve
  set.mode[3] = kModeFreeHand;
  set.pointCount[3] = 7;      // stale points
  set.pointCount[4] = 30000;
  set.points[0][5].output = 65535;  // far outside the area
  return set;
}

TEST_F(EditorTest, ChannelsWhosePointsDoNotMakeACurveKeepTheirTables) {
  ToneCurveSet set = HostileSet();
  const ToneCurveSet before = set;
  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    d.Pick(kTcChannelList, 3);  // free-hand with stale points
    d.Pick(kTcChannelList, 2);  // control points, only one valid
    // Drawn without handles: the one point's pixel shows the curve only.
    EXPECT_EQ(d.Area()->Raster().At(0, 0), ui::kWhite);
    d.Pick(kTcChannelList, 1);  // control points, none valid
    d.Click(kTcOk);
  });
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(TableOf(set, c), TableOf(before, c)) << c;
  EXPECT_EQ(set.pointCount[3], 7);  // stored as it came

  // A polarity switch converts such channels through their tables.
  ToneCurveSet flipped = HostileSet();
  Edit(flipped, kInputCurves, [&](VirtualDialog& d) {
    d.Click(kTcInputBar);
    d.Click(kTcOk);
  });
  for (int c = 1; c <= 3; ++c) {
    std::vector<std::uint8_t> expected = TableOf(before, c);
    ReverseInvertTable(expected.data());
    EXPECT_EQ(TableOf(flipped, c), expected) << c;
  }
  // Twenty valid points of thirty thousand: flipped and made into the table.
  std::uint8_t fromPoints[256];
  ComputeCurveTable(flipped.points[4], kMaxCurvePoints, fromPoints);
  EXPECT_EQ(TableOf(flipped, 4), std::vector<std::uint8_t>(fromPoints, fromPoints + 256));
  EXPECT_EQ(flipped.points[4][0].input, 255 - 13 * 19);
}

TEST_F(EditorTest, RandomForeignSetsSurviveEveryCommandAndCancelKeepsThem) {
  std::mt19937 random(7730);
  for (int round = 0; round < 40; ++round) {
    ToneCurveSet set;
    auto* bytes = reinterpret_cast<std::uint8_t*>(&set);
    for (std::size_t i = 0; i < sizeof set; ++i) bytes[i] = static_cast<std::uint8_t>(random());
    // Some modes the editor knows, so that every tool path runs.
    for (int c = 0; c < kCurveChannels; ++c) {
      if (random() % 2) set.mode[c] = static_cast<std::uint16_t>(1 + random() % 3);
    }
    const ToneCurveSet before = set;
    Edit(set, static_cast<int>(round % 2), [&](VirtualDialog& d) {
      for (int step = 0; step < 12; ++step) {
        const PixelPoint p{static_cast<int>(random() % 300) - 20, static_cast<int>(random() % 300) - 20};
        switch (random() % 9) {
          case 0: d.Area()->Drag(p, {{p.x + 9, p.y - 30}, {p.x - 40, p.y + 5}}); break;
          case 1: d.Pick(kTcChannelList, static_cast<int>(random() % 4)); break;
          case 2: d.Click(kTcCopy); d.Click(kTcPaste); break;
          case 3: d.Click(kTcInputBar); break;
          case 4: d.Click(static_cast<int>(kTcGammaTool + random() % 3)); break;
          case 5: d.Type(kTcGammaBox, std::to_string(random() % 400) + ".5"); break;
          case 6: d.Area()->MoveTo(p); break;
          case 7: d.Click(kTcReset); break;
          default: d.Area()->Press(p); d.Area()->LoseCapture(); break;
        }
      }
      d.Click(kTcCancel);
    });
    EXPECT_TRUE(SameBytes(set, before)) << round;
  }
}

}  // namespace
}  // namespace k7730::editor_test
