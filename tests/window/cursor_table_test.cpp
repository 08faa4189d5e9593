// The editor's cursor slots (what each selects is checked where the area sets
// them): every slot filled on load, and a release that destroys exactly the
// module's own cursors, once, after the arrow is current again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/cursor_table.h"
#include "window/scripted/scripted_ui.h"

namespace k7730::ui {
namespace {

constexpr int kSystemArrow = 32512;

// System cursors are recorded as "#id", the module's own by resource name.
bool IsModuleCursor(const std::string& loaded) { return !loaded.empty() && loaded[0] != '#'; }

TEST(CursorTable, EverySlotIsFilledAndSlotsOutsideTheTableSelectNothing) {
  ScopedScriptedUi ui;
  LoadEditorCursors();
  ASSERT_EQ(ui->loadedCursors.size(), std::size_t(kCursorSlots));
  for (int slot = 0; slot < kCursorSlots; ++slot) EXPECT_NE(CursorInSlot(slot), 0u) << slot;

  for (int slot : {-1, kCursorSlots, 1 << 30}) SelectCursor(slot);
  EXPECT_TRUE(ui->cursorsSet.empty());
  EXPECT_EQ(CursorInSlot(-1), 0u);
  EXPECT_EQ(CursorInSlot(kCursorSlots), 0u);

  ReleaseEditorCursors();
}

TEST(CursorTable, ReleaseDestroysOnlyTheModulesCursorsOnce) {
  ScopedScriptedUi ui;
  LoadEditorCursors();
  std::vector<CursorId> moduleCursors;
  for (int slot = 0; slot < kCursorSlots; ++slot)
    if (IsModuleCursor(ui->loadedCursors[slot])) moduleCursors.push_back(CursorInSlot(slot));
  ASSERT_FALSE(moduleCursors.empty());

  ui->cursorsSet.clear();
  ReleaseEditorCursors();
  // The arrow becomes current before anything is destroyed.
  ASSERT_EQ(ui->cursorsSet.size(), 1u);
  EXPECT_EQ(ui->cursorsSet[0], ScriptedUi::SystemCursorHandle(kSystemArrow));
  EXPECT_EQ(ui->cursorsDestroyed, moduleCursors);
  for (int slot = 0; slot < kCursorSlots; ++slot)
    EXPECT_EQ(CursorInSlot(slot) == 0u, IsModuleCursor(ui->loadedCursors[slot])) << slot;

  // A cleared slot selects nothing; a system slot still works.
  ui->cursorsSet.clear();
  SelectCursor(kCursorTrash);
  SelectCursor(kCursorPen);
  EXPECT_TRUE(ui->cursorsSet.empty());
  SelectCursor(kCursorArrow);
  EXPECT_EQ(ui->cursorsSet.size(), 1u);

  // Releasing twice destroys nothing more.
  ReleaseEditorCursors();
  EXPECT_EQ(ui->cursorsDestroyed.size(), moduleCursors.size());
}

}  // namespace
}  // namespace k7730::ui
