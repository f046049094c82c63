// The functions of the expression language, with their edge cases and the
// result widths known at parse time.
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
    double number(std::string_view text) { return evalExpr(text, rec).number; }
    int width(std::string_view text) {
        short error = 0;
        auto e = Expression::compile(text, rec, error);
        return e ? e->width() : -1;
    }

    TestRecord rec = TestRecord::keysTable();
};

TEST_F(ExprFunctions, StrRoundsHalfAwayFromZeroAndOverflowsToAsterisks) {
    EXPECT_EQ(chars("STR(Items)"), "         5");
    EXPECT_EQ(chars("STR(-5, 3)"), " -5");
    EXPECT_EQ(chars("STR(2.5, 1)"), "3");
    EXPECT_EQ(chars("STR(-2.5, 2)"), "-3");
    EXPECT_EQ(chars("STR(0.5)"), "         1");
    EXPECT_EQ(chars("STR(1.005, 4, 2)"), "1.01");  // as written, not as stored in binary
    EXPECT_EQ(chars("STR(2.675, 5, 2)"), " 2.68");
    EXPECT_EQ(chars("STR(1.0049, 4, 2)"), "1.00");
    EXPECT_EQ(chars("STR(0.05, 4, 2)"), "0.05");
    EXPECT_EQ(chars("STR(-0.001, 5, 2)"), " 0.00");  // no minus sign on a rounded zero
    EXPECT_EQ(chars("STR(3.14159, 6, 3)"), " 3.142");
    EXPECT_EQ(chars("STR(1234567890123456789, 19)"), "1234567890123456768");  // nearest double
    EXPECT_EQ(chars("STR(99999, 5)"), "99999");
    EXPECT_EQ(chars("STR(123456, 5)"), "*****");
    EXPECT_EQ(chars("STR(-1000, 4)"), "****");
    EXPECT_EQ(chars("STR(1.5, 3, 2)"), "***");
    EXPECT_EQ(chars("STR(1 / 3 * 1" + std::string(300, '0') + ", 12)"), "************");
    EXPECT_EQ(width("STR(Items)"), 10);
    EXPECT_EQ(width("STR(Items, 4)"), 4);
    EXPECT_EQ(width("STR(Items, 2 + 3, 1)"), 5);  // constant arguments may be expressions
    EXPECT_EQ(compileError("STR(Items, Order)", rec), rc::kExprSyntax);  // width must be known
    EXPECT_EQ(compileError("STR(Items, 0)", rec), rc::kExprSyntax);
    EXPECT_EQ(compileError("STR(Items, 256)", rec), rc::kExprSyntax);
    EXPECT_EQ(compileError("STR(Items, 5, -1)", rec), rc::kExprSyntax);
    EXPECT_EQ(compileError("STR(Keys)", rec), rc::kExprType);
}

TEST_F(ExprFunctions, ValReadsALeadingNumber) {
    EXPECT_EQ(number("VAL('  -12.5abc')"), -12.5);
    EXPECT_EQ(number("VAL('+3')"), 3);
    EXPECT_EQ(number("VAL('.5')"), 0.5);
    EXPECT_EQ(number("VAL('1.2.3')"), 1.2);
    EXPECT_EQ(number("VAL('7 8')"), 7);
    EXPECT_EQ(number("VAL('1e5')"), 1);
    for (const char* junk : {"''", "'   '", "'abc'", "'-'", "'.'", "'*****'", "'- 5'"})
        EXPECT_EQ(number(std::string("VAL(") + junk + ")"), 0) << junk;
    EXPECT_EQ(number("VAL('0.1')"), 0.1);
    EXPECT_EQ(number("VAL('12345678901234567890')"), 12345678901234567890.0);
    EXPECT_EQ(number("VAL('0.000000000000000000000000001')"), 1e-27);
    EXPECT_EQ(number("VAL('" + std::string(400, '9') + "')"), HUGE_VAL);
    EXPECT_EQ(number("VAL(STR(Items))"), 5);
}

TEST_F(ExprFunctions, CaseAndTrimKeepTheArgumentWidth) {
    EXPECT_EQ(chars("UPPER(Keys)"), "FRIEND    ");
    EXPECT_EQ(chars("LOWER('\xC9T\xC9 \xDF')"), "\xE9t\xE9 \xDF");
    EXPECT_EQ(chars("TRIM(Keys) + '|'"), "Friend|");
    EXPECT_EQ(chars("RTRIM(Keys) + '|'"), "Friend|");
    EXPECT_EQ(chars("LTRIM('  a  ') + '|'"), "a  |");
    EXPECT_EQ(chars("ALLTRIM('  a b  ') + '|'"), "a b|");
    EXPECT_EQ(chars("ALLTRIM('   ')"), "");
    EXPECT_EQ(width("UPPER(Keys) + STR(Items)"), 20);
    EXPECT_EQ(width("TRIM(Keys)"), 10);
    EXPECT_EQ(width("LOWER(Filter) - Keys"), 20);
    EXPECT_EQ(compileError("UPPER(Items)", rec), rc::kExprType);
}

