// Field values to and from their stored text (see field_codec.h).
#include "xbase/field_codec.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "xbase/return_codes.h"

namespace xbase {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\0'))
        text.remove_suffix(1);
    return text;
}

// Reads a number at the start of text; returns the count of characters used
// (0 when there is no digit).
std::size_t scanNumber(std::string_view text, double& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double whole = 0;
    bool digits = false;
    while (i < text.size() && isDigit(text[i])) {
        whole = whole * 10 + (text[i++] - '0');
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        double scale = 0.1;
        while (j < text.size() && isDigit(text[j])) {
            whole += (text[j++] - '0') * scale;
            scale /= 10;
            digits = true;
        }
        if (digits) i = j;
    }
    if (!digits) return 0;
    value = negative ? -whole : whole;
    return i;
}

int daysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

double parseLeadingNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    double value = 0;
    return scanNumber(text, value) ? value : 0;
}

bool parseNumber(std::string_view text, double& value) {
    text = trimBlanks(text);
    return !text.empty() && scanNumber(text, value) == text.size();
}

namespace {

// The digits of scaled (a whole number below 1e15 in magnitude) with a point
// before the last decimals of them, as printf's "%.*f" writes scaled / 10^decimals:
// below 1e15 that quotient rounds back to exactly these digits.
int formatScaled(double scaled, int decimals, char* buf) {
    auto digits = static_cast<unsigned long long>(std::fabs(scaled));
    char reversed[24];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    } while (digits != 0 || n <= decimals);  // at least one digit before the point
    int out = 0;
    if (scaled < 0) buf[out++] = '-';
    while (n > 0) {
        if (n == decimals) buf[out++] = '.';
        buf[out++] = reversed[--n];
    }
    return out;
}

}  // namespace

// The widest number field formatNumber writes.
constexpr int kMaxNumberWidth = 20;

bool writeWholeNumber(double value, char* dest, std::size_t width) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    if (!(value > -1e15 && value < 1e15)) return false;  // NaN too
    const auto whole = static_cast<long long>(value);
    if (static_cast<double>(whole) != value) return false;
    // The digits are made two at a time from the right, after blanks, in a
    // buffer as wide as the widest field; -0 is written as 0.
    auto digits = static_cast<unsigned long long>(whole < 0 ? -whole : whole);
    char buf[kMaxNumberWidth];
    std::memset(buf, ' ', sizeof buf);
    std::size_t at = sizeof buf;
    while (digits >= 10) {
        const auto pair = static_cast<std::size_t>(digits % 100) * 2;
        digits /= 100;
        buf[--at] = kPairs[pair + 1];
        buf[--at] = kPairs[pair];
    }
    if (digits != 0 || at == sizeof buf) buf[--at] = static_cast<char>('0' + digits);
    if (whole < 0) buf[--at] = '-';
    const std::size_t n = sizeof buf - at;
    if (n > width) return false;
    if (width <= sizeof buf) {
        std::memcpy(dest, buf + sizeof buf - width, width);
    } else {
        std::memset(dest, ' ', width - n);
        std::memcpy(dest + width - n, buf + at, n);
    }
    return true;
}

bool formatNumber(double value, int length, int decimals, std::string& out) {
    if (!std::isfinite(value) || length < 1 || length > kMaxNumberWidth || decimals < 0)
        return false;
    if (decimals == 0) {
        char text[kMaxNumberWidth];
        if (writeWholeNumber(value, text, static_cast<std::size_t>(length))) {
            out.assign(text, static_cast<std::size_t>(length));
            return true;
        }
        if (value == std::trunc(value) && std::fabs(value) < 1e15) return false;  // too wide
    }
    constexpr int kExactDecimals = 15;
    static constexpr double kPowers[kExactDecimals + 1] = {
        1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    double scale = decimals <= kExactDecimals ? kPowers[decimals] : std::pow(10.0, decimals);
    double scaled = std::round(value * scale);  // halves away from zero
    char buf[64];
    int n = 0;
    if (decimals <= kExactDecimals && std::fabs(scaled) < 1e15) {
        n = formatScaled(scaled == 0 ? 0 : scaled, decimals, buf);  // no "-0"
    } else {
        double rounded = scaled / scale;
        if (rounded == 0) rounded = 0;
        n = std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
    }
    if (n < 0 || n > length) return false;
    const auto blanks = static_cast<std::size_t>(length - n);
    out.resize(static_cast<std::size_t>(length));
    std::memset(out.data(), ' ', blanks);
    std::memcpy(out.data() + blanks, buf, static_cast<std::size_t>(n));
    return true;
}

bool validDateText(std::string_view text) {
    if (text.size() != 8) return false;
    for (char c : text)
        if (!isDigit(c)) return false;
    int year = 0;
    for (char c : text.substr(0, 4))
        year = year * 10 + (c - '0');
    int month = (text[4] - '0') * 10 + (text[5] - '0');
    int day = (text[6] - '0') * 10 + (text[7] - '0');
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

short storeFieldText(const FieldDesc& field, std::string_view text, char* dest) {
    const auto width = static_cast<std::size_t>(field.length);
    switch (field.type) {
        case 'C': {
            std::size_t n = text.size() < width ? text.size() : width;
            std::memcpy(dest, text.data(), n);
            std::memset(dest + n, ' ', width - n);
            return rc::kSuccess;
        }
        case 'N':
        case 'F': {
            if (trimBlanks(text).empty()) {
                std::memset(dest, ' ', width);
                return rc::kSuccess;
            }
            double value = 0;
            if (!parseNumber(text, value)) return rc::kFieldType;
            // A whole number for a field without decimals is written in place.
            if (field.decimals == 0 && field.length >= 1 && field.length <= kMaxNumberWidth &&
                writeWholeNumber(value, dest, width))
                return rc::kSuccess;
            std::string stored;
            if (!formatNumber(value, field.length, field.decimals, stored)) return rc::kFieldType;
            std::memcpy(dest, stored.data(), width);
            return rc::kSuccess;
        }
        case 'D': {
            std::string_view date = trimBlanks(text);
            if (date.empty()) {
                std::memset(dest, ' ', width);
                return rc::kSuccess;
            }
            if (width != 8 || !validDateText(date)) return rc::kFieldType;
            std::memcpy(dest, date.data(), 8);
            return rc::kSuccess;
        }
        case 'L': {
            std::string_view v = trimBlanks(text);
            if (v.size() == 3 && v.front() == '.' && v.back() == '.') v = v.substr(1, 1);
            char c = v.empty() ? '?' : v.front();
            if (v.size() > 1) return rc::kFieldType;
            if (c == 'T' || c == 't' || c == 'Y' || c == 'y')
                *dest = 'T';
            else if (c == 'F' || c == 'f' || c == 'N' || c == 'n')
                *dest = 'F';
            else if (c == '?')
                *dest = ' ';
            else
                return rc::kFieldType;
            return rc::kSuccess;
        }
        default:
            return rc::kFieldType;
    }
}

long long memoBlock(std::string_view fieldBytes) {
    std::string_view digits = trimBlanks(fieldBytes);
    if (digits.empty()) return 0;
    long long block = 0;
    for (char c : digits) {
        if (!isDigit(c) || block > 0xFFFFFFFFLL) return -1;
        block = block * 10 + (c - '0');
    }
    return block;
}

void storeMemoBlock(std::uint32_t block, char* dest) {
    if (block == 0) {
        std::memset(dest, ' ', 10);
        return;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%10u", static_cast<unsigned>(block));
    std::memcpy(dest, buf, 10);
}

}  // namespace xbase
