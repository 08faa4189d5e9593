// Decimal numbers in text, as the MTF file, the MTF dialog's fields and the
// tone-curve editor's gamma box hold them.
#pragma once

#include <cstdint>

namespace k7730 {

// The value of an optional leading sign and the digits after it, up to the
// first non-digit; 0 when there are no digits (so "--5" is 0 and "5-3" is 5).
// Values beyond the 32-bit range saturate at its ends instead of wrapping,
// so a long number can never come back as a small one. Null gives 0.
std::int32_t ParseDecimal(const char* text);

// 1 when the text is empty, or one optional sign followed by nothing but
// digits (a lone sign counts); 0 otherwise, and for null.
int IsIntegerText(const char* text);

// The leading decimal number of the text, as the runtime's text-to-number
// conversion reads it: blanks, an optional sign, digits with an optional
// decimal point and an optional exponent; 0 when there is none. Neither the
// locale nor words like "inf" take part. Null gives 0.
double ParseLeadingNumber(const char* text);

}  // namespace k7730
