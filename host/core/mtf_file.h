// MTF kernels for the host: the MTF text file (26 integers) and the
// nine-coefficient form the command line and plugin_filter_setMtf take.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace k7730::host {

struct MtfKernel {
  std::array<std::int32_t, 9> centre{};   // the centre 3 x 3, row by row
  std::int32_t scale = 100;
  bool outerRingDropped = false;          // the file had non-zero outer coefficients
};

// Reads the first 26 integers of an MTF file (25 coefficients of the 5 x 5
// grid row by row, then the scale) and keeps the centre 3 x 3 and the scale.
// Throws HostError naming the file when fewer than 26 integers are found or
// a value is outside the range the module accepts.
MtfKernel ParseMtfText(std::span<const std::uint8_t> text, const std::string& path);
MtfKernel ReadMtfFile(const std::string& path);

// Throws HostError (naming `source`) for coefficients outside -9999..9999 or
// a scale outside 1..99999.
void CheckMtfRanges(const MtfKernel& kernel, const std::string& source);

// Ready-made kernels: "mild", "medium", "strong"; false for other names.
bool SharpenPreset(const std::string& name, MtfKernel& kernel);

}  // namespace k7730::host
