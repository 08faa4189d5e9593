// The tone-curve editor's mouse cursors: 29 slots, filled just before the
// editor runs and emptied just after. Module-wide and unlocked; only the
// modal editor uses it.
#pragma once

#include "window/ui_platform.h"

namespace k7730::ui {

inline constexpr int kCursorSlots = 29;

// The slots the editor selects.
enum CursorSlot : int {
  kCursorArrow = 0,
  kCursorPlus = 4,
  kCursorTrash = 5,
  kCursorStop = 6,
  kCursorCross = 7,
  kCursorPen = 28,
};

// Loads every slot in slot order: system cursors by their standard
// identifier, the module's own by resource name.
void LoadEditorCursors();
// Makes the slot's cursor current; a slot outside 0..28 or an empty slot
// does nothing.
void SelectCursor(int slot);
// Makes the system arrow current, then destroys the module's cursors and
// clears their slots. System cursors are not destroyed and stay in place.
void ReleaseEditorCursors();

// The handle in a slot; 0 for an empty slot or one outside 0..28.
CursorId CursorInSlot(int slot);

}  // namespace k7730::ui
