// The IpbRecord: a 3-to-3 ColorWorld's grid sampled at every second node
// (17 x 17 x 17) as big-endian 16-bit values, one plane per output channel.
#pragma once

#include <cstdint>

#include "cmm/color_world.h"

namespace k7730::cmm {

inline constexpr std::uint32_t kIpbSamples = 17;
inline constexpr std::uint32_t kIpbPlaneValues = kIpbSamples * kIpbSamples * kIpbSamples;  // 4913
inline constexpr std::uint32_t kIpbHeaderBytes = 6;
inline constexpr std::uint32_t kIpbPlaneBytes = kIpbPlaneValues * 2;                    // 9826
inline constexpr std::uint32_t kIpbRecordBytes = kIpbHeaderBytes + 3 * kIpbPlaneBytes;  // 29484
inline constexpr std::uint8_t kIpbHeader[kIpbHeaderBytes] = {0x1B, 0x5A, 0x33, 0x03, 0x04, 0x04};

static_assert(kIpbRecordBytes == 29484);

// Only a 33-point grid with three inputs and three outputs can be exported.
bool IpbExportable(const ColorWorldHeader& world);
// Writes the whole record (kIpbRecordBytes) for an exportable ColorWorld.
void WriteIpbRecord(const ColorWorldHeader& world, std::uint8_t* record);

}  // namespace k7730::cmm
