// relate4skipGroup passes over the rest of the current record's sort group
// and lands where a plain scan says the next group begins, whichever way the
// cursor works, also when it revisits records kept for backward skipping and
// when the tag changes under a walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "tests/xbase/relate_test_table.h"

namespace xbase_test {
namespace {

class RelateSkipGroup : public ::testing::Test {
  protected:
    void SetUp() override { table_ = makeKeysTable(300, 12); }
    xbase::Data4& data() { return *table_->data; }

    // The sort value of each record of rows, as text (one group per record
    // without a sort).
    std::vector<std::string> groups(const std::vector<long>& rows, const std::string& sort) {
        short error = 0;
        auto s =
            sort.empty() ? nullptr : xbase::Expression::compile(sort, data().recordSource(), error);
        std::vector<std::string> out;
        for (long recno : rows) {
            data().go(recno);
            if (!s) {
                out.push_back(std::to_string(recno));
                continue;
            }
            const xbase::Value v = s->evaluate(data().recordSource());
            out.push_back(v.type == xbase::ValueType::Character ? v.text
                                                                : std::to_string(v.number));
        }
        return out;
    }

    // What a walk that skips the group after every third record hands out.
    std::vector<long> expected(const std::string& query, const std::string& sort) {
        const std::vector<long> rows = oracle(data(), query, sort);
        const std::vector<std::string> keys = groups(rows, sort);
        std::vector<long> out;
        for (std::size_t at = 0, step = 0; at < rows.size(); ++step) {
            out.push_back(rows[at]);
            const std::size_t from = at++;
            if (step % 3 == 2) {
                while (at < rows.size() && keys[at] == keys[from])
                    ++at;
            }
        }
        return out;
    }

    std::unique_ptr<KeysTable> table_;
};

std::vector<long> walkSkipping(xbase::Relate4* r, xbase::Data4& d) {
    std::vector<long> out;
    short rc = xbase::relate4top(r);
    for (std::size_t step = 0; rc == 0 && out.size() <= static_cast<std::size_t>(d.recCount());
         ++step) {
        out.push_back(d.recNo());
        rc = step % 3 == 2 ? xbase::relate4skipGroup(r) : xbase::relate4skip(r, 1);
    }
    EXPECT_EQ(rc, xbase::rc::kEof);
    return out;
}

TEST_F(RelateSkipGroup, EveryCursorStrategyLandsOnTheNextGroup) {
    const std::vector<std::string> queries = {
        searchQuery({""}, "", "", 0),
        searchQuery({"A", "E", "ST"}, "", "", 0),
        searchQuery({table_->words[0], table_->words[1]}, "", "", 0),
        searchQuery({"O"}, "LETTERS", "''", 25),
        "Items >= 100 .AND. Items < 140",
        "Order < 3"};
    expectEveryStrategy(
        data(), queries, [&](xbase::Relate4* r) { return walkSkipping(r, data()); },
        [&](const std::string& query, const std::string& sort) { return expected(query, sort); });
}

// A walk that reads only groups of three records or more passes the smaller
// ones where the cursor can count them, and never a larger one: it reads
// every record of each large group, in order.
TEST_F(RelateSkipGroup, SmallGroupsArePassedLargeOnesNever) {
    constexpr long kAtLeast = 3;
    const std::vector<std::string> queries = {
        searchQuery({"A", "E", "ST"}, "", "", 0),
        searchQuery({table_->words[0], table_->words[1], table_->words[2]}, "", "", 0),
        searchQuery({"O", "I"}, "LETTERS", "''", 25)};
    for (const std::string& query : queries) {
        for (const std::string sort : {"Items", "UPPER(Keys)"}) {
            const std::vector<long> rows = oracle(data(), query, sort);
            const std::vector<std::string> keys = groups(rows, sort);
            std::map<long, std::string> groupOf;
            std::map<std::string, long> sizes;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                groupOf[rows[i]] = keys[i];
                ++sizes[keys[i]];
            }
            const auto large = [&](const std::vector<long>& from) {
                std::vector<long> out;
                for (long recno : from)
                    if (sizes[groupOf[recno]] >= kAtLeast) out.push_back(recno);
                return out;
            };
            for (const xbase::CursorTuning& tuning : everyTuning()) {
                xbase::Relate4* r = xbase::relate4init(&data());
                xbase::relate4querySet(r, query.c_str());
                xbase::relate4sortSet(r, sort.c_str());
                xbase::relate4tune(r, tuning);
                std::vector<long> read;
                for (short rc = xbase::relate4top(r); rc == 0; rc = xbase::relate4skip(r, 1)) {
                    const bool firstOfGroup =
                        read.empty() || groupOf[data().recNo()] != groupOf[read.back()];
                    if (firstOfGroup && (rc = xbase::relate4skipSmallGroups(r, kAtLeast)) != 0) {
                        EXPECT_EQ(rc, xbase::rc::kEof);
                        break;
                    }
                    read.push_back(data().recNo());
                }
                xbase::relate4freeVB(r, 0);
                const std::string where = query + " sorted by " + sort + ", merge budget " +
                                          std::to_string(tuning.mergeBudget);
                EXPECT_EQ(large(read), large(rows)) << where;
                EXPECT_TRUE(std::includes(rows.begin(), rows.end(), read.begin(), read.end(),
                                          [&](long a, long b) {
                                              return std::find(rows.begin(), rows.end(), a) <
                                                     std::find(rows.begin(), rows.end(), b);
                                          }))
                    << where;
                // A merge of index runs in document order passes small groups
                // by their entries (the search's relations).
                if (sort == "Items" && tuning.mergeBudget > 0 &&
                    query.find("LETTERS") == std::string::npos) {
                    EXPECT_LT(read.size(), rows.size()) << where;
                }
            }
        }
    }
}

// Records added to a small group under the walk make it large: its counts
// are no longer trusted, and the walk stays on it.
TEST_F(RelateSkipGroup, AGroupThatGrewUnderTheWalkIsNotPassed) {
    xbase::Data4& d = data();
    const std::string word = table_->words[0];
    const std::string query = searchQuery({word}, "", "", 0);
    const std::vector<long> rows = oracle(d, query, "Items");
    const std::vector<std::string> keys = groups(rows, "Items");
    std::size_t single = 1;  // the first record of a one-record group, after the first
    while (single + 1 < rows.size() &&
           (keys[single] == keys[single - 1] || keys[single] == keys[single + 1]))
        ++single;
    ASSERT_LT(single + 1, rows.size());
    xbase::Relate4* r = xbase::relate4init(&d);
    xbase::relate4querySet(r, query.c_str());
    xbase::relate4sortSet(r, "Items");
    short rc = xbase::relate4top(r);
    while (rc == 0 && d.recNo() != rows[single])
        rc = xbase::relate4skip(r, 1);
    ASSERT_EQ(rc, 0);
    const std::string document = std::string(d.fieldPtr(kItems), 10);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(d.appendStart(), xbase::rc::kSuccess);
        d.assign(kKeys, word);
        d.assign(kItems, document);
        ASSERT_EQ(d.append(), xbase::rc::kSuccess);
    }
    ASSERT_EQ(d.go(rows[single]), xbase::rc::kSuccess);
    EXPECT_EQ(xbase::relate4skipSmallGroups(r, 3), 0);
    EXPECT_EQ(d.recNo(), rows[single]);
    xbase::relate4freeVB(r, 0);
}

