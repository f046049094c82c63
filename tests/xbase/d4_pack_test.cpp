// Deleting, recalling and packing through the engine API; memo rewrites in
// place and at the end; memo compress; a rewrite interrupted by a crash; and
// failing writes and reads: a flush that cannot write reports it (never
// success) and a later flush finishes the job, a change that cannot be
// written is dropped whole, a pack whose tags cannot be rebuilt leaves an
// index the next open repairs.
#include <gtest/gtest.h>

#include "d4_test_tables.h"
#include "recording_file_system.h"
#include "xbase/field_codec.h"

namespace xbase {
namespace {

using xbase_test::appendKey;
using xbase_test::appendText;
using xbase_test::appendWords;
using xbase_test::At;
using xbase_test::Engine;
using xbase_test::fieldText;
using xbase_test::memoText;
using xbase_test::readFile;
using xbase_test::seekIn;
using xbase_test::TempDir;

std::string body(long items) {
    return "document " + std::to_string(items) + std::string(items * 7, '.');
}

TEST(D4Pack, DropsMarkedRecordsKeepsMemosAndRenumbers) {
    TempDir dir;
    Engine code;
    Data4* text = xbase_test::createText(code, dir.file("Text.dbf"));
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
    for (long items = 1; items <= 40; ++items) {
        ASSERT_EQ(appendText(text, items, body(items)), 0);
        ASSERT_EQ(appendKey(keys, "w" + std::to_string(items), items, 1), 0);
    }
    ASSERT_EQ(d4unlock(text), 0);
    // Delete every third document, then recall one of them again.
    for (long recno = 3; recno <= 40; recno += 3) {
        ASSERT_EQ(d4goTo(text, recno), 0);
        ASSERT_EQ(d4delete(text), 0);
        ASSERT_EQ(d4goTo(keys, recno), 0);
        ASSERT_EQ(d4delete(keys), 0);
    }
    ASSERT_EQ(d4goTo(text, 9), 0);
    EXPECT_EQ(d4deleted(text), 1);
    ASSERT_EQ(d4recall(text), 0);
    ASSERT_EQ(d4flush(text), 0);
    const std::size_t memoBefore = readFile(dir.file("Text.fpt")).size();

    ASSERT_EQ(d4pack(text), 0);
    ASSERT_EQ(d4pack(keys), 0);
    EXPECT_EQ(d4recCountDo(text), 40 - 12);
    EXPECT_EQ(d4recCountDo(keys), 40 - 13);
    EXPECT_LT(readFile(dir.file("Text.fpt")).size(), memoBefore);
    // Record numbers run from 1 again; every live document kept its memo.
    long recno = 0;
    for (long items = 1; items <= 40; ++items) {
        if (items % 3 == 0 && items != 9) continue;
        ASSERT_EQ(d4goTo(text, ++recno), 0);
        EXPECT_EQ(f4long(d4field(text, "ITEMS")), items);
        EXPECT_EQ(d4deleted(text), 0);
        EXPECT_EQ(memoText(text, "TEXT"), body(items));
    }
    // The tags were rebuilt for the new record numbers.
    EXPECT_EQ(seekIn(text, "ITEMS", "10"), At(0, 8));
    EXPECT_EQ(seekIn(keys, "KEYITEMS", "W40"), At(0, 27));
    EXPECT_EQ(d4seek(keys, "W39"), rc::kAfter);
    // The packed files reopen as they are.
    ASSERT_EQ(d4close(text), 0);
    text = d4open(code, dir.file("Text.dbf").c_str());
    ASSERT_TRUE(text);
    ASSERT_EQ(d4bottom(text), 0);
    EXPECT_EQ(memoText(text, "TEXT"), body(40));
}

TEST(D4Pack, MemoRewritesStayInPlaceWhenTheyFit) {
    TempDir dir;
    Engine code;
    Data4* text = xbase_test::createText(code, dir.file("Text.dbf"));
    ASSERT_EQ(appendText(text, 1, std::string(100, 'a')), 0);  // 108 bytes: two blocks
    ASSERT_EQ(appendText(text, 2, "second"), 0);
    ASSERT_EQ(d4unlock(text), 0);
    Field4* memo = d4field(text, "TEXT");
    ASSERT_EQ(d4goTo(text, 1), 0);
    const std::string block = fieldText(text, "TEXT");
    ASSERT_EQ(f4memoAssign(memo, std::string(120, 'b').c_str()), 0);  // still two blocks
    ASSERT_EQ(d4skip(text, 1), 0);
    ASSERT_EQ(d4goTo(text, 1), 0);
    EXPECT_EQ(fieldText(text, "TEXT"), block);
    EXPECT_EQ(memoText(text, "TEXT"), std::string(120, 'b'));
    ASSERT_EQ(f4memoAssign(memo, std::string(200, 'c').c_str()), 0);  // moves to the end
    ASSERT_EQ(d4goTo(text, 2), 0);
    ASSERT_EQ(d4goTo(text, 1), 0);
    EXPECT_NE(fieldText(text, "TEXT"), block);
    EXPECT_EQ(memoText(text, "TEXT"), std::string(200, 'c'));
    ASSERT_EQ(d4goTo(text, 2), 0);
    EXPECT_EQ(memoText(text, "TEXT"), "second");
    ASSERT_EQ(d4goTo(text, 1), 0);
    ASSERT_EQ(f4memoAssign(memo, ""), 0);  // emptied: no block at all
    ASSERT_EQ(d4flush(text), 0);
    EXPECT_EQ(fieldText(text, "TEXT"), std::string(10, ' '));
    EXPECT_EQ(memoText(text, "TEXT"), "");
}

TEST(D4Pack, MemoCompressRemovesDeadSpace) {
    TempDir dir;
    Engine code;
    Data4* text = xbase_test::createText(code, dir.file("Text.dbf"));
    for (long items = 1; items <= 10; ++items)
        ASSERT_EQ(appendText(text, items, body(items)), 0);
    for (int round = 0; round < 5; ++round) {  // each longer text leaves its old blocks dead
        for (long recno = 1; recno <= 10; ++recno) {
            ASSERT_EQ(d4goTo(text, recno), 0);
            ASSERT_EQ(f4memoAssign(d4field(text, "TEXT"),
                                   (body(recno) + std::string(round * 64, '+')).c_str()),
                      0);
        }
    }
    ASSERT_EQ(d4goTo(text, 4), 0);
    ASSERT_EQ(d4delete(text), 0);
    ASSERT_EQ(d4flush(text), 0);
    const std::size_t before = readFile(dir.file("Text.fpt")).size();
    ASSERT_EQ(d4memoCompress(text), 0);
    const std::string after = readFile(dir.file("Text.fpt"));
    EXPECT_LT(after.size(), before / 2);
    EXPECT_EQ(d4recCountDo(text), 10);  // compress keeps every record, marked ones too
    for (long recno = 1; recno <= 10; ++recno) {
        ASSERT_EQ(d4goTo(text, recno), 0);
        EXPECT_EQ(memoText(text, "TEXT"), body(recno) + std::string(4 * 64, '+'));
    }
    ASSERT_EQ(d4goTo(text, 4), 0);
    EXPECT_EQ(d4deleted(text), 1);
    // The file ends at its next free block.
    auto b = reinterpret_cast<const unsigned char*>(after.data());
    std::uint32_t next = (b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
    EXPECT_EQ(after.size(), next * 64u);
}

TEST(D4Pack, AnInterruptedRewriteIsFinishedOrUndoneOnOpen) {
    TempDir dir;
    Engine code;
    Data4* text = xbase_test::createText(code, dir.file("Text.dbf"));
    ASSERT_EQ(appendText(text, 1, "kept"), 0);
    ASSERT_EQ(d4close(text), 0);
    const std::string dbf = readFile(dir.file("Text.dbf"));

    // Crash before the table's rename: the new files are dropped.
    xbase_test::writeFile(dir.file("Text.dbf.new"), "half written");
    xbase_test::writeFile(dir.file("Text.fpt.new"), "half written");
    text = d4open(code, dir.file("Text.dbf").c_str());
    ASSERT_TRUE(text);
    EXPECT_EQ(memoText(text, "TEXT"), "kept");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Text.dbf.new")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Text.fpt.new")));
    ASSERT_EQ(d4close(text), 0);

