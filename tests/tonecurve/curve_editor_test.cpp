// The tone-curve editor driven as a user would: what the dialog shows and
// what reaches the caller's set.
#include <cmath>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "formats/gamma_table.h"
#include "formats/polarity.h"
#include "formats/decimal_text.h"
#include "../support/temp_files.h"

namespace k7730::editor_test {
namespace {

using namespace res;

std::vector<std::uint8_t> GammaTable(double gamma) {
  std::uint8_t table[256];
  ComputeGammaTable(gamma, table);
  return {table, table + 256};
}

// The captions and the owner are checked where the export opens the editor.
TEST_F(EditorTest, OpeningShowsTheDirectionsChannelsAndChannelZeroAndOkWritesTheSetBack) {
  ToneCurveSet set = FreshSet();
  SetPoints(set, 0, {{0, 0}, {64, 100}, {255, 255}});
  set.mode[1] = kModeFreeHand;
  set.pointCount[1] = 0;
  set.tables[1][3] = 200;
  set.tables[4][9] = 1;
  set.polarity = 0;  // neither levels nor ink
  ToneCurveSet expected = set;
  expected.polarity = kPolarityLevels;
  const int result = Edit(set, kInputCurves, [&](VirtualDialog& d) {
    EXPECT_EQ(d.ComboItems(kTcChannelList), (std::vector<std::string>{"RGB", "Red(R)", "Green(G)", "Blue(B)"}));
    EXPECT_EQ(d.ComboSelection(kTcChannelList), 0);
    EXPECT_FALSE(d.Enabled(kTcPaste));
    EXPECT_EQ(d.Text(kTcGammaBox), "1.00");
    EXPECT_FALSE(d.Enabled(kTcGammaBox));
    EXPECT_TRUE(d.Checked(kTcPointsRadio));
    EXPECT_FALSE(d.Checked(kTcGammaRadio));
    EXPECT_EQ(d.Text(kTcInputReadout), "");
    EXPECT_EQ(d.Text(kTcOutputReadout), "");
    // Tools by mode, bars by polarity (levels after the default).
    EXPECT_EQ(d.Bitmap(kTcPointsTool), kBmpCurveActive);
    EXPECT_EQ(d.Bitmap(kTcFreeHandTool), kBmpPencil);
    EXPECT_EQ(d.Bitmap(kTcGammaTool), kBmpGamma);
    EXPECT_EQ(d.Bitmap(kTcInputBar), kBmpRampBlackToWhite);
    EXPECT_EQ(d.Bitmap(kTcOutputBar), kBmpRampWhiteTopDown);
    d.Click(kTcOk);
  });
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(SameBytes(set, expected));

  set.polarity = 9;
  Edit(set, kOutputCurves, [&](VirtualDialog& d) {
    EXPECT_EQ(d.ComboItems(kTcChannelList),
              (std::vector<std::string>{"CMY", "Cyan(C)", "Magenta(M)", "Yellow(Y)"}));
    EXPECT_EQ(d.Bitmap(kTcInputBar), kBmpRampWhiteToBlack);
    EXPECT_EQ(d.Bitmap(kTcOutputBar), kBmpRampBlackTopDown);
    d.Click(kTcOk);
  });
  EXPECT_EQ(set.polarity, kPolarityInk);
}

TEST_F(EditorTest, LayoutPutsTheAreaAndItsBarsInPixelsAndTheButtonsBesideThem) {
  ToneCurveSet set = FreshSet();
  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    const ui::PixelRect frame = VirtualDialog::ToPixels(kToneCurveDialog.Find(kTcAreaFrame)->rect);
    VirtualArea* area = d.Area();
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->ClassName(), "EditArea");
    const ui::PixelRect placed = area->PlacedAt();
    EXPECT_EQ(placed, (ui::PixelRect{frame.left, frame.top, frame.left + 256, frame.top + 256}));
    const ui::PixelRect inputBar = d.Rect(kTcInputBar);
    EXPECT_EQ(inputBar.left, placed.left);
    EXPECT_EQ(inputBar.top, placed.bottom + 2);
    EXPECT_EQ(inputBar.Width(), d.Rect(kTcInputBarSize).Width());
    const ui::PixelRect outputBar = d.Rect(kTcOutputBar);
    EXPECT_EQ(outputBar.right, placed.left - 2);
    EXPECT_EQ(outputBar.top, placed.top);
    EXPECT_EQ(outputBar.Height(), d.Rect(kTcOutputBarSize).Height());
    // The button column keeps its distance to the area, and the dialog
    // ends 10 pixels beyond the column and below the lowest control.
    const int shift = placed.right - frame.right;
    EXPECT_EQ(d.Rect(kTcOk).left, VirtualDialog::ToPixels(kToneCurveDialog.Find(kTcOk)->rect).left + shift);
    EXPECT_EQ(d.Rect(kTcGammaBox), VirtualDialog::ToPixels(kToneCurveDialog.Find(kTcGammaBox)->rect));
    EXPECT_EQ(d.Extent().x, d.Rect(kTcCopy).right + 10);
    EXPECT_EQ(d.Extent().y, std::max(d.Rect(kTcOutputReadout).bottom, inputBar.bottom) + 10);
    d.Click(kTcCancel);
  });
}

