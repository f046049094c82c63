// FptFile: the header and block layout it writes, damaged block numbers that
// must read as empty text, and a stale header after a crash. (Rewrites in
// place and at the end are tested through the engine API in d4_pack_test.)
#include "xbase/fpt_memo.h"

#include <gtest/gtest.h>

#include "table_test_util.h"
#include "xbase/return_codes.h"

namespace xbase {
namespace {

using xbase_test::readFile;
using xbase_test::TempDir;
using xbase_test::writeFile;

std::unique_ptr<FptFile> makeMemo(const std::string& path, int blockSize = 64) {
    short err = 0;
    auto f = FptFile::create(path, blockSize, err);
    EXPECT_EQ(err, rc::kSuccess);
    return f;
}

TEST(FptMemo, WritesHeaderAndBlocks) {
    TempDir dir;
    auto f = makeMemo(dir.file("t.fpt"));
    EXPECT_EQ(f->nextFree(), 8u);
    std::uint32_t a = 0, b = 0;
    ASSERT_EQ(f->append("hello", a), 0);
    ASSERT_EQ(f->append(std::string(100, 'x'), b), 0);  // 108 bytes: two blocks
    EXPECT_EQ(a, 8u);
    EXPECT_EQ(b, 9u);
    EXPECT_EQ(f->nextFree(), 11u);
    ASSERT_EQ(f->flush(false), 0);
    std::string bytes = readFile(dir.file("t.fpt"));
    ASSERT_EQ(bytes.size(), 11u * 64);  // the file ends at the next free block
    EXPECT_EQ(bytes.substr(0, 8), std::string("\0\0\0\x0B\0\0\0\x40", 8));
    EXPECT_EQ(bytes.substr(512, 13), std::string("\0\0\0\x01\0\0\0\x05hello", 13));
    EXPECT_EQ(bytes[512 + 13], '\0');  // slack is zeros

    short err = 0;
    auto again = FptFile::open(dir.file("t.fpt"), err);
    ASSERT_TRUE(again);
    std::string text;
    ASSERT_EQ(again->read(b, text), 0);
    EXPECT_EQ(text, std::string(100, 'x'));
    ASSERT_EQ(again->read(0, text), 0);
    EXPECT_EQ(text, "");

    auto big = makeMemo(dir.file("big.fpt"), 512);  // the first block follows the header
    ASSERT_EQ(big->append("one", a), 0);
    EXPECT_EQ(a, 1u);
    ASSERT_EQ(big->flush(false), 0);
    EXPECT_EQ(readFile(dir.file("big.fpt")).size(), 1024u);
}

TEST(FptMemo, DamagedBlockNumbersReadAsEmpty) {
    TempDir dir;
    auto f = makeMemo(dir.file("t.fpt"));
    std::uint32_t block = 0;
    ASSERT_EQ(f->append(std::string(200, 'z'), block), 0);
    ASSERT_EQ(f->flush(false), 0);
    std::string text = "stale";
    EXPECT_EQ(f->read(3, text), rc::kMemo);  // inside the header
    EXPECT_EQ(text, "");
    EXPECT_EQ(f->read(block + 1, text), rc::kMemo);  // the middle of another memo
    EXPECT_EQ(text, "");
    EXPECT_EQ(f->read(5000, text), rc::kMemo);  // past the end
    // A length that runs past the end of the file.
    std::string bytes = readFile(dir.file("t.fpt"));
    bytes[512 + 6] = 0x7F;
    writeFile(dir.file("t.fpt"), bytes);
    short err = 0;
    auto damaged = FptFile::open(dir.file("t.fpt"), err);
    ASSERT_TRUE(damaged);
    EXPECT_EQ(damaged->read(block, text), rc::kMemo);
    EXPECT_EQ(text, "");
    // Files too short for a header, or with a zero block size, are refused.
    for (std::size_t size : {100, 512}) {
        writeFile(dir.file("bad.fpt"), std::string(size, '\0'));
        EXPECT_FALSE(FptFile::open(dir.file("bad.fpt"), err)) << size;
        EXPECT_EQ(err, rc::kMemo);
    }
}

TEST(FptMemo, NeverReusesBlocksPastAStaleHeader) {
    TempDir dir;
    {
        auto f = makeMemo(dir.file("t.fpt"));
        std::uint32_t block = 0;
        ASSERT_EQ(f->append("written but not counted", block), 0);
        // No flush: the header still names block 8 as free, as after a crash.
    }
    short err = 0;
    auto f = FptFile::open(dir.file("t.fpt"), err);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->nextFree(), 9u);
    std::uint32_t block = 0;
    ASSERT_EQ(f->append("new", block), 0);
    EXPECT_EQ(block, 9u);
    std::string text;
    ASSERT_EQ(f->read(8, text), 0);
    EXPECT_EQ(text, "written but not counted");
}

}  // namespace
}  // namespace xbase
