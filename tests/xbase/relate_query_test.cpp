// Query relations answer the program's search and delete queries, and other
// queries, exactly as a plain scan of every record would: in the sort order
// (or record order), forwards and backwards, whichever way the cursor works.
#include <gtest/gtest.h>

#include "tests/xbase/relate_test_table.h"

namespace xbase_test {
namespace {

class RelateQuery : public ::testing::Test {
  protected:
    // About 24,000 keyword records: the KEYITEMS tag has three levels.
    static void SetUpTestSuite() { table_ = makeKeysTable(1200, 20).release(); }
    static void TearDownTestSuite() {
        delete table_;
        table_ = nullptr;
    }

    xbase::Data4& data() { return *table_->data; }
    const std::vector<std::string>& words() { return table_->words; }

    // The first vocabulary word (a stored key) that satisfies test.
    template <typename Test>
    std::string word(Test test) {
        for (const std::string& w : words()) {
            if (test(w)) return w;
        }
        ADD_FAILURE() << "no such word in the vocabulary";
        return "?";
    }
    std::string whole(std::size_t from) {
        return word([&, n = std::size_t{0}](const std::string& w) mutable {
            return w.back() == ' ' && n++ >= from;
        });
    }
    std::string cut() {
        return word([](const std::string& w) { return w.back() != ' '; });
    }
    std::string innerBlank() {
        return word([](const std::string& w) { return w.find(' ') < w.size() - 1; });
    }
    std::string accented() {
        return word([](const std::string& w) { return w.find('\xC9') != std::string::npos; });
    }

    // The program's keyword lists: whole words, prefixes, cut words, 1 to 20.
    std::vector<std::vector<std::string>> keywordLists() {
        std::vector<std::string> twenty = {
            whole(0), whole(40).substr(0, 3), cut(), innerBlank(), accented(), "ZQX "};
        for (std::size_t i = 0; twenty.size() < 20; i += 97)
            twenty.push_back(whole(i));
        return {{whole(0)}, {whole(3), whole(1).substr(0, 2), cut()}, twenty, {"A"}, {""}};
    }

    // Checks query against the oracle with the sort "Items" (forwards and
    // backwards) and in record order.
    void expectOracle(const std::string& query, short optimizeable) {
        const std::vector<long> sorted = oracle(data(), query, "Items");
        const std::vector<long> plain = oracle(data(), query, "");
        short opt = -1;
        EXPECT_EQ(relate(data(), query, "Items", true, &opt), sorted) << query;
        EXPECT_EQ(opt, optimizeable) << query;
        EXPECT_EQ(relate(data(), query, "", false), plain) << query;
    }

    static KeysTable* table_;
};

KeysTable* RelateQuery::table_ = nullptr;

TEST_F(RelateQuery, SearchQueriesInEveryFormMatchThePlainScan) {
    struct Drawer {
        std::string name, quote;
    };
    const std::vector<Drawer> drawers = {
        {"", ""}, {"LETTERS", "''"}, {"O'HARA", "\"\""}, {"O'HARA", "[]"}};
    for (const auto& keywords : keywordLists()) {
        for (const Drawer& drawer : drawers) {
            for (int header : {0, 25}) {
                expectOracle(searchQuery(keywords, drawer.name, drawer.quote, header), 1);
            }
        }
    }
}

TEST_F(RelateQuery, EveryCursorStrategyGivesTheSameAnswer) {
    const std::vector<std::string> queries = {
        searchQuery({whole(3), whole(1).substr(0, 2), cut()}, "", "", 0),
        searchQuery({"A"}, "LETTERS", "''", 25), searchQuery({whole(0)}, "", "", 0),
        "Items >= 100 .AND. Items < 140", "UPPER(Keys) + STR(Items) >= 'T'"};
    expectEveryStrategy(
        data(), queries, [&](xbase::Relate4* r) { return relateForward(r, data()); },
        [&](const std::string& query, const std::string& sort) {
            return oracle(data(), query, sort);
        });
}

// Other queries: the delete query's padded number, numeric ranges that narrow
// and unite, overlapping terms (each record once), character comparisons other
// than begins-with; and queries no tag serves, which scan every record.
TEST_F(RelateQuery, OtherQueriesMatchThePlainScan) {
    const std::string w = whole(2), v = whole(5);
    // clang-format off
    const std::vector<std::pair<std::string, short>> queries = {
        {"Items =          5", 1}, {"Items = 700", 1}, {"Items = 0", 1}, {"Items < 3", 1},
        {"Items <= 3 .OR. Items > 1195", 1}, {"100 <= Items .AND. 110 > Items", 1},
        {"Items >= 20 .AND. Items <= 10", 1}, {"Items = 4 .OR. Items = 4 .OR. Items = 9", 1},
        {"Items > 50 .AND. Order < 3", 1}, {"Items = 3 .AND. UPPER(Keys) + STR(Items) = 'A'", 1},
        {".F.", 1}, {searchQuery({w.substr(0, 1), w.substr(0, 2), w, ""}, "", "", 0), 1},
        {searchQuery({w}, "", "", 0) + " .OR. Items = 7 .OR. Items < 4", 1},
        {"UPPER(Keys)+STR(Items) == '" + v + "'", 1}, {"UPPER(Keys)+STR(Items) < '" + v + "'", 1},
        {"UPPER(Keys)+STR(Items) >= '" + v + "'", 1},
        {"upper(keys) + str(items) == '" + v + "         7'", 1},
        {"UPPER(Filter) = 'WORK'", 0}, {"Order < 3", 0}, {"Items = 5 .OR. Order = 1", 0},
        {".NOT. Items = 5", 0}, {"UPPER(Keys) = 'A'", 0}, {"DELETED()", 0}, {"Items + 0 = 5", 0},
        {".T.", 0}};
    // clang-format on
    for (const auto& [query, optimizeable] : queries)
        expectOracle(query, optimizeable);
    EXPECT_EQ(relate(data(), "Items = 99999", "", false), std::vector<long>{});
}

}  // namespace
}  // namespace xbase_test
