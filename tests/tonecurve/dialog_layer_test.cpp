// The dialog templates and the dialog layer around them:
// what every dialog is built from and how a dialog request ends.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "editor_fixture.h"
#include "resources/correction_dialog.h"
#include "resources/icc_dialog.h"
#include "resources/mtf_dialog.h"

namespace k7730::editor_test {
namespace {

using namespace res;

const ui::DialogTemplate* const kAllDialogs[] = {&res::kToneCurveDialog, &res::kCorrectionDialog,
                                                 &res::kIccDialog, &res::kMtfDialog};

TEST(DialogTemplates, IdsAreUniqueAndRectanglesLieInsideTheDialog) {
  for (const ui::DialogTemplate* dialog : kAllDialogs) {
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

// Each selector opens the editor on its own set, owned by the host's window:
// the user switches the polarity and confirms or cancels.
TEST_F(EditorTest, PreferenceModeThreeOpensTheEditorOnTheInstancesCurves) {
  std::uint16_t err = 0xFFFF;
  K7730_FilterInstance* inst = plugin_filter_open(&err);
  ASSERT_NE(inst, nullptr);
  void* const owner = reinterpret_cast<void*>(std::uintptr_t{0x4711});
  auto open = [&](std::uint16_t selector, const char* caption, int button) {
    ui_->OnDialog("TONECURVE", [=](VirtualDialog& d) {
      EXPECT_EQ(d.Owner(), 0x4711u);
      EXPECT_EQ(d.Caption(), caption);
      d.Click(kTcInputBar);
      d.Click(button);
    });
    std::uint32_t size = 99;
    err = 0xFFFF;
    const std::uint32_t result = plugin_filter_preference(inst, K7730_PREF_DIALOG, selector, owner, &size, &err);
    EXPECT_EQ(size, 0u) << caption;
    return result;
  };
  auto stored = [&] {
    K7730_SettingsBlock block{};
    std::uint32_t size = sizeof block;
    EXPECT_EQ(plugin_filter_preference(inst, K7730_PREF_GET_BLOCK, 0, &block, &size, nullptr), 1u);
    return block;
  };
  EXPECT_EQ(open(K7730_DIALOG_INPUT_CURVE, "Input Tone Curve", kTcOk), 1u);
  EXPECT_EQ(err, K7730_OK);
  EXPECT_EQ(stored().inputCurves.polarity, kPolarityInk);
  EXPECT_EQ(stored().outputCurves.polarity, kPolarityLevels);
  // Cancelled: still 1 and ErrorCode 0, the curves as they were.
  EXPECT_EQ(open(K7730_DIALOG_OUTPUT_CURVE, "Output Tone Curve", kTcCancel), 1u);
  EXPECT_EQ(err, K7730_OK);
  EXPECT_EQ(stored().outputCurves.polarity, kPolarityLevels);
  EXPECT_EQ(open(K7730_DIALOG_OUTPUT_CURVE, "Output Tone Curve", kTcOk), 1u);
  EXPECT_EQ(stored().outputCurves.polarity, kPolarityInk);
  EXPECT_EQ(stored().inputCurves.polarity, kPolarityInk);
  EXPECT_EQ(stored().outputCurveEnabled, 0u);  // the editor never switches a stage
  plugin_filter_close(inst);
  plugin_filter_disposPtr(inst);
}

}  // namespace
}  // namespace k7730::editor_test
