// The field codec: what each field type stores for a text, and what it refuses.
#include "xbase/field_codec.h"

#include <gtest/gtest.h>

#include "xbase/return_codes.h"

namespace xbase {
namespace {

std::string store(const FieldDesc& f, std::string_view text, short expect = rc::kSuccess) {
    std::string dest(static_cast<std::size_t>(f.length), '#');
    EXPECT_EQ(storeFieldText(f, text, dest.data()), expect) << text;
    return dest;
}

TEST(DbfFieldCodec, CharacterPadsAndCuts) {
    FieldDesc c{"KEYS", 'C', 10, 0};
    EXPECT_EQ(store(c, "Hello "), "Hello     ");
    EXPECT_EQ(store(c, "Internationalisation"), "Internatio");
    EXPECT_EQ(store(c, ""), "          ");
    EXPECT_EQ(store(c, "\xE9t\xE9"), "\xE9t\xE9       ");  // cp1252 bytes kept
}

TEST(DbfFieldCodec, NumbersAreRightAlignedWithTheirDecimals) {
    FieldDesc n{"ITEMS", 'N', 10, 0};
    EXPECT_EQ(store(n, "5"), "         5");
    EXPECT_EQ(store(n, "         5"), "         5");
    EXPECT_EQ(store(n, "-12"), "       -12");
    EXPECT_EQ(store(n, "2.5"), "         3");  // halves away from zero
    EXPECT_EQ(store(n, ""), "          ");
    EXPECT_EQ(store(n, "5x", rc::kFieldType), "##########");
    EXPECT_EQ(store(n, "12345678901", rc::kFieldType), "##########");
    FieldDesc money{"AMOUNT", 'N', 8, 2};
    EXPECT_EQ(store(money, "3.5"), "    3.50");
    EXPECT_EQ(store(money, "-12.25"), "  -12.25");
    EXPECT_EQ(store(money, ".5"), "    0.50");
    EXPECT_EQ(store(money, "-0.001"), "    0.00");
    EXPECT_EQ(store(money, "-1.125"), "   -1.13");
}

TEST(DbfFieldCodec, DatesAndLogicals) {
    FieldDesc d{"DATE", 'D', 8, 0};
    EXPECT_EQ(store(d, "20240229"), "20240229");
    EXPECT_EQ(store(d, ""), "        ");
    store(d, "20230229", rc::kFieldType);
    store(d, "2024-1-1", rc::kFieldType);
    store(d, "20241301", rc::kFieldType);
    FieldDesc l{"DONE", 'L', 1, 0};
    EXPECT_EQ(store(l, "T"), "T");
    EXPECT_EQ(store(l, "y"), "T");
    EXPECT_EQ(store(l, ".F."), "F");
    EXPECT_EQ(store(l, "n"), "F");
    EXPECT_EQ(store(l, ""), " ");
    store(l, "maybe", rc::kFieldType);
    store(FieldDesc{"TEXT", 'M', 10, 0}, "memo text goes elsewhere", rc::kFieldType);
}

TEST(DbfFieldCodec, NumberParsing) {
    EXPECT_EQ(parseLeadingNumber("   42abc"), 42);
    EXPECT_EQ(parseLeadingNumber("-3.5 "), -3.5);
    EXPECT_EQ(parseLeadingNumber("abc"), 0);
    EXPECT_EQ(parseLeadingNumber(""), 0);
    double v = 0;
    EXPECT_TRUE(parseNumber(" 7 ", v));
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(parseNumber("7 7", v));
    EXPECT_FALSE(parseNumber("   ", v));
    EXPECT_FALSE(parseNumber("-", v));
    std::string out;
    EXPECT_TRUE(formatNumber(99999, 5, 0, out));
    EXPECT_FALSE(formatNumber(100000, 5, 0, out));
    EXPECT_FALSE(formatNumber(1.0 / 0.0, 10, 0, out));
}

TEST(DbfFieldCodec, MemoBlockNumbers) {
    EXPECT_EQ(memoBlock("        12"), 12);
    EXPECT_EQ(memoBlock("0000000012"), 12);
    EXPECT_EQ(memoBlock("          "), 0);
    EXPECT_EQ(memoBlock("         0"), 0);
    EXPECT_EQ(memoBlock("      12x "), -1);
    EXPECT_EQ(memoBlock("99999999999"), -1);
    char field[10];
    storeMemoBlock(730, field);
    EXPECT_EQ(std::string(field, 10), "       730");
    storeMemoBlock(0, field);
    EXPECT_EQ(std::string(field, 10), "          ");
}

}  // namespace
}  // namespace xbase
