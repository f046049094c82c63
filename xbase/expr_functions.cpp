// The function catalogue of the expression language and the helpers behind
// the string and date functions.
#include "xbase/expr_functions.h"

#include <algorithm>

#include "xbase/expr_lexer.h"
#include "xbase/expr_number.h"
#include "xbase/index_key.h"
#include "xbase/return_codes.h"

namespace xbase {
namespace {

constexpr FunctionSpec kFunctions[] = {
    {"UPPER", Func::Upper, 1, 1, true},      {"LOWER", Func::Lower, 1, 1, true},
    {"STR", Func::Str, 1, 3, true},          {"VAL", Func::Val, 1, 1, true},
    {"TRIM", Func::Trim, 1, 1, true},        {"RTRIM", Func::Trim, 1, 1, true},
    {"LTRIM", Func::LTrim, 1, 1, true},      {"ALLTRIM", Func::AllTrim, 1, 1, true},
    {"SUBSTR", Func::Substr, 2, 3, true},    {"LEFT", Func::Left, 2, 2, true},
    {"RIGHT", Func::Right, 2, 2, true},      {"DTOS", Func::Dtos, 1, 1, true},
    {"CTOD", Func::Ctod, 1, 1, true},        {"DATE", Func::Date, 0, 0, false},
    {"DELETED", Func::Deleted, 0, 0, false}, {"RECNO", Func::RecNo, 0, 0, false},
    {"IIF", Func::Iif, 3, 3, true},
};

constexpr int kDefaultStrLength = 10;

bool isConstant(const ExprNode& node) {
    return node.kind == ExprNode::Kind::Constant;
}

// The value of a constant numeric argument, or of `fallback` when it is not constant.
double constantOr(const ExprNode& node, double fallback) {
    return isConstant(node) ? node.constant.number : fallback;
}

// Width of a window of `count` bytes (when constant) taken from `width` bytes.
int windowWidth(int width, const ExprNode* count) {
    if (count == nullptr || !isConstant(*count)) return width;
    return clampToInt(count->constant.number, 0, width);
}

}  // namespace

const FunctionSpec* findFunction(std::string_view name) {
    for (const FunctionSpec& spec : kFunctions)
        if (equalsUpperAscii(name, spec.name)) return &spec;
    return nullptr;
}

int clampToInt(double value, int lo, int hi) {
    if (!(value >= lo)) return lo;  // NaN too
    if (value >= hi) return hi;
    return static_cast<int>(value);
}

StrFormat strFormat(const ExprNode& call) {
    StrFormat f{kDefaultStrLength, 0};
    if (call.args.size() > 1) f.length = static_cast<int>(call.args[1]->constant.number);
    if (call.args.size() > 2) f.decimals = static_cast<int>(call.args[2]->constant.number);
    return f;
}

short typeCall(Func func, ExprNode& call) {
    using T = ValueType;
    auto argType = [&](std::size_t i) { return call.args[i]->type; };
    auto allAre = [&](std::initializer_list<T> types) {
        std::size_t i = 0;
        for (T t : types)
            if (i < call.args.size() && argType(i++) != t) return false;
        return true;
    };
    const int width0 = call.args.empty() ? 0 : call.args[0]->width;
    switch (func) {
        case Func::Upper:
        case Func::Lower:
        case Func::Trim:
        case Func::LTrim:
        case Func::AllTrim:
            if (!allAre({T::Character})) return rc::kExprType;
            call.type = T::Character;
            call.width = width0;
            return 0;
        case Func::Str: {
            if (!allAre({T::Numeric, T::Numeric, T::Numeric})) return rc::kExprType;
            for (std::size_t i = 1; i < call.args.size(); ++i) {
                const ExprNode& arg = *call.args[i];
                if (!isConstant(arg) || !(arg.constant.number >= 0) ||
                    arg.constant.number >= kMaxStrLength + 1)
                    return rc::kExprSyntax;
            }
            const StrFormat f = strFormat(call);
            if (f.length < 1) return rc::kExprSyntax;
            call.type = T::Character;
            call.width = f.length;
            return 0;
        }
        case Func::Val:
            if (!allAre({T::Character})) return rc::kExprType;
            call.type = T::Numeric;
            return 0;
        case Func::Substr: {
            if (!allAre({T::Character, T::Numeric, T::Numeric})) return rc::kExprType;
            const int start = clampToInt(constantOr(*call.args[1], 1), 1, width0 + 1);
            const int available = width0 - (start - 1);
            call.type = T::Character;
            call.width =
                windowWidth(available, call.args.size() > 2 ? call.args[2].get() : nullptr);
            return 0;
        }
        case Func::Left:
        case Func::Right:
            if (!allAre({T::Character, T::Numeric})) return rc::kExprType;
            call.type = T::Character;
            call.width = windowWidth(width0, call.args[1].get());
            return 0;
        case Func::Dtos:
            if (!allAre({T::Date})) return rc::kExprType;
            call.type = T::Character;
            call.width = 8;
            return 0;
        case Func::Ctod:
            if (!allAre({T::Character})) return rc::kExprType;
            call.type = T::Date;
            return 0;
        case Func::Date:
            call.type = T::Date;
            return 0;
        case Func::Deleted:
            call.type = T::Logical;
            return 0;
        case Func::RecNo:
            call.type = T::Numeric;
            return 0;
        case Func::Iif:
            if (argType(0) != T::Logical || argType(1) != argType(2)) return rc::kExprType;
            call.type = argType(1);
            call.width = std::max(call.args[1]->width, call.args[2]->width);
            return 0;
    }
    return rc::kExprSyntax;
}

std::string_view trimRight(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ')
        --n;
    return s.substr(0, n);
}

std::string_view trimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    return s.substr(i);
}

std::string_view substrOf(std::string_view s, double start, double count) {
    const int size = static_cast<int>(std::min<std::size_t>(s.size(), 0x7FFFFFFF));
    const int from = clampToInt(start, 1, size + 1) - 1;
    return s.substr(static_cast<std::size_t>(from),
                    static_cast<std::size_t>(clampToInt(count, 0, size - from)));
}

std::string_view leftOf(std::string_view s, double count) {
    return substrOf(s, 1, count);
}

std::string_view rightOf(std::string_view s, double count) {
    const int size = static_cast<int>(std::min<std::size_t>(s.size(), 0x7FFFFFFF));
    const int n = clampToInt(count, 0, size);
    return s.substr(static_cast<std::size_t>(size - n));
}

double ctodValue(std::string_view text) {
    text = trimLeft(trimRight(text));
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits[part] > (part == 2 ? 4 : 2)) return 0;
            parts[part] = parts[part] * 10 + (c - '0');
        } else if ((c == '/' || c == '-' || c == '.') && part < 2 && digits[part] > 0) {
            ++part;
        } else {
            return 0;
        }
    }
    if (part != 2 || digits[2] == 0) return 0;
    const int year = digits[2] <= 2 ? 1900 + parts[2] : parts[2];
    return julianFromCivil(year, parts[0], parts[1]);
}

}  // namespace xbase
