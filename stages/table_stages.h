// The tone-table stages: a direction's common table followed by the three
// channel tables, composed into one table per channel and applied per
// pixel, by vector kernels where the instruction set has byte permutes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/tone_curve_set.h"

namespace k7730 {

// One finished table per colour channel (bytes 0, 1, 2 of a pixel).
struct ChannelTables {
  std::uint8_t channel[3][256];
};

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

// Rewrites `pixels` pixels of the band in place through bandTables, after
// exchanging bytes 0 and 2 of each when `swap` is set, and, when `out` is
// not null, writes the same swapped pixels through outTables to `out`
// (which may be the band itself: then out's bytes are what remains).
void ApplyBandTables(bool swap, std::uint8_t* band, std::uint8_t* out, std::size_t pixels,
                     const ChannelTables& bandTables, const ChannelTables& outTables);

// The plain versions of the two passes above: the reference for the vector
// kernels, and what runs where there are none.
void ApplyChannelTablesPlain(const ChannelTables& tables, std::uint8_t* dst, const std::uint8_t* src,
                             std::size_t count);
void ApplyBandTablesPlain(bool swap, std::uint8_t* band, std::uint8_t* out, std::size_t pixels,
                          const ChannelTables& bandTables, const ChannelTables& outTables);

}  // namespace k7730
