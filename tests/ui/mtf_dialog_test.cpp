// The MTF dialog: showing and reading its fields, Default, Load and Save.
#include <string>

#include "dialogs_fixture.h"
#include "resources/mtf_dialog.h"
#include "ui/mtf_dialog.h"
#include "../support/temp_files.h"

namespace k7730::dialogs_test {
namespace {

using namespace res;
using testing_files::Bytes;

constexpr int kCentre = 1018;  // c12
constexpr int kCornerRing = 1006;  // c0, hidden

// `count` copies of one integer, blank-separated.
std::string Integers(int count, const std::string& value) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i > 0 ? " " : "") + value;
  return text;
}

void WriteText(const std::string& path, const std::string& text) {
  testing_files::WriteBytes(path, Bytes(text.begin(), text.end()));
}

class MtfTest : public DialogsTest {
 protected:
  int Run(std::function<void(VirtualDialog&)> user, const char* folder = "/default/folder") {
    ui_->OnDialog("MTFSETUP2", std::move(user));
    return ui::RunMtfDialog(0x33, folder, block_.mtfName, &block_.mtf);
  }
  void ExpectRangeBox(std::size_t index, const char* text) { ExpectStopBox(index, text, "MTF"); }
  // Types each text into its field and presses OK: the dialog stays open
  // with `focus` focused and its text selected, and one box says `message`.
  void ExpectRefused(std::initializer_list<std::pair<int, const char*>> typed, int focus, const char* message) {
    ui_->messages.clear();
    Run([&](VirtualDialog& d) {
      for (const auto& [id, text] : typed) d.Type(id, text);
      d.Click(kMfOk);
      EXPECT_FALSE(d.Ended());
      EXPECT_EQ(d.FocusedItem(), focus);
      EXPECT_TRUE(d.TextSelected(focus));
      d.Click(kMfCancel);
    });
    ASSERT_EQ(ui_->messages.size(), 1u);
    ExpectRangeBox(0, message);
  }
  static constexpr const char* kCoefficientRange = "An integer between -9999 and 9999 is required.";
  static constexpr const char* kScaleRange = "An integer between 1 and 99999 is required.";
};

TEST_F(MtfTest, StartShowsEveryFieldWithItsLimit) {
  block_.mtf.coefficients[0] = -7;  // ring
  block_.mtf.coefficients[7] = 3;
  block_.mtf.scale = 0;
  Run([](VirtualDialog& d) {
    EXPECT_EQ(d.TextLimit(kMfScale), 5);
    int hiddenRing = 0;  // all 25 coefficient fields, the 16 of the outer ring hidden and disabled
    for (int id = kMfFirstCoefficient; id < kMfFirstCoefficient + 25; ++id) {
      EXPECT_EQ(d.TextLimit(id), 6) << id;
      hiddenRing += !d.Visible(id) && !d.Enabled(id);
    }
    EXPECT_EQ(hiddenRing, 16);
    EXPECT_EQ(d.Text(kCentre), "100");
    EXPECT_EQ(d.Text(1013), "3");
    EXPECT_EQ(d.Text(1012), "");  // 0 shows as nothing
    EXPECT_EQ(d.Text(kCornerRing), "-7");
    EXPECT_EQ(d.Text(kMfScale), "0");  // but the scale shows 0
    EXPECT_EQ(d.Text(kMfFileName), "");
    EXPECT_EQ(d.FocusedItem(), kMfDefault);
    d.Click(kMfCancel);
  });
}

TEST_F(MtfTest, LoadTakesTheCentreAndScaleAndClearsTheRing) {
  const std::string file = testing_files::TempPath(".mtf");
  WriteText(file, "9 0 0 0 0 0 1 2 3 0 0 4 5 6 0 0 7 8 9 0 0 0 0 0 -4 100");
  const K7730_SettingsBlock before = block_;
  ui_->AnswerWithPath(file);
  EXPECT_EQ(Run([&](VirtualDialog& d) {
              d.Type(kCentre, "42");  // replaced by the load
              d.Click(kMfLoad);
              EXPECT_EQ(d.Text(kMfFileName), std::string(PathFileName(file.c_str())));
              EXPECT_EQ(d.Text(1012), "1");
              EXPECT_EQ(d.Text(kCentre), "5");
              EXPECT_EQ(d.Text(1024), "9");
              EXPECT_EQ(d.Text(kCornerRing), "");
              d.Click(kMfCancel);
            }),
            0);
  EXPECT_TRUE(SameBytes(block_, before));  // cancelled after the load
  EXPECT_EQ(ui_->dialogs[0].filters,
            (std::vector<std::pair<std::string, std::string>>{{"Mtf file (*.mtf)", "*.mtf"}}));
}

