#include "ui/decimal_text.h"

#include <limits>

namespace k7730 {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::int32_t ParseDecimal(const char* text) {
  if (text == nullptr) return 0;
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  // Accumulate the magnitude with a ceiling just above what either end of
  // the range needs, so it cannot overflow however many digits follow.
  constexpr std::int64_t kCeiling = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; IsDigit(*text); ++text) {
    magnitude = magnitude * 10 + (*text - '0');
    if (magnitude > kCeiling) magnitude = kCeiling;
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);  // -2^31 at most
  if (magnitude >= kCeiling) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(magnitude);
}

int IsIntegerText(const char* text) {
  if (text == nullptr) return 0;
  if (*text == '+' || *text == '-') ++text;
  for (; *text != '\0'; ++text) {
    if (!IsDigit(*text)) return 0;
  }
  return 1;
}

}  // namespace k7730
