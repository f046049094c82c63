// A table read through its record cache by walks in record order (runs of
// blocks) and in tag order (scattered blocks), while another handle changes
// and appends records: the reader's walks read every record right, see the
// flushed appends past the block the cache held last, and see a change once
// they lock its record.
#include <gtest/gtest.h>

#include "d4_test_tables.h"

namespace xbase {
namespace {

using xbase_test::appendKey;
using xbase_test::assign;
using xbase_test::Engine;
using xbase_test::TempDir;

constexpr long kRecords = 3001;  // ends inside a block of the cache

long orderOf(long recno) {
    return recno * 7 % 100000;
}

// The sum of ORDER over a whole walk, and the count of records walked.
long walkSum(Data4* data, long& count) {
    long sum = 0;
    count = 0;
    for (short rc = d4top(data); rc == 0; rc = d4skip(data, 1)) {
        sum += f4long(d4field(data, "ORDER"));
        ++count;
    }
    return sum;
}

TEST(D4RecordCache, WalksSeeEveryRecordAndAnotherHandlesFlushedWork) {
    TempDir dir;
    const std::string path = dir.file("Keys.dbf");
    Engine code;
    Data4* writer = xbase_test::createKeys(code, path);
    ASSERT_NE(writer, nullptr);
    long expected = 0;
    for (long r = 1; r <= kRecords; ++r) {
        ASSERT_EQ(appendKey(writer, "w" + std::to_string(r % 97), r, orderOf(r)), 0);
        expected += orderOf(r);
    }
    ASSERT_EQ(d4flush(writer), 0);
    ASSERT_EQ(d4unlock(writer), 0);

    Data4* reader = d4open(code, path.c_str());
    ASSERT_NE(reader, nullptr);
    long count = 0;
    EXPECT_EQ(walkSum(reader, count), expected) << "record order";
    EXPECT_EQ(count, kRecords);
    ASSERT_EQ(d4tagSelect(reader, d4tag(reader, "KEYITEMS")), 0);
    EXPECT_EQ(walkSum(reader, count), expected) << "tag order";
    EXPECT_EQ(count, kRecords);

    // The writer changes a record the reader has cached and appends records
    // after the last, partial block it cached.
    ASSERT_EQ(d4lock(writer, 1500), 0);
    ASSERT_EQ(d4goTo(writer, 1500), 0);
    ASSERT_EQ(assign(writer, "ORDER", "777777"), 0);
    ASSERT_EQ(d4unlock(writer), 0);
    for (long r = kRecords + 1; r <= kRecords + 40; ++r) {
        ASSERT_EQ(appendKey(writer, "new", r, orderOf(r)), 0);
        expected += orderOf(r);
    }
    ASSERT_EQ(d4flush(writer), 0);
    ASSERT_EQ(d4unlock(writer), 0);

    ASSERT_EQ(d4lock(reader, 1500), 0);  // a lock drops the cached copy
    ASSERT_EQ(d4goTo(reader, 1500), 0);
    EXPECT_EQ(f4long(d4field(reader, "ORDER")), 777777);
    ASSERT_EQ(d4unlock(reader), 0);
    expected += 777777 - orderOf(1500);
    ASSERT_EQ(d4tagSelect(reader, nullptr), 0);
    EXPECT_EQ(walkSum(reader, count), expected) << "record order, after the writer";
    EXPECT_EQ(count, kRecords + 40);
    ASSERT_EQ(d4tagSelect(reader, d4tag(reader, "KEYITEMS")), 0);
    EXPECT_EQ(walkSum(reader, count), expected) << "tag order, after the writer";
    EXPECT_EQ(count, kRecords + 40);
}

}  // namespace
}  // namespace xbase
