// The sort key a merge reads from the STR() part of an index key: the number
// the digits make, in the numeric key form, whatever the text's shape.
#include <gtest/gtest.h>

#include <string>

#include "xbase/expr.h"
#include "xbase/query_plan.h"

namespace {

std::string sortKeyOf(const std::string& key, int offset) {
    const xbase::TagOrder order{offset, xbase::TagOrder::SortKeyFrom::StrSuffix, offset};
    std::string out = "stale";
    xbase::entrySortKey(order, key, out);
    return out;
}

TEST(QuerySortKey, StrSuffixReadsTheDigitsOfEveryShape) {
    const struct {
        std::string suffix;
        double value;
    } cases[] = {
        {"         7", 7},
        {"      5000", 5000},
        {"1234567890", 1234567890},
        {"          ", 0},
        {"0000000042", 42},
        {"7", 7},
        {"  12345678", 12345678},
        {"    123456789012", 123456789012},
        {"9999999999999999", 9999999999999999.0},
        {"123456789012345678", 123456789012345678.0},  // past sixteen characters
        {"   1 2", 12},                                // a blank among the digits is passed over
        {"  -5", 5},
        {"12  ", 12},
        {" 3.7", 37},
        {"\xFF"
         "12345678",
         12345678},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sortKeyOf("WORD  " + c.suffix, 6), xbase::numericKey(c.value))
            << "'" << c.suffix << "'";
    }
}

}  // namespace
