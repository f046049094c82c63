// Reading numbers from the start of a text without exceptions.
#include "app/number_text.h"

#include <cmath>
#include <limits>

namespace app {

double leading_number(std::string_view text) {
    bool negative = false;
    bool seenSign = false;
    bool seenDigit = false;
    bool seenPoint = false;
    double value = 0;
    double scale = 0.1;
    for (char c : text) {
        if (c == ' ') continue;
        if ((c == '-' || c == '+') && !seenSign && !seenDigit && !seenPoint) {
            negative = c == '-';
            seenSign = true;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else if (c >= '0' && c <= '9') {
            seenDigit = true;
            if (seenPoint) {
                value += (c - '0') * scale;
                scale /= 10;
            } else {
                value = value * 10 + (c - '0');
            }
        } else {
            break;
        }
    }
    return negative ? -value : value;
}

std::int32_t round_half_even(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
    if (rounded < lo) return std::numeric_limits<std::int32_t>::min();
    if (rounded > hi) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

std::int32_t leading_whole_number(std::string_view text) {
    return round_half_even(leading_number(text));
}

}  // namespace app
