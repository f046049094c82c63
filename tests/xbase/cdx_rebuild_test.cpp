// Tag rebuilds in bounded memory: the sort's merged runs against an oracle,
// a spilled rebuild against one sorted in memory (byte for byte), and
// rebuilds that fail part way, at the tag and through pack.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "d4_test_tables.h"
#include "recording_file_system.h"
#include "tests/xbase/cdx_test_support.h"
#include "xbase/cdx_rebuild_sort.h"
#include "xbase/return_codes.h"

namespace {

using cdxtest::Entry;
using cdxtest::EntryList;
using cdxtest::TempDir;
using xbase::CdxFile;
using xbase::CdxTag;
using Faults = xbase_test::RecordingFileSystem;
namespace rc = xbase::rc;

// Keys over three letters (blank-padded to keyLength), so most keys repeat
// for many record numbers; records in random order, a few pairs twice.
EntryList randomEntries(std::size_t count, int keyLength, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> len(1, 4), letter(0, 2);
    EntryList entries;
    for (std::uint32_t r = 1; r <= count; ++r) {
        std::string key(static_cast<std::size_t>(keyLength), ' ');
        for (int i = len(rng) - 1; i >= 0; --i)
            key[static_cast<std::size_t>(i)] = static_cast<char>('A' + letter(rng));
        entries.emplace_back(key, r);
    }
    std::shuffle(entries.begin(), entries.end(), rng);
    for (std::size_t i = 0; i < count / 100; ++i)
        entries.push_back(entries[i * 7]);
    return entries;
}

// What a tag holds: each pair once in (key, recno) order; with unique, the
// lowest record number of each key.
std::vector<Entry> expected(const EntryList& entries, bool unique) {
    std::map<std::string, std::set<std::uint32_t>> byKey;
    for (const auto& [key, recno] : entries)
        byKey[key].insert(recno);
    std::vector<Entry> out;
    for (const auto& [key, recnos] : byKey) {
        for (std::uint32_t recno : recnos) {
            out.push_back({key, recno});
            if (unique) break;
        }
    }
    return out;
}

bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

TEST(RebuildSort, MergedRunsHandOutEveryEntryInOrderOnce) {
    TempDir dir;
    const std::string spill = dir.file("t.cdx.sort");
    const EntryList entries = randomEntries(3000, 6, 5);
    const std::size_t entryBytes = 6 + 4 + 16;  // record and sort key
    // One entry per run (every read refills), a few entries, all in memory.
    for (std::size_t budget : {std::size_t{1}, 37 * entryBytes, std::size_t{1} << 20}) {
        for (bool unique : {false, true}) {
            SCOPED_TRACE(std::to_string(budget) + (unique ? " unique" : ""));
            {
                xbase::cdx::RebuildSort sort(6, unique, spill, budget);
                for (const auto& [key, recno] : entries)
                    ASSERT_EQ(sort.add(reinterpret_cast<const unsigned char*>(key.data()), recno),
                              0);
                ASSERT_EQ(sort.finish(), 0);
                EXPECT_EQ(sort.runs() > 0, budget < entries.size() * entryBytes);
                EXPECT_EQ(exists(spill), sort.runs() > 0);
                std::vector<Entry> out;
                const unsigned char* key = nullptr;
                std::uint32_t recno = 0;
                while (sort.next(key, recno))
                    out.push_back({std::string(reinterpret_cast<const char*>(key), 6), recno});
                EXPECT_EQ(sort.error(), 0);
                EXPECT_EQ(out, expected(entries, unique));
            }
            EXPECT_FALSE(exists(spill));
        }
    }
}

// Two tags, one unique, rebuilt from the same entries within budget.
void rebuildFile(const std::string& path, const EntryList& entries, std::size_t budget) {
    short error = 0;
    auto cdx = CdxFile::create(path, error);
    ASSERT_TRUE(cdx);
    for (bool unique : {false, true}) {
        xbase::CdxTagSpec spec{unique ? "U" : "C", "KEY", "", 20, ' ', unique};
        CdxTag* tag = cdx->addTag(spec, error);
        ASSERT_TRUE(tag);
        ASSERT_EQ(cdxtest::rebuildFrom(*tag, entries, budget), 0);
    }
    ASSERT_EQ(cdx->flush(40000, false), 0);
}

TEST(CdxRebuild, ASpilledRebuildWritesTheTagsOfAnInMemoryOne) {
    TempDir dir;
    Faults fs;
    const EntryList entries = randomEntries(40000, 20, 11);
    rebuildFile(dir.file("memory.cdx"), entries, CdxTag::kSortBudget);
    EXPECT_EQ(fs.created.size(), 1u);  // the index alone
    rebuildFile(dir.file("spilled.cdx"), entries, 64 * 1024);
    EXPECT_EQ(fs.created.back(), dir.file("spilled.cdx.sort"));
    EXPECT_FALSE(exists(dir.file("spilled.cdx.sort")));

    const auto bytes = cdxtest::readFile(dir.file("spilled.cdx"));
    EXPECT_TRUE(bytes == cdxtest::readFile(dir.file("memory.cdx")));
    for (const auto& [name, header] : cdxtest::directory(bytes, true)) {
        SCOPED_TRACE(name);
        cdxtest::TagReport report = cdxtest::TagReader(bytes, ' ', true).read(header);
        ASSERT_TRUE(report.problems.empty()) << report.problems.front();
        EXPECT_EQ(report.entries, expected(entries, name == "U"));
        EXPECT_GE(report.depth, name == "C" ? 3 : 1);
    }
}

TEST(CdxRebuild, AFailedRebuildLeavesNoSpillFileAndNoHalfBuiltTagMarkedSound) {
    TempDir dir;
    Faults fs;
    const std::string path = dir.file("t.cdx");
    const EntryList entries = randomEntries(20000, 20, 3);
    rebuildFile(path, entries, CdxTag::kSortBudget);
    const auto before = cdxtest::readFile(path);
    struct Case {
        const char* what;
        int writesLeft;
        int readsLeft;
        short code;
    };
    // About 200 runs of one-record buffers: the later read fails in mid-load.
    for (Case c : {Case{"disk full while spilling", 0, 0, rc::kWrite},
                   Case{"runs unreadable", -1, 0, rc::kRead},
                   Case{"runs unreadable in mid-load", -1, 5000, rc::kRead}}) {
        SCOPED_TRACE(c.what);
        cdxtest::writeFile(path, before);
        short error = 0;
        auto cdx = CdxFile::open(path, xbase::OpenMode::ReadWrite, error);
        ASSERT_TRUE(cdx);
        CdxTag* tag = cdx->tag("C");
        fs.writesLeft = c.writesLeft;
        fs.failReadsOf = c.writesLeft == 0 ? "" : ".sort";
        fs.readsLeft = c.readsLeft;
        EXPECT_EQ(cdxtest::rebuildFrom(*tag, entries, 4096), c.code);
        fs.writesLeft = -1;
        fs.failReadsOf.clear();
        EXPECT_FALSE(exists(path + ".sort"));
        // This handle writes nothing more, so its flush cannot vouch for the tag.
        EXPECT_EQ(tag->insert(std::string(20, 'Z'), 1), rc::kWrite);
        EXPECT_EQ(cdx->flush(40000, false), 0);
        cdx.reset();
        cdx = CdxFile::open(path, xbase::OpenMode::ReadWrite, error);
        ASSERT_TRUE(cdx);
        std::uint32_t count = 0;
        if (c.writesLeft == 0) {  // not even the marker was written: the file is as it was
            EXPECT_TRUE(cdxtest::readFile(path) == before);
        } else {
            EXPECT_FALSE(cdx->cleanState(count));
        }
    }
}

}  // namespace
