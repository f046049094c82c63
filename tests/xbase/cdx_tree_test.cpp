// CDX trees under change: random inserts and removes against a std::set
// oracle (walks both ways, seeks, the file re-read from disk and checked by
// an independent reader), bulk rebuilds, cursors that keep their place while
// the tag changes under them, forward-only moves and copies of cursors,
// moves to the next key, the first and last keys, the remembered insert path
// across two handles, and the page cache under a tight limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "tests/xbase/cdx_test_support.h"
#include "xbase/cdx_index.h"
#include "xbase/cdx_leaf.h"
#include "xbase/cdx_page_cache.h"
#include "xbase/expr.h"
#include "xbase/file_io.h"

namespace {

using cdxtest::Entry;
using cdxtest::randomWord;
using cdxtest::TempDir;
using xbase::CdxCursor;
using xbase::CdxFile;
using xbase::CdxTag;
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

// Where the cursor stands, "<end>" past the last entry.
Entry at(const CdxCursor& c) {
    return c.valid() ? Entry{std::string(c.key()), c.recNo()} : Entry{"<end>", 0};
}

void checkSeeks(CdxTag& tag, const Oracle& oracle, std::mt19937& rng, int keyLength) {
    CdxCursor c(tag);
    for (int i = 0; i < 50; ++i) {
        std::string key = randomWord(rng, keyLength, 4, keyLength);
        std::string prefix = key.substr(0, std::uniform_int_distribution<std::size_t>(
                                               1, static_cast<std::size_t>(keyLength))(rng));
        auto want = std::find_if(oracle.begin(), oracle.end(), [&](const Entry& e) {
            return e.key.compare(0, prefix.size(), prefix) >= 0;
        });
        ASSERT_EQ(c.seekGE(prefix), want != oracle.end()) << prefix;
        EXPECT_TRUE(want == oracle.end() || at(c) == *want) << prefix;
        std::uint32_t recno = std::uniform_int_distribution<std::uint32_t>(1, 300000)(rng);
        auto after = oracle.lower_bound({key, recno});
        ASSERT_EQ(c.seekEntry(key, recno), after != oracle.end());
        EXPECT_TRUE(after == oracle.end() || at(c) == *after) << key;
    }
}

// Every tag of the file read by the independent reader: sound, and holding
// the entries of its oracle (tags named S use runs, others random).
void checkFile(const std::string& path, const Oracle& random, const Oracle& runs = {}) {
    const std::vector<unsigned char> bytes = cdxtest::readFile(path);
    for (const auto& [name, header] : cdxtest::directory(bytes, true)) {
        cdxtest::TagReport report = cdxtest::TagReader(bytes, ' ', true).read(header);
        ASSERT_TRUE(report.problems.empty()) << report.problems.front();
        const Oracle& want = name.starts_with("S") ? runs : random;
        EXPECT_EQ(report.entries, std::vector<Entry>(want.begin(), want.end())) << name;
    }
}

TEST(CdxTree, RandomChangesMatchAnOracle) {
    TempDir dir;
    const std::string path = dir.file("t.cdx");
    constexpr int kKeyLength = 40;  // ten entries per interior page: deep trees soon
    short error = 0;
    auto cdx = CdxFile::create(path, error);
    CdxTag* tag = cdx->addTag(cdxtest::tagSpec("T", kKeyLength), error);
    ASSERT_TRUE(tag);
    std::mt19937 rng(12345);
    Oracle oracle;
    for (int batch = 0; batch < 12; ++batch) {
        // Grow for most batches, then shrink, so leaves empty and vanish.
        const int inserts = batch < 8 ? 3000 : 200;
        const int removes = batch < 8 ? 800 : 4500;
        for (int i = 0; i < inserts; ++i) {
            Entry e{randomWord(rng, kKeyLength, 4, kKeyLength),
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
        checkFile(path, oracle);
        if (batch == 5) {
            EXPECT_GE(cdxtest::TagReader(cdxtest::readFile(path), ' ', true).read(1536).depth, 3);
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
    checkFile(path, {});
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
    CdxTag* tag = cdx->addTag(cdxtest::tagSpec("C", 20), error);
    std::mt19937 rng(99);
    cdxtest::EntryList entries;
    for (std::uint32_t r = 1; r <= 20000; ++r) {
        entries.emplace_back(randomWord(rng, 20, 4, 20), r);
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
    checkFile(path, Oracle(incremental.begin(), incremental.end()));
    ASSERT_EQ(cdxtest::rebuildFrom(*tag, {}), 0);
    EXPECT_TRUE(cdxtest::walkForward(*tag).empty());
}

TEST(CdxTree, CursorKeepsItsPlaceWhileTheTagChanges) {
    TempDir dir;
    short error = 0;
    auto cdx = CdxFile::create(dir.file("t.cdx"), error);
    CdxTag* tag = cdx->addTag(cdxtest::tagSpec("N", 8, '\0'), error);
    auto n = [](double v) { return xbase::numericKey(v); };
    for (std::uint32_t r = 1; r <= 3000; ++r)
        ASSERT_EQ(tag->insert(n(r), r), 0);
    CdxCursor c(*tag);
    ASSERT_TRUE(c.seekGE(n(1500)));
    ASSERT_EQ(c.recNo(), 1500u);
    // The cursor's own entry goes away: next is its successor, prev its predecessor.
    ASSERT_EQ(tag->remove(n(1500), 1500), 0);
    EXPECT_EQ(c.recNo(), 1500u);  // still reports where it stood
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.recNo(), 1501u);
    ASSERT_EQ(tag->remove(n(1501), 1501), 0);
    ASSERT_TRUE(c.prev());
    EXPECT_EQ(c.recNo(), 1499u);
    // Entries appear right after it, and whole leaves around it split.
    for (std::uint32_t r = 0; r < 400; ++r)
        ASSERT_EQ(tag->insert(n(1499.5), 5000 + r), 0);
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.recNo(), 5000u);
    ASSERT_TRUE(c.prev());
    EXPECT_EQ(c.recNo(), 1499u);
    // A rebuild under it.
    ASSERT_EQ(cdxtest::rebuildFrom(*tag, {{n(1), 1}, {n(2000), 2}}), 0);
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.recNo(), 2u);
    EXPECT_FALSE(c.next());
    EXPECT_FALSE(c.valid());
    // Everything after it removed: prev from a vanished last entry finds the new last.
    ASSERT_TRUE(c.last());
    ASSERT_EQ(tag->remove(n(2000), 2), 0);
    ASSERT_TRUE(c.prev());
    EXPECT_EQ(c.recNo(), 1u);
}

// skipTo(target) lands where a fresh seekGE does, unless the cursor already
// stands at or after that; copies of a cursor walk alike.
TEST(CdxTree, ForwardSeeksMatchFreshSeeksAndCopiesWalkAlike) {
    constexpr int kKeyLength = 6;
    TempDir dir;
    short error = 0;
    auto cdx = CdxFile::create(dir.file("t.cdx"), error);
    CdxTag* tag = cdx->addTag(cdxtest::tagSpec("K", kKeyLength), error);
    ASSERT_TRUE(tag);
    std::mt19937 rng(5);
    for (std::uint32_t r = 1; r <= 6000; ++r)
        ASSERT_EQ(tag->insert(randomWord(rng, kKeyLength, 4, kKeyLength), r), 0);
    for (int walk = 0; walk < 40; ++walk) {
        CdxCursor c(*tag);
        ASSERT_TRUE(c.first());
        for (int step = 0; step < 60 && c.valid(); ++step) {
            // Targets near the cursor (same leaf) and far ahead, some longer than a key.
            std::string target = step % 3 == 0
                                     ? randomWord(rng, kKeyLength + 1)
                                     : std::string(c.key().substr(0, 3)) + randomWord(rng, 2);
            if (step % 17 == 5) {
                ASSERT_EQ(tag->insert(cdxtest::padded(target, kKeyLength), 9000 + step), 0);
            }
            CdxCursor fresh(*tag);
            const Entry sought = fresh.seekGE(target) ? at(fresh) : Entry{"<end>", 0};
            const Entry want =
                c.valid() && sought.key != "<end>" ? std::max(sought, at(c)) : sought;
            c.skipTo(target);
            ASSERT_EQ(at(c), want) << "target " << target;
            if (step % 10 == 0 && c.valid()) {
                CdxCursor copy(c);
                for (int i = 0; i < 50; ++i) {
                    ASSERT_EQ(c.next(), copy.next());
                    ASSERT_EQ(at(c), at(copy));
                }
            }
        }
    }
}

// nextKey lands on the first entry of the next key, whatever the length of
// the run it passes (one entry, a leaf's worth, several leaves), for short
// keys compared as words and longer ones, keys of 0xFF bytes among them, and
// also when the tag changed since the cursor last moved.
TEST(CdxTree, NextKeyLandsOnTheFirstEntryOfTheNextKey) {
    for (const int keyLength : {8, 12, 20}) {
        TempDir dir;
        short error = 0;
        auto cdx = CdxFile::create(dir.file("t.cdx"), error);
        CdxTag* tag = cdx->addTag(cdxtest::tagSpec("K", keyLength), error);
        ASSERT_TRUE(tag);
        std::mt19937 rng(static_cast<unsigned>(keyLength));
        std::uniform_int_distribution<int> runLength(1, 60);
        std::uint32_t recno = 0;
        for (int group = 0; group < 300; ++group) {
            std::string key = cdxtest::padded(std::to_string(100000 + group), 7);
            key.resize(static_cast<std::size_t>(keyLength), group % 7 == 3 ? '\xFF' : ' ');
            const int count = group % 50 == 7 ? 700 : runLength(rng);
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(tag->insert(key, ++recno), 0);
        }
        const std::string last(static_cast<std::size_t>(keyLength), '\xFF');
        for (std::uint32_t i = 0; i < 3; ++i)
            ASSERT_EQ(tag->insert(last, ++recno), 0);

        const std::vector<Entry> all = cdxtest::walkForward(*tag);
        std::vector<Entry> firsts;  // the first entry of each key, in order
        for (const Entry& e : all)
            if (firsts.empty() || firsts.back().key != e.key) firsts.push_back(e);
        CdxCursor c(*tag);
        ASSERT_TRUE(c.first());
        for (std::size_t i = 1; i < firsts.size(); ++i) {
            ASSERT_TRUE(c.nextKey()) << i;
            ASSERT_EQ(at(c), firsts[i]) << i;
        }
        EXPECT_FALSE(c.nextKey());  // past a key of 0xFF bytes: the end
        EXPECT_FALSE(c.valid());

        // A change between moves: the cursor finds its key again.
        ASSERT_TRUE(c.first());
        const std::string firstKey(c.key());
        ASSERT_EQ(tag->insert(firstKey, ++recno), 0);
        ASSERT_EQ(tag->remove(firsts[1].key, firsts[1].recno), 0);
        CdxCursor fresh(*tag);
        ASSERT_TRUE(fresh.seekGE(firsts[1].key));
        ASSERT_TRUE(c.nextKey());
        EXPECT_EQ(at(c), at(fresh));
    }
}

// edgeKeys gives the first and last keys as the tag holds them now: what it
// keeps is dropped by every change.
TEST(CdxTree, EdgeKeysFollowTheTagsChanges) {
    TempDir dir;
    short error = 0;
    auto cdx = CdxFile::create(dir.file("t.cdx"), error);
    CdxTag* tag = cdx->addTag(cdxtest::tagSpec("K", 4), error);
    ASSERT_TRUE(tag);
    std::string first, last;
    EXPECT_FALSE(tag->edgeKeys(first, last));
    ASSERT_EQ(tag->insert("MMMM", 1), 0);
    ASSERT_TRUE(tag->edgeKeys(first, last));
    EXPECT_EQ(first + last, "MMMMMMMM");
    for (std::uint32_t r = 2; r < 2000; ++r)  // several leaves
        ASSERT_EQ(tag->insert(cdxtest::padded(std::to_string(r), 4), r), 0);
    ASSERT_TRUE(tag->edgeKeys(first, last));
    EXPECT_EQ(first + last, "10  MMMM");
    ASSERT_EQ(tag->insert("ZZZZ", 2000), 0);
    ASSERT_EQ(tag->remove("10  ", 10), 0);
    ASSERT_TRUE(tag->edgeKeys(first, last));
    EXPECT_EQ(first + last, "100 ZZZZ");
}

// Inserts that go where the previous one went skip the descent; the
// remembered path must be forgotten whenever the tree or the file changes
// under it (splits of either tag, removes that empty leaves, another handle's
// changes picked up through the lock).
TEST(CdxTree, InsertPathRunsOfAppendsBesideRandomInsertsAcrossTwoHandles) {
    TempDir dir;
    const std::string path = dir.file("t.cdx");
    short error = 0;
    {
        auto cdx = CdxFile::create(path, error);
        ASSERT_TRUE(cdx->addTag(cdxtest::tagSpec("S", 10), error));
        ASSERT_TRUE(cdx->addTag(cdxtest::tagSpec("R", 20), error));
        ASSERT_EQ(cdx->flush(0, false), 0);
    }
    std::unique_ptr<CdxFile> handles[2] = {CdxFile::open(path, xbase::OpenMode::ReadWrite, error),
                                           CdxFile::open(path, xbase::OpenMode::ReadWrite, error)};
    ASSERT_TRUE(handles[0] && handles[1]);
    std::mt19937 rng(2024);
    Oracle runs, random;
    std::uint32_t recno = 0;
    for (int round = 0; round < 300; ++round) {
        CdxFile& cdx = *handles[round % 7 < 4 ? 0 : 1];
        ASSERT_EQ(cdx.lockForWrite(), 0);
        CdxTag& s = *cdx.tag("S");
        const std::string runKey = cdxtest::padded(std::to_string(100000 + round), 10);
        for (int i = 0; i < 40; ++i) {
            ASSERT_EQ(s.insert(runKey, ++recno), 0);
            runs.insert({runKey, recno});
            Entry e{randomWord(rng, 8, 6, 20), recno};
            ASSERT_EQ(cdx.tag("R")->insert(e.key, e.recno), 0);
            random.insert(e);
        }
        for (int i = 0; round % 5 == 2 && i < 30; ++i) {  // the newest entries go, others anywhere
            auto last = std::prev(runs.end());
            ASSERT_EQ(s.remove(last->key, last->recno), 0);
            runs.erase(last);
            auto any = runs.begin();
            std::advance(any, std::uniform_int_distribution<std::size_t>(0, runs.size() - 1)(rng));
            ASSERT_EQ(s.remove(any->key, any->recno), 0);
            runs.erase(any);
        }
        ASSERT_EQ(cdx.flush(recno, false), 0);
        cdx.unlockWrite();
    }
    for (auto& cdx : handles) {
        ASSERT_EQ(cdx->lockForWrite(), 0);
        EXPECT_EQ(cdxtest::walkForward(*cdx->tag("S")),
                  std::vector<Entry>(runs.begin(), runs.end()));
        EXPECT_EQ(cdxtest::walkForward(*cdx->tag("R")),
                  std::vector<Entry>(random.begin(), random.end()));
        cdx->unlockWrite();
    }
    checkFile(path, random, runs);
}

// Pages evicted and read again, and leaves decoded into nodes that earlier
// evictions gave back, read exactly as a fresh decoding of the file's bytes.
TEST(CdxTree, PageCacheLeavesDecodedIntoReusedNodesReadAsFreshOnes) {
    namespace cdx = xbase::cdx;
    TempDir dir;
    const std::string path = dir.file("t.cdx");
    short error = 0;
    {
        auto file = CdxFile::create(path, error);
        CdxTag* shortKeys = file->addTag(cdxtest::tagSpec("A", 10), error);
        CdxTag* longKeys = file->addTag(cdxtest::tagSpec("B", 20), error);
        ASSERT_TRUE(shortKeys && longKeys);
        std::mt19937 rng(5);
        for (std::uint32_t r = 1; r <= 6000; ++r) {
            std::string key = cdxtest::padded(std::to_string(rng() % 100000), 10);
            ASSERT_EQ(shortKeys->insert(key, r), 0);
            key.resize(20, ' ');
            key.replace(12, 6, std::to_string(100000 + r % 7));
            ASSERT_EQ(longKeys->insert(key, r), 0);
        }
        ASSERT_EQ(file->flush(6000, false), 0);
    }
    auto file = xbase::fileSystem().open(path, xbase::OpenMode::ReadOnly);
    ASSERT_TRUE(file);
    cdx::PageCache cache(*file, 16 * 1024);  // a few pages: nearly every read evicts
    int leaves = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::uint32_t off = 1024; off < cache.fileEnd(); off += 512) {
            for (int keyLength : {10, 20}) {
                const unsigned char* bytes = cache.page(off, error);
                ASSERT_NE(bytes, nullptr) << off;
                cdx::LeafNode want(keyLength, ' ');
                const std::uint16_t attr = cdx::le16(bytes + cdx::kNodeAttr);
                const bool sound = attr <= (cdx::kAttrLeaf | cdx::kAttrRoot) &&
                                   (attr & cdx::kAttrLeaf) != 0 && want.decode(bytes);
                const cdx::LeafNode* got = cache.leaf(off, keyLength, ' ', error);
                ASSERT_EQ(got != nullptr, sound) << off << " as keys of " << keyLength;
                if (sound) {
                    ++leaves;
                    ASSERT_EQ(got->size(), want.size()) << off;
                    EXPECT_EQ(std::tie(got->attr, got->left, got->right),
                              std::tie(want.attr, want.left, want.right))
                        << off;
                    EXPECT_EQ(got->usedBytes(), want.usedBytes()) << off;
                    for (int i = 0; i < want.size(); ++i) {
                        EXPECT_EQ(std::memcmp(got->key(i), want.key(i),
                                              static_cast<std::size_t>(want.keyLength())),
                                  0)
                            << off << " entry " << i;
                        EXPECT_EQ(got->recno(i), want.recno(i)) << off << " entry " << i;
                    }
                }
                cache.trim();
            }
        }
    }
    EXPECT_GT(leaves, 100);
}

// Inserts through a cache so small that leaves are given up and decoded
// again between rounds: the leaves updated in place and those encoded anew
// reach the file as exactly our encoding of every entry they should hold.
TEST(CdxTree, PageCacheInsertsIntoLeavesDecodedAgainReachTheFileWhole) {
    namespace cdx = xbase::cdx;
    TempDir dir;
    const std::string path = dir.file("t.cdx");
    short error = 0;
    {
        auto file = CdxFile::create(path, error);
        CdxTag* tag = file->addTag(cdxtest::tagSpec("A", 10), error);
        ASSERT_TRUE(tag);
        std::mt19937 rng(9);
        for (std::uint32_t r = 1; r <= 4000; ++r)
            ASSERT_EQ(tag->insert(cdxtest::padded(std::to_string(rng() % 5000), 10), r), 0);
        ASSERT_EQ(file->flush(4000, false), 0);
    }
    auto file = xbase::fileSystem().open(path, xbase::OpenMode::ReadWrite);
    ASSERT_TRUE(file);
    cdx::PageCache cache(*file, 56 * 1024);  // every page's bytes fit, not every leaf
    std::vector<std::uint32_t> leaves;
    for (std::uint32_t off = 1024; off < cache.fileEnd(); off += 512) {
        const unsigned char* bytes = cache.page(off, error);
        ASSERT_NE(bytes, nullptr);
        if (cdx::le16(bytes + cdx::kNodeAttr) & cdx::kAttrLeaf) leaves.push_back(off);
    }
    ASSERT_GT(leaves.size(), 20u);
    std::map<std::uint32_t, std::vector<std::pair<std::string, std::uint32_t>>> added;
    std::uint32_t recno = 4001;  // record numbers of the same width as those stored
    for (int round = 0; round < 6; ++round) {
        for (std::size_t at = round % 2; at < leaves.size(); at += 2) {
            const cdx::LeafNode* leaf = nullptr;
            const unsigned char* bytes = nullptr;
            cdx::PageCache::Slot* slot = nullptr;
            ASSERT_TRUE(cache.node(leaves[at], 10, ' ', leaf, bytes, slot, error));
            ASSERT_NE(leaf, nullptr);
            if (leaf->usedBytes() + 16 > cdx::kLeafSpace) continue;
            const int i = static_cast<int>(recno % static_cast<std::uint32_t>(leaf->size()));
            const std::string key(reinterpret_cast<const char*>(leaf->key(i)), 10);
            const auto* k = reinterpret_cast<const unsigned char*>(key.data());
            cache.insertIntoLeaf(slot, leaf->lowerBound(k, recno), k, recno);
            added[leaves[at]].push_back({key, recno++});
        }
        ASSERT_EQ(cache.writeDirty(), 0);
        cache.trim();
    }
    for (const auto& [off, entries] : added) {
        unsigned char page[cdx::kPageSize];
        ASSERT_TRUE(file->read(off, page, sizeof page));
        cdx::LeafNode node(10, ' ');
        ASSERT_TRUE(node.decode(page)) << off;
        unsigned char again[cdx::kPageSize];
        node.encode(again);
        EXPECT_EQ(std::memcmp(page, again, sizeof page), 0) << off;
        for (const auto& [key, r] : entries) {
            const auto* k = reinterpret_cast<const unsigned char*>(key.data());
            const int pos = node.lowerBound(k, r);
            ASSERT_LT(pos, node.size()) << off;
            EXPECT_EQ(node.recno(pos), r) << off;
        }
    }
}

}  // namespace