// Back over records already handed out, a skip of their group goes forwards
// through them first and on into records not yet read.
TEST_F(RelateSkipGroup, RevisitedRecordsAreSkippedByGroup) {
    const std::string query = searchQuery({""}, "", "", 0);
    const std::vector<long> rows = oracle(data(), query, "Items");
    const std::vector<std::string> keys = groups(rows, "Items");
    xbase::Relate4* r = xbase::relate4init(&data());
    xbase::relate4querySet(r, query.c_str());
    xbase::relate4sortSet(r, "Items");
    xbase::relate4skipEnableVB(r, 1);
    ASSERT_EQ(xbase::relate4top(r), 0);
    ASSERT_EQ(xbase::relate4skip(r, 40), 0);
    ASSERT_EQ(xbase::relate4skip(r, -38), 0);  // on rows[2]
    for (std::size_t at = 2; at < rows.size();) {
        const std::size_t from = at;
        while (at < rows.size() && keys[at] == keys[from])
            ++at;
        const short rc = xbase::relate4skipGroup(r);
        if (at == rows.size()) {
            EXPECT_EQ(rc, xbase::rc::kEof);
            break;
        }
        ASSERT_EQ(rc, 0);
        ASSERT_EQ(data().recNo(), rows[at]) << "group " << keys[at];
    }
    xbase::relate4freeVB(r, 0);
}

// Records appended to the current group and to the next while the walk
// stands in a group: the skip still passes the whole group and meets the
// next group's first record where it then is.
TEST_F(RelateSkipGroup, AWalkSkipsAGroupThatGrewUnderIt) {
    xbase::Data4& d = data();
    const auto items = [&] { return std::stol(std::string(d.fieldPtr(kItems), 10)); };
    xbase::Relate4* r = xbase::relate4init(&d);
    xbase::relate4querySet(r, searchQuery({""}, "", "", 0).c_str());
    xbase::relate4sortSet(r, "Items");
    ASSERT_EQ(xbase::relate4top(r), 0);
    const long first = items();
    for (const long document : {first, first + 1}) {
        ASSERT_EQ(d.appendStart(), xbase::rc::kSuccess);
        d.assign(kKeys, "ADDED ");
        d.assign(kItems, std::to_string(document));
        ASSERT_EQ(d.append(), xbase::rc::kSuccess);
    }
    ASSERT_EQ(xbase::relate4skipGroup(r), 0);
    EXPECT_EQ(items(), first + 1);
    const long added = d.recCount();
    const long second = d.recNo();
    EXPECT_EQ(second, oracle(d, "Items = " + std::to_string(first + 1), "")[0]);
    EXPECT_NE(second, added);
    xbase::relate4freeVB(r, 0);
}

}  // namespace
}  // namespace xbase_test
