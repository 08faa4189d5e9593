// The tone-table stages: a direction's common table followed by the three
// channel tables, applied per pixel.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tonecurve/tone_curve_set.h"

namespace k7730 {

// One finished table per colour channel (bytes 0, 1, 2 of a pixel).
struct ChannelTables {
  std::uint8_t channel[3][256];
};

// Applies records 0 and 1..3 of `luts` to `count` pixels; dst may equal src.
void ApplyTables(const LutRecordSet& luts, std::uint8_t* dst, const std::uint8_t* src,
                 std::size_t count);

// channel[c][v] = luts[c + 1].table[luts[0].table[v]]: both levels of a
// direction in one look-up per byte, with the same results.
void ComposeTables(const LutRecordSet& luts, ChannelTables& out);
// Identity in every channel.
void IdentityTables(ChannelTables& out);
// first becomes `then` applied after `first`, channel by channel.
void ChainTables(ChannelTables& first, const ChannelTables& then);

// dst byte c of each pixel = tables.channel[c][src byte c]; dst may equal src.
void ApplyChannelTables(const ChannelTables& tables, std::uint8_t* dst, const std::uint8_t* src,
                        std::size_t count);

}  // namespace k7730
