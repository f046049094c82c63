// The Windows-1252 case table: two 256-byte maps built at compile time.
#include "xbase/cp1252_case.h"

#include <array>

namespace xbase {
namespace {

using CaseMap = std::array<unsigned char, 256>;

// Upper-case partner of a lower-case letter, or the byte itself.
constexpr unsigned char upperOf(unsigned c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    switch (c) {
        case 0x9A:
            return 0x8A;  // š Š
        case 0x9C:
            return 0x8C;  // œ Œ
        case 0x9E:
            return 0x8E;  // ž Ž
        case 0xFF:
            return 0x9F;  // ÿ Ÿ
        default:
            return static_cast<unsigned char>(c);
    }
}

constexpr CaseMap makeUpper() {
    CaseMap m{};
    for (unsigned c = 0; c < 256; ++c)
        m[c] = upperOf(c);
    return m;
}

// The lower map is the inverse of the upper map on the letters that have a partner.
constexpr CaseMap makeLower() {
    CaseMap m{};
    for (unsigned c = 0; c < 256; ++c)
        m[c] = static_cast<unsigned char>(c);
    for (unsigned c = 0; c < 256; ++c) {
        unsigned char u = upperOf(c);
        if (u != c) m[u] = static_cast<unsigned char>(c);
    }
    return m;
}

constexpr CaseMap kUpper = makeUpper();
constexpr CaseMap kLower = makeLower();

void mapBytes(const CaseMap& map, const char* in, std::size_t n, char* out) {
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>(map[static_cast<unsigned char>(in[i])]);
}

}  // namespace

unsigned char upperCp1252(unsigned char c) {
    return kUpper[c];
}
unsigned char lowerCp1252(unsigned char c) {
    return kLower[c];
}

void upperCp1252(const char* in, std::size_t n, char* out) {
    mapBytes(kUpper, in, n, out);
}
void lowerCp1252(const char* in, std::size_t n, char* out) {
    mapBytes(kLower, in, n, out);
}

std::string upperCp1252(std::string_view text) {
    std::string out(text);
    upperCp1252(out.data(), out.size(), out.data());
    return out;
}

std::string lowerCp1252(std::string_view text) {
    std::string out(text);
    lowerCp1252(out.data(), out.size(), out.data());
    return out;
}

}  // namespace xbase
