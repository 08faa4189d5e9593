#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "window/file_dialogs.h"
#include "window/message_box.h"
#include "window/scripted/scripted_ui.h"

namespace k7730::ui {
namespace {

// Every field of a recorded dialog, in one line.
std::string Describe(const ScriptedUi::DialogCall& d) {
  std::string filters;
  for (const auto& [text, pattern] : d.filters) filters += text + "|" + pattern + ";";
  return std::string(d.save ? "save" : "open") + " owner=" + std::to_string(d.owner) + " filters=" + filters +
         " index=" + std::to_string(d.filterIndex) + " name=" + d.initialName + " size=" + std::to_string(d.fileSize) +
         " folder=" + d.initialFolder.value_or("-") + " title=" + d.title.value_or("-") +
         " flags=" + std::to_string(d.flags) + " ext=" + d.defaultExtension.value_or("-");
}

TEST(FileDialogs, EachKindFillsTheRecordAndReturnsTheChosenPath) {
  ScopedScriptedUi ui;
  for (const char* answer : {"/data/curves/a.tcv", "x.mtf", "y.mtf"}) ui->AnswerWithPath(answer);
  char path[kDialogPathSize] = "start.tcv";
  ASSERT_EQ(ChooseOpenFile(0x77, "Load", nullptr, "/data", path), 1);
  ASSERT_EQ(ChooseSaveFile(1, "Save", nullptr, path), 1);
  static const char kMtfFilter[] = "Mtf file (*.mtf)\0*.mtf\0";
  ASSERT_EQ(ChooseSaveFileIn(1, "OPEN Mtf file", kMtfFilter, "/folder", path, "mtf"), 1);
  EXPECT_STREQ(path, "y.mtf");

  ASSERT_EQ(ui->dialogs.size(), 3u);
  // 0x1804 / 0x1806: the open and save flags; the name offered is the path
  // as the previous dialog left it.
  EXPECT_EQ(Describe(ui->dialogs[0]), "open owner=119 filters=All files (*.*)|*.*; index=1 name=start.tcv size=260 "
                                      "folder=/data title=Load flags=6148 ext=-");
  EXPECT_EQ(Describe(ui->dialogs[1]), "save owner=1 filters=All files (*.*)|*.*; index=1 name=/data/curves/a.tcv "
                                      "size=260 folder=- title=Save flags=6150 ext=-");
  EXPECT_EQ(Describe(ui->dialogs[2]), "save owner=1 filters=Mtf file (*.mtf)|*.mtf; index=1 name=x.mtf size=260 "
                                      "folder=/folder title=OPEN Mtf file flags=6150 ext=mtf");
  EXPECT_TRUE(ui->messages.empty());
}

TEST(FileDialogs, CancelIsSilentAndFailureShowsItsCode) {
  ScopedScriptedUi ui;
  ui->AnswerCancel();
  ui->AnswerFailure(12291);
  char path[kDialogPathSize] = "keep.me";
  EXPECT_EQ(ChooseOpenFile(0x42, "Load", nullptr, nullptr, path), 0);
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
  const std::string longName(400, 'n');
  char path[512];
  std::memcpy(path, longName.c_str(), longName.size() + 1);
  EXPECT_EQ(ChooseOpenFile(0, "Load", nullptr, nullptr, path), 0);
  ASSERT_EQ(ui->dialogs.size(), 1u);
  EXPECT_EQ(ui->dialogs[0].initialName.size(), 259u);
  EXPECT_EQ(std::string(path), longName);  // cancelled: the caller's path is untouched
}

}  // namespace
}  // namespace k7730::ui
