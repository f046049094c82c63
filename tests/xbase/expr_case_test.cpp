// The Windows-1252 case table: its letter pairs and the letters without one.
#include <gtest/gtest.h>

#include "xbase/expr.h"

namespace xbase {
namespace {

TEST(ExprCase, LetterPairsRoundTrip) {
    const unsigned char pairs[][2] = {{'A', 'a'},   {'Z', 'z'},   {0xC0, 0xE0}, {0xC9, 0xE9},
                                      {0xD6, 0xF6}, {0xD8, 0xF8}, {0xDE, 0xFE}, {0x8A, 0x9A},
                                      {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
    for (const auto& p : pairs) {
        EXPECT_EQ(upperCp1252(p[1]), p[0]) << int(p[1]);
        EXPECT_EQ(lowerCp1252(p[0]), p[1]) << int(p[0]);
    }
    for (unsigned char c :
         {0xDF, 0xB5, 0x83, 0xAA, 0xBA, 0xD7, 0xF7, 0x31, 0x40, 0x5B, 0x60, 0x7B}) {
        EXPECT_EQ(upperCp1252(c), c) << int(c);
        EXPECT_EQ(lowerCp1252(c), c) << int(c);
    }
}

TEST(ExprCase, EveryByteMapsConsistently) {
    int letters = 0;
    for (int i = 0; i < 256; ++i) {
        const auto c = static_cast<unsigned char>(i);
        const unsigned char u = upperCp1252(c);
        const unsigned char l = lowerCp1252(c);
        EXPECT_EQ(upperCp1252(u), u);
        EXPECT_EQ(lowerCp1252(l), l);
        if (u != c) {
            EXPECT_EQ(lowerCp1252(u), c) << i;
        }
        if (l != c) {
            EXPECT_EQ(upperCp1252(l), c) << i;
        }
        letters += u != c;
    }
    EXPECT_EQ(letters, 26 + 30 + 4);  // a-z, à-þ without ÷, and š œ ž ÿ
}

TEST(ExprCase, StringsKeepTheirLength) {
    EXPECT_EQ(upperCp1252(std::string_view("stra\xDF"
                                           "e \xE9t\xE9 \xFF")),
              "STRA\xDF"
              "E \xC9T\xC9 \x9F");
    EXPECT_EQ(lowerCp1252(std::string_view("\x8A\x8C\x8E\x9F ABC")), "\x9A\x9C\x9E\xFF abc");
    EXPECT_EQ(upperCp1252(std::string_view("a\0b", 3)), std::string("A\0B", 3));
}

}  // namespace
}  // namespace xbase
