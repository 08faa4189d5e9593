// Decoding the two sides of a ColorWorld from open profiles: the lookup
// table the intent selects, or, only when that table is not listed, the
// matrix/TRC tags. What a build decodes is held here until the finished
// ColorWorld takes it.
#pragma once

#include <cstdint>

#include "cmm/element_loader.h"
#include "cmm/profile_transform.h"
#include "cmm/refusal.h"
#include "cmm/wide_tables.h"
#include "platform/platform.h"

namespace k7730::cmm {

// A2B0..A2B2 and B2A0..B2A2; intent 3 uses the intent-1 tags.
inline constexpr std::uint32_t kSourceTags[4] = {0x41324230, 0x41324231, 0x41324232, 0x41324231};
inline constexpr std::uint32_t kDestinationTags[4] = {0x42324130, 0x42324131, 0x42324132, 0x42324131};

struct BuildParts {
  LoadedElement sourceElement;
  LoadedElement destinationElement;
  ProfileTransform source;
  ProfileTransform destination;
  WideTables* wide = nullptr;
  BuildParts() = default;
  BuildParts(const BuildParts&) = delete;
  BuildParts& operator=(const BuildParts&) = delete;
  ~BuildParts() { ReleaseWideTables(wide); }
};

// Decodes the source side from lookup table `tag`; false, with the reason
// in `report` (may be null), when the profile cannot supply it.
bool DecodeSource(platform::FileId file, std::uint32_t tag, BuildParts& parts, SideReport* report);
// The same for the destination side.
bool DecodeDestination(platform::FileId file, std::uint32_t tag, BuildParts& parts, SideReport* report);

}  // namespace k7730::cmm
