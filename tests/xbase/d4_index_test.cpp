// The engine API with tags: seek hits and misses on character and numeric
// tags, skipping in tag order over thousands of records (interior pages and
// splits), tags kept right through changes, FOR and unique tags, reindex, and
// the repair of an index that does not match its table.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "d4_test_tables.h"
#include "xbase/expr.h"

namespace xbase {
namespace {

using xbase_test::appendKey;
using xbase_test::assign;
using xbase_test::at;
using xbase_test::At;
using xbase_test::Engine;
using xbase_test::fieldText;
using xbase_test::keyItems;
using xbase_test::seekIn;
using xbase_test::TempDir;

// A Keys table of n random words and the (key, recno) pairs its tag must hold.
struct KeysFixture {
    TempDir dir;
    Engine code;
    Data4* keys = nullptr;
    std::set<std::pair<std::string, long>> oracle;  // KEYITEMS entries
    std::vector<std::string> words;

    explicit KeysFixture(int n) {
        keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
        std::mt19937 rng(42);
        for (int i = 1; i <= n; ++i) {
            std::string word;
            int len = 1 + static_cast<int>(rng() % 9);
            for (int c = 0; c < len; ++c)
                word += static_cast<char>((rng() % 2 ? 'a' : 'A') + rng() % 6);
            long items = 1 + i / 7;
            EXPECT_EQ(appendKey(keys, word, items, i), 0);
            words.push_back(word);
            oracle.insert({keyItems(word, items), i});
        }
        EXPECT_EQ(d4unlock(keys), 0);
        EXPECT_EQ(d4flush(keys), 0);
    }

