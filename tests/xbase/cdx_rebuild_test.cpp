// Tag rebuilds in bounded memory: a rebuild whose sort spills runs against
// one sorted in memory (byte for byte) and an oracle, and rebuilds that fail
// part way.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "recording_file_system.h"
#include "tests/xbase/cdx_test_support.h"
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
    EntryList entries;
    for (std::uint32_t r = 1; r <= count; ++r)
        entries.emplace_back(cdxtest::randomWord(rng, 4, 3, keyLength), r);
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
    EXPECT_FALSE(std::filesystem::exists(dir.file("spilled.cdx.sort")));

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
    for (bool diskFull : {true, false}) {
        SCOPED_TRACE(diskFull ? "disk full while spilling" : "runs unreadable in mid-load");
        cdxtest::writeFile(path, before);
        short error = 0;
        auto cdx = CdxFile::open(path, xbase::OpenMode::ReadWrite, error);
        ASSERT_TRUE(cdx);
        CdxTag* tag = cdx->tag("C");
        // About 200 runs read through one-record buffers: read 5000 comes in mid-load.
        fs.writesLeft = diskFull ? 0 : -1;
        fs.failReadsOf = diskFull ? "" : ".sort";
        fs.readsLeft = 5000;
        EXPECT_EQ(cdxtest::rebuildFrom(*tag, entries, 4096), diskFull ? rc::kWrite : rc::kRead);
        fs.writesLeft = -1;
        fs.failReadsOf.clear();
        EXPECT_FALSE(std::filesystem::exists(path + ".sort"));
        // The handle writes nothing more, so no flush of it can vouch for the tag.
        EXPECT_EQ(tag->insert(std::string(20, 'Z'), 1), rc::kWrite);
        EXPECT_EQ(cdx->flush(40000, false), 0);
        cdx.reset();
        // A full disk took not even the marker: the file is as it was. Else it
        // is marked mid-flush, so the table's next open rebuilds it.
        if (diskFull) {
            EXPECT_TRUE(cdxtest::readFile(path) == before);
            continue;
        }
        cdx = CdxFile::open(path, xbase::OpenMode::ReadWrite, error);
        ASSERT_TRUE(cdx);
        std::uint32_t count = 0;
        EXPECT_FALSE(cdx->cleanState(count));
    }
}

}  // namespace
