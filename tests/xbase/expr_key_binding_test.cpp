// The evaluator's short cuts: comparisons the begins-with rule decides alone,
// A + B = 'lit' answered by A, expressions that do not vary, and evaluation
// from an index key instead of the record.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/xbase/expr_test_record.h"
#include "xbase/expr_eval.h"

namespace xbase::test {
namespace {

std::unique_ptr<Expression> compiled(std::string_view text, const RecordSource& src) {
    short error = 0;
    auto expr = Expression::compile(text, src, error);
    EXPECT_TRUE(expr) << text << " (" << error << ")";
    return expr;
}

class ExprShortCuts : public ::testing::Test {
  protected:
    void SetUp() override {
        rec.set("Keys", "abc");
        rec.set("Items", "5");
        rec.set("Filter", "Zoo");
    }
    bool holds(std::string_view text) { return evalExpr(text, rec).logical; }

    TestRecord rec = TestRecord::keysTable();
};

// The answers the rewrites must keep, at the edges where a wrong rewrite
// would change them: literals reaching past A into B, and sides whose results
// are shorter than their width (TRIM), which must not be rewritten.
TEST_F(ExprShortCuts, BeginsWithRewritesKeepTheAnswers) {
    const std::string k = "UPPER(Keys) + STR(Items)";
    EXPECT_TRUE(holds(k + " = ''"));
    EXPECT_FALSE(holds(k + " <> ''"));
    EXPECT_FALSE(holds(k + " # ''"));
    EXPECT_TRUE(holds(k + " = 'AB'"));
    EXPECT_FALSE(holds(k + " = 'ABD'"));
    EXPECT_TRUE(holds(k + " <> 'ABD'"));
    EXPECT_TRUE(holds(k + " = 'ABC       '"));  // all of UPPER(Keys)
    const std::string abc5 = "'ABC" + std::string(16, ' ') + "5'";
    EXPECT_TRUE(holds(k + " = " + abc5));  // into STR(Items)
    EXPECT_FALSE(holds(k + " = 'ABC" + std::string(16, ' ') + "6'"));
    EXPECT_FALSE(holds(k + " = 'ABC        x'"));
    EXPECT_TRUE(holds("UPPER(TRIM(Keys)) + 'X' = 'ABCX'"));  // TRIM: no exact width
    EXPECT_FALSE(holds("UPPER(TRIM(Keys)) + 'X' = 'ABC '"));
    EXPECT_TRUE(holds("Keys + Filter + Keys = 'abc       Zoo'"));
    EXPECT_TRUE(holds("'abc       x' = Keys")) << "a constant on the left is not rewritten";
    rec.set("Keys", "");
    EXPECT_TRUE(holds("TRIM(Keys) = ''"));
    EXPECT_TRUE(holds("TRIM(Keys) + 'X' = 'X'"));
}

TEST_F(ExprShortCuts, ExpressionsThatNeverVary) {
    for (const char* text : {"Keys = ''", "UPPER(Keys) + STR(Items) = ''", "1 = 1", "'a' $ 'abc'"})
        EXPECT_FALSE(compiled(text, rec)->varies(rec)) << text;
    for (const char* text : {"Keys = 'a'", "RECNO() > 0", "DELETED()", "DATE() > CTOD('')"})
        EXPECT_TRUE(compiled(text, rec)->varies(rec)) << text;
}

TEST_F(ExprShortCuts, KeyBindingsReadTheKeyNotTheRecord) {
    auto key = compiled("UPPER(KEYS)+STR(ITEMS)", rec);
    const std::string abc5 = "ABC" + std::string(16, ' ') + "5";
    const std::string xyz7 = "XYZ" + std::string(16, ' ') + "7";

    auto whole =
        compiled("UPPER(Keys) + STR(Items) = 'XYZ' .OR. upper(keys)+str(items) = 'Q'", rec);
    auto binding = whole->bindKey(*key, 20, rec);
    ASSERT_TRUE(binding);
    EXPECT_TRUE(whole->evaluate(rec, *binding, xyz7).logical) << "the record holds abc";
    EXPECT_FALSE(whole->evaluate(rec, *binding, abc5).logical);

    // The sides of the key's A + B are bound too, each at its offset.
    auto sides = compiled("STR(Items) = '         7' .AND. UPPER(Keys) = 'XY'", rec);
    binding = sides->bindKey(*key, 20, rec);
    ASSERT_TRUE(binding);
    EXPECT_TRUE(sides->evaluate(rec, *binding, xyz7).logical);
    EXPECT_FALSE(sides->evaluate(rec, *binding, abc5).logical);

    // Flat lists of comparisons and other shapes answer alike.
    const std::vector<std::pair<std::string, bool>> shapes = {
        {"UPPER(Keys) <> 'ABC' .AND. STR(Items) = '         7'", false},
        {".NOT. UPPER(Keys) = 'ABC' .AND. STR(Items) > '         6'", false},
        {"UPPER(Keys) = 'ABC' .OR. UPPER(Keys) = 'XYZ' .OR. UPPER(Keys) = 'Q'", true}};
    for (const auto& [text, abc5Holds] : shapes) {
        auto expr = compiled(text, rec);
        binding = expr->bindKey(*key, 20, rec);
        ASSERT_TRUE(binding) << text;
        EXPECT_TRUE(expr->evaluate(rec, *binding, xyz7).logical) << text;
        EXPECT_EQ(expr->evaluate(rec, *binding, abc5).logical, abc5Holds) << text;
    }

    // Not bound: a field the key lacks, a field the key holds only upper-cased,
    // RECNO(), a key expression without an exact width, a key of another length.
    for (const char* text : {"UPPER(Keys) + STR(Items) = 'ABC' .AND. Filter = 'Zoo'",
                             "Keys = 'abc'", "UPPER(Keys) = 'A' .AND. RECNO() = 1"}) {
        EXPECT_FALSE(compiled(text, rec)->bindKey(*key, 20, rec)) << text;
    }
    EXPECT_FALSE(whole->bindKey(*compiled("UPPER(TRIM(KEYS))+STR(ITEMS)", rec), 20, rec));
    EXPECT_FALSE(whole->bindKey(*key, 18, rec));
    // A key shorter than the binding gives what it has and never throws.
    EXPECT_FALSE(whole->evaluate(rec, *whole->bindKey(*key, 20, rec), "XY").logical);
}

// Fields a key holds: a character field of its own width, STR() of a
// whole-number field at the field's width, a whole-number field's numeric
// key; nothing upper-cased, cut, computed or with decimals.
TEST_F(ExprShortCuts, KeyFieldsAreThoseStoredUnchanged) {
    auto fieldsOf = [&](std::string_view keyExpr) {
        auto key = compiled(keyExpr, rec);
        std::vector<std::tuple<int, int, int>> out;
        for (const KeyField& k : key->keyFields(key->width(), rec))
            out.emplace_back(k.field, k.offset, k.width);
        return out;
    };
    using F = std::vector<std::tuple<int, int, int>>;
    EXPECT_EQ(fieldsOf("UPPER(KEYS)+STR(ITEMS)"), (F{{1, 10, 10}}));
    EXPECT_EQ(fieldsOf("Keys + Filter + STR(Items, 10, 0)"),
              (F{{0, 0, 10}, {3, 10, 10}, {1, 20, 10}}));
    EXPECT_EQ(fieldsOf("STR(Items, 8) + STR(Price, 8) + STR(Order)"), F{});
    EXPECT_EQ(fieldsOf("LEFT(Keys, 10) + DTOS(Date)"), F{});
    EXPECT_EQ(fieldsOf("Items"), (F{{1, 0, 8}})) << "a numeric key of a whole-number field";
    EXPECT_TRUE(compiled("Items", rec)->keyFields(8, rec)[0].numeric);
    EXPECT_EQ(fieldsOf("Price"), F{});
    EXPECT_EQ(fieldsOf("Items + 1"), F{});
}

// Keys written from the record's bytes (the recipe) are the keys the
// evaluator gives, for every stored form of a number: plain ones are copied,
// others (leading zeros, a minus zero, signs, decimals, blanks after) are
// evaluated.
TEST_F(ExprShortCuts, KeysWrittenByRecipeAreTheEvaluatedKeys) {
    const char* withRecipe[] = {"UPPER(KEYS)+STR(ITEMS)", "Keys + Filter + STR(Items, 10, 0)",
                                "Items", "UPPER(Filter) + Keys"};
    for (const char* text : withRecipe)
        EXPECT_TRUE(keyRecipeOf(compiled(text, rec)->root(), compiled(text, rec)->width(), rec))
            << text;
    for (const char* text : {"STR(Items, 8) + Keys", "Price", "TRIM(Keys) + Filter", "DTOS(Date)"})
        EXPECT_FALSE(keyRecipeOf(compiled(text, rec)->root(), compiled(text, rec)->width(), rec))
            << text;

    const char* numbers[] = {"5",  "0",  "-5", "0005", "-0",         "",          "1e3",
                             "5.", "5 ", "+5", "- 5",  "9999999999", "-123456789"};
    const char* words[] = {"abc", "\xff\xe9\x9a", "", "A b"};
    for (const char* text : withRecipe) {
        for (const char* number : numbers) {
            for (const char* word : words) {
                rec.set("Items", number);
                rec.set("Keys", word);
                auto key = compiled(text, rec);
                EXPECT_EQ(key->key(rec), encodeKey(key->evaluate(rec), key->width()))
                    << text << " Items '" << number << "' Keys '" << word << "'";
            }
        }
    }
}

}  // namespace
}  // namespace xbase::test
