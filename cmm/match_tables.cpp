#include "cmm/match_tables.h"

#include "cmm/match_pixel.h"

namespace k7730::cmm {

void FillCellTables(const ColorWorldHeader& world, const WideTables* wide, bool useWide, CellTables* t) {
  const std::uint32_t n = world.inChannels;
  for (std::uint32_t c = 0; c < n; ++c) {
    for (std::uint32_t v = 0; v < 256; ++v) {
      std::uint32_t position, w;  // position: the value whose cell is looked up
      if (useWide) {
        const std::uint32_t linear = WideValue(*wide, int(c), v);
        position = linear / 257;
        w = wide->weight16[linear];
      } else {
        position = world.inCurve[c][v];
        w = world.weight[position];
      }
      std::uint32_t q[4] = {0, 0, 0, 0};
      q[c] = position;
      t->offset[c][v] = n == 3 ? CellOffset3(q[0], q[1], q[2]) : CellOffset4(q[0], q[1], q[2], q[3]);
      t->weight[c][v] = w;
      if (c == n - 1) t->lastPair[v] = (w << 16) | (256 - w);
    }
  }
}

}  // namespace k7730::cmm
