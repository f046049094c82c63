// The relation calls as the program uses them: moving forwards and
// backwards, bad queries, marking records while walking, and records changed
// while the relation walks over them. (Deleted records are among the answers
// the query tests check against a plain scan.)
#include <gtest/gtest.h>

#include "tests/xbase/relate_test_table.h"
#include "xbase/d4.h"

namespace xbase_test {
namespace {

namespace rc = xbase::rc;
using namespace xbase;

class RelateApi : public ::testing::Test {
  protected:
    void SetUp() override { table = makeKeysTable(150, 10); }
    Data4& data() { return *table->data; }
    // A relation of query, sorted by sort.
    Relate4* open(const std::string& query, const char* sort) {
        Relate4* r = relate4init(&data());
        relate4querySet(r, query.c_str());
        relate4sortSet(r, sort);
        return r;
    }
    At at(short result) { return {result, d4recNo(&data())}; }

    std::unique_ptr<KeysTable> table;
};

std::size_t indexOf(const std::vector<long>& list, long recno) {
    return static_cast<std::size_t>(std::find(list.begin(), list.end(), recno) - list.begin());
}

// all without the records in gone, in the order of all.
std::vector<long> without(const std::vector<long>& all, const std::vector<long>& gone) {
    std::vector<long> out;
    for (long recno : all)
        if (indexOf(gone, recno) == gone.size()) out.push_back(recno);
    return out;
}

TEST_F(RelateApi, BadQueriesGiveErrorCodesAndOneReport) {
    std::vector<short> reported;
    table->code.errorReports = true;
    table->code.setErrorCallback([&](short code, const std::string&) { reported.push_back(code); });
    Relate4* r = relate4init(&data());
    ASSERT_NE(r, nullptr);
    const struct {
        const char* query;
        short code;
    } cases[] = {{"UPPER(Keys) + STR(Items) = 'A", rc::kExprSyntax},
                 {"Items + 1", rc::kExprType},
                 {"Nothing = 1", rc::kFieldName},
                 {"Items = 'A'", rc::kExprType},
                 {"((((", rc::kExprSyntax}};
    for (const auto& c : cases) {
        reported.clear();
        EXPECT_EQ(relate4querySet(r, c.query), c.code) << c.query;
        EXPECT_EQ(relate4optimizeable(r), 0);
        EXPECT_EQ(relate4top(r), c.code) << c.query;
        EXPECT_EQ(relate4skip(r, 1), c.code) << c.query;
        EXPECT_EQ(reported, std::vector<short>{c.code}) << c.query;
    }
    EXPECT_LT(relate4sortSet(r, "UPPER("), 0);
    EXPECT_EQ(relate4querySet(r, "Items = 3"), 0);
    EXPECT_LT(relate4top(r), 0);  // the sort is still bad
    EXPECT_EQ(relate4sortSet(r, ""), 0);
    EXPECT_EQ(relate4top(r), 0);
    EXPECT_EQ(relate4freeVB(r, 0), 0);

    EXPECT_EQ(relate4init(nullptr), nullptr);
    EXPECT_EQ(relate4querySet(nullptr, "Items = 1"), rc::kParameter);
    EXPECT_EQ(relate4top(nullptr), rc::kParameter);
    EXPECT_EQ(relate4skip(nullptr, 1), rc::kParameter);
    EXPECT_EQ(relate4optimizeable(nullptr), 0);
    EXPECT_EQ(relate4freeVB(nullptr, 0), rc::kParameter);
}

TEST_F(RelateApi, MovesForwardsAndBackwardsWithinTheMatches) {
    const std::string query = searchQuery({table->words[0]}, "", "", 0);
    const std::vector<long> expected = oracle(data(), query, "Items");
    ASSERT_GE(expected.size(), 4u);
    Relate4* r = open(query, "Items");
    EXPECT_EQ(relate4skip(r, -1), rc::kRelate);  // not enabled
    EXPECT_EQ(relate4skipEnableVB(r, 1), 0);
    EXPECT_EQ(at(relate4skip(r, 2)), At(0, expected[1]));  // without relate4top: from the start
    EXPECT_EQ(at(relate4top(r)), At(0, expected[0]));
    EXPECT_EQ(at(relate4skip(r, -1)), At(rc::kBof, expected[0]));  // stays on the first
    EXPECT_EQ(at(relate4skip(r, 3)), At(0, expected[3]));
    EXPECT_EQ(at(relate4skip(r, -2)), At(0, expected[1]));
    EXPECT_EQ(relate4skip(r, 0), 0);
    const long endOfFile = d4recCountDo(&data()) + 1;
    EXPECT_EQ(at(relate4skip(r, static_cast<long>(expected.size()))), At(rc::kEof, endOfFile));
    EXPECT_EQ(relate4skip(r, 1), rc::kEof);
    EXPECT_EQ(relate4skip(r, 0), rc::kEof);
    EXPECT_EQ(at(relate4skip(r, -1)), At(0, expected.back()));
    EXPECT_EQ(at(relate4top(r)), At(0, expected[0]));  // starts again
    // No match at all: end of file at once.
    EXPECT_EQ(relate4querySet(r, searchQuery({"ZQXW "}, "", "", 0).c_str()), 0);
    EXPECT_EQ(relate4top(r), rc::kEof);
    EXPECT_EQ(relate4skip(r, 1), rc::kEof);
    relate4freeVB(r, 0);
}

// A table keeps the expressions relations compiled, so a query set again is
// not parsed again: relations share them, and one outlives another.
TEST_F(RelateApi, RelationsSharingAQueryTextWalkApartAndOutliveEachOther) {
    const std::string first = searchQuery({table->words[0]}, "", "", 0);
    const std::string second = searchQuery({table->words[1]}, "", "", 0);
    const std::vector<long> expectFirst = oracle(data(), first, "Items");
    const std::vector<long> expectSecond = oracle(data(), second, "Items");
    ASSERT_NE(expectFirst, expectSecond);
    Relate4* a = open(first, "Items");
    Relate4* b = open(first, "Items");
    EXPECT_EQ(relateForward(a, data()), expectFirst);
    relate4freeVB(a, 0);
    EXPECT_EQ(relateForward(b, data()), expectFirst);
    // Other texts, more than the table keeps, then the first again.
    for (int w = 1; w < 6; ++w)
        ASSERT_EQ(relate4querySet(b, searchQuery({table->words[w]}, "", "", 0).c_str()), 0);
    ASSERT_EQ(relate4querySet(b, second.c_str()), 0);
    EXPECT_EQ(relateForward(b, data()), expectSecond);
    ASSERT_EQ(relate4querySet(b, first.c_str()), 0);
    EXPECT_EQ(relateForward(b, data()), expectFirst);
    // The sort's text, kept, is refused as a query all the same: it is not logical.
    EXPECT_EQ(relate4querySet(b, "Items"), rc::kExprType);
    relate4freeVB(b, 0);
}

// Delete and un-delete as the program runs them: lock, mark, unlock, skip.
TEST_F(RelateApi, MarkingEachRecordWhileWalkingReachesThemAll) {
    code4lockEnforce(&table->code, 1);
    for (const char* items : {"        33", "        34"}) {
        const std::string query = std::string("Items = ") + items;
        const std::vector<long> expected = oracle(data(), query, "");
        ASSERT_FALSE(expected.empty());
        for (bool mark : {true, false}) {
            Relate4* r = open(query, "");
            std::vector<long> walked;
            for (short rc = relate4top(r); rc == 0; rc = relate4skip(r, 1)) {
                walked.push_back(d4recNo(&data()));
                EXPECT_EQ(d4lock(&data(), d4recNo(&data())), 0);
                EXPECT_EQ(mark ? d4delete(&data()) : d4recall(&data()), 0);
                EXPECT_EQ(d4unlock(&data()), 0);
            }
            EXPECT_EQ(relate4freeVB(r, 0), 0);
            EXPECT_EQ(walked, expected);
            for (long recno : expected) {
                d4goTo(&data(), recno);
                EXPECT_EQ(d4deleted(&data()), mark ? 1 : 0);
            }
        }
    }
}

// A walk over the KEYITEMS tag gives Items from the key and reads the record
// only for the rest: every field, the mark and a change made on the way must
// be those of the whole record.
TEST_F(RelateApi, RecordsPlacedFromKeysShowAndChangeAsWholeRecords) {
    const std::string query = searchQuery({table->words[0], table->words[2]}, "", "", 0);
    const std::vector<long> expected = oracle(data(), query, "Items");
    ASSERT_GE(expected.size(), 4u);
    auto fields = [&] {
        std::string all = d4deleted(&data()) ? "*" : " ";
        for (const char* name : {"Items", "Keys", "Order", "Filter"}) {
            Field4* f = d4field(&data(), name);
            all.append(f4ptr(f), static_cast<std::size_t>(f4len_v(f)));
        }
        return all;
    };
    std::vector<std::string> seen;
    Relate4* r = open(query, "Items");
    int step = 0;
    for (short rc = relate4top(r); rc == 0; rc = relate4skip(r, 1), ++step) {
        const long here = d4recNo(&data());
        // Marked straight after the move, before any field is read; the lock,
        // which reads the record again, only every other time.
        const short locked = step % 4 == 0 ? d4lock(&data(), here) : 0;
        const short marked = step % 2 == 0 ? d4delete(&data()) : 0;
        EXPECT_EQ(locked + marked, 0);
        d4unlock(&data());
        seen.push_back(fields());
    }
    relate4freeVB(r, 0);
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        d4goTo(&data(), expected[i]);
        EXPECT_EQ(fields(), seen[i]) << expected[i];
        if (i % 2 == 0) {
            EXPECT_EQ(d4deleted(&data()), 1) << expected[i];
        }
    }
}

// A record changed ahead of the walk is judged as it is when reached; the
// walk goes on past a current record whose key changed under it.
TEST_F(RelateApi, RecordsChangedDuringTheWalkAreJudgedWhenReached) {
    const std::string query = searchQuery({table->words[1].substr(0, 1)}, "", "", 0);
    for (const char* sort : {"Items", ""}) {
        const std::vector<long> before = oracle(data(), query, sort);
        ASSERT_GE(before.size(), 10u);
        Relate4* r = open(query, sort);
        std::vector<long> walked, dropped;
        for (short rc = relate4top(r); rc == 0; rc = relate4skip(r, 1)) {
            const long here = d4recNo(&data());
            walked.push_back(here);
            const std::size_t at = indexOf(before, here);
            if (at % 3 != 0 || at + 2 >= before.size()) continue;
            // The record two places ahead and the current one no longer match.
            dropped.push_back(before[at + 2]);
            for (long recno : {before[at + 2], here}) {
                d4goTo(&data(), recno);
                f4assignNVB(d4field(&data(), "Keys"), "#", 1);
            }
            d4goTo(&data(), here);
        }
        relate4freeVB(r, 0);
        EXPECT_EQ(walked, without(before, dropped)) << sort;
        table = makeKeysTable(150, 10);  // a fresh table for the next order
    }
}

// A walk of the whole sort tag reads entries ahead of the records it hands
// out; entries that move while it walks are met where they are then: a
// record moved behind the walk is not met again, one moved ahead is met
// there (so a record moved from the current place is met twice).
TEST_F(RelateApi, TheSortTagWalkMeetsMovedEntriesWhereTheyAre) {
    const std::string everything = "UPPER(Keys) + STR(Items) = ''";
    const std::vector<long> before = oracle(data(), everything, "Items");
    ASSERT_GE(before.size(), 1000u);  // more than a few leaves of the Items tag
    Relate4* r = open(everything, "Items");
    std::vector<long> walked, behind, ahead;
    for (short rc = relate4top(r); rc == 0; rc = relate4skip(r, 1)) {
        const long here = d4recNo(&data());
        walked.push_back(here);
        const std::size_t at = indexOf(before, here);
        const bool metAgain = indexOf(ahead, here) < ahead.size();
        if (at % 7 != 0 || at + 3 >= before.size() || metAgain) continue;
        // The record three places on moves behind the walk, the current one
        // past every other record.
        const long next = before[at + 3];
        behind.push_back(next);
        ahead.push_back(here);
        d4goTo(&data(), next);
        f4assignNVB(d4field(&data(), "Items"), "0", 1);
        d4goTo(&data(), here);
        const std::string last = std::to_string(10000 + ahead.size());
        f4assignNVB(d4field(&data(), "Items"), last.c_str(), static_cast<short>(last.size()));
    }
    relate4freeVB(r, 0);
    std::vector<long> expected = without(before, behind);
    expected.insert(expected.end(), ahead.begin(), ahead.end());
    EXPECT_EQ(walked, expected);
}

TEST_F(RelateApi, FreeingWithCloseFilesClosesTheTable) {
    Code4& code = table->code;
    Data4* adopted = code.adopt(std::move(table->data));
    Relate4* r = relate4init(adopted);
    relate4querySet(r, "Items = 2");
    EXPECT_EQ(relate4top(r), 0);
    EXPECT_EQ(relate4freeVB(r, 1), 0);
    EXPECT_EQ(code.close(adopted), rc::kParameter);  // no longer open
}

// Tables written by an independent engine: the same answers as a plain scan.
TEST(RelateForeignTables, AnswersMatchThePlainScan) {
    const std::string source = std::string(VELLUMARK_SOURCE_DIR) + "/../shared/fixtures/large/";
    if (!std::filesystem::exists(source + "Keys.dbf")) GTEST_SKIP() << "no fixtures";
    TempDir dir;
    for (const char* name : {"Keys.dbf", "Keys.cdx"}) {
        std::filesystem::copy_file(source + name, dir.file(name));
    }
    Code4 code;
    code.errorReports = false;
    short error = 0;
    auto d = Data4::open(code, dir.file("Keys.dbf"), error);
    ASSERT_NE(d, nullptr) << error;
    for (const std::string& query :
         {searchQuery({"THE ", "A", "WORLD "}, "", "", 0), searchQuery({""}, "", "", 25),
          std::string("Items =         37")}) {
        short opt = 0;
        EXPECT_EQ(relate(*d, query, "Items", true, &opt), oracle(*d, query, "Items")) << query;
        EXPECT_EQ(opt, 1) << query;
        EXPECT_EQ(relate(*d, query, "", false), oracle(*d, query, "")) << query;
    }
}

}  // namespace
}  // namespace xbase_test
