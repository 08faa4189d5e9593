// The colour-matching dialog: the intent radios, picking profiles, and what
// OK and Cancel hand back.
#include <string>

#include "dialogs_fixture.h"
#include "resources/icc_dialog.h"
#include "ui/icc_dialog.h"

namespace k7730::dialogs_test {
namespace {

using namespace res;

class IccTest : public DialogsTest {
 protected:
  int Run(std::function<void(VirtualDialog&)> user) {
    ui_->OnDialog("ICCSETUP", std::move(user));
    return ui::RunIccDialog(0x55, block_.inputProfilePath, block_.outputProfilePath, &block_.intent);
  }
};

TEST_F(IccTest, StartChecksTheIntentAndShowsTheFileNames) {
  block_.intent = 2;
  EXPECT_EQ(Run([](VirtualDialog& d) {
              EXPECT_TRUE(d.Checked(kIcIntentSaturation));
              EXPECT_FALSE(d.Checked(kIcIntentPerceptual));
              EXPECT_FALSE(d.Visible(kIcIntentAbsolute));
              EXPECT_EQ(d.Text(kIcInputProfileName), "rgb_gamma22.icc");
              EXPECT_EQ(d.Text(kIcOutputProfileName), "rgb_lut16.icc");
              EXPECT_EQ(d.FocusedItem(), kIcOk);
              d.Click(kIcIntentSaturation);  // already the intent: nothing changes
              EXPECT_TRUE(d.Checked(kIcIntentSaturation));
              d.Click(kIcIntentRelative);
              EXPECT_TRUE(d.Checked(kIcIntentRelative));
              EXPECT_FALSE(d.Checked(kIcIntentSaturation));
              d.Click(kIcOk);
            }),
            1);
  EXPECT_EQ(block_.intent, 1);
  EXPECT_TRUE(ui_->messages.empty());
}

TEST_F(IccTest, PickedProfilesAreTriedAtOnce) {
  ui_->AnswerWithPath(kCmyk);
  ui_->AnswerWithPath(kCmyk);
  ui_->AnswerWithPath(kRgbLut);
  Run([](VirtualDialog& d) {
    d.Click(kIcInputProfileButton);
    EXPECT_EQ(d.Text(kIcInputProfileName), "rgb_gamma22.icc");
    d.Click(kIcOutputProfileButton);
    EXPECT_EQ(d.Text(kIcOutputProfileName), "rgb_lut16.icc");
    d.Click(kIcInputProfileButton);
    EXPECT_EQ(d.Text(kIcInputProfileName), "rgb_lut16.icc");
    d.Click(kIcOk);
  });
  ExpectStopBox(0, "Can not use this profile on current ribbon and image mode.", "Colormatching");
  ExpectStopBox(1, "Can not use this profile on current ribbon and image mode.", "Colormatching");
  EXPECT_EQ(ui_->messages.size(), 2u);
  EXPECT_EQ(std::string(block_.inputProfilePath), kRgbLut);
  EXPECT_EQ(std::string(block_.outputProfilePath), kRgbLut);

  // The file dialog: title, filter, the path's folder and file name.
  ASSERT_EQ(ui_->dialogs.size(), 3u);
  const auto& call = ui_->dialogs[0];
  EXPECT_FALSE(call.save);
  EXPECT_EQ(call.title, "OPEN Icc profile");
  EXPECT_EQ(call.filters, (std::vector<std::pair<std::string, std::string>>{
                              {"Icc Profile (*.icm;*.icc)", "*.icc;*.icm"}}));
  EXPECT_EQ(call.initialName, "rgb_gamma22.icc");
  EXPECT_EQ(call.initialFolder, std::string(K7730_TEST_PROFILE_DIR));
  EXPECT_EQ(call.owner, ui_->activeWindow);
}

TEST_F(IccTest, InitialFolderIsTheModuleFolderOrNoneForAVanishedOne) {
  block_.inputProfilePath[0] = '\0';
  SetPath(block_.outputProfilePath, "/no/such/folder/old.icc");
  Run([](VirtualDialog& d) {
    d.Click(kIcInputProfileButton);
    d.Click(kIcOutputProfileButton);
    d.Click(kIcCancel);
  });
  ASSERT_EQ(ui_->dialogs.size(), 2u);
  EXPECT_EQ(ui_->dialogs[0].initialFolder, ModuleFolder());
  EXPECT_EQ(ui_->dialogs[0].initialName, "");
  EXPECT_EQ(ui_->dialogs[1].initialFolder, std::nullopt);
  EXPECT_EQ(ui_->dialogs[1].initialName, "old.icc");
}

TEST_F(IccTest, OkWarnsAboutUnusableProfilesAndStillHandsThemBack) {
  SetPath(block_.outputProfilePath, TestProfile("missing.icc"));
  block_.intent = 0;
  EXPECT_EQ(Run([](VirtualDialog& d) {
              d.Click(kIcIntentRelative);
              d.Click(kIcOk);
            }),
            1);
  ExpectStopBox(0, "Can not find right ICC Profile.", "Colormatching");
  EXPECT_EQ(block_.intent, 1);
  EXPECT_EQ(std::string(block_.outputProfilePath), TestProfile("missing.icc"));
}

TEST_F(IccTest, CancelAfterPickingLeavesTheCallersValues) {
  const K7730_SettingsBlock before = block_;
  ui_->AnswerWithPath(kRgbLut);
  EXPECT_EQ(Run([](VirtualDialog& d) {
              d.Click(kIcInputProfileButton);
              d.Click(kIcIntentSaturation);
              d.Click(kIcCancel);
            }),
            2);
  EXPECT_TRUE(SameBytes(block_, before));
}

}  // namespace
}  // namespace k7730::dialogs_test