    // Walks KEYITEMS both ways and compares with the oracle.
    void expectTagOrder() {
        ASSERT_EQ(d4tagSelect(keys, d4tag(keys, "KEYITEMS")), 0);
        auto it = oracle.begin();
        for (short r = d4top(keys); r == 0; r = d4skip(keys, 1), ++it) {
            ASSERT_NE(it, oracle.end());
            ASSERT_EQ(d4recNo(keys), it->second);
        }
        EXPECT_EQ(it, oracle.end());
        auto back = oracle.rbegin();
        for (short r = d4bottom(keys); r == 0; r = d4skip(keys, -1), ++back) {
            ASSERT_NE(back, oracle.rend());
            ASSERT_EQ(d4recNo(keys), back->second);
        }
        EXPECT_EQ(back, oracle.rend());
    }
};

TEST(D4Index, SkipsInTagOrderOverThousandsOfRecords) {
    KeysFixture f(6000);  // many leaves and interior pages
    f.expectTagOrder();
    // The ITEMS tag: document numbers ascending, record numbers within them.
    ASSERT_EQ(d4tagSelect(f.keys, d4tag(f.keys, "ITEMS")), 0);
    long lastItems = 0, lastRec = 0;
    int seen = 0;
    for (short r = d4top(f.keys); r == 0; r = d4skip(f.keys, 1), ++seen) {
        long items = f4long(d4field(f.keys, "ITEMS"));
        ASSERT_TRUE(items > lastItems || (items == lastItems && d4recNo(f.keys) > lastRec));
        lastItems = items;
        lastRec = d4recNo(f.keys);
    }
    EXPECT_EQ(seen, 6000);
    // Skips of several entries at once land where single steps do.
    ASSERT_EQ(d4tagSelect(f.keys, d4tag(f.keys, "KEYITEMS")), 0);
    ASSERT_EQ(d4top(f.keys), 0);
    EXPECT_EQ(at(f.keys, d4skip(f.keys, 2500)), At(0, std::next(f.oracle.begin(), 2500)->second));
    EXPECT_EQ(at(f.keys, d4skip(f.keys, -1000)), At(0, std::next(f.oracle.begin(), 1500)->second));
    // The tag selected again (its cursor kept) walks on from the current
    // record, also after the table moved by record number meanwhile.
    ASSERT_EQ(d4tagSelect(f.keys, d4tag(f.keys, "KEYITEMS")), 0);
    EXPECT_EQ(at(f.keys, d4skip(f.keys, 1)), At(0, std::next(f.oracle.begin(), 1501)->second));
    const long recno = std::next(f.oracle.begin(), 4000)->second;
    ASSERT_EQ(d4goTo(f.keys, recno), 0);
    ASSERT_EQ(d4tagSelect(f.keys, d4tag(f.keys, "KEYITEMS")), 0);
    EXPECT_EQ(at(f.keys, d4skip(f.keys, -1)), At(0, std::next(f.oracle.begin(), 3999)->second));
}

TEST(D4Index, SeeksOnCharacterTags) {
    KeysFixture f(3000);
    ASSERT_EQ(d4tagSelect(f.keys, d4tag(f.keys, "KEYITEMS")), 0);
    std::mt19937 rng(5);
    for (int i = 0; i < 300; ++i) {
        // A prefix of a stored key, or a text that may be no key's prefix.
        std::string probe = upperCp1252(f.words[rng() % f.words.size()]);
        probe = probe.substr(0, 1 + rng() % probe.size());
        if (i % 3 == 0) probe += static_cast<char>('A' + rng() % 26);
        auto hit = f.oracle.lower_bound({probe, 0});
        const At want = hit == f.oracle.end()           ? At(rc::kEof, 3001)
                        : hit->first.starts_with(probe) ? At(0, hit->second)
                                                        : At(rc::kAfter, hit->second);
        ASSERT_EQ(at(f.keys, d4seek(f.keys, probe.c_str())), want) << probe;
    }
    // A full-length key must match whole; a trailing blank asks for the whole word.
    const auto& [key, recno] = *std::next(f.oracle.begin(), 1234);
    EXPECT_EQ(at(f.keys, d4seek(f.keys, key.c_str())), At(0, recno));
    std::string word = key.substr(0, key.find(' ')) + " ";
    EXPECT_EQ(d4seek(f.keys, word.c_str()), 0);
    EXPECT_EQ(fieldText(f.keys, "KEYS").substr(0, word.size() - 1),
              f.words[recno - 1].substr(0, word.size() - 1));
    EXPECT_EQ(at(f.keys, d4seek(f.keys, "ZZZZ")), At(rc::kEof, 3001));
    // From end of file back onto the last key.
    EXPECT_EQ(at(f.keys, d4skip(f.keys, -1)), At(0, f.oracle.rbegin()->second));
}

TEST(D4Index, SeeksOnNumericTagsReadTheTextAsANumber) {
    TempDir dir;
    Engine code;
    Data4* text = xbase_test::createText(code, dir.file("Text.dbf"));
    for (long items : {1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144})
        ASSERT_EQ(xbase_test::appendText(text, items, "doc " + std::to_string(items)), 0);
    ASSERT_EQ(d4tagSelect(text, d4tag(text, "Items")), 0);
    const struct {
        const char* seek;
        short result;
        long recno;
    } cases[] = {{"5", 0, 4},         {"         5", 0, 4},  // a field's text, blanks and all
                 {"13abc", 0, 6},     {"9", rc::kAfter, 6},  // a miss stands on the next key
                 {"", rc::kAfter, 1}, {"-1", rc::kAfter, 1}, {"145", rc::kEof, 12}};
    for (const auto& c : cases)
        EXPECT_EQ(at(text, d4seek(text, c.seek)), At(c.result, c.recno)) << c.seek;
}

TEST(D4Index, TagsFollowEveryChange) {
    KeysFixture f(2500);
    code4lockEnforce(f.code, 1);
    std::mt19937 rng(9);
    for (int i = 0; i < 400; ++i) {
        long recno = 1 + static_cast<long>(rng() % 2500);
        ASSERT_EQ(d4goTo(f.keys, recno), 0);
        std::string oldWord = fieldText(f.keys, "KEYS");
        long items = f4long(d4field(f.keys, "ITEMS"));
        std::string word = "n" + std::to_string(rng() % 100000);
        EXPECT_EQ(assign(f.keys, "KEYS", word), rc::kLockNeeded);  // not locked yet
        ASSERT_EQ(d4lock(f.keys, recno), 0);
        ASSERT_EQ(assign(f.keys, "KEYS", word), 0);
        ASSERT_EQ(d4unlock(f.keys), 0);
        f.oracle.erase(
            {keyItems(oldWord.substr(0, oldWord.find_last_not_of(' ') + 1), items), recno});
        f.oracle.insert({keyItems(word, items), recno});
    }
    for (int i = 0; i < 5; ++i) {  // appends interleaved with the changes
        ASSERT_EQ(appendKey(f.keys, "late" + std::to_string(i), 9999, i), 0);
        f.oracle.insert({keyItems("late" + std::to_string(i), 9999), d4recNo(f.keys)});
        ASSERT_EQ(d4unlock(f.keys), 0);
    }
    f.expectTagOrder();
    ASSERT_EQ(d4close(f.keys), 0);
    f.keys = d4open(f.code, f.dir.file("Keys.dbf").c_str());
    ASSERT_TRUE(f.keys);
    f.expectTagOrder();
    ASSERT_EQ(d4reindex(f.keys), 0);  // a rebuild gives the same order
    f.expectTagOrder();
}

TEST(D4Index, ForClausesAndUniqueTags) {
    TempDir dir;
    Engine code;
    Data4* t = d4create(code, dir.file("u.dbf").c_str(), {{"NAME", 'C', 8, 0}, {"N", 'N', 4, 0}},
                        {{"BIG", "N", "N > 10", false}, {"NAME", "UPPER(NAME)", "", true}});
    ASSERT_TRUE(t);
    auto add = [&](const std::string& name, int n) {
        d4appendStartVB(t, 0);
        assign(t, "NAME", name);
        assign(t, "N", std::to_string(n));
        return d4append(t);
    };
    auto walk = [&](const char* tag) {
        std::vector<long> recnos;
        d4tagSelect(t, d4tag(t, tag));
        for (short r = d4top(t); r == 0; r = d4skip(t, 1))
            recnos.push_back(d4recNo(t));
        return recnos;
    };
    ASSERT_EQ(add("apple", 5), 0);
    ASSERT_EQ(add("pear", 50), 0);
    EXPECT_EQ(add("APPLE", 20), rc::kUnique);  // refused: the key exists
    EXPECT_EQ(d4recCountDo(t), 2);
    EXPECT_EQ(code4errDefaultUnique(code, 25), 20);
    ASSERT_EQ(add("APPLE", 30), 0);  // kept, without a key in the unique tag
    ASSERT_EQ(add("fig", 12), 0);
    EXPECT_EQ(walk("BIG"), (std::vector<long>{4, 3, 2}));   // 12, 30, 50; 5 left out
    EXPECT_EQ(walk("NAME"), (std::vector<long>{1, 4, 2}));  // APPLE (first), FIG, PEAR
    // A change that makes the FOR clause false removes the key; skipping
    // from a record the tag leaves out goes to its neighbours.
    d4tagSelect(t, nullptr);
    ASSERT_EQ(d4goTo(t, 2), 0);
    ASSERT_EQ(assign(t, "N", "1"), 0);
    d4tagSelect(t, d4tag(t, "BIG"));
    ASSERT_EQ(d4skip(t, 1), 0);
    EXPECT_EQ(d4recNo(t), 4);
    EXPECT_EQ(walk("BIG"), (std::vector<long>{4, 3}));
    ASSERT_EQ(d4reindex(t), 0);
    EXPECT_EQ(walk("NAME"), (std::vector<long>{1, 4, 2}));
}

TEST(D4Index, AnIndexThatDoesNotMatchItsTableIsRebuiltOnOpen) {
    KeysFixture f(1500);
    const std::string earlier = xbase_test::readFile(f.dir.file("Keys.cdx"));  // names 1500 records
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(appendKey(f.keys, "more" + std::to_string(i), 5000, i), 0);
    for (int i = 0; i < 300; ++i)
        f.oracle.insert({keyItems("more" + std::to_string(i), 5000), 1501 + i});
    ASSERT_EQ(d4close(f.keys), 0);
    // As after a crash between the table and its index: the index on disk is
    // an older one, clean, naming another record count.
    xbase_test::writeFile(f.dir.file("Keys.cdx"), earlier);
    f.keys = d4open(f.code, f.dir.file("Keys.dbf").c_str());
    ASSERT_TRUE(f.keys);
    f.expectTagOrder();
    EXPECT_EQ(seekIn(f.keys, "KEYITEMS", "MORE299"), At(0, 1800));
}

}  // namespace
}  // namespace xbase
