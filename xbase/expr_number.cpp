// Number text of the xBase language: the VAL() reader and the STR() writer.
#include "xbase/expr_number.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace xbase {
namespace {

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kExactPowers = 23;                       // 10^0 .. 10^22 are exact doubles
constexpr double kExactMantissa = 9007199254740992.0;  // 2^53

double pow10(int n) {
    return n < kExactPowers ? kPow10[n] : std::pow(10.0, n);
}

// Rounds a non-negative value to a whole number, half away from zero. A value
// within a few units in the last place below one half counts as one half, so
// that 1.005 at two places gives 1.01 as the written decimal suggests.
double roundHalfUp(double t) {
    if (t >= kExactMantissa) return t;  // already whole
    const double whole = std::floor(t);
    return t - whole >= 0.5 - t * 4 * DBL_EPSILON ? whole + 1 : whole;
}

}  // namespace

double parseNumber(const char* text, std::size_t n) {
    std::size_t i = 0;
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const std::size_t start = i;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool seenPoint = false;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (mantissa != 0 || c != '0') ++digits;
            if (digits <= 19) mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            if (seenPoint) ++decimals;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    double value = 0;
    if (digits <= 15 && decimals < kExactPowers) {
        // Both operands are exact, so the one division rounds correctly.
        value = static_cast<double>(mantissa) / kPow10[decimals];
    } else {
        auto [end, ec] = std::from_chars(text + start, text + i, value);
        if (ec == std::errc::result_out_of_range)
            value = digits - decimals > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        else if (ec != std::errc())
            value = 0;
    }
    return negative ? -value : value;
}

void formatStr(double value, int length, int decimals, char* out) {
    char digits[400];  // the integer digits of the scaled value; DBL_MAX has 309
    int count = 0;
    const double scaled = roundHalfUp(std::fabs(value) * pow10(decimals));
    if (!std::isfinite(scaled)) {
        count = length + 1;  // does not fit
    } else if (scaled < 1e19) {
        auto whole = static_cast<std::uint64_t>(scaled);
        do {
            digits[count++] = static_cast<char>('0' + whole % 10);
            whole /= 10;
        } while (whole != 0);
        std::reverse(digits, digits + count);
    } else {
        count = std::snprintf(digits, sizeof digits, "%.0f", scaled);
    }
    // Text: [-] integer digits [. decimals], at least one digit before the point.
    const bool negative = value < 0 && scaled != 0;
    const int integerDigits = count > decimals ? count - decimals : 1;
    const int textLength = negative + integerDigits + (decimals > 0 ? 1 + decimals : 0);
    if (count > length || textLength > length) {
        std::memset(out, '*', static_cast<std::size_t>(length));
        return;
    }
    char* p = out + (length - textLength);
    std::memset(out, ' ', static_cast<std::size_t>(length - textLength));
    if (negative) *p++ = '-';
    const int zeros = decimals + 1 - count;  // leading zeros of "0.05" and the like
    for (int i = 0; i < integerDigits + decimals; ++i) {
        if (i == integerDigits) *p++ = '.';
        *p++ = i < zeros ? '0' : digits[i - (zeros > 0 ? zeros : 0)];
    }
}

}  // namespace xbase