    // Crash between the two renames: the new memo file is put in place.
    std::filesystem::rename(dir.file("Text.fpt"), dir.file("Text.fpt.new"));
    xbase_test::writeFile(dir.file("Text.fpt"), std::string(512, '\0'));  // the old, wrong one
    text = d4open(code, dir.file("Text.dbf").c_str());
    ASSERT_TRUE(text);
    EXPECT_EQ(memoText(text, "TEXT"), "kept");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Text.fpt.new")));
    EXPECT_EQ(readFile(dir.file("Text.dbf")), dbf);
}

// The file system is in place before the table opens, so it sees every file.
class D4Fault : public ::testing::Test {
  protected:
    short reopen() {
        const short closed = d4close(keys);
        keys = d4open(code, dir.file("Keys.dbf").c_str());
        EXPECT_TRUE(keys);
        return closed;
    }

    xbase_test::RecordingFileSystem fs;
    xbase_test::TempDir dir;
    xbase_test::Engine code;
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
};

TEST_F(D4Fault, AFlushThatCannotWriteSaysSoAndALaterOneFinishes) {
    appendWords(keys, 1, 20);
    fs.writesLeft = 0;
    EXPECT_EQ(d4flush(keys), rc::kWrite);
    EXPECT_EQ(code4errorCode(code, 0), rc::kWrite);
    EXPECT_EQ(d4pack(keys), rc::kWrite);  // nothing is renamed over the table
    fs.writesLeft = -1;
    ASSERT_EQ(d4flush(keys), 0);
    ASSERT_EQ(reopen(), 0);
    ASSERT_TRUE(keys);
    EXPECT_EQ(d4recCountDo(keys), 20);
    EXPECT_EQ(seekIn(keys, "KEYITEMS", "W17"), At(0, 17));
}

