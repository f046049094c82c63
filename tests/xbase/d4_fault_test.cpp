// Failing writes under the engine API: a flush that cannot write reports it
// (never success), keeps what it could not write, and a later flush finishes
// the job.
#include <gtest/gtest.h>

#include "d4_test_tables.h"
#include "recording_file_system.h"

namespace xbase {
namespace {

using xbase_test::appendKey;
using xbase_test::Engine;
using xbase_test::TempDir;
using Faults = xbase_test::RecordingFileSystem;

TEST(D4Fault, AFlushThatCannotWriteSaysSoAndALaterOneFinishes) {
    TempDir dir;
    Faults fs;
    Engine code;
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
    ASSERT_TRUE(keys);
    for (int i = 1; i <= 20; ++i)
        ASSERT_EQ(appendKey(keys, "w" + std::to_string(i), i, i), 0);
    fs.writesLeft = 0;
    EXPECT_EQ(d4flush(keys), rc::kWrite);
    EXPECT_EQ(code4errorCode(code, 0), rc::kWrite);
    EXPECT_EQ(d4pack(keys), rc::kWrite);  // nothing is renamed over the table
    fs.writesLeft = -1;
    ASSERT_EQ(d4flush(keys), 0);
    ASSERT_EQ(d4close(keys), 0);
    keys = d4open(code, dir.file("Keys.dbf").c_str());
    ASSERT_TRUE(keys);
    EXPECT_EQ(d4recCountDo(keys), 20);
    ASSERT_EQ(d4tagSelect(keys, d4tag(keys, "KEYITEMS")), 0);
    EXPECT_EQ(d4seek(keys, "W17"), 0);
    EXPECT_EQ(d4recNo(keys), 17);
}

TEST(D4Fault, AChangeThatCannotBeWrittenIsReportedAndDropped) {
    TempDir dir;
    Faults fs;
    Engine code;
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
    ASSERT_EQ(appendKey(keys, "word", 1, 1), 0);
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

TEST(D4Fault, APackWhoseTagsCannotBeRebuiltLeavesAnIndexTheNextOpenRepairs) {
    TempDir dir;
    Faults fs;
    Engine code;
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
    ASSERT_TRUE(keys);
    for (int i = 1; i <= 40; ++i)
        ASSERT_EQ(appendKey(keys, "w" + std::to_string(i), i, i), 0);
    ASSERT_EQ(d4goTo(keys, 17), 0);
    ASSERT_EQ(d4delete(keys), 0);
    ASSERT_EQ(d4flush(keys), 0);
    // The packed table is read back only to rebuild the tags, after it has
    // become the table: the old tags must not be flushed as its own.
    fs.failReadsOf = "Keys.dbf.new";
    EXPECT_EQ(d4pack(keys), rc::kRead);
    fs.failReadsOf.clear();
    d4close(keys);
    keys = d4open(code, dir.file("Keys.dbf").c_str());
    ASSERT_TRUE(keys);
    EXPECT_EQ(d4recCountDo(keys), 39);
    ASSERT_EQ(d4tagSelect(keys, d4tag(keys, "KEYITEMS")), 0);
    EXPECT_NE(d4seek(keys, "W17"), 0);
    EXPECT_EQ(d4seek(keys, "W40"), 0);
    EXPECT_EQ(d4recNo(keys), 39);
    ASSERT_EQ(d4close(keys), 0);
}

}  // namespace
}  // namespace xbase