TEST_F(EditorTest, GammaBoxStoresHundredthsAndTheTableFollowsTheValueAsTyped) {
  ToneCurveSet set = FreshSet();
  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    d.Pick(kTcChannelList, 1);
    d.Click(kTcGammaTool);
    EXPECT_TRUE(d.Checked(kTcGammaRadio));
    EXPECT_TRUE(d.Enabled(kTcGammaBox));
    EXPECT_EQ(d.FocusedItem(), kTcGammaBox);
    EXPECT_TRUE(d.TextSelected(kTcGammaBox));
    EXPECT_EQ(d.Bitmap(kTcGammaTool), kBmpGammaActive);
    EXPECT_EQ(d.Bitmap(kTcPointsTool), kBmpCurve);
    d.Type(kTcGammaBox, "2.2");
    d.Pick(kTcChannelList, 0);
    EXPECT_FALSE(d.Enabled(kTcGammaBox));
    d.Pick(kTcChannelList, 1);
    EXPECT_EQ(d.Text(kTcGammaBox), "2.20");
    d.Pick(kTcChannelList, 2);
    d.Click(kTcGammaTool);
    d.Type(kTcGammaBox, "0.29");
    d.Pick(kTcChannelList, 0);
    d.Pick(kTcChannelList, 2);
    EXPECT_EQ(d.Text(kTcGammaBox), "0.29");
    d.Click(kTcOk);
  });
  EXPECT_EQ(set.gammaHundredths[1], 220);
  EXPECT_EQ(set.mode[1], kModeGamma);
  EXPECT_EQ(set.pointCount[1], 0);
  EXPECT_EQ(TableOf(set, 1), GammaTable(2.2));
  EXPECT_EQ(set.gammaHundredths[2], 29);
}

TEST_F(EditorTest, GammaTextWithoutANumberIsZeroAndHugeValuesAreLimited) {
  ToneCurveSet set = FreshSet();
  set.polarity = kPolarityInk;
  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    d.Click(kTcGammaTool);
    d.Type(kTcGammaBox, "abc");
    EXPECT_EQ(d.Text(kTcGammaBox), "abc");  // the box keeps what was typed
    d.Pick(kTcChannelList, 1);
    d.Click(kTcGammaTool);
    d.Type(kTcGammaBox, "1e9");
    d.Pick(kTcChannelList, 2);
    d.Click(kTcGammaTool);
    d.Type(kTcGammaBox, "-3");
    d.Click(kTcOk);
  });
  EXPECT_EQ(set.gammaHundredths[0], 0);
  EXPECT_EQ(set.gammaHundredths[1], 32767);
  EXPECT_EQ(set.gammaHundredths[2], -299);
  // In ink polarity the gamma law acts on ink amounts.
  std::vector<std::uint8_t> ink = GammaTable(1e9);
  ReverseInvertTable(ink.data());
  EXPECT_EQ(TableOf(set, 1), ink);
}

