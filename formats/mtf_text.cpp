#include "formats/mtf_text.h"

namespace k7730 {

std::size_t ReadMtfIntegers(const std::uint8_t* bytes, std::size_t size, std::int32_t* values, std::size_t max) {
  std::size_t position = 0;
  auto next = [&]() -> int { return position < size ? MtfTextByte(bytes[position++]) : kMtfTextEnd; };
  std::size_t count = 0;
  while (count < max && ReadMtfInteger(next, &values[count]) == 1) ++count;
  return count;
}

}  // namespace k7730
