// Hand-made ICC profiles for tests: a header, a tag table and elements,
// with every field under the test's control, written to temporary files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/byte_order.h"

namespace k7730::test {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t Sig(const char (&s)[5]) {
  return (std::uint32_t(std::uint8_t(s[0])) << 24) | (std::uint32_t(std::uint8_t(s[1])) << 16) |
         (std::uint32_t(std::uint8_t(s[2])) << 8) | std::uint32_t(std::uint8_t(s[3]));
}

Bytes XyzElement(double x, double y, double z);
Bytes CurvElement(const std::vector<std::uint16_t>& entries);
// A 'para' of the given function type and parameters (g, a, b, c, d, e, f
// as far as given), each stored as s15Fixed16Number.
Bytes ParaElement(std::uint16_t type, const std::vector<double>& parameters);
// lut8 with identity tables and the given CLUT (outputs innermost).
Bytes Lut8Element(int in, int out, int grid, const Bytes& clut);
// lut16 with identity tables of `entries` entries and the given 16-bit CLUT.
Bytes Lut16Element(int in, int out, int grid, const std::vector<std::uint16_t>& clut, int entries = 2);
// An ICC version 4 lookup element ('mAB ' or 'mBA ') as far as this engine
// reads it: a lut8 of the given type with a reserved zero at its grid size.
Bytes VersionFourLut(const char (&type)[5]);
// An identity CLUT (inputs 3, outputs 3) for the lut builders.
Bytes IdentityClut8(int grid);
std::vector<std::uint16_t> IdentityClut16(int grid);

struct TagSpec {
  std::uint32_t signature;
  Bytes data;
};

struct ProfileSpec {
  std::uint32_t colorSpace = Sig("RGB ");
  std::uint32_t pcs = Sig("XYZ ");
  std::vector<TagSpec> tags;
};

// Header, tag table and elements (each on a 4-byte boundary).
Bytes BuildProfile(const ProfileSpec& spec);
// An sRGB-like matrix/TRC profile whose TRCs are the given element (by
// default a 'curv' of gamma 2.2).
ProfileSpec MatrixTrcSpec(const Bytes& trc = CurvElement({0x0233}));

// Writes `bytes` to a fresh file in this process's temporary folder.
std::string WriteTempFile(const Bytes& bytes, const std::string& name);

// The folder of the profiles generated at build time, and the path of one.
std::string GeneratedProfile(const std::string& name);

}  // namespace k7730::test
