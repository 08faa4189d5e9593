// Why the engine would refuse a profile for one side of a ColorWorld, told
// by the same code that builds one: the host programs explain a failed page
// with it and describe the profiles they use.
#pragma once

#include <cstdint>

#include "cmm/profile_file.h"
#include "cmm/refusal.h"

namespace k7730::cmm {

enum class ProfileSide { Source, Destination };

struct ProfileDiagnosis {
  OpenReport open;   // open.reason None: the side was decoded, see `side`
  SideReport side;
};

// Opens `path` as SDKCMOpenProfile does and decodes the side it would
// supply for `intent` (0..3), then releases everything.
ProfileDiagnosis DiagnoseProfile(const char* path, ProfileSide side, std::uint32_t intent);

}  // namespace k7730::cmm