TEST(GammaText, TheLeadingDecimalNumberCounts) {
  EXPECT_DOUBLE_EQ(ParseLeadingNumber("  +.5x"), 0.5);
  EXPECT_DOUBLE_EQ(ParseLeadingNumber("-3."), -3.0);
  EXPECT_DOUBLE_EQ(ParseLeadingNumber("2,5"), 2.0);  // whatever the locale says
  EXPECT_DOUBLE_EQ(ParseLeadingNumber("1.5e1e"), 15.0);
  EXPECT_DOUBLE_EQ(ParseLeadingNumber("7e+"), 7.0);
  for (const char* zero : {"", ".", "-", "abc", "inf", "nan", "e5", "0x10", "1e-400"}) {
    EXPECT_EQ(ParseLeadingNumber(zero), 0.0) << zero;
  }
  EXPECT_EQ(ParseLeadingNumber(nullptr), 0.0);
  EXPECT_TRUE(std::isinf(ParseLeadingNumber("1e400")));
}

TEST_F(EditorTest, ModeChangesConvertTheChannel) {
  ToneCurveSet set = FreshSet();
  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    d.Click(kTcGammaTool);
    d.Type(kTcGammaBox, "2.20");
    d.Click(kTcPointsTool);
    EXPECT_TRUE(d.Checked(kTcPointsRadio));
    EXPECT_FALSE(d.Enabled(kTcGammaBox));
    d.Pick(kTcChannelList, 1);
    d.Area()->Drag(At(100, 100), {At(100, 180)});
    d.Click(kTcFreeHandTool);
    EXPECT_EQ(d.Bitmap(kTcFreeHandTool), kBmpPencilActive);
    d.Click(kTcFreeHandTool);  // the same mode again changes nothing
    d.Click(kTcOk);
  });
  const std::vector<std::uint8_t> gamma = GammaTable(2.2);
  ASSERT_EQ(set.pointCount[0], 16);
  EXPECT_EQ(set.mode[0], kModePoints);
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(set.points[0][k].input, 17 * k);
    EXPECT_EQ(set.points[0][k].output, gamma[17 * k]);
  }
  std::uint8_t smoothed[256];
  ComputeCurveTable(set.points[0], 16, smoothed);
  EXPECT_EQ(TableOf(set, 0), std::vector<std::uint8_t>(smoothed, smoothed + 256));

  // Free-hand keeps the table the points had made.
  ToneCurveSet expected = FreshSet();
  SetPoints(expected, 1, {{0, 0}, {100, 180}, {255, 255}});
  EXPECT_EQ(set.mode[1], kModeFreeHand);
  EXPECT_EQ(set.pointCount[1], 0);
  EXPECT_EQ(TableOf(set, 1), TableOf(expected, 1));
}

TEST_F(EditorTest, PasteNeedsACopyInTheSameOpening) {
  ToneCurveSet set = FreshSet();
  SetPoints(set, 1, {{0, 30}, {128, 90}, {255, 200}});
  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    d.Pick(kTcChannelList, 1);
    d.Click(kTcCopy);
    EXPECT_TRUE(d.Enabled(kTcPaste));
    d.Pick(kTcChannelList, 3);
    d.Click(kTcPaste);
    EXPECT_TRUE(d.Checked(kTcPointsRadio));
    d.Click(kTcOk);
  });
  EXPECT_EQ(set.pointCount[3], 3);
  EXPECT_EQ(set.points[3][1].output, 90);
  EXPECT_EQ(TableOf(set, 3), TableOf(set, 1));

  // The clipboard survives, but the next opening starts with Paste disabled.
  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    EXPECT_FALSE(d.Enabled(kTcPaste));
    d.Click(kTcCopy);  // channel 0, the identity
    d.Pick(kTcChannelList, 1);
    d.Click(kTcPaste);
    d.Click(kTcOk);
  });
  EXPECT_EQ(set.pointCount[1], 2);
  EXPECT_EQ(set.tables[1][100], 100);
}

TEST_F(EditorTest, ResetGivesTheChannelTheDefaultCurve) {
  ToneCurveSet set = FreshSet();
  set.polarity = kPolarityInk;
  set.mode[2] = kModeGamma;
  set.gammaHundredths[2] = 250;
  ComputeGammaTable(2.5, set.tables[2]);
  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    d.Pick(kTcChannelList, 2);
    EXPECT_TRUE(d.Checked(kTcGammaRadio));
    d.Click(kTcReset);
    EXPECT_TRUE(d.Checked(kTcPointsRadio));
    EXPECT_EQ(d.Text(kTcGammaBox), "1.00");
    d.Click(kTcOk);
  });
  ToneCurveSet expected = FreshSet();
  expected.polarity = kPolarityInk;
  EXPECT_TRUE(SameBytes(set, expected));
}

