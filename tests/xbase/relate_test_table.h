// A generated keyword table for the query-relation tests: documents of
// pseudo-words (shared prefixes, cut words, inner blanks, accented letters),
// drawers (one with an apostrophe), deleted documents, and the two tags the
// program's Keys table has. Also the plain-scan oracle the answers are
// checked against, and walks through the public relate4* calls.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/xbase/d4_test_tables.h"
#include "xbase/code4.h"
#include "xbase/data4.h"
#include "xbase/relate4.h"
#include "xbase/return_codes.h"

namespace xbase_test {

struct KeysTable {
    xbase::Code4 code;
    TempDir dir;
    std::unique_ptr<xbase::Data4> data;
    std::vector<std::string> words;  // the vocabulary, as stored keys (upper case)
    int documents = 0;
};

// Field indexes of the generated table.
constexpr int kKeys = 0, kItems = 1, kOrder = 2, kFilter = 3;

inline std::string makeWord(std::mt19937& rng) {
    static const std::string letters = "AAABCDEEEFGHIILMNOOPRSSTTU";
    const int length = 1 + static_cast<int>(rng() % 12);
    std::string word;
    for (int i = 0; i < length; ++i)
        word += letters[rng() % letters.size()];
    if (rng() % 40 == 0) word[rng() % word.size()] = '\xC9';              // É
    if (word.size() > 3 && rng() % 30 == 0) word[word.size() / 2] = ' ';  // don't -> DON T
    return word;
}

// Appends `documents` documents of about `wordsPerDocument` keyword records.
// Every seventh document is marked deleted; every third has a drawer.
inline std::unique_ptr<KeysTable> makeKeysTable(int documents, int wordsPerDocument,
                                                unsigned seed = 7) {
    auto t = std::make_unique<KeysTable>();
    t->code.errorReports = false;
    short error = 0;
    t->data =
        xbase::Data4::create(t->code, t->dir.file("Keys.dbf"), keysFields(), keysTags(), error);
    EXPECT_NE(t->data, nullptr) << error;
    if (!t->data) return t;
    std::mt19937 rng(seed);
    std::vector<std::string> vocabulary;
    for (int i = 0; i < 3000; ++i)
        vocabulary.push_back(makeWord(rng));
    const std::vector<std::string> drawers = {"Letters", "O'Hara", "Work"};
    xbase::Data4& d = *t->data;
    for (int doc = 1; doc <= documents; ++doc) {
        const int count = 1 + static_cast<int>(rng() % (2 * wordsPerDocument));
        const std::string drawer = doc % 3 == 0 ? drawers[rng() % drawers.size()] : "";
        for (int order = 1; order <= count; ++order) {
            // Zipf-like: low indexes are frequent words.
            const std::size_t pick = static_cast<std::size_t>(
                std::pow(static_cast<double>(rng() % 1000000) / 1000000.0, 3.0) * 3000);
            std::string key = vocabulary[std::min<std::size_t>(pick, 2999)] + " ";
            if (key.size() > 10) key.resize(10);
            if (rng() % 2) key = xbase::lowerCp1252(key);
            d.appendStart();
            d.assign(kKeys, key);
            d.assign(kItems, std::to_string(doc));
            d.assign(kOrder, std::to_string(order));
            if (!drawer.empty()) d.assign(kFilter, drawer);
            if (doc % 7 == 0) d.setDeleted(true);
            EXPECT_EQ(d.append(), xbase::rc::kSuccess);
        }
    }
    EXPECT_EQ(d.flush(), xbase::rc::kSuccess);
    for (std::string w : vocabulary) {
        w += ' ';
        if (w.size() > 10) w.resize(10);
        t->words.push_back(xbase::upperCp1252(w));
    }
    t->documents = documents;
    return t;
}

// The query the search builds for these keywords (each already in its
// stored form: whole words end in a blank), drawer quoted with quote[0] and
// quote[1] when not empty, header size 0 for no Top Only.
inline std::string searchQuery(const std::vector<std::string>& keywords, const std::string& drawer,
                               const std::string& quote, int headerSize) {
    std::string query;
    for (const std::string& keyword : keywords) {
        query += "UPPER(Keys) + STR(Items) = '" + xbase::upperCp1252(keyword) + "'";
        if (!drawer.empty())
            query += " .AND. UPPER(Filter) = " + quote.substr(0, 1) + drawer + quote.substr(1, 1);
        if (headerSize > 0)
            query += std::string(" .AND. Order <") + (drawer.empty() ? " " : "  ") +
                     std::to_string(headerSize);
        query += " .OR. ";
    }
    return query.substr(0, query.size() - 6);
}

// The records for which query holds, by evaluating it on every record,
// ordered by the sort expression's value (none: record number), ties by
// record number.
inline std::vector<long> oracle(xbase::Data4& d, const std::string& query,
                                const std::string& sort) {
    short error = 0;
    auto q = xbase::Expression::compile(query, d.recordSource(), error);
    std::unique_ptr<xbase::Expression> s;
    if (!sort.empty()) s = xbase::Expression::compile(sort, d.recordSource(), error);
    EXPECT_NE(q, nullptr) << query;
    if (!q) return {};
    struct Row {
        xbase::Value key;
        long recno;
    };
    std::vector<Row> rows;
    for (long r = 1; r <= d.recCount(); ++r) {
        d.go(r);
        if (!q->evaluate(d.recordSource()).logical) continue;
        rows.push_back({s ? s->evaluate(d.recordSource()) : xbase::Value{}, r});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (a.key.type == xbase::ValueType::Character) return a.key.text < b.key.text;
        return a.key.number < b.key.number;
    });
    std::vector<long> out;
    for (const Row& row : rows)
        out.push_back(row.recno);
    return out;
}

