// Field values to and from the text a DBF record stores for them (FoxPro 2.x
// rules for C, N, F, D, L and the block number of M fields).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/expr.h"

namespace xbase {

// Stores text as the field's value in dest (exactly field.length bytes):
// C padded with blanks or cut; N and F read as a number and written
// right-aligned with the field's decimals (empty text: blank); D as YYYYMMDD
// (empty: blank); L as T or F (empty or '?': blank). M fields are not handled
// here (see memoBlock). Returns 0, or rc::kFieldType with dest unchanged when
// the text is no value of the field's type or does not fit.
short storeFieldText(const FieldDesc& field, std::string_view text, char* dest);

// The text an N or F field of this width stores for value; false when the
// value does not fit the width.
bool formatNumber(double value, int length, int decimals, std::string& out);
// formatNumber with no decimals for a whole value below 1e15 in magnitude,
// written in place: the width bytes at dest. False (dest untouched) for any
// other value, or one that does not fit.
bool writeWholeNumber(double value, char* dest, std::size_t width);

// Leading-number parse: blanks, a sign, digits, a point and digits; stops at
// the first other character; no number at all gives 0.
double parseLeadingNumber(std::string_view text);

// Whole-text parse: blanks around one number and nothing else. An empty or
// blank text is no number.
bool parseNumber(std::string_view text, double& value);

// True for eight digits that name a real calendar date.
bool validDateText(std::string_view text);

// The block number an M field stores: 0 for none (blank or zero), -1 for bytes
// that are no block number.
long long memoBlock(std::string_view fieldBytes);
// Writes block (0: none) into a 10-byte M field, right-aligned.
void storeMemoBlock(std::uint32_t block, char* dest);

}  // namespace xbase
