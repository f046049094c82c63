// Numbers as xBase text: reading the text of N and F fields and VAL(), and
// writing STR(). Neither allocates; both are used once per record in queries.
#pragma once

#include <cstddef>

namespace xbase {

// The widest STR() result the language accepts.
constexpr int kMaxStrLength = 255;

// Reads a number the way VAL() does: leading blanks, an optional sign, digits
// with an optional decimal point, stopping at the first other byte. No digits
// (an empty or blank field, "*****", junk) read as 0.
double parseNumber(const char* text, std::size_t n);

// Writes the STR(value, length, decimals) text to out[0..length-1]: the value
// rounded half away from zero to `decimals` places, right-aligned with leading
// blanks. A value that does not fit, or is not finite, gives `length`
// asterisks. Requires 1 <= length <= kMaxStrLength and decimals >= 0.
void formatStr(double value, int length, int decimals, char* out);

}  // namespace xbase
