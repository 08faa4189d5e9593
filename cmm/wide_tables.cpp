#include "cmm/wide_tables.h"

#include <new>

#include "platform/platform.h"

namespace k7730::cmm {

WideTables* NewWideTables() {
  void* block = platform::Allocate(sizeof(WideTables));
  if (block == nullptr) return nullptr;
  return new (block) WideTables();
}

bool AllocateSourceCurves(WideTables* wide) {
  wide->sourceCurves = static_cast<std::uint32_t*>(platform::Allocate(3 * kWideEntries * sizeof(std::uint32_t)));
  return wide->sourceCurves != nullptr;
}

std::uint32_t* AllocateWideTable() {
  return static_cast<std::uint32_t*>(platform::Allocate(kWideEntries * sizeof(std::uint32_t)));
}

void ReleaseWideTables(WideTables* wide) {
  if (wide == nullptr) return;
  platform::Release(wide->sourceCurves);
  for (std::uint32_t* t : wide->composite) platform::Release(t);
  platform::Release(wide->weight16);
  for (std::uint32_t* t : wide->expanded) platform::Release(t);
  platform::Release(wide);
}

}  // namespace k7730::cmm
