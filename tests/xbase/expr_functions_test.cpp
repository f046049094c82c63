// The functions of the expression language, with their edge cases and the
// result widths known at parse time; the Windows-1252 case table under
// UPPER and LOWER (its letter pairs and the letters without one).
#include "tests/xbase/expr_test_record.h"

#include <cmath>

#include <gtest/gtest.h>

#include "xbase/return_codes.h"

namespace xbase::test {
namespace {

class ExprFunctions : public ::testing::Test {
  protected:
    void SetUp() override {
        rec.set("Keys", "Friend");
        rec.set("Items", "5");
        rec.set("Order", "3");
    }
    std::string chars(std::string_view text) {
        const Value v = evalExpr(text, rec);
        EXPECT_EQ(v.type, ValueType::Character) << text;
        return v.text;
    }
    // The width known at parse time; the value has the parsed type and the
    // key that width.
    int width(std::string_view text) {
        short error = 0;
        auto e = Expression::compile(text, rec, error);
        if (e == nullptr) return -1;
        EXPECT_EQ(e->evaluate(rec).type, e->type()) << text;
        EXPECT_EQ(e->key(rec).size(), static_cast<std::size_t>(e->width())) << text;
        return e->width();
    }

    TestRecord rec = TestRecord::keysTable();
};

TEST_F(ExprFunctions, CharacterResults) {
    const std::string huge = "1" + std::string(300, '0');
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        // STR rounds half away from zero as written, and overflows to asterisks.
        {"STR(Items)", "         5"}, {"STR(2.5, 1)", "3"}, {"STR(-2.5, 2)", "-3"},
        {"STR(1.005, 4, 2)", "1.01"}, {"STR(2.675, 5, 2)", " 2.68"}, {"STR(-0.001, 5, 2)", " 0.00"},
        {"STR(1234567890123456789, 19)", "1234567890123456768"},  // the nearest double
        {"STR(99999, 5)", "99999"}, {"STR(123456, 5)", "*****"}, {"STR(1.5, 3, 2)", "***"},
        {"STR(1 / 3 * " + huge + ", 12)", "************"},
        // Case and trimming.
        {"UPPER(Keys)", "FRIEND    "}, {"LOWER('\xC9T\xC9 \xDF')", "\xE9t\xE9 \xDF"},
        {"TRIM(Keys) + '|'", "Friend|"}, {"LTRIM('  a  ') + '|'", "a  |"},
        {"ALLTRIM('  a b  ') + '|'", "a b|"}, {"ALLTRIM('   ')", ""},
        // SUBSTR, LEFT and RIGHT forgive bad bounds.
        {"SUBSTR('ABCDE', 2, 3)", "BCD"}, {"SUBSTR('ABC', 5)", ""}, {"SUBSTR('ABC', -7, 2)", "AB"},
        {"SUBSTR('ABC', 2, -1)", ""}, {"SUBSTR('ABC', 2, 100)", "BC"},
        {"SUBSTR('ABC', " + huge + ", " + huge + ")", ""},
        {"SUBSTR(Keys, Order, Order - 1)", "ie"},  // bounds read per record
        {"LEFT('ABC', -1)", ""}, {"RIGHT('ABC', 2)", "BC"},
        {"RIGHT(Keys, 3)", "   "},  // the field's trailing blanks count
        // Dates: two-digit years are 19YY; an invalid date is blank.
        {"DTOS(CTOD('02/29/2000'))", "20000229"}, {"DTOS(CTOD('1/2/99'))", "19990102"},
        {"DTOS(CTOD(' 12-31-2024 '))", "20241231"}, {"IIF(Items > 9, Keys, 'ab')", "ab"}};
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(chars(text), expected) << text;
    for (const char* bad : {"02/29/1900", "13/01/2000", "00/10/2000", "", "1/2", "1/2/3/4",
                            "01/01/12345", "ab/cd/efgh", "01/01/2000x"})
        EXPECT_EQ(chars(std::string("DTOS(CTOD('") + bad + "'))"), "        ") << bad;
    const Value today = evalExpr("DATE()", rec);
    EXPECT_EQ(today.type, ValueType::Date);
    EXPECT_GT(today.number, julianDay("20240101"));
}

TEST_F(ExprFunctions, ValReadsALeadingNumber) {
    // clang-format off
    const std::vector<std::pair<std::string, double>> cases = {
        {"'  -12.5abc'", -12.5}, {"'.5'", 0.5}, {"'7 8'", 7}, {"'1e5'", 1},
        {"'12345678901234567890'", 12345678901234567890.0},
        {"'0.000000000000000000000000001'", 1e-27},
        {"'" + std::string(400, '9') + "'", HUGE_VAL}, {"STR(Items)", 5}};
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(evalExpr("VAL(" + text + ")", rec).number, expected) << text;
    for (const char* junk : {"''", "'   '", "'abc'", "'-'", "'.'", "'*****'", "'- 5'"})
        EXPECT_EQ(evalExpr(std::string("VAL(") + junk + ")", rec).number, 0) << junk;
}

TEST_F(ExprFunctions, WidthsAreKnownAtParseTimeAndBadArgumentsAreRefused) {
    // clang-format off
    const std::vector<std::pair<std::string, int>> widths = {
        {"STR(Items, 4)", 4}, {"STR(Items, 2 + 3, 1)", 5},  // constant arguments may be expressions
        {"UPPER(Keys) + STR(Items)", 20}, {"LOWER(Filter) - Keys", 20}, {"SUBSTR(Keys, 8, 5)", 3},
        {"SUBSTR(Keys, Order, 4)", 4}, {"SUBSTR(Keys, 2, Order)", 9}, {"RIGHT(Keys, 40)", 10},
        {"DTOS(DATE())", 8}, {"IIF(Items > 1, Keys, 'ab')", 10}};
    // clang-format on
    for (const auto& [text, expected] : widths)
        EXPECT_EQ(width(text), expected) << text;
    for (const char* syntax : {"STR(Items, Order)", "STR(Items, 0)", "STR(Items, 256)",
                               "STR(Items, 5, -1)", "SUBSTR('a')", "DELETED(1)"})
        EXPECT_EQ(compileError(syntax, rec), rc::kExprSyntax) << syntax;
    for (const char* type : {"STR(Keys)", "UPPER(Items)", "SUBSTR('a', 'b')", "DTOS('20000101')",
                             "IIF(Items, 1, 2)", "IIF(.T., 1, 'a')"})
        EXPECT_EQ(compileError(type, rec), rc::kExprType) << type;
}

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
}  // namespace xbase::test
