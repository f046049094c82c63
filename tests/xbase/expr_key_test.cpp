// Index keys of expression values: the numeric transform against its byte
// table, dates as Julian days, character and logical keys, and the sort key
// a merge reads from the STR() part of an index key (the number the digits
// make, in the numeric key form, whatever the text's shape).
#include "tests/xbase/expr_test_record.h"

#include <algorithm>
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "xbase/query_plan.h"

namespace xbase::test {
namespace {

std::string bytes(std::initializer_list<unsigned> list) {
    std::string s;
    for (unsigned b : list)
        s += static_cast<char>(b);
    return s;
}

TEST(ExprKey, NumericTransformMatchesTheByteTable) {
    const struct {
        double value;
        std::string key;
    } table[] = {{-2.0, bytes({0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
                 {-1.0, bytes({0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
                 {0.0, bytes({0x80, 0, 0, 0, 0, 0, 0, 0})},
                 {-0.0, bytes({0x80, 0, 0, 0, 0, 0, 0, 0})},
                 {0.5, bytes({0xBF, 0xE0, 0, 0, 0, 0, 0, 0})},
                 {1.0, bytes({0xBF, 0xF0, 0, 0, 0, 0, 0, 0})},
                 {2.0, bytes({0xC0, 0x00, 0, 0, 0, 0, 0, 0})},
                 {12.5, bytes({0xC0, 0x29, 0, 0, 0, 0, 0, 0})},
                 {100.0, bytes({0xC0, 0x59, 0, 0, 0, 0, 0, 0})}};
    for (const auto& row : table) {
        EXPECT_EQ(numericKey(row.value), row.key) << row.value;
        EXPECT_EQ(decodeNumericKey(row.key), row.value) << row.value;
    }
    EXPECT_FALSE(std::signbit(decodeNumericKey(numericKey(-0.0))));
}

TEST(ExprKey, NumericKeysSortLikeTheirValues) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> spread(-1e6, 1e6);
    std::vector<double> values = {0, -0.0, 1e-300, -1e-300, 1e300, -1e300, 5, -5};
    for (int i = 0; i < 500; ++i)
        values.push_back(std::round(spread(random) * 100) / 100);
    std::vector<std::string> keys;
    for (double v : values)
        keys.push_back(numericKey(v));
    std::sort(values.begin(), values.end());
    std::sort(keys.begin(), keys.end());  // std::string compares as unsigned bytes here
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(decodeNumericKey(keys[i]), values[i]);
}

TEST(ExprKey, DatesAreJulianDays) {
    EXPECT_EQ(julianDay("20000101"), 2451545);
    EXPECT_EQ(numericKey(julianDay("20000101")), bytes({0xC1, 0x42, 0xB4, 0x2C, 0x80, 0, 0, 0}));
    EXPECT_EQ(julianDay("00010101"), 1721426);
    EXPECT_EQ(julianDay("20240229"), julianDay("20240228") + 1);
    for (const char* bad : {"        ", "20230229", "20001301", "20000100", "00000101", "2000011",
                            "200001011", "2000-1-1", "+0000101"})
        EXPECT_EQ(julianDay(bad), 0) << bad;
    EXPECT_EQ(dateText(2451545.9), "20000101");
    for (double bad : {0.0, double(NAN), 1e12})
        EXPECT_EQ(dateText(bad), "        ") << bad;
    // Day by day from 1899 to 2101 the text and the number agree both ways.
    std::string previous;
    for (double day = julianDay("18990101"); day <= julianDay("21011231"); ++day) {
        const std::string text = dateText(day);
        ASSERT_GT(text, previous);
        ASSERT_EQ(julianDay(text), day) << text;
        previous = text;
    }
}

TEST(ExprKey, KeysOfExpressions) {
    TestRecord rec = TestRecord::keysTable();
    rec.set("Keys", "Friend");
    rec.set("Items", "12");
    rec.set("Date", "20000101");
    rec.set("Flag", "T");
    auto key = [&](std::string_view text) {
        short error = 0;
        auto e = Expression::compile(text, rec, error);
        return e ? e->key(rec) : std::string("<error>");
    };
    EXPECT_EQ(key("UPPER(Keys) + STR(Items)"), "FRIEND            12");
    EXPECT_EQ(key("TRIM(Keys)"), "Friend    ");  // padded to the width of the argument
    EXPECT_EQ(key("Items"), numericKey(12));
    EXPECT_EQ(key("Date"), numericKey(2451545));
    EXPECT_EQ(key("DTOS(Date)"), "20000101");
    EXPECT_EQ(key("Flag"), "T");
    EXPECT_EQ(key("IIF(Flag, 'ab', 'abcd')"), "ab  ");
    rec.set("Date", "");
    EXPECT_EQ(key("Date"), numericKey(0));

    EXPECT_EQ(encodeKey(Value{ValueType::Character, "abc", 0, false}, 2), "ab");
}

std::string sortKeyOf(const std::string& key, int offset) {
    const TagOrder order{offset, TagOrder::SortKeyFrom::StrSuffix, offset};
    std::string out = "stale";
    entrySortKey(order, key, out);
    return out;
}

TEST(QuerySortKey, StrSuffixReadsTheDigitsOfEveryShape) {
    // clang-format off
    const struct {
        std::string suffix;
        double value;
    } cases[] = {
        {"         7", 7}, {"      5000", 5000}, {"1234567890", 1234567890}, {"          ", 0},
        {"0000000042", 42}, {"7", 7}, {"  12345678", 12345678},
        {"    123456789012", 123456789012}, {"9999999999999999", 9999999999999999.0},
        {"123456789012345678", 123456789012345678.0},  // past sixteen characters
        {"   1 2", 12},  // a blank among the digits is passed over
        {"  -5", 5}, {"12  ", 12}, {" 3.7", 37}, {"\xFF" "12345678", 12345678}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(sortKeyOf("WORD  " + c.suffix, 6), numericKey(c.value)) << "'" << c.suffix << "'";
}

}  // namespace
}  // namespace xbase::test