TEST_F(D4Fault, AChangeThatCannotBeWrittenIsReportedAndDropped) {
    appendWords(keys, 1, 1);
    ASSERT_EQ(d4flush(keys), 0);
    ASSERT_EQ(d4delete(keys), 0);
    fs.writesLeft = 0;
    EXPECT_EQ(d4skip(keys, 1), rc::kWrite);  // the record cannot be written: no move
    fs.writesLeft = -1;
    EXPECT_EQ(d4recNo(keys), 1);
    EXPECT_EQ(d4deleted(keys), 0);  // the change was dropped whole
    ASSERT_EQ(d4goTo(keys, 1), 0);
    EXPECT_EQ(d4deleted(keys), 0);
}

TEST_F(D4Fault, APackWhoseTagsCannotBeRebuiltLeavesAnIndexTheNextOpenRepairs) {
    appendWords(keys, 1, 40);
    ASSERT_EQ(d4goTo(keys, 17), 0);
    ASSERT_EQ(d4delete(keys), 0);
    ASSERT_EQ(d4flush(keys), 0);
    // The packed table is read back only to rebuild the tags, after it has
    // become the table: the old tags must not be flushed as its own.
    fs.failReadsOf = "Keys.dbf.new";
    EXPECT_EQ(d4pack(keys), rc::kRead);
    fs.failReadsOf.clear();
    reopen();
    ASSERT_TRUE(keys);
    EXPECT_EQ(d4recCountDo(keys), 39);
    EXPECT_NE(seekIn(keys, "KEYITEMS", "W17").first, 0);
    EXPECT_EQ(seekIn(keys, "KEYITEMS", "W40"), At(0, 39));
    ASSERT_EQ(d4close(keys), 0);
}

}  // namespace
}  // namespace xbase