// The records a relation hands out, forwards; checks that the table's
// current record is each one.
inline std::vector<long> relateForward(xbase::Relate4* r, xbase::Data4& d) {
    std::vector<long> out;
    for (short rc = xbase::relate4top(r); rc == 0; rc = xbase::relate4skip(r, 1)) {
        out.push_back(d.recNo());
        if (out.size() > static_cast<std::size_t>(d.recCount())) break;
    }
    return out;
}

// Runs query (sorted by sort when not empty) through a relation; with
// backwards, also walks back from the end and checks it gives the reverse.
inline std::vector<long> relate(xbase::Data4& d, const std::string& query, const std::string& sort,
                                bool backwards = false, short* optimizeable = nullptr) {
    xbase::Relate4* r = xbase::relate4init(&d);
    EXPECT_NE(r, nullptr);
    EXPECT_EQ(xbase::relate4querySet(r, query.c_str()), 0) << query;
    if (!sort.empty()) {
        EXPECT_EQ(xbase::relate4sortSet(r, sort.c_str()), 0);
    }
    if (optimizeable) *optimizeable = xbase::relate4optimizeable(r);
    if (backwards) {
        EXPECT_EQ(xbase::relate4skipEnableVB(r, 1), 0);
    }
    std::vector<long> out = relateForward(r, d);
    if (backwards) {
        std::vector<long> back;
        for (short rc = xbase::relate4skip(r, -1); rc == 0; rc = xbase::relate4skip(r, -1)) {
            back.push_back(d.recNo());
        }
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(back, out) << "backwards: " << query;
    }
    xbase::relate4freeVB(r, 0);
    return out;
}

// Tunings that lead a cursor each way it can work.
inline std::vector<xbase::CursorTuning> everyTuning() {
    return {{},                    // the default choice
            {0, 8, 1u << 19},      // no merge: walk while collecting, the list takes over
            {0, 1, 16},            // no merge, collection gives up: a plain walk
            {0, 1000, 1u << 19}};  // no merge, collection completes before the first record
}

// Each query, in each order (by Items, by record number, by UPPER(Keys)),
// through each way the cursor can work: a relation is walked by walk and
// what it hands out compared with want(query, sort).
template <typename Walk, typename Want>
void expectEveryStrategy(xbase::Data4& d, const std::vector<std::string>& queries, Walk walk,
                         Want want) {
    for (const std::string& query : queries) {
        for (const std::string sort : {"Items", "", "UPPER(Keys)"}) {
            const std::vector<long> expected = want(query, sort);
            for (const xbase::CursorTuning& tuning : everyTuning()) {
                xbase::Relate4* r = xbase::relate4init(&d);
                xbase::relate4querySet(r, query.c_str());
                xbase::relate4sortSet(r, sort.c_str());
                xbase::relate4tune(r, tuning);
                EXPECT_EQ(walk(r), expected)
                    << query << " sorted by " << sort << ", merge budget " << tuning.mergeBudget
                    << ", ratio " << tuning.collectRatio << ", cap " << tuning.collectCap;
                xbase::relate4freeVB(r, 0);
            }
        }
    }
}

}  // namespace xbase_test
