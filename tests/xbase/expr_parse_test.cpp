// Constant folding, normalized texts, error codes, deep nesting and long input.
#include "tests/xbase/expr_test_record.h"

#include <gtest/gtest.h>

#include "xbase/return_codes.h"

namespace xbase::test {
namespace {

class ExprParse : public ::testing::Test {
  protected:
    std::unique_ptr<Expression> compile(std::string_view text) {
        short error = 0;
        auto e = Expression::compile(text, rec, error);
        EXPECT_NE(e, nullptr) << text << " (" << error << ")";
        return e;
    }
    short errorOf(std::string_view text) { return compileError(text, rec); }

    TestRecord rec = TestRecord::keysTable();
};

// What the query planner reads of a tree is tested through the relation
// tests, which check that every query form the program builds is served by
// tags; here only what depends on the record or the clock stays unfolded.
TEST_F(ExprParse, OnlyConstantSubtreesAreFolded) {
    auto e = compile("Keys = 'AB' + UPPER('cd') .AND. Order < -25");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->root().args[0]->args[1]->constant.text, "ABCD");
    EXPECT_EQ(e->root().args[1]->args[1]->constant.number, -25);
    EXPECT_EQ(compile("RECNO() > 2")->root().args[0]->kind, ExprNode::Kind::Function);
    EXPECT_EQ(compile("DATE() > CTOD('01/01/2000')")->root().args[0]->kind,
              ExprNode::Kind::Function);
}

TEST_F(ExprParse, NormalizedTextIgnoresCaseAndBlanksOutsideStrings) {
    EXPECT_EQ(normalizeExprText("upper(keys) + str( items )"), "UPPER(KEYS)+STR(ITEMS)");
    EXPECT_EQ(normalizeExprText("Filter = 'a b' .or. x = \"c d\" .or. [e f]"),
              "FILTER='a b'.OR.X=\"c d\".OR.[e f]");
    EXPECT_EQ(normalizeExprText("a = 'unterminated  x"), "A='unterminated  x");
    EXPECT_EQ(normalizeExprText("\tItems\r\n"), "ITEMS");

    // normalizesTo answers as a comparison with the normalized text would,
    // stopping early and caring for literals and length alike.
    const char* texts[] = {
        "upper(keys) + str( items )", "a = 'unterminated  x", "Filter = 'a b'", "Items", "", " "};
    const char* forms[] = {"UPPER(KEYS)+STR(ITEMS)",
                           "UPPER(KEYS)+STR(ITEMS",
                           "A='unterminated  x",
                           "FILTER='A B'",
                           "FILTER='a b'",
                           "ITEMS",
                           "ITEMSX",
                           "ITEM",
                           ""};
    for (const char* text : texts) {
        for (const char* form : forms)
            EXPECT_EQ(normalizesTo(text, form), normalizeExprText(text) == form)
                << text << " " << form;
    }
}

TEST_F(ExprParse, ErrorCodes) {
    EXPECT_EQ(errorOf("Nosuch = 1"), rc::kFieldName);
    for (const char* bad : {"'A' + 1", "Items = 'A'", "1 = 1 = 1", ".NOT. 1", "-'a'", "+'a'",
                            "Keys .AND. .T.", "Keys * 2", "'a' $ 1"})
        EXPECT_EQ(errorOf(bad), rc::kExprType) << bad;
    // clang-format off
    const char* const syntaxErrors[] = {"", "   ", "Keys +", "Keys Keys", "(Items", "Items)",
        "NOSUCH(1)", "STR(1,2,3,4)", "UPPER()", "UPPER(Keys", "Items = .X.", ".AND.",
        "Items = 1 .", "1..2", "Keys = 'a", "Keys = [a", "Keys = \"a", "Keys = 'a''",
        "Keys->Items", "Items ** 2", "Items ^ 2", "Items % 2", ",", "Keys = \xE9"};
    // clang-format on
    for (const char* bad : syntaxErrors)
        EXPECT_EQ(errorOf(bad), rc::kExprSyntax) << bad;
    EXPECT_EQ(errorOf(std::string("Items = 1\0", 10)), rc::kExprSyntax);
}

TEST_F(ExprParse, NestingIsLimitedNotCrashing) {
    const int deep = 100000;
    EXPECT_EQ(errorOf(std::string(deep, '(') + "1" + std::string(deep, ')')), rc::kExprSyntax);
    EXPECT_EQ(errorOf(std::string(deep, '-') + "1"), rc::kExprSyntax);
    EXPECT_EQ(errorOf(std::string(deep, '!') + ".T."), rc::kExprSyntax);
    std::string calls;
    for (int i = 0; i < 5000; ++i)
        calls += "UPPER(";
    EXPECT_EQ(errorOf(calls + "Keys" + std::string(5000, ')')), rc::kExprSyntax);
    std::string chain = "Items";
    for (int i = 0; i < 5000; ++i)
        chain += " + Items";  // a left-deep tree
    EXPECT_EQ(errorOf(chain), rc::kExprSyntax);
    // Depths a real query reaches are fine: 150 terms, 40 parentheses.
    std::string terms = "Keys = 'a'";
    for (int i = 0; i < 150; ++i)
        terms += " .OR. Keys = 'a'";
    EXPECT_EQ(errorOf(terms), 0);
    EXPECT_EQ(errorOf(std::string(40, '(') + "Items" + std::string(40, ')')), 0);
}

TEST_F(ExprParse, LongInput) {
    const std::string literal(60000, 'x');
    auto e = compile("Keys $ '" + literal + "'");
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(e->evaluate(rec).logical);
    EXPECT_EQ(errorOf("Keys $ '" + std::string(70000, 'x') + "'"), rc::kExprSyntax);
    EXPECT_EQ(errorOf(std::string(70000, ' ') + "Items"), rc::kExprSyntax);
}

}  // namespace
}  // namespace xbase::test
