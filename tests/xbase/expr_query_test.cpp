// The expression language on sample records: the query forms the search
// builds, operator precedence and the comparison rules of each type.
#include "tests/xbase/expr_test_record.h"

#include <gtest/gtest.h>

namespace xbase::test {
namespace {

class ExprQuery : public ::testing::Test {
  protected:
    void SetUp() override { keyword("Friendly", "5", "3", "Letters"); }

    void keyword(std::string_view key, std::string_view items, std::string_view order,
                 std::string_view filter) {
        rec.set("Keys", key);
        rec.set("Items", items);
        rec.set("Order", order);
        rec.set("Filter", filter);
    }

    bool holds(std::string_view text) {
        const Value v = evalExpr(text, rec);
        EXPECT_EQ(v.type, ValueType::Logical) << text;
        return v.logical;
    }
    double number(std::string_view text) { return evalExpr(text, rec).number; }
    std::string chars(std::string_view text) { return evalExpr(text, rec).text; }

    TestRecord rec = TestRecord::keysTable();
};

TEST_F(ExprQuery, KeywordFormsFollowTheBeginsWithRule) {
    const std::string k = "UPPER(Keys) + STR(Items) = ";
    EXPECT_TRUE(holds(k + "'FRIEND'"));     // prefix
    EXPECT_FALSE(holds(k + "'FRIEND '"));   // whole word: 'FRIENDLY' is another word
    EXPECT_TRUE(holds(k + "'FRIENDLY '"));  // whole word
    EXPECT_TRUE(holds(k + "''"));           // the empty prefix matches everything
    EXPECT_FALSE(holds(k + "'friend'"));    // the search upper-cases its literals
    EXPECT_FALSE(holds(k + "'BUDGET '"));
    EXPECT_TRUE(holds(k + "'FRIENDLY           5'"));  // the number part is there too

    keyword("Encyclopedia", "12", "1", "");  // stored cut to 10 characters
    EXPECT_TRUE(holds(k + "'ENCYCLOPED'"));
}

TEST_F(ExprQuery, TheSearchQueriesWithDrawerAndHeader) {
    const std::string q =
        "UPPER(Keys) + STR(Items) = 'FRIEND' .OR. UPPER(Keys) + STR(Items) = 'BUDGET ' "
        ".AND. UPPER(Filter) = 'LETTERS' .AND. Order <  25";
    EXPECT_TRUE(holds(q));  // the first term alone
    keyword("budget", "7", "24", "letters");
    EXPECT_TRUE(holds(q));
    keyword("budget", "7", "25", "letters");  // the header covers positions 1 to 24
    EXPECT_FALSE(holds(q));
    keyword("budget", "7", "3", "Bills");
    EXPECT_FALSE(holds(q));
    EXPECT_TRUE(holds("UPPER(Keys) + STR(Items) = 'BUDGET ' .AND. Order < 25"));
    EXPECT_TRUE(holds("Items =          7"));  // the delete query's form
    EXPECT_FALSE(holds("Items = 8"));
}

TEST_F(ExprQuery, OneCompiledQueryFollowsTheCurrentRecord) {
    short error = 0;
    auto q = Expression::compile(
        "UPPER(Keys) + STR(Items) = 'CAT ' .OR. UPPER(Keys) + STR(Items) = 'DOG' .AND. Items > 2",
        rec, error);
    ASSERT_NE(q, nullptr);
    const struct {
        const char* key;
        const char* items;
        bool match;
    } cases[] = {{"cat", "1", true},  {"catalog", "9", false}, {"Dogma", "3", true},
                 {"dog", "2", false}, {"Cat", "100", true},    {"bird", "9", false}};
    for (const auto& c : cases) {
        keyword(c.key, c.items, "1", "");
        EXPECT_EQ(q->evaluate(rec).logical, c.match) << c.key;
    }
}

TEST_F(ExprQuery, PrecedenceAndComparisons) {
    rec.set("Date", "20000101");
    rec.set("Note", "A letter to a FRIEND");
    // clang-format off
    const char* const holding[] = {
        ".T. .OR. .F. .AND. .F.", ".NOT. .T. .OR. .T.", ".NOT. 1 = 2", "!Order = 4 .and. items = 5",
        "Items=5.AND.Order=3.OR..F.", "Order + 2 * Items = 13",
        "'ABC' = 'AB'", "'AB' = 'AB  '", "'AB' == 'AB  '", "Keys == 'Friendly'", "'ABC' != 'ABD'",
        "'AB' < 'AB!'", "'AB' <= 'AB   '", "'Z' < '\xE9'", "'AB' > 'AA\xFF'", "'' $ 'x'",
        "'FRIEND' $ UPPER(Keys)", "'FRIEND' $ Note", "Date = CTOD('01/01/2000')",
        "Date > CTOD('12/31/1999') .AND. Date < DATE()"};
    const char* const failing[] = {
        ".NOT. .T. .AND. .T.", "'AB' = 'ABC'", "'ABC' == 'AB'", "'ABC' <> 'AB'", "'ABC' # 'AB'",
        "'AB' < 'AB   '", "'FRIENDS' $ UPPER(Keys)"};
    // clang-format on
    for (const char* text : holding)
        EXPECT_TRUE(holds(text)) << text;
    for (const char* text : failing)
        EXPECT_FALSE(holds(text)) << text;
    const std::pair<const char*, double> numbers[] = {
        {"2 + 3 * 4", 14},     {"(2 + 3) * 4", 20},
        {"10 - 4 - 3", 3},     {"8 / 4 / 2", 1},
        {"-2 * -3 + - -1", 7}, {"Items / 0", 0},  // no non-finite values
        {"7 / 2", 3.5},        {"Date - CTOD('12/31/1999')", 1}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(number(text), value) << text;
    EXPECT_EQ(chars("'A' + 'B' + 'C'"), "ABC");
    EXPECT_EQ(chars("'AB  ' - 'CD'"), "ABCD  ");  // trailing blanks move to the end
    EXPECT_EQ(chars("[it's] + \"a \" + 'b'"), "it'sa b");
    EXPECT_EQ(chars("DTOS(Date + 60)"), "20000301");  // across a leap day
}

TEST_F(ExprQuery, FieldTypes) {
    rec.set("Items", "");
    EXPECT_EQ(number("Items"), 0);  // a blank number is 0
    rec.set("Price", "-12.25");
    EXPECT_EQ(number("Price * 2"), -24.5);
    rec.set("Flag", "y");
    EXPECT_TRUE(holds("Flag"));
    for (const char* no : {"N", "F", " ", "?"}) {
        rec.set("Flag", no);
        EXPECT_FALSE(holds("Flag")) << no;
    }
    EXPECT_TRUE(holds("Flag = .F."));
    rec.set("Note", "A letter");
    EXPECT_EQ(chars("UPPER(Note)"), "A LETTER");
    rec.setRecNo(42);
    rec.setDeleted(true);
    EXPECT_TRUE(holds("DELETED() .AND. RECNO() = 42"));
    rec.set("Date", "");
    EXPECT_EQ(chars("DTOS(Date)"), "        ");
    EXPECT_TRUE(holds("Date < CTOD('01/01/0001')"));  // the empty date comes first
    rec.set("Date", "2000XX01");
    EXPECT_EQ(number("Date"), 0);
}

}  // namespace
}  // namespace xbase::test
