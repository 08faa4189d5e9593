#include "stages/table_stages.h"

#include <cstdint>

#include "cmm/instruction_set.h"
#include "stages/stage_kernels.h"

namespace k7730 {

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

// Rewrites the band in place through the band tables (after the swap when
// on) and, when Emit is set, writes the same pixels through the out tables.
template <bool Swap, bool Emit>
void BandPixels(const ChannelTables& bandTables, const ChannelTables& outTables, std::uint8_t* band,
                std::uint8_t* out, std::size_t pixels) {
  const std::uint8_t* __restrict b0 = bandTables.channel[0];
  const std::uint8_t* __restrict b1 = bandTables.channel[1];
  const std::uint8_t* __restrict b2 = bandTables.channel[2];
  for (std::size_t i = 0; i < pixels; ++i, band += 3) {
    const std::uint8_t s0 = Swap ? band[2] : band[0];
    const std::uint8_t s1 = band[1];
    const std::uint8_t s2 = Swap ? band[0] : band[2];
    band[0] = b0[s0];
    band[1] = b1[s1];
    band[2] = b2[s2];
    if constexpr (Emit) {
      out[0] = outTables.channel[0][s0];
      out[1] = outTables.channel[1][s1];
      out[2] = outTables.channel[2][s2];
      out += 3;
    }
  }
}

// Whether whole blocks give the one-by-one bytes: the destination is the
// source, lies before it (writes never overtake reads) or past its end.
bool BlocksKeepOrder(const std::uint8_t* dst, const std::uint8_t* src, std::size_t pixels) {
  const std::uintptr_t d = reinterpret_cast<std::uintptr_t>(dst);
  const std::uintptr_t s = reinterpret_cast<std::uintptr_t>(src);
  return d <= s || d - s >= 3 * pixels;
}

}  // namespace

void ApplyChannelTablesPlain(const ChannelTables& tables, std::uint8_t* dst, const std::uint8_t* src,
                             std::size_t count) {
  MapPixels(tables.channel[0], tables.channel[1], tables.channel[2], dst, src, count);
}

void ApplyBandTablesPlain(bool swap, std::uint8_t* band, std::uint8_t* out, std::size_t pixels,
                          const ChannelTables& bandTables, const ChannelTables& outTables) {
  if (swap) {
    if (out != nullptr) return BandPixels<true, true>(bandTables, outTables, band, out, pixels);
    return BandPixels<true, false>(bandTables, outTables, band, out, pixels);
  }
  if (out != nullptr) return BandPixels<false, true>(bandTables, outTables, band, out, pixels);
  BandPixels<false, false>(bandTables, outTables, band, out, pixels);
}

void ApplyChannelTables(const ChannelTables& tables, std::uint8_t* dst, const std::uint8_t* src,
                        std::size_t count) {
  std::size_t done = 0;
  if (BlocksKeepOrder(dst, src, count)) {
    switch (ActiveInstructionSet()) {
      case InstructionSet::Avx512: done = avx512::ChannelTableBlocks(tables, dst, src, count); break;
      case InstructionSet::Avx2: done = avx2::ChannelTableBlocks(tables, dst, src, count); break;
      case InstructionSet::Baseline: done = baseline::ChannelTableBlocks(tables, dst, src, count); break;
    }
  }
  ApplyChannelTablesPlain(tables, dst + 3 * done, src + 3 * done, count - done);
}

void ApplyBandTables(bool swap, std::uint8_t* band, std::uint8_t* out, std::size_t pixels,
                     const ChannelTables& bandTables, const ChannelTables& outTables) {
  std::size_t done = 0;
  if (out == nullptr || BlocksKeepOrder(out, band, pixels)) {
    switch (ActiveInstructionSet()) {
      case InstructionSet::Avx512: done = avx512::BandTableBlocks(swap, band, out, pixels, bandTables, outTables); break;
      case InstructionSet::Avx2: done = avx2::BandTableBlocks(swap, band, out, pixels, bandTables, outTables); break;
      case InstructionSet::Baseline:
        done = baseline::BandTableBlocks(swap, band, out, pixels, bandTables, outTables);
        break;
    }
  }
  ApplyBandTablesPlain(swap, band + 3 * done, out != nullptr ? out + 3 * done : nullptr, pixels - done, bandTables,
                       outTables);
}

}  // namespace k7730