TEST_F(MtfTest, AShortFileIsRefusedAndChangesNothing) {
  const std::string file = testing_files::TempPath(".mtf");
  WriteText(file, Integers(25, "7"));
  SetPath(block_.mtfName, "/kept/name.mtf");
  ui_->AnswerWithPath(file);
  ui_->AnswerWithPath(testing_files::TempPath(".none"));
  Run([](VirtualDialog& d) {
    d.Click(kMfLoad);
    EXPECT_EQ(d.Text(kCentre), "100");
    EXPECT_EQ(d.Text(kMfFileName), "name.mtf");
    d.Click(kMfLoad);
    d.Click(kMfOk);
  });
  ExpectStopBox(0, "Unsupported file format.", "MTF");
  ExpectStopBox(1, "Can not open file.", "MTF");
  EXPECT_EQ(std::string(block_.mtfName), "/kept/name.mtf");
  EXPECT_EQ(block_.mtf.coefficients[12], 100);
  EXPECT_EQ(ui_->dialogs[0].initialFolder, "/kept");
  EXPECT_EQ(ui_->dialogs[0].initialName, "name.mtf");
}

TEST_F(MtfTest, SavingTheDefaultWritesItsTwentySixLines) {
  const std::string file = testing_files::TempPath(".mtf");
  block_.mtf.coefficients[3] = 77;
  ui_->AnswerWithPath(file);
  Run([&](VirtualDialog& d) {
    d.Click(kMfDefault);
    d.Click(kMfSave);
    EXPECT_EQ(d.Text(kMfFileName), std::string(PathFileName(file.c_str())));
    d.Click(kMfOk);
  });
  std::string expected;
  for (int i = 0; i < 26; ++i) expected += i == 12 || i == 25 ? "100\n" : "0\n";
  const Bytes written = testing_files::ReadBytes(file);
  EXPECT_EQ(std::string(written.begin(), written.end()), expected);
  EXPECT_EQ(std::string(block_.mtfName), file);
  EXPECT_EQ(block_.mtf.coefficients[3], 0);
  ASSERT_EQ(ui_->dialogs.size(), 1u);
  EXPECT_TRUE(ui_->dialogs[0].save);
  EXPECT_EQ(ui_->dialogs[0].defaultExtension, "mtf");
  EXPECT_EQ(ui_->dialogs[0].title, "OPEN Mtf file");
}

TEST_F(MtfTest, CoefficientFieldsMustHoldIntegersInRange) {
  for (const char* bad : {"1 2", "1.5", "--1", "10000", "-10000"}) {
    SCOPED_TRACE(bad);
    ExpectRefused({{1012, bad}}, 1012, kCoefficientRange);
  }
  ui_->messages.clear();
  EXPECT_EQ(Run([](VirtualDialog& d) {
              d.Type(1012, "+");
              d.Type(1013, "");
              d.Type(1014, "-9999");
              d.Click(kMfOk);
            }),
            1);
  EXPECT_TRUE(ui_->messages.empty());
  EXPECT_EQ(block_.mtf.coefficients[6], 0);
  EXPECT_EQ(block_.mtf.coefficients[8], -9999);
}

TEST_F(MtfTest, TheScaleRuleWinsAndTheHigherIdTakesTheFocus) {
  for (const char* bad : {"", "0"}) {
    SCOPED_TRACE(std::string("scale \"") + bad + "\"");
    ExpectRefused({{1012, "x"}, {kMfScale, bad}}, kMfScale, kScaleRange);
  }
  ExpectRefused({{1012, "x"}, {1023, "y"}}, 1023, kCoefficientRange);

  // 100000 only a file can put there; the next OK refuses it.
  const std::string file = testing_files::TempPath(".mtf");
  WriteText(file, Integers(25, "0") + " 100000");
  ui_->messages.clear();
  ui_->AnswerWithPath(file);
  Run([](VirtualDialog& d) {
    d.Click(kMfLoad);
    EXPECT_EQ(d.Text(kMfScale), "100000");
    d.Click(kMfOk);
    EXPECT_FALSE(d.Ended());
    d.Click(kMfCancel);
  });
  ExpectRangeBox(0, kScaleRange);
}

TEST_F(MtfTest, OuterRingPassesThroughUntilItIsOutOfRange) {
  block_.mtf.coefficients[0] = 9999;
  block_.mtf.coefficients[24] = -1;
  EXPECT_EQ(Run([](VirtualDialog& d) { d.Click(kMfOk); }), 1);
  EXPECT_EQ(block_.mtf.coefficients[0], 9999);
  EXPECT_EQ(block_.mtf.coefficients[24], -1);

  block_.mtf.coefficients[4] = 2000000000;  // only a stored block can hold it
  ui_->AnswerWithPath(testing_files::TempPath(".mtf"));
  EXPECT_EQ(Run([](VirtualDialog& d) {
              d.Click(kMfSave);
              EXPECT_EQ(d.FocusedItem(), 1010);  // the hidden field
              d.Click(kMfOk);
              EXPECT_FALSE(d.Ended());
              d.Click(kMfDefault);
              d.Click(kMfOk);
            }),
            1);
  EXPECT_TRUE(ui_->dialogs.empty());  // Save stopped before its file dialog
  ExpectRangeBox(0, kCoefficientRange);
  ExpectRangeBox(1, kCoefficientRange);
  EXPECT_EQ(block_.mtf.coefficients[4], 0);
  EXPECT_EQ(block_.mtf.coefficients[12], 100);
}

}  // namespace
}  // namespace k7730::dialogs_test
