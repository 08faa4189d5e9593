#include "mtf_file.h"

#include <vector>

#include "file_bytes.h"
#include "host_error.h"

namespace k7730::host {

namespace {

bool IsTokenByte(std::uint8_t c) { return (c >= '0' && c <= '9') || c == '+' || c == '-'; }

// The value of an optional sign and the digits after it, up to the first
// other character; saturates far outside the accepted ranges.
std::int64_t ParseDecimal(const std::string& token) {
  std::size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  std::int64_t value = 0;
  for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
    value = value * 10 + (token[i] - '0');
    if (value > (std::int64_t{1} << 40)) value = std::int64_t{1} << 40;
  }
  return negative ? -value : value;
}

}  // namespace

MtfKernel ParseMtfText(std::span<const std::uint8_t> text, const std::string& path) {
  // Integers are runs of digits and signs; everything between them is
  // skipped, and a 0xFF byte ends the file.
  std::vector<std::int64_t> values;
  std::size_t pos = 0;
  while (values.size() < 26) {
    while (pos < text.size() && text[pos] != 0xFF && !IsTokenByte(text[pos])) ++pos;
    if (pos >= text.size() || text[pos] == 0xFF) break;
    std::string token;
    while (pos < text.size() && IsTokenByte(text[pos]) && token.size() < 255) token += static_cast<char>(text[pos++]);
    ++pos;  // the byte that ended the token
    values.push_back(ParseDecimal(token));
  }
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
