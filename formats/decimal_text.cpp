#include "formats/decimal_text.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace k7730 {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipDigits(const char* p) {
  while (IsDigit(*p)) ++p;
  return p;
}

// The end of the decimal number at `p` (after its sign), or `p` itself
// when no digit belongs to it.
const char* NumberEnd(const char* p) {
  const char* end = SkipDigits(p);
  bool digits = end != p;
  if (*end == '.') {
    const char* fraction = SkipDigits(end + 1);
    digits = digits || fraction != end + 1;
    end = fraction;
  }
  if (!digits) return p;
  if (*end == 'e' || *end == 'E') {
    const char* exponent = end + 1;
    if (*exponent == '+' || *exponent == '-') ++exponent;
    if (IsDigit(*exponent)) end = SkipDigits(exponent);
  }
  return end;
}

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


double ParseLeadingNumber(const char* text) {
  if (text == nullptr) return 0.0;
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  const char* end = NumberEnd(text);
  double value = 0.0;
  const auto result = std::from_chars(text, end, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // As the runtime does: too large is infinite, too small is 0.
    const char* exponent = std::strpbrk(text, "eE");
    const bool tiny = exponent != nullptr && exponent < end && exponent[1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return negative ? -value : value;
}

}  // namespace k7730
