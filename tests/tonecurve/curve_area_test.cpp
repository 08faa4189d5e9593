// The curve drawing area under the user's mouse: what it paints, the points
// a press or a drag adds, moves and removes, free-hand strokes, cursors and
// readouts.
#include "editor_fixture.h"

namespace k7730::editor_test {
namespace {

using namespace res;
constexpr ui::Rgb kGrey{127, 127, 127};

class AreaTest : public EditorTest {
 protected:
  // Opens the input editor on `set`, lets `user` act on the area of the
  // current channel and confirms with OK.
  void WithArea(ToneCurveSet& set, std::function<void(VirtualDialog&, VirtualArea&)> user,
                int channel = 0) {
    Edit(set, kInputCurves, [&](VirtualDialog& d) {
      if (channel != 0) d.Pick(kTcChannelList, channel);
      ASSERT_NE(d.Area(), nullptr);
      user(d, *d.Area());
      d.Click(kTcOk);
    });
  }
};

TEST_F(AreaTest, DefaultChannelShowsTheDiagonalGridAndTwoCornerHandles) {
  ToneCurveSet set = FreshSet();
  WithArea(set, [&](VirtualDialog&, VirtualArea& area) {
    const ui::RasterCanvas& r = area.Raster();
    ASSERT_EQ(r.Width(), 256);
    for (int x = 3; x < 252; ++x) EXPECT_EQ(r.At(x, 255 - x), ui::kBlack) << x;
    // Handles: 5 x 5 squares centred on the corner pixels, clipped by the area.
    for (int d = 0; d <= 2; ++d) {
      EXPECT_EQ(r.At(d, 255 - 2), ui::kBlack);
      EXPECT_EQ(r.At(255 - d, 2), ui::kBlack);
    }
    EXPECT_EQ(r.At(3, 255 - 1), ui::kWhite);
    // Grid lines at 26, 51, .., 230 from the bottom-left corner; the first is checked on real windows.
    EXPECT_EQ(r.At(230, 10), kGrey);
    EXPECT_EQ(r.At(100, 255 - 128), kGrey);
    EXPECT_EQ(r.At(102, 254), kGrey);
    EXPECT_EQ(r.At(102, 255), ui::kWhite);  // lines leave out their end point
    EXPECT_EQ(r.At(254, 229), kGrey);
    EXPECT_EQ(r.At(255, 229), ui::kWhite);
    EXPECT_EQ(r.At(27, 100), ui::kWhite);
    EXPECT_EQ(r.At(60, 10), ui::kWhite);
  });
}

TEST_F(AreaTest, PressBetweenPointsAddsOneAndDragsIt) {
  ToneCurveSet set = FreshSet();
  WithArea(set, [&](VirtualDialog& d, VirtualArea& area) {
    area.Press(At(100, 150));
    EXPECT_TRUE(area.Tracking());
    EXPECT_TRUE(area.HasMouse());
    EXPECT_TRUE(d.AreaHasFocus());
    area.Release();
    EXPECT_FALSE(d.AreaHasFocus());
    EXPECT_EQ(area.Raster().At(100, 255 - 150), ui::kBlack);
    area.Drag(At(100, 150), {At(110, 150), At(120, 160)});
  });
  ASSERT_EQ(set.pointCount[0], 3);
  EXPECT_EQ(set.points[0][1].input, 120);
  EXPECT_EQ(set.points[0][1].output, 160);
  EXPECT_EQ(set.tables[0][120], 160);
}

TEST_F(AreaTest, PressesOutsideTheEndPointsOrOnATakenInputAddNothing) {
  ToneCurveSet set = FreshSet();
  SetPoints(set, 0, {{20, 40}, {100, 100}, {200, 180}});
  const ToneCurveSet before = set;
  WithArea(set, [&](VirtualDialog&, VirtualArea& area) {
    for (PixelPoint p : {At(10, 40), At(230, 200), At(100, 20), At(20, 200)}) {
      area.Press(p);
      EXPECT_FALSE(area.Tracking());
    }
    area.Press({-1, 40});  // outside the area
    EXPECT_FALSE(area.Tracking());
  });
  EXPECT_TRUE(SameBytes(set, before));
}

TEST_F(AreaTest, CursorFollowsThePointerAndTwentyPointsStopTheCross) {
  ToneCurveSet set = FreshSet();
  WithArea(set, [&](VirtualDialog& d, VirtualArea& area) {
    area.MoveTo(At(50, 200));
    EXPECT_EQ(Cursor(), System(ui::kIdcCross));
    area.MoveTo(At(253, 252));  // within the hit square of the last point
    EXPECT_EQ(Cursor(), Module("PLUS"));
    for (int k = 1; k <= 18; ++k) area.Drag(At(12 * k, 128), {});
    EXPECT_EQ(set.pointCount[0], 2);  // still the caller's set
    area.MoveTo(At(250, 20));
    EXPECT_EQ(Cursor(), System(ui::kIdcArrow));
    area.Press(At(250, 20));
    EXPECT_FALSE(area.Tracking());
    d.Click(kTcFreeHandTool);
    area.MoveTo(At(5, 5));
    EXPECT_EQ(Cursor(), Module("PEN"));
    area.MoveTo({300, 5});
    EXPECT_EQ(Cursor(), System(ui::kIdcArrow));
    EXPECT_FALSE(area.HasMouse());
    d.Click(kTcGammaTool);
    area.MoveTo(At(5, 5));
    EXPECT_EQ(Cursor(), System(ui::kIdcArrow));
    EXPECT_EQ(d.Text(kTcInputReadout), "");
    d.Click(kTcPointsTool);
  });
  EXPECT_EQ(set.pointCount[0], 16);
}

TEST_F(AreaTest, InnerPointDraggedOntoANeighbourGoesAndComesBack) {
  ToneCurveSet set = FreshSet();
  SetPoints(set, 0, {{0, 0}, {100, 100}, {200, 200}, {255, 255}});
  WithArea(set, [&](VirtualDialog& d, VirtualArea& area) {
    area.Press(At(100, 100));
    area.MoveTo(At(200, 100));  // the right neighbour's input
    EXPECT_EQ(Cursor(), Module("TRASH"));
    EXPECT_EQ(d.Text(kTcInputReadout), " in: 200");
    area.MoveTo(At(220, 100));
    EXPECT_EQ(Cursor(), Module("TRASH"));
    area.MoveTo(At(150, 90));
    EXPECT_EQ(Cursor(), Module("PLUS"));
    area.MoveTo(At(199, 255));  // just below the neighbour, at the top
    area.Release();
    EXPECT_EQ(d.Text(kTcInputReadout), "");
  });
  ASSERT_EQ(set.pointCount[0], 4);
  EXPECT_EQ(set.points[0][1].input, 199);
  EXPECT_EQ(set.points[0][1].output, 255);

  WithArea(set, [&](VirtualDialog&, VirtualArea& area) {
    area.Drag(At(199, 255), {At(0, 255)});
  });
  EXPECT_EQ(set.pointCount[0], 3);
}

TEST_F(AreaTest, EndPointsAreClampedNeverRemoved) {
  ToneCurveSet set = FreshSet();
  WithArea(set, [&](VirtualDialog&, VirtualArea& area) {
    area.Press(At(0, 0));
    area.MoveTo({0, 400});
    EXPECT_EQ(Cursor(), Module("STOP"));
    area.MoveTo({-3, 250});
    EXPECT_EQ(Cursor(), Module("STOP"));
    area.Release();
    area.Press(At(255, 255));
    area.MoveTo(At(0, 200));  // left of its bounds but inside the area
    EXPECT_EQ(Cursor(), Module("PLUS"));
    area.Release();
  });
  ASSERT_EQ(set.pointCount[0], 2);
  EXPECT_EQ(set.points[0][0].input, 0);
  EXPECT_EQ(set.points[0][0].output, 5);
  EXPECT_EQ(set.points[0][1].input, 1);
  EXPECT_EQ(set.points[0][1].output, 200);
}

TEST_F(AreaTest, FreehandSweepWritesTheSegmentIntoTheTable) {
  ToneCurveSet set = FreshSet();
  WithArea(set, [&](VirtualDialog& d, VirtualArea& area) {
    d.Click(kTcFreeHandTool);
    area.Drag(At(10, 0), {At(13, 10)});
    // Backwards and off the area: clamped into it, press included.
    area.Drag({300, -40}, {At(250, 100)});
    area.Press({-20, 600});
    EXPECT_EQ(d.Text(kTcInputReadout), " in: 0");
    EXPECT_EQ(d.Text(kTcOutputReadout), "out: 0");
    area.MoveTo(At(2, 20));
    area.Release();
  });
  EXPECT_EQ(set.mode[0], kModeFreeHand);
  EXPECT_EQ(set.pointCount[0], 0);
  // Entry and value: the first stroke from 10 to 13, the clamped one at 250,
  // the last from 0 to 2, and the untouched entries beside them.
  for (auto [x, v] : {std::pair{9, 9}, {10, 0}, {11, 3}, {12, 6}, {13, 9}, {14, 14}, {250, 100}, {255, 255},
                      {0, 0}, {1, 10}, {2, 20}}) {
    EXPECT_EQ(set.tables[0][x], v) << "entry " << x;
  }
}

TEST_F(AreaTest, ReadoutsShowLevelsOrInkPercentages) {
  ToneCurveSet set = FreshSet();
  WithArea(set, [&](VirtualDialog& d, VirtualArea& area) {
    area.MoveTo(At(128, 255));
    EXPECT_EQ(d.Text(kTcInputReadout), " in: 128");
    EXPECT_EQ(d.Text(kTcOutputReadout), "out: 255");
    d.Click(kTcInputBar);
    EXPECT_EQ(d.Text(kTcInputReadout), "");
    area.MoveTo(At(128, 255));  // the pair last computed: nothing changes
    EXPECT_EQ(d.Text(kTcInputReadout), "");
    area.MoveTo(At(0, 0));
    EXPECT_EQ(d.Text(kTcInputReadout), " in: 0%");
    area.MoveTo(At(128, 255));
    EXPECT_EQ(d.Text(kTcInputReadout), " in: 50%");
    EXPECT_EQ(d.Text(kTcOutputReadout), "out: 100%");
    area.MoveTo({-1, 10});
    EXPECT_EQ(d.Text(kTcInputReadout), "");
    EXPECT_FALSE(area.HasMouse());
  });
}

TEST_F(AreaTest, LosingTheCaptureEndsATrackingLoop) {
  ToneCurveSet set = FreshSet();
  WithArea(set, [&](VirtualDialog& d, VirtualArea& area) {
    area.Press(At(100, 30));
    area.MoveTo(At(110, 40));
    area.LoseCapture();
    EXPECT_FALSE(area.Tracking());
    EXPECT_FALSE(d.AreaHasFocus());
    EXPECT_EQ(d.Text(kTcOutputReadout), "");
    area.MoveTo(At(130, 60));  // a plain move now
    d.Click(kTcFreeHandTool);
    area.Press(At(20, 20));
    area.LoseCapture();
    EXPECT_FALSE(area.Tracking());
    area.MoveTo(At(30, 250));
  });
  EXPECT_EQ(set.tables[0][20], 20);
  EXPECT_NE(set.tables[0][30], 250);  // moves after the loss draw nothing
}

}  // namespace
}  // namespace k7730::editor_test
