#include "cmm/ipb_record.h"

#include <cstring>

namespace k7730::cmm {

bool IpbExportable(const ColorWorldHeader& world) {
  return world.gridPoints == kGridPoints3 && world.inChannels == 3 && world.outChannels == 3 &&
         world.headerSize == kColorWorldHeaderSize;
}

void WriteIpbRecord(const ColorWorldHeader& world, std::uint8_t* record) {
  std::memcpy(record, kIpbHeader, kIpbHeaderBytes);
  const std::uint8_t* grid = world.Grid();
  std::uint32_t position = 0;  // (c * 17 + b) * 17 + a: the first input runs fastest
  for (std::uint32_t c = 0; c < kIpbSamples; ++c)
    for (std::uint32_t b = 0; b < kIpbSamples; ++b)
      for (std::uint32_t a = 0; a < kIpbSamples; ++a, ++position) {
        const std::uint8_t* entry = grid + GridOffset3(2 * a, 2 * b, 2 * c);
        for (std::uint32_t o = 0; o < 3; ++o) {
          const std::uint32_t value = entry[o] * 16u;
          std::uint8_t* at = record + kIpbHeaderBytes + o * kIpbPlaneBytes + position * 2;
          at[0] = static_cast<std::uint8_t>(value >> 8);
          at[1] = static_cast<std::uint8_t>(value & 0xFF);
        }
      }
}

}  // namespace k7730::cmm
