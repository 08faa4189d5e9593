#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/cursor_table.h"
#include "ui/scripted_ui.h"

namespace k7730::ui {
namespace {

const std::vector<std::string> kExpectedLoads = {
    "#32512", "HAND0",   "HAND1",   "XARROW",  "PLUS",    "TRASH",   "STOP",   "#32515",
    "#32643", "#32512",  "#32642",  "#32512",  "#32512",  "#32642",  "#32512", "#32643",
    "BEACH_1", "BEACH_2", "BEACH_3", "BEACH_4", "BEACH_5", "BEACH_6", "BEACH_7", "BEACH_8",
    "SCSI_0", "SCSI_1",  "SCSI_2",  "SCSI_3",  "PEN"};

bool IsModuleSlot(int slot) { return (slot >= 1 && slot <= 6) || slot >= 16; }

TEST(CursorTable, LoadSelectRelease) {
  ScopedScriptedUi ui;
  LoadEditorCursors();
  EXPECT_EQ(ui->loadedCursors, kExpectedLoads);

  // Outside the table nothing happens.
  SelectCursor(-1);
  SelectCursor(29);
  EXPECT_TRUE(ui->cursorsSet.empty());

  SelectCursor(kCursorPlus);
  SelectCursor(kCursorCross);
  EXPECT_EQ(ui->cursorsSet, (std::vector<CursorId>{ui->ModuleCursorHandle("PLUS"),
                                                   ScriptedUi::SystemCursorHandle(32515)}));

  ui->cursorsSet.clear();
  ReleaseEditorCursors();
  // The arrow becomes current before anything is destroyed.
  ASSERT_EQ(ui->cursorsSet.size(), 1u);
  EXPECT_EQ(ui->cursorsSet[0], ScriptedUi::SystemCursorHandle(32512));
  std::vector<CursorId> expectedDestroyed;
  for (int slot = 0; slot < kCursorSlots; ++slot) {
    if (IsModuleSlot(slot)) {
      expectedDestroyed.push_back(ui->ModuleCursorHandle(kExpectedLoads[slot]));
      EXPECT_EQ(CursorInSlot(slot), 0u) << slot;
    } else {
      EXPECT_NE(CursorInSlot(slot), 0u) << slot;
    }
  }
  EXPECT_EQ(ui->cursorsDestroyed, expectedDestroyed);

  // A cleared slot selects nothing; a system slot still works.
  ui->cursorsSet.clear();
  SelectCursor(kCursorTrash);
  SelectCursor(kCursorPen);
  EXPECT_TRUE(ui->cursorsSet.empty());
  SelectCursor(kCursorArrow);
  EXPECT_EQ(ui->cursorsSet.size(), 1u);

  // Releasing twice destroys nothing more.
  ReleaseEditorCursors();
  EXPECT_EQ(ui->cursorsDestroyed.size(), expectedDestroyed.size());
}

}  // namespace
}  // namespace k7730::ui
