// What the print command tells about an ICC profile, learnt through the
// module's own exported profile access: why the module cannot use it for a
// page, and a one-line description for --verbose.
#pragma once

#include <cstdint>
#include <string>

#include "host/core/module_api.h"

namespace k7730::host {

// Which end of the colour transform a profile is: the image's (source) or
// the printer's (destination). They read different tags.
enum class ProfileRole { Source, Destination };

// "'RGB '": a signature as its four characters in quotes.
std::string QuotedSignature(std::uint32_t signature);

// "input profile" or "printer profile".
const char* RoleName(ProfileRole role);
// "perceptual", "relative colorimetric", "saturation".
const char* IntentName(std::uint16_t intent);

// The reason the module cannot use `path` in `role` with `intent`, as a
// phrase ("not an RGB profile (its data colour space is 'CMYK')"); empty
// when nothing is found wrong, or the module lacks the profile exports.
std::string ProfileProblem(const ModuleApi& api, const std::string& path, ProfileRole role,
                           std::uint16_t intent);

// "display profile 'mntr', ICC 4.2, RGB to XYZ; relative colorimetric uses
// the matrix and TRCs (no 'A2B1'), TRCs 'para'" and the like.
std::string DescribeProfile(const ModuleApi& api, const std::string& path, ProfileRole role,
                            std::uint16_t intent);

}  // namespace k7730::host
