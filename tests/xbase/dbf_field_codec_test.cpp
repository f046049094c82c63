// The field codec: what each field type stores for a text, and what it refuses.
#include "xbase/field_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "xbase/return_codes.h"

namespace xbase {
namespace {

TEST(DbfFieldCodec, EachTypeStoresOrRefusesATextAsTheFormatSays) {
    const FieldDesc c{"KEYS", 'C', 10, 0}, n{"ITEMS", 'N', 10, 0}, money{"AMOUNT", 'N', 8, 2},
        f{"RATE", 'F', 8, 3}, d{"DATE", 'D', 8, 0}, l{"DONE", 'L', 1, 0}, m{"TEXT", 'M', 10, 0};
    // cp1252 bytes are kept, halves round away from zero, a rounded zero has no minus sign.
    const struct {
        const FieldDesc& field;
        const char* text;
        const char* stored;  // nullptr: refused, the field unchanged
    } cases[] = {{c, "Hello ", "Hello     "},
                 {c, "Internationalisation", "Internatio"},
                 {c, "", "          "},
                 {c, "\xE9t\xE9", "\xE9t\xE9       "},
                 {n, "5", "         5"},
                 {n, "         5", "         5"},
                 {n, "-12", "       -12"},
                 {n, "2.5", "         3"},
                 {n, "", "          "},
                 {n, "5x", nullptr},
                 {n, "12345678901", nullptr},
                 {money, "3.5", "    3.50"},
                 {money, ".5", "    0.50"},
                 {money, "-0.001", "    0.00"},
                 {money, "-1.125", "   -1.13"},
                 {f, "-0.125", "  -0.125"},
                 {d, "20240229", "20240229"},
                 {d, "", "        "},
                 {d, "20230229", nullptr},
                 {d, "2024-1-1", nullptr},
                 {d, "20241301", nullptr},
                 {l, "T", "T"},
                 {l, "y", "T"},
                 {l, ".F.", "F"},
                 {l, "n", "F"},
                 {l, "", " "},
                 {l, "maybe", nullptr},
                 {m, "memo text goes elsewhere", nullptr}};
    for (const auto& t : cases) {
        std::string dest(static_cast<std::size_t>(t.field.length), '#');
        EXPECT_EQ(storeFieldText(t.field, t.text, dest.data()), t.stored ? 0 : rc::kFieldType)
            << t.field.name << " " << t.text;
        EXPECT_EQ(dest, t.stored ? t.stored : std::string(dest.size(), '#')) << t.text;
    }
}

TEST(DbfFieldCodec, NumberParsingAndMemoBlockNumbers) {
    EXPECT_EQ(parseLeadingNumber("   42abc"), 42);
    EXPECT_EQ(parseLeadingNumber("-3.5 "), -3.5);
    EXPECT_EQ(parseLeadingNumber("abc"), 0);
    double v = 0;
    EXPECT_TRUE(parseNumber(" 7 ", v));
    EXPECT_EQ(v, 7);
    for (const char* bad : {"7 7", "   ", "-"})
        EXPECT_FALSE(parseNumber(bad, v)) << bad;
    std::string out;
    EXPECT_TRUE(formatNumber(99999, 5, 0, out));
    EXPECT_FALSE(formatNumber(100000, 5, 0, out));
    EXPECT_FALSE(formatNumber(1.0 / 0.0, 10, 0, out));
    EXPECT_TRUE(formatNumber(-0.004, 6, 2, out));
    EXPECT_EQ(out, "  0.00");
    EXPECT_TRUE(formatNumber(-0.5, 3, 0, out));
    EXPECT_EQ(out, " -1");

    // Whole numbers and short decimals are written without printf; both ways agree.
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const int decimals = i % 5 == 4 ? 15 : i % 5;
        const double magnitude = std::pow(10.0, static_cast<double>(random() % 18));
        const double value =
            (static_cast<double>(random() % 2000001) - 1000000.0) / 1e6 * magnitude;
        const double scale = std::pow(10.0, decimals);
        const int width = decimals == 15 ? 20 : 12;
        double rounded = std::round(value * scale) / scale;
        if (rounded == 0) rounded = 0;
        char expected[64];
        const int n = std::snprintf(expected, sizeof expected, "%*.*f", width, decimals, rounded);
        ASSERT_EQ(formatNumber(value, width, decimals, out), n <= width) << value;
        if (n <= width) {
            EXPECT_EQ(out, expected) << value << " with " << decimals;
        }
    }
    EXPECT_EQ(memoBlock("        12"), 12);
    EXPECT_EQ(memoBlock("0000000012"), 12);
    EXPECT_EQ(memoBlock("          "), 0);
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
