// Comparisons of short keys (8 to 16 bytes: numbers, dates, document
// numbers, short texts) as machine words, without a library call: the hot
// loops of walks and merges run them for every entry.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace xbase {

// The big-endian value of eight bytes of a key.
inline std::uint64_t keyBits(const char* bytes) {
    std::uint64_t v = 0;
    std::memcpy(&v, bytes, sizeof v);
    if constexpr (std::endian::native == std::endian::little) {  // a byte swap
        v = (v & 0x00000000FFFFFFFFull) << 32 | (v & 0xFFFFFFFF00000000ull) >> 32;
        v = (v & 0x0000FFFF0000FFFFull) << 16 | (v & 0xFFFF0000FFFF0000ull) >> 16;
        v = (v & 0x00FF00FF00FF00FFull) << 8 | (v & 0xFF00FF00FF00FF00ull) >> 8;
    }
    return v;
}

// a == b, for the short texts of keys: two views of 8 to 16 bytes compare as
// two overlapping words, without a library call.
inline bool sameShort(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const std::size_t n = a.size();
    if (n < 8 || n > 16) return a == b;
    std::uint64_t a0 = 0, a1 = 0, b0 = 0, b1 = 0;
    std::memcpy(&a0, a.data(), 8);
    std::memcpy(&b0, b.data(), 8);
    std::memcpy(&a1, a.data() + n - 8, 8);
    std::memcpy(&b1, b.data() + n - 8, 8);
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
}

// a < b for two short texts of one length, 8 to 16 bytes, as two big-endian
// words (the second overlapping the first), without a library call.
inline bool lessShort(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (n != b.size() || n < 8 || n > 16) return a < b;
    const std::uint64_t a0 = keyBits(a.data());
    const std::uint64_t b0 = keyBits(b.data());
    if (a0 != b0) return a0 < b0;
    return keyBits(a.data() + n - 8) < keyBits(b.data() + n - 8);
}

}  // namespace xbase
