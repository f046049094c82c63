// The Windows-1252 case table: its letter pairs and the letters without one.
#include <gtest/gtest.h>

#include "xbase/expr.h"

namespace xbase {
namespace {

TEST(ExprCase, EveryByteMapsConsistently) {
    const unsigned char pairs[][2] = {{'A', 'a'},   {'Z', 'z'},   {0xC0, 0xE0}, {0xC9, 0xE9},
                                      {0xD6, 0xF6}, {0xD8, 0xF8}, {0xDE, 0xFE}, {0x8A, 0x9A},
                                      {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
    for (const auto& p : pairs)
        EXPECT_TRUE(upperCp1252(p[1]) == p[0] && lowerCp1252(p[0]) == p[1]) << int(p[1]);
    int letters = 0;
    for (int i = 0; i < 256; ++i) {
        const auto c = static_cast<unsigned char>(i);
        const unsigned char u = upperCp1252(c), l = lowerCp1252(c);
        EXPECT_TRUE(u == c || lowerCp1252(u) == c) << i;
        EXPECT_TRUE(l == c || upperCp1252(l) == c) << i;
        EXPECT_TRUE(upperCp1252(u) == u && lowerCp1252(l) == l) << i;
        letters += u != c;
    }
    EXPECT_EQ(letters, 26 + 30 + 4);  // a-z, à-þ without ÷, and š œ ž ÿ; ß µ ª º have no pair
    EXPECT_EQ(upperCp1252(std::string_view("a\xDF \xE9t\xE9 \xFF\0b", 11)),
              std::string("A\xDF \xC9T\xC9 \x9F\0B", 11));
    EXPECT_EQ(lowerCp1252(std::string_view("\x8A\x8C\x8E\x9F ABC")), "\x9A\x9C\x9E\xFF abc");
}

}  // namespace
}  // namespace xbase
