// Decoding of lut8 ('mft1') and lut16 ('mft2') elements into a
// ProfileTransform.
#pragma once

#include <cstdint>

#include "cmm/profile_transform.h"
#include "cmm/refusal.h"

namespace k7730::cmm {

inline constexpr std::uint32_t kLut16Type = 0x6D667432;  // 'mft2'

enum class LutSide { Source, Destination };

// Decodes the element in place (a lut16 CLUT is narrowed to one byte per
// entry where it stands, and `out->clut` points into the element). Every
// type other than 'mft2' is read as lut8. False, before anything is read
// from the tables, when the element is not consistent: a source needs 3 or
// 4 inputs and 3 outputs, a destination 3 inputs and 3 or 4 outputs; the
// grid needs at least 2 points, lut16 tables at least 2 entries, and every
// table and the CLUT must lie inside the element. A refusal goes to `report`
// (LutUnfit or LutCutShort, with the element's type; the caller names the tag).
bool ParseLutTag(std::uint8_t* element, std::uint32_t size, LutSide side, ProfileTransform* out,
                 SideReport* report = nullptr);

}  // namespace k7730::cmm