TEST_F(ExprFunctions, SubstrLeftRightForgiveBadBounds) {
    EXPECT_EQ(chars("SUBSTR('ABCDE', 2, 3)"), "BCD");
    EXPECT_EQ(chars("SUBSTR('ABCDE', 4)"), "DE");
    EXPECT_EQ(chars("SUBSTR('ABC', 5)"), "");
    EXPECT_EQ(chars("SUBSTR('ABC', 0, 2)"), "AB");
    EXPECT_EQ(chars("SUBSTR('ABC', -7, 2)"), "AB");
    EXPECT_EQ(chars("SUBSTR('ABC', 2, -1)"), "");
    EXPECT_EQ(chars("SUBSTR('ABC', 2, 100)"), "BC");
    const std::string huge = "1" + std::string(300, '0');
    EXPECT_EQ(chars("SUBSTR('ABC', " + huge + ", " + huge + ")"), "");
    EXPECT_EQ(chars("SUBSTR('ABC', 2, " + huge + ")"), "BC");
    EXPECT_EQ(chars("SUBSTR(Keys, Order, Order - 1)"), "ie");  // bounds read per record
    EXPECT_EQ(chars("LEFT('ABC', 2)"), "AB");
    EXPECT_EQ(chars("LEFT('ABC', 10)"), "ABC");
    EXPECT_EQ(chars("LEFT('ABC', -1)"), "");
    EXPECT_EQ(chars("RIGHT('ABC', 2)"), "BC");
    EXPECT_EQ(chars("RIGHT('ABC', 9)"), "ABC");
    EXPECT_EQ(chars("RIGHT(Keys, 3)"), "   ");  // the field's trailing blanks count
    EXPECT_EQ(width("SUBSTR(Keys, 2, 3)"), 3);
    EXPECT_EQ(width("SUBSTR(Keys, 8)"), 3);
    EXPECT_EQ(width("SUBSTR(Keys, 8, 5)"), 3);
    EXPECT_EQ(width("SUBSTR(Keys, Order, 4)"), 4);
    EXPECT_EQ(width("SUBSTR(Keys, 2, Order)"), 9);
    EXPECT_EQ(width("LEFT(Keys, 4)"), 4);
    EXPECT_EQ(width("RIGHT(Keys, 40)"), 10);
    EXPECT_EQ(compileError("SUBSTR('a')", rec), rc::kExprSyntax);
    EXPECT_EQ(compileError("SUBSTR('a', 'b')", rec), rc::kExprType);
}

TEST_F(ExprFunctions, DatesAndRecordFunctions) {
    EXPECT_EQ(chars("DTOS(CTOD('02/29/2000'))"), "20000229");
    EXPECT_EQ(chars("DTOS(CTOD('1/2/99'))"), "19990102");  // two-digit years are 19YY
    EXPECT_EQ(chars("DTOS(CTOD(' 12-31-2024 '))"), "20241231");
    for (const char* bad : {"02/29/1900", "13/01/2000", "00/10/2000", "", "1/2", "1/2/3/4",
                            "01/01/12345", "ab/cd/efgh", "01/01/2000x"})
        EXPECT_EQ(chars(std::string("DTOS(CTOD('") + bad + "'))"), "        ") << bad;
    const Value today = evalExpr("DATE()", rec);
    EXPECT_EQ(today.type, ValueType::Date);
    EXPECT_GT(today.number, julianDay("20240101"));
    EXPECT_EQ(width("DTOS(DATE())"), 8);
    EXPECT_EQ(width("DATE()"), 8);
    EXPECT_EQ(width("DELETED()"), 1);
    EXPECT_EQ(compileError("DTOS('20000101')", rec), rc::kExprType);
    EXPECT_EQ(compileError("DELETED(1)", rec), rc::kExprSyntax);
}

TEST_F(ExprFunctions, IifNeedsALogicalConditionAndBranchesOfOneType) {
    EXPECT_EQ(width("IIF(Items > 1, Keys, 'ab')"), 10);
    EXPECT_EQ(chars("IIF(Items > 9, Keys, 'ab')"), "ab");
    EXPECT_EQ(compileError("IIF(Items, 1, 2)", rec), rc::kExprType);
    EXPECT_EQ(compileError("IIF(.T., 1, 'a')", rec), rc::kExprType);
}

}  // namespace
}  // namespace xbase::test
