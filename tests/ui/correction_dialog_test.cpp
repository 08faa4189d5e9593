// The correction dialog: sections shown by their flags, switching a section
// on through its editor, the labels, OK and Cancel.
#include <string>

#include "dialogs_fixture.h"
#include "resources/correction_dialog.h"
#include "resources/icc_dialog.h"
#include "resources/mtf_dialog.h"
#include "resources/tonecurve_dialog.h"
#include "ui/correction_dialog.h"
#include "../support/temp_files.h"

namespace k7730::dialogs_test {
namespace {

using namespace res;

constexpr int kIccDependents[] = {kCoIccButton, kCoInputProfileName, kCoOutputProfileName,
                                  kCoInputProfileLabel, kCoOutputProfileLabel};

class CorrectionTest : public DialogsTest {
 protected:
  int Run(std::function<void(VirtualDialog&)> user, std::uint16_t* err = nullptr) {
    ui_->OnDialog("CORRECT_UI", std::move(user));
    return ui::RunCorrectionDialog(0x99, block_, err);
  }
};

TEST_F(CorrectionTest, StartShowsEachSectionByItsFlag) {
  block_.inputCurveEnabled = 1;
  block_.outputCurveEnabled = 7;  // on for its controls, not for its mark
  block_.iccEnabled = 2;          // colour matching counts only with 1
  block_.mtfEnabled = 0;
  Run([&](VirtualDialog& d) {
    EXPECT_TRUE(d.Checked(kCoInputCurveCheck));
    EXPECT_TRUE(d.Enabled(kCoInputCurveButton));
    EXPECT_TRUE(d.Enabled(kCoInputCurveNote));
    EXPECT_FALSE(d.Checked(kCoOutputCurveCheck));
    EXPECT_TRUE(d.Enabled(kCoOutputCurveButton));
    EXPECT_TRUE(d.Enabled(kCoOutputCurveNote));
    EXPECT_FALSE(d.Checked(kCoIccCheck));
    for (int id : kIccDependents) EXPECT_FALSE(d.Enabled(id)) << id;
    EXPECT_FALSE(d.Checked(kCoMtfCheck));
    EXPECT_FALSE(d.Enabled(kCoMtfButton));
    EXPECT_TRUE(d.Visible(kCoMtfName));
    EXPECT_EQ(d.Text(kCoMtfName), "CUSTOM");
    EXPECT_EQ(d.Text(kCoInputProfileName), "rgb_gamma22.icc");
    EXPECT_EQ(d.Text(kCoOutputProfileName), "rgb_lut16.icc");
    EXPECT_EQ(d.FocusedItem(), kCoOk);
    d.Click(kCoCancel);
  });
}

TEST_F(CorrectionTest, SwitchingColourMatchingOnAndCancellingItsDialogLeavesItOff) {
  ui_->OnDialog("ICCSETUP", [](VirtualDialog& d) { d.Click(kIcCancel); });
  Run([&](VirtualDialog& d) {
    d.Click(kCoIccCheck);
    EXPECT_FALSE(d.Checked(kCoIccCheck));
    for (int id : kIccDependents) EXPECT_FALSE(d.Enabled(id)) << id;
    d.Click(kCoOk);
  });
  EXPECT_EQ(block_.iccEnabled, 0u);
  EXPECT_EQ(ui_->dialogsRun, (std::vector<std::string>{"CORRECT_UI", "ICCSETUP"}));
}

// CUSTOM while no file is named (checked at the start); the file's name once
// one is loaded.
TEST_F(CorrectionTest, MtfLabelShowsTheLoadedFilesName) {
  const std::string file = testing_files::TempPath(".mtf");
  const std::string text = "0 0 0 0 0 0 0 0 0 0 0 0 100 0 0 0 0 0 0 0 0 0 0 0 0 100";
  testing_files::WriteBytes(file, testing_files::Bytes(text.begin(), text.end()));
  ui_->OnDialog("MTFSETUP2", [&](VirtualDialog& d) {
    ui_->AnswerWithPath(file);
    d.Click(kMfLoad);
    d.Click(kMfOk);
  });
  Run([&](VirtualDialog& d) {
    d.Click(kCoMtfCheck);  // switched on: the MTF dialog opens at once
    EXPECT_TRUE(d.Checked(kCoMtfCheck));
    EXPECT_TRUE(d.Enabled(kCoMtfButton));
    EXPECT_EQ(d.Text(kCoMtfName), std::string(PathFileName(file.c_str())));
    d.Click(kCoOk);
  });
  EXPECT_EQ(block_.mtfEnabled, 1u);
  EXPECT_EQ(std::string(block_.mtfName), file);
}

TEST_F(CorrectionTest, SwitchingASectionOffOpensNothingAndKeepsItsSettings) {
  block_.inputCurveEnabled = 1;
  block_.inputCurves.polarity = 2;
  block_.iccEnabled = 1;
  const K7730_SettingsBlock before = block_;
  Run([&](VirtualDialog& d) {
    d.Click(kCoInputCurveCheck);
    d.Click(kCoIccCheck);
    EXPECT_FALSE(d.Enabled(kCoInputCurveButton));
    EXPECT_FALSE(d.Enabled(kCoIccButton));
    d.Click(kCoOk);
  });
  EXPECT_EQ(ui_->dialogsRun, std::vector<std::string>{"CORRECT_UI"});
  EXPECT_EQ(block_.inputCurveEnabled, 0u);
  EXPECT_EQ(block_.iccEnabled, 0u);
  EXPECT_EQ(block_.inputCurves.polarity, 2);
  EXPECT_EQ(std::memcmp(block_.inputProfilePath, before.inputProfilePath, sizeof block_.inputProfilePath), 0);
}

TEST_F(CorrectionTest, OkChecksTheProfilesOnlyWhileColourMatchingIsOn) {
  block_.inputProfilePath[0] = '\0';
  block_.outputProfilePath[0] = '\0';
  EXPECT_EQ(Run([](VirtualDialog& d) { d.Click(kCoOk); }), 1);  // matching off: ends
  EXPECT_TRUE(ui_->messages.empty());

  block_.iccEnabled = 1;
  SetPath(block_.outputProfilePath, kCmyk);
  SetPath(block_.inputProfilePath, kRgb);
  EXPECT_EQ(Run([&](VirtualDialog& d) {
              d.Click(kCoOk);
              EXPECT_FALSE(d.Ended());
              d.Click(kCoIccCheck);  // off
              d.Click(kCoOk);
            }),
            1);
  ExpectStopBox(0, "Ignore ICC Profile setting.", "Colormatching");
  EXPECT_EQ(ui_->messages.size(), 1u);
  EXPECT_EQ(block_.iccEnabled, 0u);
}

TEST_F(CorrectionTest, CancelDiscardsEveryChangeOfTheDialogAndItsEditors) {
  block_.mtfEnabled = 5;
  const K7730_SettingsBlock before = block_;
  ui_->OnDialog("TONECURVE", [](VirtualDialog& d) {
    d.Click(kTcInputBar);
    d.Click(kTcOk);
  });
  ui_->OnDialog("ICCSETUP", [&](VirtualDialog& d) {
    ui_->AnswerWithPath(kRgbLut);
    d.Click(kIcInputProfileButton);
    d.Click(kIcIntentSaturation);
    d.Click(kIcOk);
  });
  ui_->OnDialog("MTFSETUP2", [](VirtualDialog& d) {
    d.Type(1018, "250");
    d.Click(kMfOk);
  });
  std::uint16_t err = 0xFFFF;
  const int result = Run([&](VirtualDialog& d) {
    d.Click(kCoOutputCurveCheck);
    d.Click(kCoIccCheck);
    d.Click(kCoMtfCheck);  // 5 becomes 1 without an editor
    EXPECT_TRUE(d.Checked(kCoMtfCheck));
    d.Click(kCoMtfButton);
    EXPECT_TRUE(d.Checked(kCoIccCheck));
    d.Click(kCoCancel);
  }, &err);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(err, K7730_OK);
  EXPECT_TRUE(SameBytes(block_, before));
  EXPECT_EQ(ui_->PendingDialogScripts(), 0u);
}

TEST_F(CorrectionTest, UnterminatedPathFieldsAreShownAsTheirFirstBytes) {
  std::memset(block_.inputProfilePath, 'a', sizeof block_.inputProfilePath);
  std::memset(block_.mtfName, 'm', sizeof block_.mtfName);
  block_.iccEnabled = 1;
  Run([&](VirtualDialog& d) {
    EXPECT_EQ(d.Text(kCoInputProfileName), std::string(259, 'a'));
    EXPECT_EQ(d.Text(kCoMtfName), std::string(259, 'm'));
    d.Click(kCoOk);  // the cut path names no profile
    EXPECT_FALSE(d.Ended());
  });
  ExpectStopBox(0, "Ignore ICC Profile setting.", "Colormatching");
}

}  // namespace
}  // namespace k7730::dialogs_test
