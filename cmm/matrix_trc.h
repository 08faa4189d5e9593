// Decoding of a matrix/TRC profile side: the colorant tags ('rXYZ',
// 'gXYZ', 'bXYZ') as matrix columns and the 'curv' TRC tags.
#pragma once

#include <cstdint>

#include "cmm/profile_transform.h"
#include "cmm/refusal.h"
#include "platform/platform.h"

namespace k7730::cmm {

// Source side: TRC k becomes input curve k and 16-bit curve table k of
// `sourceCurves` (3 x 65536 entries). Channels whose TRC is not listed or not
// decodable keep the identity. False when a colorant cannot be read, a listed
// TRC cannot be loaded (damaged file, no memory) or no TRC was decoded; the
// reason goes to `report` (NoTable when there are no matrix/TRC tags), and
// the types of the listed TRCs with it.
bool LoadSourceMatrixTrc(platform::FileId file, ProfileTransform* side, std::uint32_t* sourceCurves,
                         SideReport* report = nullptr);
// Destination side: TRC k becomes output curve k (not yet inverted).
bool LoadDestinationMatrixTrc(platform::FileId file, ProfileTransform* side, SideReport* report = nullptr);

}  // namespace k7730::cmm
