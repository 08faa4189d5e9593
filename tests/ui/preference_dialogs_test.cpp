// Every dialog through plugin_filter_preference mode 3: what the export
// reports and what reaches the instance's settings; and the templates every
// dialog is built from.
#include <set>
#include <string>

#include "dialogs_fixture.h"
#include "formats/polarity.h"
#include "resources/correction_dialog.h"
#include "resources/icc_dialog.h"
#include "resources/mtf_dialog.h"
#include "resources/tonecurve_dialog.h"
#include "window/cursor_table.h"

namespace k7730::dialogs_test {
namespace {

using namespace res;

class PreferenceTest : public DialogsTest {
 protected:
  PreferenceTest() : inst_(plugin_filter_open(nullptr)) {}
  ~PreferenceTest() override {
    plugin_filter_close(inst_);
    plugin_filter_disposPtr(inst_);
  }
  // Runs mode 3 with a selector; the result, with the ErrorCode and size word.
  std::uint32_t Dialog(std::uint16_t selector) {
    size_ = 1234;
    return plugin_filter_preference(inst_, K7730_PREF_DIALOG, selector, owner_, &size_, &err_);
  }
  K7730_SettingsBlock Settings() {
    K7730_SettingsBlock block{};
    std::uint32_t size = sizeof block;
    plugin_filter_preference(inst_, K7730_PREF_GET_BLOCK, 0, &block, &size, nullptr);
    return block;
  }

  K7730_FilterInstance* inst_;
  void* owner_ = reinterpret_cast<void*>(std::uintptr_t{0xABC});
  std::uint32_t size_ = 0;
  std::uint16_t err_ = 0xFFFF;
};

TEST_F(PreferenceTest, CorrectionDialogReportsWhetherTheUserConfirmed) {
  ui_->OnDialog("CORRECT_UI", [](VirtualDialog& d) {
    d.Click(kCoInputCurveCheck);  // opens the input editor, which is cancelled
    d.Click(kCoOk);
  });
  EXPECT_EQ(Dialog(K7730_DIALOG_CORRECTION), 1u);
  EXPECT_EQ(err_, K7730_OK);
  EXPECT_EQ(Settings().inputCurveEnabled, 0u);  // the editor had no script: not confirmed

  const K7730_SettingsBlock before = Settings();
  ui_->OnDialog("CORRECT_UI", [](VirtualDialog& d) { d.Click(kCoCancel); });
  EXPECT_EQ(Dialog(K7730_DIALOG_CORRECTION), 0u);
  EXPECT_EQ(err_, K7730_OK);

  ui_->OnDialog("CORRECT_UI", [](VirtualDialog& d) { d.Click(kCoOk); });
  platform::FailAllocationAfter(0);
  EXPECT_EQ(Dialog(K7730_DIALOG_CORRECTION), 0u);
  platform::FailAllocationAfter(-1);
  EXPECT_EQ(err_, K7730_ERR_NO_MEMORY);
  EXPECT_EQ(ui_->PendingDialogScripts(), 1u) << "no memory for the working copy: no dialog shown";
  EXPECT_TRUE(SameBytes(Settings(), before));
}

// Each curve selector opens the editor on its own set, owned by the host's
// window; confirmed or cancelled, the answer is 1.
TEST_F(PreferenceTest, CurveSelectorsOpenTheEditorOnTheInstancesCurves) {
  auto edit = [&](std::uint16_t selector, const char* caption, int button) {
    ui_->OnDialog("TONECURVE", [=](VirtualDialog& d) {
      EXPECT_EQ(d.Owner(), 0xABCu);
      EXPECT_EQ(d.Caption(), caption);
      d.Click(kTcInputBar);  // the polarity switch
      d.Click(button);
    });
    EXPECT_EQ(Dialog(selector), 1u) << caption;
    EXPECT_EQ(err_, K7730_OK) << caption;
    EXPECT_EQ(size_, 0u) << caption;
  };
  edit(K7730_DIALOG_INPUT_CURVE, "Input Tone Curve", kTcOk);
  EXPECT_EQ(Settings().inputCurves.polarity, kPolarityInk);
  EXPECT_EQ(Settings().outputCurves.polarity, kPolarityLevels);
  edit(K7730_DIALOG_OUTPUT_CURVE, "Output Tone Curve", kTcCancel);
  EXPECT_EQ(Settings().outputCurves.polarity, kPolarityLevels);
  edit(K7730_DIALOG_OUTPUT_CURVE, "Output Tone Curve", kTcOk);
  EXPECT_EQ(Settings().outputCurves.polarity, kPolarityInk);
  EXPECT_EQ(Settings().inputCurves.polarity, kPolarityInk);
  EXPECT_EQ(Settings().outputCurveEnabled, 0u);  // the editor never switches a stage
}

TEST_F(PreferenceTest, EditorsReportOneAndWriteTheInstancesSettings) {
  ui_->OnDialog("ICCSETUP", [](VirtualDialog& d) {
    d.Click(kIcIntentSaturation);
    d.Click(kIcOk);  // the default profiles may be missing: a warning, still handed back
  });
  EXPECT_EQ(Dialog(K7730_DIALOG_COLOR_MATCHING), 1u);
  EXPECT_EQ(Settings().intent, 2);
  EXPECT_EQ(Settings().iccEnabled, 0u);  // no dialog but the correction dialog switches a stage

  ui_->OnDialog("MTFSETUP2", [](VirtualDialog& d) {
    d.Type(1018, "300");
    d.Click(kMfLoad);  // no file chosen
    d.Click(kMfOk);
  });
  EXPECT_EQ(Dialog(K7730_DIALOG_MTF), 1u);
  EXPECT_EQ(err_, K7730_OK);
  EXPECT_EQ(Settings().mtf.coefficients[12], 100);  // the load showed the fields afresh
}

// Refused dialogs leave the settings and the editor's cursor slots as they were.
TEST_F(PreferenceTest, UnknownSelectorsAndMissingWindowsAreRefused) {
  const K7730_SettingsBlock before = Settings();
  EXPECT_EQ(Dialog(5), 0u);
  EXPECT_EQ(err_, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(size_, 0u);
  // No script, no dialog: the export's answer is checked without a window system.
  for (std::uint16_t selector = 0; selector <= 4; ++selector) Dialog(selector);
  EXPECT_EQ(ui_->dialogsRun, (std::vector<std::string>{"CORRECT_UI", "TONECURVE", "TONECURVE",
                                                       "ICCSETUP", "MTFSETUP2"}));
  EXPECT_TRUE(SameBytes(Settings(), before));
  EXPECT_EQ(ui::CursorInSlot(ui::kCursorPlus), 0u);
}

TEST(DialogTemplates, IdsAreUniqueAndRectanglesLieInsideTheDialog) {
  for (const ui::DialogTemplate* dialog : {&kToneCurveDialog, &kCorrectionDialog, &kIccDialog, &kMtfDialog}) {
    std::set<int> ids;
    for (const ui::ControlTemplate& control : dialog->controls) {
      if (control.id != ui::kNoControlId) {
        EXPECT_TRUE(ids.insert(control.id).second) << dialog->name << " " << control.id;
      }
      if (control.style & ui::kStyleHidden) continue;  // placed where the layout puts them
      EXPECT_LE(control.rect.x + control.rect.width, dialog->rect.width) << dialog->name << " " << control.id;
      EXPECT_LE(control.rect.y + control.rect.height, dialog->rect.height) << dialog->name << " " << control.id;
    }
  }
}

}  // namespace
}  // namespace k7730::dialogs_test
