// Numbers read from text the way the program reads captions, settings and
// typed entries: the number at the start of the text, blanks ignored.
#pragma once

#include <cstdint>
#include <string_view>

namespace app {

// The number at the start of text: blanks anywhere are skipped, then an
// optional sign, digits and one decimal point; reading stops at the first
// other character. No number gives 0.
double leading_number(std::string_view text);

// value rounded to a whole number, halves to the even neighbour, held within
// the range of a 32-bit integer.
std::int32_t round_half_even(double value);

// round_half_even(leading_number(text)).
std::int32_t leading_whole_number(std::string_view text);

}  // namespace app
