// Index key encoding (character, the order-preserving 8-byte double transform,
// logical) and the Julian day numbers that date values and date keys carry.
#include "xbase/index_key.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <utility>

namespace xbase {
namespace {

constexpr double kFirstDay = 1721426;  // 0001-01-01
constexpr double kLastDay = 5373484;   // 9999-12-31

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

void putDigits(long value, int count, char* out) {
    for (int i = count - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

}  // namespace

double julianFromCivil(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return 0;
    if (day < 1 || day > daysInMonth(year, month)) return 0;
    const long a = (14 - month) / 12;
    const long y = year + 4800 - a;
    const long m = month + 12 * a - 3;
    return static_cast<double>(day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 -
                               32045);
}

void writeDateText(double julian, char* out) {
    if (!(julian >= kFirstDay && julian < kLastDay + 1)) {
        std::memset(out, ' ', 8);
        return;
    }
    // The inverse of julianFromCivil (Richards' algorithm), on whole days.
    const long a = static_cast<long>(julian) + 32044;
    const long b = (4 * a + 3) / 146097;
    const long c = a - 146097 * b / 4;
    const long d = (4 * c + 3) / 1461;
    const long e = c - 1461 * d / 4;
    const long m = (5 * e + 2) / 153;
    putDigits(100 * b + d - 4800 + m / 10, 4, out);
    putDigits(m + 3 - 12 * (m / 10), 2, out + 4);
    putDigits(e - (153 * m + 2) / 5 + 1, 2, out + 6);
}

double julianToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return julianFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

double julianDay(std::string_view yyyymmdd) {
    if (yyyymmdd.size() != 8) return 0;
    int parts[3] = {0, 0, 0};
    static constexpr int kPartOf[8] = {0, 0, 0, 0, 1, 1, 2, 2};
    for (int i = 0; i < 8; ++i) {
        const char c = yyyymmdd[i];
        if (c < '0' || c > '9') return 0;
        parts[kPartOf[i]] = parts[kPartOf[i]] * 10 + (c - '0');
    }
    return julianFromCivil(parts[0], parts[1], parts[2]);
}

std::string dateText(double julian) {
    std::string out(8, ' ');
    writeDateText(julian, out.data());
    return out;
}

void numericKeyInto(double value, char* out) {
    if (value == 0) value = 0;  // -0.0 becomes +0.0
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    bits = (bits >> 63) ? ~bits : bits ^ (std::uint64_t{1} << 63);
#if defined(__GNUC__) || defined(__clang__)
    if (std::endian::native == std::endian::little) {
        bits = __builtin_bswap64(bits);  // the key is big-endian
        std::memcpy(out, &bits, 8);
        return;
    }
#endif
    for (int i = 7; i >= 0; --i) {
        out[i] = static_cast<char>(bits & 0xFF);
        bits >>= 8;
    }
}

std::string numericKey(double value) {
    std::string key(8, '\0');
    numericKeyInto(value, key.data());
    return key;
}

double decodeNumericKey(std::string_view key) {
    std::uint64_t bits = 0;
#if defined(__GNUC__) || defined(__clang__)
    if (key.size() >= 8 && std::endian::native == std::endian::little) {
        std::memcpy(&bits, key.data(), 8);
        bits = __builtin_bswap64(bits);  // the key is big-endian
    } else
#endif
    {
        for (std::size_t i = 0; i < 8; ++i)
            bits = (bits << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    }
    bits = (bits >> 63) ? bits ^ (std::uint64_t{1} << 63) : ~bits;
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

char keyFiller(ValueType type) {
    return type == ValueType::Character || type == ValueType::Logical ? ' ' : '\0';
}

std::string encodeKey(Value value, int keyLength) {
    switch (value.type) {
        case ValueType::Character: {
            std::string key = std::move(value.text);
            key.resize(static_cast<std::size_t>(std::max(keyLength, 0)), ' ');
            return key;
        }
        case ValueType::Numeric:
        case ValueType::Date:
            return numericKey(value.number);
        case ValueType::Logical:
            return std::string(1, value.logical ? 'T' : 'F');
    }
    return {};
}

}  // namespace xbase
