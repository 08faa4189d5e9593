#include "stages/table_stages.h"

namespace k7730 {

void ApplyTables(const LutRecordSet& luts, std::uint8_t* dst, const std::uint8_t* src,
                 std::size_t count) {
  const std::uint8_t* common = luts[0].table;
  for (std::size_t i = 0; i < count; ++i, src += 3, dst += 3) {
    // All three source bytes are read before any is written: dst may be src.
    const std::uint8_t c0 = common[src[0]];
    const std::uint8_t c1 = common[src[1]];
    const std::uint8_t c2 = common[src[2]];
    dst[0] = luts[1].table[c0];
    dst[1] = luts[2].table[c1];
    dst[2] = luts[3].table[c2];
  }
}

void ComposeTables(const LutRecordSet& luts, ChannelTables& out) {
  for (int c = 0; c < 3; ++c) {
    for (int v = 0; v < 256; ++v) out.channel[c][v] = luts[c + 1].table[luts[0].table[v]];
  }
}

void IdentityTables(ChannelTables& out) {
  for (int c = 0; c < 3; ++c) {
    for (int v = 0; v < 256; ++v) out.channel[c][v] = static_cast<std::uint8_t>(v);
  }
}

void ChainTables(ChannelTables& first, const ChannelTables& then) {
  for (int c = 0; c < 3; ++c) {
    for (int v = 0; v < 256; ++v) first.channel[c][v] = then.channel[c][first.channel[c][v]];
  }
}

namespace {

// The tables never overlap the pixels, which lets the compiler move table
// reads ahead of the pixel writes; dst and src may be the same buffer.
void MapPixels(const std::uint8_t* __restrict t0, const std::uint8_t* __restrict t1,
               const std::uint8_t* __restrict t2, std::uint8_t* dst, const std::uint8_t* src,
               std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, src += 3, dst += 3) {
    const std::uint8_t s0 = src[0];
    const std::uint8_t s1 = src[1];
    const std::uint8_t s2 = src[2];
    dst[0] = t0[s0];
    dst[1] = t1[s1];
    dst[2] = t2[s2];
  }
}

}  // namespace

void ApplyChannelTables(const ChannelTables& tables, std::uint8_t* dst, const std::uint8_t* src,
                        std::size_t count) {
  MapPixels(tables.channel[0], tables.channel[1], tables.channel[2], dst, src, count);
}

}  // namespace k7730
