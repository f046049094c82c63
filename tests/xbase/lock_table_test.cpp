// Locks between two handles of one process and between two processes:
// record locks, lock enforcement, deny-write access, appends, a reader that
// sees what a writer flushed, and a reader's record cache (walks in record
// order read runs of blocks, walks in tag order scattered ones) that sees
// another handle's flushed appends and, once it locks it, a changed record,
// and a query relation that finds the keys another handle flushed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "d4_test_tables.h"
#include "xbase/relate4.h"

namespace xbase {
namespace {

using xbase_test::appendKey;
using xbase_test::assign;
using xbase_test::At;
using xbase_test::Engine;
using xbase_test::fieldText;
using xbase_test::seekIn;
using xbase_test::TempDir;

// A Keys table of three records, closed again.
std::string makeKeys(const TempDir& dir) {
    Engine code;
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
    xbase_test::appendWords(keys, 1, 3);
    EXPECT_EQ(d4close(keys), 0);
    return dir.file("Keys.dbf");
}

// Two handles of one engine on a Keys table of three records.
class LockTableTwoHandles : public ::testing::Test {
  protected:
    void SetUp() override {
        a = d4open(code, path.c_str());
        b = d4open(code, path.c_str());
        ASSERT_TRUE(a && b);
    }

    TempDir dir;
    const std::string path = makeKeys(dir);
    Engine code;
    Data4* a = nullptr;
    Data4* b = nullptr;
};

TEST_F(LockTableTwoHandles, RecordLocksExcludeOtherHandles) {
    ASSERT_EQ(d4lock(a, 2), 0);
    EXPECT_EQ(d4lock(b, 2), rc::kLocked);
    EXPECT_EQ(d4lock(b, 3), 0);
    // Without enforcement a change still needs the record: it is refused whole.
    ASSERT_EQ(d4goTo(b, 2), 0);
    ASSERT_EQ(assign(b, "KEYS", "stolen"), 0);
    EXPECT_EQ(d4skip(b, 1), rc::kLocked);
    EXPECT_EQ(code4errorCode(code, 0), rc::kLocked);
    ASSERT_EQ(d4goTo(a, 2), 0);
    EXPECT_EQ(fieldText(a, "KEYS"), "w2        ");
    ASSERT_EQ(d4unlock(a), 0);
    EXPECT_EQ(d4lock(b, 2), 0);
    ASSERT_EQ(d4goTo(b, 2), 0);
    ASSERT_EQ(assign(b, "KEYS", "mine"), 0);
    ASSERT_EQ(d4unlock(b), 0);   // writes the change, then lets go
    ASSERT_EQ(d4lock(a, 2), 0);  // a lock re-reads the record
    EXPECT_EQ(fieldText(a, "KEYS"), "mine      ");
}

// A query relation reads the index as it is when it starts: it finds the
// keys another handle flushed since, also after splits that the pages this
// handle holds knew nothing of.
TEST_F(LockTableTwoHandles, ARelationFindsWhatAnotherHandleFlushed) {
    auto matches = [](Data4* data) {
        Relate4* r = relate4init(data);
        EXPECT_EQ(relate4querySet(r, "UPPER(KEYS) + STR(ITEMS) = 'HOT '"), 0);
        EXPECT_EQ(relate4sortSet(r, "ITEMS"), 0);
        int n = 0;
        for (short rc = relate4top(r); rc == 0; rc = relate4skip(r, 1))
            ++n;
        relate4freeVB(r, 0);
        return n;
    };
    EXPECT_EQ(matches(a), 0);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(appendKey(b, "hot", 1000 + i, 1), 0);
    ASSERT_EQ(d4flush(b), 0);
    EXPECT_EQ(matches(a), 300);
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(appendKey(b, i % 2 ? "hot" : "cold" + std::to_string(i), 5000 + i, 1), 0);
    ASSERT_EQ(d4flush(b), 0);
    EXPECT_EQ(matches(a), 1800);
    EXPECT_EQ(matches(b), 1800);
}

TEST(LockTable, EnforcementRefusesChangesWithoutTheLock) {
    TempDir dir;
    const std::string path = makeKeys(dir);
    Engine code;
    code4lockEnforce(code, 1);
    Data4* keys = d4open(code, path.c_str());
    ASSERT_TRUE(keys);
    ASSERT_EQ(d4goTo(keys, 2), 0);
    EXPECT_EQ(d4delete(keys), rc::kLockNeeded);
    EXPECT_EQ(assign(keys, "KEYS", "nope"), rc::kLockNeeded);
    EXPECT_EQ(f4memoAssign(d4field(keys, "FILTER"), "nope"), rc::kLockNeeded);
    EXPECT_EQ(d4deleted(keys), 0);
    EXPECT_EQ(fieldText(keys, "KEYS"), "w2        ");
    // An append needs no lock and leaves the new record locked, so the
    // program's recall of it right after works.
    ASSERT_EQ(appendKey(keys, "new", 4, 1), 0);
    EXPECT_EQ(d4recall(keys), 0);
    ASSERT_EQ(d4unlock(keys), 0);
    EXPECT_EQ(d4delete(keys), rc::kLockNeeded);
    ASSERT_EQ(d4lock(keys, 4), 0);
    EXPECT_EQ(d4delete(keys), 0);
    ASSERT_EQ(d4unlock(keys), 0);
    ASSERT_EQ(d4close(keys), 0);
    keys = d4open(code, path.c_str());
    ASSERT_EQ(d4goTo(keys, 2), 0);
    EXPECT_EQ(d4deleted(keys), 0);
    EXPECT_EQ(fieldText(keys, "KEYS"), "w2        ");
    ASSERT_EQ(d4goTo(keys, 4), 0);
    EXPECT_EQ(d4deleted(keys), 1);
}

TEST(LockTable, DenyWriteRefusesWritersBothWays) {
    TempDir dir;
    const std::string path = makeKeys(dir);
    Engine shared, exclusive;
    ASSERT_EQ(code4accessMode(exclusive, 1), 0);
    Data4* writer = d4open(shared, path.c_str());
    ASSERT_TRUE(writer);
    EXPECT_EQ(d4open(exclusive, path.c_str()), nullptr);
    EXPECT_EQ(code4errorCode(exclusive, 0), rc::kAccess);
    ASSERT_EQ(d4close(writer), 0);
    Data4* sole = d4open(exclusive, path.c_str());
    ASSERT_TRUE(sole);
    EXPECT_EQ(d4open(shared, path.c_str()), nullptr);
    EXPECT_EQ(code4errorCode(shared, 0), rc::kAccess);
    EXPECT_EQ(d4pack(sole), 0);                        // the sole user can rewrite the table
    EXPECT_EQ(d4open(shared, path.c_str()), nullptr);  // and still holds it afterwards
    ASSERT_EQ(d4close(sole), 0);
    EXPECT_NE(d4open(shared, path.c_str()), nullptr);
}

TEST_F(LockTableTwoHandles, AppendsOfTwoHandlesDoNotInterleave) {
    code->appendLockWaitMs = 50;
    ASSERT_EQ(appendKey(a, "froma", 10, 1), 0);
    EXPECT_EQ(appendKey(b, "fromb", 11, 1), rc::kLocked);  // a holds the table until it flushes
    ASSERT_EQ(d4flush(a), 0);
    ASSERT_EQ(d4append(b), 0);  // the same append, tried again
    EXPECT_EQ(d4recNo(b), 5);
    ASSERT_EQ(d4flush(b), 0);
    // Each handle sees the other's flushed records and keys.
    EXPECT_EQ(d4recCountDo(a), 5);
    ASSERT_EQ(seekIn(a, "KEYITEMS", "FROMB"), At(0, 5));
    EXPECT_EQ(f4long(d4field(a, "ITEMS")), 11);
    EXPECT_EQ(seekIn(b, "ITEMS", "10"), At(0, 4));
}

// The sum of ORDER over a walk in the selected order, and the records walked.
std::pair<long, long> walkSum(Data4* data) {
    std::pair<long, long> sumAndCount{0, 0};
    for (short rc = d4top(data); rc == 0; rc = d4skip(data, 1), ++sumAndCount.second)
        sumAndCount.first += f4long(d4field(data, "ORDER"));
    return sumAndCount;
}

TEST(LockTable, RecordCacheWalksSeeEveryRecordAndAnotherHandlesFlushedWork) {
    constexpr long kRecords = 3001;  // ends inside a block of the cache
    auto orderOf = [](long recno) { return recno * 7 % 100000; };
    xbase_test::KeysStore store;
    Data4* writer = store.keys;
    ASSERT_NE(writer, nullptr);
    long expected = 0;
    for (long r = 1; r <= kRecords; ++r, expected += orderOf(r - 1))
        ASSERT_EQ(appendKey(writer, "w" + std::to_string(r % 97), r, orderOf(r)), 0);
    ASSERT_EQ(d4flush(writer), 0);
    ASSERT_EQ(d4unlock(writer), 0);
    Data4* reader = d4open(store.code, store.dir.file("Keys.dbf").c_str());
    ASSERT_NE(reader, nullptr);
    auto expectWalks = [&](long count) {
        ASSERT_EQ(d4tagSelect(reader, nullptr), 0);
        EXPECT_EQ(walkSum(reader), std::make_pair(expected, count)) << "record order";
        ASSERT_EQ(d4tagSelect(reader, d4tag(reader, "KEYITEMS")), 0);
        EXPECT_EQ(walkSum(reader), std::make_pair(expected, count)) << "tag order";
    };
    expectWalks(kRecords);

    // The writer changes a record the reader has cached and appends records
    // after the last, partial block it cached.
    ASSERT_EQ(d4lock(writer, 1500), 0);
    ASSERT_EQ(d4goTo(writer, 1500), 0);
    ASSERT_EQ(assign(writer, "ORDER", "777777"), 0);
    ASSERT_EQ(d4unlock(writer), 0);
    for (long r = kRecords + 1; r <= kRecords + 40; ++r, expected += orderOf(r - 1))
        ASSERT_EQ(appendKey(writer, "new", r, orderOf(r)), 0);
    ASSERT_EQ(d4flush(writer), 0);
    ASSERT_EQ(d4unlock(writer), 0);

    ASSERT_EQ(d4lock(reader, 1500), 0);  // a lock drops the cached copy
    ASSERT_EQ(d4goTo(reader, 1500), 0);
    EXPECT_EQ(f4long(d4field(reader, "ORDER")), 777777);
    ASSERT_EQ(d4unlock(reader), 0);
    expected += 777777 - orderOf(1500);
    expectWalks(kRecords + 40);
}

// Runs body in a child process that signals readiness on a pipe and waits
// until the parent lets it go; returns the child's pid and the two pipes.
struct Child {
    pid_t pid = -1;
    int ready[2] = {-1, -1};
    int release[2] = {-1, -1};
    template <class Body>
    explicit Child(Body body) {
        if (pipe(ready) != 0 || pipe(release) != 0) return;
        pid = fork();
        if (pid == 0) {
            char c = body() ? 'y' : 'n';
            (void)!write(ready[1], &c, 1);
            (void)!read(release[0], &c, 1);
            _exit(0);
        }
    }
    bool waitReady() {
        char c = 0;
        return read(ready[0], &c, 1) == 1 && c == 'y';
    }
    void finish() {
        char c = 'x';
        (void)!write(release[1], &c, 1);
        int status = 0;
        waitpid(pid, &status, 0);
        for (int fd : {ready[0], ready[1], release[0], release[1]})
            close(fd);
    }
};

TEST(LockTable, LocksHoldBetweenProcesses) {
    TempDir dir;
    const std::string path = makeKeys(dir);
    Engine code;
    Child child([&] {
        Code4* own = d4init_v();
        code4accessMode(own, 1);
        Data4* t = d4open(own, path.c_str());
        return t && d4lock(t, 1) == 0;  // kept open and locked until released
    });
    ASSERT_GT(child.pid, 0);
    ASSERT_TRUE(child.waitReady());
    EXPECT_EQ(d4open(code, path.c_str()), nullptr);  // the child denies writers
    EXPECT_EQ(code4errorCode(code, 0), rc::kAccess);
    child.finish();
    Data4* keys = d4open(code, path.c_str());
    ASSERT_TRUE(keys);
    EXPECT_EQ(d4lock(keys, 1), 0);

    Child locker([&] {
        Code4* own = d4init_v();
        Data4* t = d4open(own, path.c_str());
        return t && d4lock(t, 2) == 0;
    });
    ASSERT_TRUE(locker.waitReady());
    EXPECT_EQ(d4lock(keys, 2), rc::kLocked);
    EXPECT_EQ(d4lock(keys, 3), 0);
    locker.finish();
    EXPECT_EQ(d4lock(keys, 2), 0);
}

}  // namespace
}  // namespace xbase
