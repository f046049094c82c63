// The bytes our CDX writer puts on disk: the worked one-leaf example, file and
// tag headers, leaf widths, numeric keys, and trees an independent reader
// walks without finding a broken rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/xbase/cdx_test_support.h"
#include "xbase/cdx_index.h"
#include "xbase/cdx_leaf.h"
#include "xbase/expr.h"

namespace {

using cdxtest::padded;
using cdxtest::TagReader;
using cdxtest::tagSpec;
using cdxtest::TempDir;
using xbase::CdxFile;
using xbase::CdxTag;
using xbase::CdxTagSpec;

class CdxFormat : public ::testing::Test {
  protected:
    std::vector<unsigned char> bytes() { return cdxtest::readFile(dir.file("t.cdx")); }

    TempDir dir;
    short error = 0;
    std::unique_ptr<CdxFile> cdx = CdxFile::create(dir.file("t.cdx"), error);
};

TEST_F(CdxFormat, WorkedExampleByteForByte) {
    ASSERT_TRUE(cdx) << error;
    CdxTag* tag = cdx->addTag(tagSpec("NAME", 10), error);
    ASSERT_TRUE(tag) << error;
    ASSERT_EQ(tag->insert(padded("ALPINE", 10), 1), 0);
    ASSERT_EQ(tag->insert(padded("ALPHA", 10), 2), 0);
    ASSERT_EQ(tag->insert(padded("BETA", 10), 3), 0);
    ASSERT_EQ(cdx->flush(3, false), 0);
    std::vector<unsigned char> file = bytes();
    ASSERT_EQ(file.size(), 3072u);

    std::vector<unsigned char> leaf(512, 0);
    const unsigned char head[] = {0x03, 0x00, 0x03, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                  0xFF, 0xD3, 0x01, 0xFF, 0xFF, 0x00, 0x00, 0x0F, 0x0F, 0x10, 0x04,
                                  0x04, 0x03, 0x02, 0x00, 0x50, 0x01, 0x00, 0x43, 0x03, 0x00, 0x60};
    std::memcpy(leaf.data(), head, sizeof head);
    std::memcpy(leaf.data() + 500, "BETAINEALPHA", 12);
    EXPECT_EQ(std::vector<unsigned char>(file.begin() + 2560, file.end()), leaf);

    // Directory header: root 1024, key length 10, options 0xE0, empty expressions.
    EXPECT_EQ(file[0] | (file[1] << 8), 1024);
    EXPECT_EQ(file[12], 10);
    EXPECT_EQ(file[14], 0xE0);
    EXPECT_EQ(file[15], 1);
    EXPECT_EQ(file[504] | file[510], 1);  // FOR start and key length: 1 each (just the 0x00)
    // Tag header at 1536: root 2560, options 0x60, expression pool "NAME\0\0".
    EXPECT_EQ(file[1536 + 1] << 8 | file[1536], 2560);
    EXPECT_EQ(file[1536 + 14], 0x60);
    EXPECT_EQ(file[1536 + 504], 5);
    EXPECT_EQ(file[1536 + 506], 1);
    EXPECT_EQ(file[1536 + 510], 5);
    EXPECT_EQ(std::memcmp(file.data() + 2048, "NAME\0\0", 6), 0);
    // The directory names the tag with its header offset.
    auto names = cdxtest::directory(file, true);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], (std::pair<std::string, std::uint32_t>{"NAME", 1536}));
}

TEST_F(CdxFormat, HeaderOptionsAndExpressions) {
    CdxTagSpec s = tagSpec("Uniq", 6, ' ', true);
    s.keyExpr = "UPPER(Name)";
    s.forExpr = ".NOT. DELETED()";
    ASSERT_TRUE(cdx->addTag(s, error));
    for (const CdxTagSpec& refused :
         {tagSpec("UNIQ", 6), tagSpec("BAD NAME", 6), tagSpec("LONG", 241)})
        EXPECT_EQ(cdx->addTag(refused, error), nullptr) << refused.name;
    ASSERT_EQ(cdx->flush(0, false), 0);
    cdx.reset();

    EXPECT_EQ(bytes()[1536 + 14], 0x69);  // compact, unique, FOR
    auto reopened = CdxFile::open(dir.file("t.cdx"), xbase::OpenMode::ReadOnly, error);
    ASSERT_TRUE(reopened) << error;
    CdxTag* tag = reopened->tag("uniq");
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->name(), "UNIQ");
    EXPECT_EQ(tag->keyExpr(), "UPPER(Name)");
    EXPECT_EQ(tag->forExpr(), ".NOT. DELETED()");
    EXPECT_TRUE(tag->unique());
}

