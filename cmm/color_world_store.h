// ColorWorld handles. A handle is a 32-bit word naming a slot of a small
// table of live ColorWorlds (block and WideTables), in the manner of a
// movable memory block: users lock it to reach the block and unlock it
// after. Handles carry a generation count, so a disposed or made-up handle
// reaches nothing.
#pragma once

#include <cstdint>

#include "cmm/color_world.h"
#include "cmm/wide_tables.h"
#include "k7730fe_cmm.h"

namespace k7730::cmm {

struct LockedColorWorld {
  ColorWorldHeader* header = nullptr;  // null when the handle names no live ColorWorld
  const WideTables* wide = nullptr;    // only with a matrix/TRC source
};

// Takes ownership of both; 0 (and nothing taken) when the table is full.
K7730_ColorWorld RegisterColorWorld(ColorWorldHeader* block, WideTables* wide);
LockedColorWorld LockColorWorld(K7730_ColorWorld handle);
void UnlockColorWorld(K7730_ColorWorld handle);
// Forgets the handle and releases its block and WideTables; a ColorWorld
// that is locked at that moment is released by its last unlock instead.
// Unknown handles are ignored.
void DisposeColorWorld(K7730_ColorWorld handle);
// Number of ColorWorlds not yet released (for leak checks).
std::uint32_t LiveColorWorldCount();

}  // namespace k7730::cmm
