// Index key bytes of expression values and the calendar behind date keys.
// The functions declared in expr.h (encodeKey, numericKey, decodeNumericKey,
// keyFiller, julianDay, dateText) live in index_key.cpp; this header adds the
// calendar helpers the expression functions share with them.
#pragma once

#include <string>

#include "xbase/expr.h"

namespace xbase {

// Julian day number of a Gregorian date; 0 when the date does not exist or
// lies outside the years 1 to 9999.
double julianFromCivil(int year, int month, int day);

// Writes the YYYYMMDD text of a Julian day number to out[0..7]; 8 blanks when
// the number is 0, not a number, or outside the years 1 to 9999. A fraction
// of a day is dropped.
void writeDateText(double julian, char* out);

// Julian day number of today's local date.
double julianToday();

}  // namespace xbase