TEST_F(EditorTest, PolaritySwitchConvertsEveryChannel) {
  ToneCurveSet set = FreshSet();
  SetPoints(set, 2, {{0, 20}, {60, 150}, {255, 230}});
  const ToneCurveSet before = set;

  ToneCurveSet twice = set;
  Edit(twice, kInputCurves, [&](VirtualDialog& d) {
    d.Click(kTcInputBar);
    d.Click(kTcInputBar);
    d.Click(kTcOutputBar);  // does nothing
    d.Click(kTcOk);
  });
  EXPECT_TRUE(SameBytes(twice, before));

  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    d.Click(kTcInputBar);
    EXPECT_EQ(d.Bitmap(kTcInputBar), kBmpRampWhiteToBlack);
    EXPECT_EQ(d.Bitmap(kTcOutputBar), kBmpRampBlackTopDown);
    d.Click(kTcOk);
  });
  EXPECT_EQ(set.polarity, kPolarityInk);
  ASSERT_EQ(set.pointCount[2], 3);
  EXPECT_EQ(set.points[2][0].input, 0);
  EXPECT_EQ(set.points[2][0].output, 25);
  EXPECT_EQ(set.points[2][1].input, 195);
  EXPECT_EQ(set.points[2][1].output, 105);
  std::uint8_t fromPoints[256];
  ComputeCurveTable(set.points[2], 3, fromPoints);
  EXPECT_EQ(TableOf(set, 2), std::vector<std::uint8_t>(fromPoints, fromPoints + 256));
}

TEST_F(EditorTest, LoadAndSaveReportTheirStatusUnderTheCaption) {
  const std::string path = testing_files::TempPath(".tcv");
  ToneCurveSet set = FreshSet();
  SetPoints(set, 1, {{0, 0}, {100, 60}, {255, 255}});
  ToneCurveSet loaded = FreshSet();
  ui_->AnswerWithPath(path);  // save
  ui_->AnswerWithPath(testing_files::TempPath(".missing"));
  ui_->AnswerWithPath(path);  // load
  Edit(set, kInputCurves, [&](VirtualDialog& d) { d.Click(kTcSave); });
  EXPECT_TRUE(ui_->messages.empty());
  Edit(loaded, kOutputCurves, [&](VirtualDialog& d) {
    d.Click(kTcLoad);
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(ui_->messages[0].text, "Can not open file.");
    EXPECT_EQ(ui_->messages[0].caption, "Output Tone Curve");
    EXPECT_EQ(ui_->messages[0].owner, 0u);
    d.Click(kTcLoad);
    d.Pick(kTcChannelList, 1);
    EXPECT_EQ(d.Area()->Raster().At(100, 255 - 60), ui::kBlack);  // the loaded point's handle
    d.Click(kTcOk);
  });
  EXPECT_EQ(ui_->messages.size(), 1u);
  EXPECT_EQ(loaded.pointCount[1], 3);
  EXPECT_EQ(TableOf(loaded, 1), TableOf(set, 1));

  ui_->AnswerWithPath(::testing::TempDir());  // a folder cannot be created as a file
  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    d.Click(kTcSave);
    d.Click(kTcCancel);
  });
  ASSERT_EQ(ui_->messages.size(), 2u);
  EXPECT_EQ(ui_->messages[1].text, "Can not create file.");
  EXPECT_EQ(ui_->messages[1].caption, "Input Tone Curve");
}

TEST_F(EditorTest, CursorTableLivesOnlyWhileTheEditorRunsAndTheCursorComesBack) {
  ToneCurveSet set = FreshSet();
  ui_->currentCursor = 0x4242;
  Edit(set, kInputCurves, [&](VirtualDialog& d) {
    EXPECT_NE(ui::CursorInSlot(ui::kCursorPen), 0u);
    d.Click(kTcCancel);
  });
  EXPECT_EQ(ui::CursorInSlot(ui::kCursorPen), 0u);
  EXPECT_EQ(Cursor(), 0x4242u);
}

}  // namespace
}  // namespace k7730::editor_test
