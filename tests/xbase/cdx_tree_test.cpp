// CDX trees under change: random inserts and removes against a std::set
// oracle (walks both ways, seeks, the file re-read from disk and checked by
// an independent reader), bulk rebuilds, and cursors that keep their place
// while the tag changes under them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/xbase/cdx_test_support.h"
#include "xbase/cdx_index.h"
#include "xbase/expr.h"
#include "xbase/return_codes.h"

namespace {

using cdxtest::Entry;
using cdxtest::TempDir;
using xbase::CdxCursor;
using xbase::CdxFile;
using xbase::CdxTag;
using xbase::CdxTagSpec;
using Oracle = std::set<Entry>;

std::vector<Entry> walkBackward(CdxTag& tag) {
    std::vector<Entry> out;
    CdxCursor c(tag);
    for (bool ok = c.last(); ok; ok = c.prev())
        out.push_back({std::string(c.key()), c.recNo()});
    EXPECT_EQ(c.error(), 0);
    std::reverse(out.begin(), out.end());
    return out;
}

// Keys over a small alphabet and of varying length, so leaves see shared
// prefixes, trailing blanks and equal keys with different record numbers.
std::string randomKey(std::mt19937& rng, int keyLength) {
    std::uniform_int_distribution<int> len(1, keyLength);
    std::uniform_int_distribution<int> letter(0, 3);
    std::string key(static_cast<std::size_t>(len(rng)), 'A');
    for (char& c : key)
        c = static_cast<char>('A' + letter(rng));
    key.resize(static_cast<std::size_t>(keyLength), ' ');
    return key;
}

void checkSeeks(CdxTag& tag, const Oracle& oracle, std::mt19937& rng, int keyLength) {
    CdxCursor c(tag);
    for (int i = 0; i < 50; ++i) {
        std::string key = randomKey(rng, keyLength);
        std::string prefix = key.substr(0, std::uniform_int_distribution<std::size_t>(
                                               1, static_cast<std::size_t>(keyLength))(rng));
        auto want = std::find_if(oracle.begin(), oracle.end(), [&](const Entry& e) {
            return e.key.compare(0, prefix.size(), prefix) >= 0;
        });
        ASSERT_EQ(c.seekGE(prefix), want != oracle.end()) << prefix;
        if (want != oracle.end()) {
            EXPECT_EQ(c.key(), want->key);
            EXPECT_EQ(c.recNo(), want->recno);
        }
        std::uint32_t recno = std::uniform_int_distribution<std::uint32_t>(1, 300000)(rng);
        auto at = oracle.lower_bound({key, recno});
        ASSERT_EQ(c.seekEntry(key, recno), at != oracle.end());
        if (at != oracle.end()) {
            EXPECT_EQ(c.key(), at->key);
            EXPECT_EQ(c.recNo(), at->recno);
        }
    }
}

void checkFile(const std::string& path, const Oracle& oracle, char filler) {
    std::vector<unsigned char> bytes = cdxtest::readFile(path);
    auto names = cdxtest::directory(bytes, true);
    ASSERT_EQ(names.size(), 1u);
    cdxtest::TagReport report = cdxtest::TagReader(bytes, filler, true).read(names[0].second);
    ASSERT_TRUE(report.problems.empty()) << report.problems.front();
    EXPECT_EQ(report.entries, std::vector<Entry>(oracle.begin(), oracle.end()));
}

TEST(CdxTree, RandomChangesMatchAnOracle) {
    TempDir dir;
    const std::string path = dir.file("t.cdx");
    constexpr int kKeyLength = 40;  // ten entries per interior page: deep trees soon
    short error = 0;
    auto cdx = CdxFile::create(path, error);
    CdxTag* tag = cdx->addTag(cdxtest::tagSpec("T", kKeyLength, ' '), error);
    ASSERT_TRUE(tag);
    std::mt19937 rng(12345);
    Oracle oracle;
    for (int batch = 0; batch < 12; ++batch) {
        // Grow for most batches, then shrink, so leaves empty and vanish.
        const int inserts = batch < 8 ? 3000 : 200;
        const int removes = batch < 8 ? 800 : 4500;
        for (int i = 0; i < inserts; ++i) {
            Entry e{randomKey(rng, kKeyLength),
                    std::uniform_int_distribution<std::uint32_t>(1, 300000)(rng)};
            ASSERT_EQ(tag->insert(e.key, e.recno), 0);
            oracle.insert(e);
        }
        for (int i = 0; i < removes && !oracle.empty(); ++i) {
            auto it = oracle.begin();
            std::advance(it, std::uniform_int_distribution<std::size_t>(0, oracle.size() - 1)(rng));
            ASSERT_EQ(tag->remove(it->key, it->recno), 0);
            oracle.erase(it);
        }
        std::vector<Entry> want(oracle.begin(), oracle.end());
        ASSERT_EQ(cdxtest::walkForward(*tag), want) << "batch " << batch;
        ASSERT_EQ(walkBackward(*tag), want) << "batch " << batch;
        checkSeeks(*tag, oracle, rng, kKeyLength);
        ASSERT_EQ(cdx->flush(static_cast<std::uint32_t>(oracle.size()), false), 0);
        checkFile(path, oracle, ' ');
        if (batch == 5) {
            cdxtest::TagReport report =
                cdxtest::TagReader(cdxtest::readFile(path), ' ', true).read(1536);
            EXPECT_GE(report.depth, 3);
        }
    }
    cdx.reset();
    auto reopened = CdxFile::open(path, xbase::OpenMode::ReadWrite, error);
    ASSERT_TRUE(reopened) << error;
    tag = reopened->tag("T");
    EXPECT_EQ(cdxtest::walkForward(*tag), std::vector<Entry>(oracle.begin(), oracle.end()));
    // Removing the rest leaves an empty root leaf, from which the tree grows again.
    for (const Entry& e : oracle)
        ASSERT_EQ(tag->remove(e.key, e.recno), 0);
    CdxCursor c(*tag);
    EXPECT_FALSE(c.first());
    EXPECT_FALSE(c.seekGE(""));
    ASSERT_EQ(reopened->flush(0, false), 0);
    checkFile(path, {}, ' ');
    EXPECT_EQ(cdxtest::TagReader(cdxtest::readFile(path), ' ', true).read(1536).depth, 1);
    ASSERT_EQ(tag->insert(std::string(kKeyLength, 'A'), 1), 0);
    EXPECT_TRUE(c.first());
    EXPECT_EQ(c.recNo(), 1u);
}

TEST(CdxTree, RebuildOfRandomEntriesEqualsIncrementalAndReusesPages) {
    TempDir dir;
    short error = 0;
    const std::string path = dir.file("t.cdx");
    auto cdx = CdxFile::create(path, error);
    CdxTag* tag = cdx->addTag(cdxtest::tagSpec("C", 20, ' '), error);
    std::mt19937 rng(99);
    std::vector<std::pair<std::string, std::uint32_t>> entries;
    for (std::uint32_t r = 1; r <= 20000; ++r) {
        entries.emplace_back(randomKey(rng, 20), r);
        ASSERT_EQ(tag->insert(entries.back().first, r), 0);
    }
    std::vector<Entry> incremental = cdxtest::walkForward(*tag);
    entries.push_back(entries.front());  // a repeated pair is kept once
    ASSERT_EQ(cdxtest::rebuildFrom(*tag, entries), 0);
    EXPECT_EQ(cdxtest::walkForward(*tag), incremental);
    ASSERT_EQ(cdx->flush(20000, false), 0);
    const auto sizeAfterFirst = cdxtest::readFile(path).size();
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(cdxtest::rebuildFrom(*tag, entries), 0);
    ASSERT_EQ(cdx->flush(20000, false), 0);
    // Also in a later session of a cleanly flushed file.
    cdx = CdxFile::open(path, xbase::OpenMode::ReadWrite, error);
    ASSERT_TRUE(cdx);
    tag = cdx->tag("C");
    ASSERT_EQ(cdxtest::rebuildFrom(*tag, entries), 0);
    ASSERT_EQ(cdx->flush(20000, false), 0);
    // The old trees' pages went back on the free chain and were used again.
    EXPECT_LE(cdxtest::readFile(path).size(), sizeAfterFirst + 4 * 512);
    Oracle oracle(incremental.begin(), incremental.end());
    checkFile(path, oracle, ' ');
    ASSERT_EQ(cdxtest::rebuildFrom(*tag, {}), 0);
    EXPECT_TRUE(cdxtest::walkForward(*tag).empty());
}

TEST(CdxTree, CursorKeepsItsPlaceWhileTheTagChanges) {
    TempDir dir;
    short error = 0;
    auto cdx = CdxFile::create(dir.file("t.cdx"), error);
    CdxTag* tag = cdx->addTag(cdxtest::tagSpec("N", 8, '\0'), error);
    for (std::uint32_t r = 1; r <= 3000; ++r)
        ASSERT_EQ(tag->insert(xbase::numericKey(r), r), 0);
    CdxCursor c(*tag);
    ASSERT_TRUE(c.seekGE(xbase::numericKey(1500)));
    ASSERT_EQ(c.recNo(), 1500u);
    // The cursor's own entry goes away: next is its successor, prev its predecessor.
    ASSERT_EQ(tag->remove(xbase::numericKey(1500), 1500), 0);
    EXPECT_EQ(c.recNo(), 1500u);  // still reports where it stood
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.recNo(), 1501u);
    ASSERT_EQ(tag->remove(xbase::numericKey(1501), 1501), 0);
    ASSERT_TRUE(c.prev());
    EXPECT_EQ(c.recNo(), 1499u);
    // Entries appear right after it, and whole leaves around it split.
    for (std::uint32_t r = 0; r < 400; ++r) {
        ASSERT_EQ(tag->insert(xbase::numericKey(1499.5), 5000 + r), 0);
    }
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.recNo(), 5000u);
    ASSERT_TRUE(c.prev());
    EXPECT_EQ(c.recNo(), 1499u);
    // A rebuild under it.
    ASSERT_EQ(cdxtest::rebuildFrom(*tag, {{xbase::numericKey(1), 1}, {xbase::numericKey(2000), 2}}),
              0);
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.recNo(), 2u);
    EXPECT_FALSE(c.next());
    EXPECT_FALSE(c.valid());
    // Everything after it removed: prev from a vanished last entry finds the new last.
    ASSERT_TRUE(c.last());
    ASSERT_EQ(tag->remove(xbase::numericKey(2000), 2), 0);
    ASSERT_TRUE(c.prev());
    EXPECT_EQ(c.recNo(), 1u);
}

}  // namespace
