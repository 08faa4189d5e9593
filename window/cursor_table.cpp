#include "window/cursor_table.h"

namespace k7730::ui {
namespace {

// Where a slot's cursor comes from: a resource of the module when `name` is
// set, else the system cursor `systemId`.
struct CursorSource {
  const char* name;
  int systemId;
};

constexpr CursorSource kSources[kCursorSlots] = {
    {nullptr, kIdcArrow},          // 0
    {"HAND0", 0},                  // 1
    {"HAND1", 0},                  // 2
    {"XARROW", 0},                 // 3
    {"PLUS", 0},                   // 4
    {"TRASH", 0},                  // 5
    {"STOP", 0},                   // 6
    {nullptr, kIdcCross},          // 7
    {nullptr, kIdcSizeNeSw},       // 8
    {nullptr, kIdcArrow},          // 9
    {nullptr, kIdcSizeNwSe},       // 10
    {nullptr, kIdcArrow},          // 11
    {nullptr, kIdcArrow},          // 12
    {nullptr, kIdcSizeNwSe},       // 13
    {nullptr, kIdcArrow},          // 14
    {nullptr, kIdcSizeNeSw},       // 15
    {"BEACH_1", 0},                // 16
    {"BEACH_2", 0},                // 17
    {"BEACH_3", 0},                // 18
    {"BEACH_4", 0},                // 19
    {"BEACH_5", 0},                // 20
    {"BEACH_6", 0},                // 21
    {"BEACH_7", 0},                // 22
    {"BEACH_8", 0},                // 23
    {"SCSI_0", 0},                 // 24
    {"SCSI_1", 0},                 // 25
    {"SCSI_2", 0},                 // 26
    {"SCSI_3", 0},                 // 27
    {"PEN", 0},                    // 28
};

CursorId g_slots[kCursorSlots] = {};

bool InRange(int slot) { return slot >= 0 && slot < kCursorSlots; }

}  // namespace

void LoadEditorCursors() {
  UiPlatform& ui = CurrentUiPlatform();
  for (int slot = 0; slot < kCursorSlots; ++slot) {
    const CursorSource& source = kSources[slot];
    g_slots[slot] = source.name != nullptr ? ui.LoadModuleCursor(source.name)
                                           : ui.LoadSystemCursor(source.systemId);
  }
}

void SelectCursor(int slot) {
  if (!InRange(slot) || g_slots[slot] == 0) return;
  CurrentUiPlatform().SetCurrentCursor(g_slots[slot]);
}

void ReleaseEditorCursors() {
  UiPlatform& ui = CurrentUiPlatform();
  // The current cursor must not be one about to be destroyed.
  ui.SetCurrentCursor(ui.LoadSystemCursor(kIdcArrow));
  for (int slot = 0; slot < kCursorSlots; ++slot) {
    if (kSources[slot].name == nullptr || g_slots[slot] == 0) continue;
    ui.DestroyCursor(g_slots[slot]);
    g_slots[slot] = 0;
  }
}

CursorId CursorInSlot(int slot) { return InRange(slot) ? g_slots[slot] : 0; }

}  // namespace k7730::ui