TEST_F(CdxFormat, LeafWidensForLargeRecordNumbers) {
    CdxTag* tag = cdx->addTag(tagSpec("K", 10), error);
    ASSERT_EQ(tag->insert(padded("A", 10), 1), 0);
    ASSERT_EQ(tag->insert(padded("B", 10), 65535), 0);
    ASSERT_EQ(cdx->flush(2, false), 0);
    EXPECT_EQ(bytes()[2560 + 23], 3);
    ASSERT_EQ(tag->insert(padded("C", 10), 65536), 0);
    ASSERT_EQ(tag->insert(padded("D", 10), 20'000'000), 0);
    ASSERT_EQ(cdx->flush(4, false), 0);
    std::vector<unsigned char> file = bytes();
    EXPECT_EQ(file[2560 + 23], 5);   // 24 record bits are not enough for 20,000,000
    EXPECT_EQ(file[2560 + 20], 32);  // 40 bits minus 2 x 4
    cdxtest::TagReport report = TagReader(file, ' ', true).read(1536);
    EXPECT_TRUE(report.problems.empty()) << report.problems.front();
    ASSERT_EQ(report.entries.size(), 4u);
    EXPECT_EQ(report.entries[3].recno, 20'000'000u);
}

TEST_F(CdxFormat, NumericKeysCompressWithZeroFiller) {
    CdxTag* tag = cdx->addTag(tagSpec("ITEMS", 8, '\0'), error);
    std::uint32_t recno = 1;
    for (double v : {12.5, -2.0, 0.0, 100.0, -1.0, 0.5, 1.0, 2.0})
        ASSERT_EQ(tag->insert(xbase::numericKey(v), recno++), 0);
    ASSERT_EQ(cdx->flush(8, false), 0);
    // The reader's writer rules check each trail count against the zero filler.
    cdxtest::TagReport report = TagReader(bytes(), '\0', true).read(1536);
    EXPECT_TRUE(report.problems.empty()) << report.problems.front();
    std::vector<std::uint32_t> order;
    for (const auto& e : report.entries)
        order.push_back(e.recno);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{2, 5, 3, 6, 7, 8, 1, 4}));
}

TEST_F(CdxFormat, DeepTreesFollowEveryRule) {
    // 240-byte keys: two entries per interior page, so the tree grows many levels.
    CdxTag* tag = cdx->addTag(tagSpec("WIDE", 240), error);
    std::vector<cdxtest::Entry> expected;
    for (std::uint32_t i = 0; i < 300; ++i) {
        std::uint32_t scrambled = (i * 7919u) % 300u;
        std::string key = "K" + std::to_string(scrambled * 13) + std::string(150, 'x') +
                          std::to_string(scrambled);
        key.resize(240, ' ');
        ASSERT_EQ(tag->insert(key, scrambled + 1), 0);
        expected.push_back({key, scrambled + 1});
    }
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(cdx->flush(300, false), 0);
    cdxtest::TagReport report = TagReader(bytes(), ' ', true).read(1536);
    EXPECT_TRUE(report.problems.empty()) << report.problems.front();
    EXPECT_EQ(report.entries, expected);
    EXPECT_GE(report.depth, 6);
}

// An insert that updates the page in place leaves exactly the bytes a full
// encoding writes: inserts at the front, middle and end, keys sharing long
// prefixes or none, keys ending in filler, all filler, and record numbers
// that widen the entries (where the in-place update must decline).
TEST(CdxLeafPage, InsertInPlaceEqualsAFullEncoding) {
    namespace cdx = xbase::cdx;
    std::mt19937 rng(11);
    int inPlace = 0;
    int declined = 0;
    for (int keyLength : {6, 12, 40}) {
        for (int round = 0; round < 40; ++round) {
            cdx::LeafNode node(keyLength, ' ');
            std::vector<unsigned char> page(cdx::kPageSize);
            node.encode(page.data());
            std::uint32_t highest = round % 4 == 0 ? 4000 : 200;
            for (;;) {
                std::string key = cdxtest::randomWord(rng, keyLength, round % 3 + 2, keyLength);
                if (rng() % 9 == 0) key.assign(static_cast<std::size_t>(keyLength), ' ');
                const std::uint32_t recno = 1 + static_cast<std::uint32_t>(rng() % highest);
                if (round % 4 == 0 && highest < (1u << 30))
                    highest += highest / 8;  // record numbers grow past the entry width
                const auto* k = reinterpret_cast<const unsigned char*>(key.data());
                const int pos = node.lowerBound(k, recno);
                if (pos < node.size() && node.recno(pos) == recno &&
                    std::memcmp(node.key(pos), k, static_cast<std::size_t>(keyLength)) == 0) {
                    continue;
                }
                node.insert(pos, k, recno);
                if (!node.fits()) break;
                std::vector<unsigned char> want(cdx::kPageSize);
                node.encode(want.data());
                std::vector<unsigned char> patched = page;
                if (node.encodeInsert(patched.data(), pos)) {
                    ++inPlace;
                    ASSERT_EQ(patched, want)
                        << "key length " << keyLength << ", entry " << pos << " of " << node.size();
                } else {
                    ++declined;
                    ASSERT_EQ(patched, page) << "a declined update left the page changed";
                }
                page = want;
            }
        }
    }
    EXPECT_GT(inPlace, 1000);
    EXPECT_GT(declined, 0);
}

}  // namespace
