// Per-call tables for the fast kernels: for every input byte of every
// channel, its share of the grid offset of the cell and its weight, with
// the input curves (or the 16-bit composites of the wide kernels) already
// applied. A pixel then needs one look-up per channel and table.
#pragma once

#include <cstdint>

#include "cmm/color_world.h"
#include "cmm/wide_tables.h"

namespace k7730::cmm {

struct CellTables {
  std::uint32_t offset[4][256];  // summed over the channels: the cell's first node
  std::uint32_t weight[4][256];  // 0..256
  // For the last input channel: (weight << 16) | (256 - weight), the two
  // factors of the first interpolation as a pair of 16-bit words.
  std::uint32_t lastPair[256];
};

void FillCellTables(const ColorWorldHeader& world, const WideTables* wide, bool useWide, CellTables* tables);

}  // namespace k7730::cmm
