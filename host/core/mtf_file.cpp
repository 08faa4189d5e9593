#include "host/core/mtf_file.h"

#include <vector>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "formats/mtf_text.h"

namespace k7730::host {

MtfKernel ParseMtfText(std::span<const std::uint8_t> text, const std::string& path) {
  // The module's own reading of the text: the first 26 runs of digits and
  // signs, whatever lies between them; a 0xFF byte ends the file.
  std::int32_t read[26];
  const std::vector<std::int64_t> values(read, read + ReadMtfIntegers(text.data(), text.size(), read, 26));
  if (values.size() < 26) {
    throw FileError(path, "not an MTF file: it holds " + std::to_string(values.size()) +
                              " integers, an MTF file holds 26");
  }
  MtfKernel kernel;
  int k = 0;
  for (int i = 0; i < 25; ++i) {
    const int row = i / 5, column = i % 5;
    const bool centre = row >= 1 && row <= 3 && column >= 1 && column <= 3;
    if (!centre) {
      kernel.outerRingDropped |= values[i] != 0;
      continue;
    }
    if (values[i] < -9999 || values[i] > 9999) {
      throw FileError(path, "coefficient " + std::to_string(i) + " is " + std::to_string(values[i]) +
                                ", it must be between -9999 and 9999");
    }
    kernel.centre[k++] = static_cast<std::int32_t>(values[i]);
  }
  if (values[25] < 1 || values[25] > 99999) {
    throw FileError(path, "the scale is " + std::to_string(values[25]) + ", it must be between 1 and 99999");
  }
  kernel.scale = static_cast<std::int32_t>(values[25]);
  return kernel;
}

MtfKernel ReadMtfFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path, 1 << 20);
  return ParseMtfText(bytes, path);
}

void CheckMtfRanges(const MtfKernel& kernel, const std::string& source) {
  for (std::int32_t c : kernel.centre) {
    if (c < -9999 || c > 9999) {
      throw HostError(source + ": coefficient " + std::to_string(c) + " is outside -9999 to 9999");
    }
  }
  if (kernel.scale < 1 || kernel.scale > 99999) {
    throw HostError(source + ": scale " + std::to_string(kernel.scale) + " is outside 1 to 99999");
  }
}

bool SharpenPreset(const std::string& name, MtfKernel& kernel) {
  // Unsharp-style crosses whose weights sum to the scale, so flat areas
  // keep their value.
  int side = 0;
  if (name == "mild") side = 10;
  else if (name == "medium") side = 25;
  else if (name == "strong") side = 50;
  else return false;
  kernel = MtfKernel{};
  kernel.centre = {0, -side, 0, -side, 100 + 4 * side, -side, 0, -side, 0};
  kernel.scale = 100;
  return true;
}

}  // namespace k7730::host
