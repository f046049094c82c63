// The remembered insert path of a CDX tree: inserts that go where the
// previous one went skip the descent, and the path must be forgotten whenever
// the tree or the file changes under it (splits of either tag of the file,
// removes that empty leaves, another handle's changes picked up through the
// lock). Checked against std::set oracles and the independent reader.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/xbase/cdx_test_support.h"
#include "xbase/cdx_index.h"

namespace {

using cdxtest::Entry;
using cdxtest::TempDir;
using xbase::CdxCursor;
using xbase::CdxFile;
using xbase::CdxTag;
using Oracle = std::set<Entry>;

// Word-like keys of one to eight letters of a small alphabet, blank-padded.
std::string wordKey(std::mt19937& rng) {
    std::string key(std::uniform_int_distribution<std::size_t>(1, 8)(rng), 'A');
    for (char& c : key)
        c = static_cast<char>('A' + std::uniform_int_distribution<int>(0, 5)(rng));
    key.resize(20, ' ');
    return key;
}

TEST(CdxInsertPath, RunsOfAppendsBesideRandomInsertsAcrossTwoHandles) {
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
    Oracle runs;
    Oracle random;
    std::uint32_t recno = 0;
    for (int round = 0; round < 300; ++round) {
        CdxFile& cdx = *handles[round % 7 < 4 ? 0 : 1];
        ASSERT_EQ(cdx.lockForWrite(), 0);
        CdxTag& s = *cdx.tag("S");
        CdxTag& r = *cdx.tag("R");
        std::string runKey = std::to_string(100000 + round);
        runKey.resize(10, ' ');
        for (int i = 0; i < 40; ++i) {
            ++recno;
            ASSERT_EQ(s.insert(runKey, recno), 0);
            runs.insert({runKey, recno});
            Entry e{wordKey(rng), recno};
            ASSERT_EQ(r.insert(e.key, e.recno), 0);
            random.insert(e);
        }
        if (round % 5 == 2) {  // the newest entries go, and others anywhere
            for (int i = 0; i < 30; ++i) {
                auto last = std::prev(runs.end());
                ASSERT_EQ(s.remove(last->key, last->recno), 0);
                runs.erase(last);
                auto any = runs.begin();
                std::advance(any,
                             std::uniform_int_distribution<std::size_t>(0, runs.size() - 1)(rng));
                ASSERT_EQ(s.remove(any->key, any->recno), 0);
                runs.erase(any);
            }
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
    const std::vector<unsigned char> bytes = cdxtest::readFile(path);
    for (const auto& [name, header] : cdxtest::directory(bytes, true)) {
        cdxtest::TagReport report = cdxtest::TagReader(bytes, ' ', true).read(header);
        ASSERT_TRUE(report.problems.empty()) << report.problems.front();
        const Oracle& want = name.starts_with("S") ? runs : random;
        EXPECT_EQ(report.entries, std::vector<Entry>(want.begin(), want.end())) << name;
    }
}

}  // namespace
