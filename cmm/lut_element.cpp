#include "cmm/lut_element.h"

#include <cstring>

#include "formats/byte_reader.h"
#include "cmm/curve_decoding.h"

namespace k7730::cmm {
namespace {

constexpr std::uint64_t kLut8TablesAt = 48;
constexpr std::uint64_t kLut16TablesAt = 52;

bool ChannelsFit(LutSide side, std::uint32_t in, std::uint32_t out) {
  if (side == LutSide::Source) return (in == 3 || in == 4) && out == 3;
  return in == 3 && (out == 3 || out == 4);
}

std::uint64_t ClutEntries(std::uint32_t in, std::uint32_t out, std::uint32_t grid) {
  std::uint64_t n = out;
  for (std::uint32_t c = 0; c < in; ++c) n *= grid;  // at most 4 * 255^4
  return n;
}

bool ParseLut8(ByteView bytes, std::uint8_t* element, std::uint64_t entries, ProfileTransform* out) {
  const std::uint64_t clutAt = kLut8TablesAt + 256ull * out->inChannels;
  const std::uint64_t outputAt = clutAt + entries;
  if (!bytes.Has(outputAt, 256ull * out->outChannels)) return false;
  std::memcpy(out->inputCurves, element + kLut8TablesAt, 256u * out->inChannels);
  std::memcpy(out->outputCurves, element + outputAt, 256u * out->outChannels);
  out->clut = element + clutAt;
  return true;
}

bool ParseLut16(ByteView bytes, std::uint8_t* element, std::uint64_t entries, ProfileTransform* out) {
  std::uint16_t inCount = 0, outCount = 0;
  if (!bytes.U16(48, &inCount) || !bytes.U16(50, &outCount)) return false;
  if (inCount < 2 || outCount < 2) return false;
  bool ok = false;
  BigEndian16Array inputs(bytes, kLut16TablesAt, static_cast<std::uint64_t>(inCount) * out->inChannels, &ok);
  if (!ok) return false;
  const std::uint64_t clutAt = kLut16TablesAt + 2ull * inCount * out->inChannels;
  BigEndian16Array clut(bytes, clutAt, entries, &ok);
  if (!ok) return false;
  const std::uint64_t outputAt = clutAt + 2 * entries;
  BigEndian16Array outputs(bytes, outputAt, static_cast<std::uint64_t>(outCount) * out->outChannels, &ok);
  if (!ok) return false;

  Lut16CurvesToTables8(inCount, out->inChannels, inputs, out->inputCurves);
  Lut16CurvesToTables8(outCount, out->outChannels, outputs, out->outputCurves);
  // Narrow the CLUT in place to the high byte of each entry; entry k moves
  // from byte 2k to byte k, so no entry is overwritten before it is read.
  std::uint8_t* table = element + clutAt;
  for (std::uint64_t k = 0; k < entries; ++k) table[k] = table[2 * k];
  out->clut = table;
  return true;
}

}  // namespace

bool ParseLutTag(std::uint8_t* element, std::uint32_t size, LutSide side, ProfileTransform* out,
                 SideReport* report) {
  ByteView bytes(element, size);
  std::uint32_t type = 0;
  std::uint8_t in = 0, outs = 0, grid = 0;
  bytes.U32(0, &type);
  if (!bytes.U8(8, &in) || !bytes.U8(9, &outs) || !bytes.U8(10, &grid)) {
    Refuse(report, Refusal::LutCutShort, 0, type);
    return false;
  }
  if (!ChannelsFit(side, in, outs) || grid < 2) {
    Refuse(report, Refusal::LutUnfit, 0, type);
    if (report != nullptr) report->counts[0] = in, report->counts[1] = outs, report->counts[2] = grid;
    return false;
  }
  const std::uint64_t entries = ClutEntries(in, outs, grid);

  ProfileTransform decoded;
  decoded.inChannels = in;
  decoded.outChannels = outs;
  decoded.gridPoints = grid;
  bool ok = type == kLut16Type ? ParseLut16(bytes, element, entries, &decoded)
                               : ParseLut8(bytes, element, entries, &decoded);
  if (!ok) {
    Refuse(report, Refusal::LutCutShort, 0, type);
    return false;
  }
  *out = decoded;
  return true;
}

}  // namespace k7730::cmm
