// The bytes our CDX writer puts on disk: the worked one-leaf example, file and
// tag headers, leaf widths, numeric keys, and trees an independent reader
// walks without finding a broken rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/xbase/cdx_test_support.h"
#include "xbase/cdx_index.h"
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

}  // namespace
