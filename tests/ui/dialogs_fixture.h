// The settings dialogs on the scripted window system: test profiles, a
// fresh SettingsBlock and the user's part in each dialog.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "formats/curve_reset.h"
#include "platform/platform.h"
#include "platform/path_utils.h"
#include "window/scripted/scripted_ui.h"

namespace k7730::dialogs_test {

using ui::VirtualDialog;

inline std::string TestProfile(const char* name) {
  return std::string(K7730_TEST_PROFILE_DIR) + "/" + name;
}
inline const std::string kRgb = TestProfile("rgb_gamma22.icc");
inline const std::string kRgbLut = TestProfile("rgb_lut16.icc");
inline const std::string kCmyk = TestProfile("cmyk_lut16.icc");

inline void SetPath(char* field, const std::string& path) {
  ASSERT_LT(path.size(), platform::kMaxPath);
  std::memcpy(field, path.c_str(), path.size() + 1);
}

inline std::string ModuleFolder() {
  char folder[platform::kMaxPath] = "";
  GetModuleFolder(folder);
  return folder;
}

inline bool SameBytes(const K7730_SettingsBlock& a, const K7730_SettingsBlock& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class DialogsTest : public ::testing::Test {
 protected:
  DialogsTest() {
    block_.blockSize = K7730_SETTINGS_SIZE;
    block_.magic = K7730_SETTINGS_MAGIC;
    SetPath(block_.inputProfilePath, kRgb);
    SetPath(block_.outputProfilePath, kRgbLut);
    block_.mtf.coefficients[12] = 100;
    block_.mtf.scale = 100;
    ResetCurveSet(block_.inputCurves);
    ResetCurveSet(block_.outputCurves);
  }
  void ExpectStopBox(std::size_t index, const std::string& text, const std::string& caption) {
    ASSERT_LT(index, ui_->messages.size());
    EXPECT_EQ(ui_->messages[index].text, text);
    EXPECT_EQ(ui_->messages[index].caption, caption);
    EXPECT_EQ(ui_->messages[index].owner, 0u);
    EXPECT_EQ(ui_->messages[index].style, 0x2010u);  // task-modal, stop icon, OK
  }

  ui::ScopedScriptedUi ui_;
  K7730_SettingsBlock block_{};
};

}  // namespace k7730::dialogs_test
