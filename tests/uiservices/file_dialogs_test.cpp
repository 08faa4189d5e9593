#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/file_dialogs.h"
#include "ui/message_box.h"
#include "ui/window_state.h"
#include "ui/scripted_ui.h"

namespace k7730::ui {
namespace {

using Filters = std::vector<std::pair<std::string, std::string>>;

TEST(FileDialogs, OpenFillsTheRecordAndReturnsTheChosenPath) {
  ScopedScriptedUi ui;
  ui->AnswerWithPath("/data/curves/a.tcv");
  char path[kDialogPathSize] = "start.tcv";
  ASSERT_EQ(ChooseOpenFile(0x77, "Load", nullptr, "/data", path), 1);
  EXPECT_STREQ(path, "/data/curves/a.tcv");

  ASSERT_EQ(ui->dialogs.size(), 1u);
  const auto& call = ui->dialogs[0];
  EXPECT_FALSE(call.save);
  EXPECT_EQ(call.owner, 0x77u);
  EXPECT_EQ(call.filters, (Filters{{"All files (*.*)", "*.*"}}));
  EXPECT_EQ(call.filterIndex, 1u);
  EXPECT_EQ(call.initialName, "start.tcv");
  EXPECT_EQ(call.fileSize, 260u);
  EXPECT_EQ(call.initialFolder, "/data");
  EXPECT_EQ(call.title, "Load");
  EXPECT_EQ(call.flags, 0x1804u);
  EXPECT_FALSE(call.defaultExtension.has_value());
  EXPECT_TRUE(ui->messages.empty());
}

TEST(FileDialogs, SaveKindsCarryTheirOptions) {
  ScopedScriptedUi ui;
  ui->AnswerWithPath("x.mtf");
  ui->AnswerWithPath("y.mtf");
  char path[kDialogPathSize] = "";
  static const char kMtfFilter[] = "Mtf file (*.mtf)\0*.mtf\0";
  ASSERT_EQ(ChooseSaveFile(1, "Save", nullptr, path), 1);
  ASSERT_EQ(ChooseSaveFileIn(1, "OPEN Mtf file", kMtfFilter, "/folder", path, "mtf"), 1);
  EXPECT_STREQ(path, "y.mtf");

  ASSERT_EQ(ui->dialogs.size(), 2u);
  EXPECT_TRUE(ui->dialogs[0].save);
  EXPECT_EQ(ui->dialogs[0].flags, 0x1806u);
  EXPECT_FALSE(ui->dialogs[0].initialFolder.has_value());
  EXPECT_FALSE(ui->dialogs[0].defaultExtension.has_value());
  EXPECT_EQ(ui->dialogs[1].flags, 0x1806u);
  EXPECT_EQ(ui->dialogs[1].initialName, "x.mtf");  // the path as left by the first save
  EXPECT_EQ(ui->dialogs[1].filters, (Filters{{"Mtf file (*.mtf)", "*.mtf"}}));
  EXPECT_EQ(ui->dialogs[1].initialFolder, "/folder");
  EXPECT_EQ(ui->dialogs[1].defaultExtension, "mtf");
}

TEST(FileDialogs, CancelIsSilentAndFailureShowsItsCode) {
  ScopedScriptedUi ui;
  ui->AnswerCancel();
  ui->AnswerFailure(12291);
  char path[kDialogPathSize] = "keep.me";

  EXPECT_EQ(ChooseOpenFile(0x42, "Load", nullptr, nullptr, path), 0);
  EXPECT_STREQ(path, "keep.me");
  EXPECT_TRUE(ui->messages.empty());

  EXPECT_EQ(ChooseSaveFile(0x42, "Save", nullptr, path), 0);
  EXPECT_STREQ(path, "keep.me");
  ASSERT_EQ(ui->messages.size(), 1u);
  EXPECT_EQ(ui->messages[0].owner, 0x42u);
  EXPECT_EQ(ui->messages[0].text, "12291");
  EXPECT_EQ(ui->messages[0].caption, "WARNING");
  EXPECT_EQ(ui->messages[0].style, kMbIconStop | kMbOk | kMbTaskModal);
}

TEST(FileDialogs, OverlongInitialNameIsCutToTheWorkingBuffer) {
  ScopedScriptedUi ui;
  std::string longName(400, 'n');
  char path[512];
  std::memcpy(path, longName.c_str(), longName.size() + 1);
  EXPECT_EQ(ChooseOpenFile(0, "Load", nullptr, nullptr, path), 0);
  ASSERT_EQ(ui->dialogs.size(), 1u);
  EXPECT_EQ(ui->dialogs[0].initialName.size(), 259u);
  EXPECT_EQ(std::string(path), longName);  // cancelled: the caller's path is untouched
}

TEST(FileDialogs, WithoutAWindowSystemNothingIsChosenOrShown) {
  char path[kDialogPathSize] = "a";
  EXPECT_EQ(ChooseOpenFile(0, "Load", nullptr, nullptr, path), 0);
  EXPECT_STREQ(path, "a");
  EXPECT_FALSE(IsShiftDown());
}

}  // namespace
}  // namespace k7730::ui
