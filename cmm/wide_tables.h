// The 16-bit input-side tables of a ColorWorld whose source is a
// matrix/TRC profile. Each such ColorWorld owns its own set, released with
// it.
#pragma once

#include <cstdint>

namespace k7730::cmm {

inline constexpr std::uint32_t kWideEntries = 65536;

struct WideTables {
  std::uint32_t* sourceCurves = nullptr;  // 3 x 65536: device value -> linear value
  std::uint32_t* composite[3] = {};       // the source curves with the caller's input curves folded in
  std::uint32_t* weight16 = nullptr;      // 16-bit linear value -> weight in the 33-point grid
  std::uint32_t* expanded[4] = {};        // the caller's tables 0..3 on the 16-bit scale

  const std::uint32_t* SourceCurve(int c) const { return sourceCurves + c * kWideEntries; }
  std::uint32_t* SourceCurve(int c) { return sourceCurves + c * kWideEntries; }
};

// An empty set; null when it cannot be allocated.
WideTables* NewWideTables();
// Allocates the source curve tables; false when that fails.
bool AllocateSourceCurves(WideTables* wide);
// Allocates one 65536-entry member; null when that fails.
std::uint32_t* AllocateWideTable();
// Releases every member that exists, then the set itself. Null is ignored.
void ReleaseWideTables(WideTables* wide);

}  // namespace k7730::cmm
