// The integers of MTF file text: runs of digits and signs, whatever lies
// between them. One reading for the module's MTF file and the print
// command's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/decimal_text.h"

namespace k7730 {

// What a byte source yields at its end (a failed read, or a byte 0xFF).
inline constexpr int kMtfTextEnd = -1;
// Longest run of digits and signs taken as one integer.
inline constexpr std::size_t kMtfLongestToken = 255;

inline bool IsMtfTokenByte(int b) { return (b >= '0' && b <= '9') || b == '+' || b == '-'; }

// Reads the next integer from `next()` (a byte 0..254, or kMtfTextEnd):
// skips to a digit or sign, then takes the run of digits and signs that
// follows (at most kMtfLongestToken characters; the byte ending the run is
// consumed). 1 with its value, or 0 with the value 0 when the text ends
// first.
template <typename NextByte>
int ReadMtfInteger(NextByte&& next, std::int32_t* value) {
  int b;
  do {
    b = next();
    if (b == kMtfTextEnd) {
      *value = 0;
      return 0;
    }
  } while (!IsMtfTokenByte(b));

  char token[kMtfLongestToken + 1];
  std::size_t length = 0;
  token[length++] = static_cast<char>(b);
  while (length < kMtfLongestToken) {
    b = next();
    if (b == kMtfTextEnd || !IsMtfTokenByte(b)) break;  // the ending byte is dropped
    token[length++] = static_cast<char>(b);
  }
  token[length] = '\0';
  *value = ParseDecimal(token);
  return 1;
}

// A byte 0xFF reads as the end of the text, like a failed read.
inline int MtfTextByte(std::uint8_t b) { return b == 0xFF ? kMtfTextEnd : b; }

// Reads up to `max` integers from the bytes into `values`; returns how many.
std::size_t ReadMtfIntegers(const std::uint8_t* bytes, std::size_t size, std::int32_t* values, std::size_t max);

}  // namespace k7730
