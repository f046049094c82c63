// The functions of the expression language: their names and arities, the
// type and width rules applied when a call is parsed, and the string and
// date helpers the evaluator runs for them.
#pragma once

#include <string_view>

#include "xbase/expr.h"

namespace xbase {

enum class Func {
    Upper,
    Lower,
    Str,
    Val,
    Trim,  // TRIM and RTRIM
    LTrim,
    AllTrim,
    Substr,
    Left,
    Right,
    Dtos,
    Ctod,
    Date,
    Deleted,
    RecNo,
    Iif,
};

struct FunctionSpec {
    std::string_view name;  // upper case
    Func func;
    int minArgs;
    int maxArgs;
    bool pure;  // depends on its arguments alone (DATE, DELETED, RECNO do not)
};

// The function of that name, compared without regard to case; nullptr when none.
const FunctionSpec* findFunction(std::string_view name);

// Checks the argument types of a parsed call (call.args filled in) and sets
// call.type and call.width. Returns 0, rc::kExprType for arguments of the
// wrong type, or rc::kExprSyntax for a STR length or decimals that are not
// constant or out of range.
short typeCall(Func func, ExprNode& call);

// The STR() length and decimals of a typed call: 10 and 0 by default.
struct StrFormat {
    int length;
    int decimals;
};
StrFormat strFormat(const ExprNode& call);

// Runtime helpers over byte ranges; all results are windows into the input.
std::string_view trimRight(std::string_view s);
std::string_view trimLeft(std::string_view s);
// SUBSTR(s, start, count) with xBase's forgiving bounds: a start below 1
// counts as 1, a count below 0 as 0; a window past the end is cut short.
std::string_view substrOf(std::string_view s, double start, double count);
std::string_view leftOf(std::string_view s, double count);
std::string_view rightOf(std::string_view s, double count);

// CTOD(): Julian day number of "MM/DD/YYYY" (also '-' or '.' between the
// parts; a year of one or two digits is taken as 19YY); 0 for a blank or
// invalid date.
double ctodValue(std::string_view text);

// A double as an int in [lo, hi]; NaN gives lo.
int clampToInt(double value, int lo, int hi);

}  // namespace xbase
