// DbfTable: the header it writes, records through the cache and the append
// batch, and the damaged or foreign headers it refuses.
#include "xbase/dbf_table.h"

#include <gtest/gtest.h>

#include <random>

#include "table_test_util.h"
#include "xbase/return_codes.h"

namespace xbase {
namespace {

using xbase_test::readFile;
using xbase_test::TempDir;
using xbase_test::writeFile;

std::vector<FieldDesc> keysFields() {
    return {
        {"Keys", 'C', 10, 0}, {"ITEMS", 'N', 10, 0}, {"ORDER", 'N', 6, 0}, {"FILTER", 'C', 10, 0}};
}

// Record text for number n: deletion flag, KEYS, ITEMS, ORDER, FILTER.
std::string recordFor(std::uint32_t n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " %-10s%10u%6u%-10s", ("w" + std::to_string(n)).c_str(), n,
                  n % 1000, "drawer");
    return buf;
}

std::unique_ptr<DbfTable> makeTable(const std::string& path, std::uint32_t records) {
    short err = 0;
    auto t = DbfTable::create(path, keysFields(), true, err);
    EXPECT_EQ(err, rc::kSuccess);
    for (std::uint32_t n = 1; n <= records; ++n)
        EXPECT_EQ(t->append(recordFor(n).data()), 0);
    EXPECT_EQ(t->flush(false), rc::kSuccess);
    return t;
}

// The bytes the independent readers of interop_readers_test do not check.
TEST(DbfTable, WritesTheFoxProHeader) {
    TempDir dir;
    makeTable(dir.file("k.dbf"), 3);
    std::string bytes = readFile(dir.file("k.dbf"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x03);  // no memo field
    EXPECT_EQ(bytes[28], 0x01);                             // production index
    EXPECT_EQ(bytes[29], 0x03);                             // code page 1252
    EXPECT_EQ(bytes.back(), 0x1A);
    short err = 0;
    ASSERT_TRUE(DbfTable::create(dir.file("t.dbf"), {{"TEXT", 'M', 10, 0}}, false, err));
    bytes = readFile(dir.file("t.dbf"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xF5);
    EXPECT_EQ(bytes[28], 0x00);
}

TEST(DbfTable, RefusesFieldListsNoTableHolds) {
    TempDir dir;
    const std::vector<std::vector<FieldDesc>> refused = {{},
                                                         {{"X", 'C', 0, 0}},
                                                         {{"X", 'N', 21, 0}},
                                                         {{"TOOLONGNAME", 'C', 5, 0}},
                                                         {{"A", 'C', 5, 0}, {"a", 'C', 5, 0}},
                                                         {{"X", 'Q', 5, 0}}};
    for (const auto& fields : refused) {
        short err = 0;
        EXPECT_FALSE(DbfTable::create(dir.file("a.dbf"), fields, false, err)) << fields.size();
        EXPECT_EQ(err, rc::kFieldType);
    }
}

TEST(DbfTable, AppendsAreBatchedCountedAtFlushAndReadBackAfterReopen) {
    TempDir dir;
    auto t = makeTable(dir.file("k.dbf"), 2);
    std::size_t before = readFile(dir.file("k.dbf")).size();
    ASSERT_EQ(t->append(recordFor(3).data()), 0);
    std::string rec(37, '\0');
    ASSERT_EQ(t->read(3, rec.data()), 0);  // visible before it reaches the file
    EXPECT_EQ(rec, recordFor(3));
    std::string changed = recordFor(33);
    ASSERT_EQ(t->write(3, changed.data()), 0);  // a pending record can change too
    EXPECT_EQ(readFile(dir.file("k.dbf")).size(), before);
    ASSERT_EQ(t->flush(false), 0);
    std::string bytes = readFile(dir.file("k.dbf"));
    EXPECT_EQ(bytes[4], 3);
    EXPECT_EQ(bytes.substr(bytes.size() - 38, 37), changed);

    // A large batch goes to the file before the flush, the count after it.
    const std::uint32_t count = 40000;  // far more than the cache holds
    for (std::uint32_t n = 4; n <= count; ++n)
        ASSERT_EQ(t->append(recordFor(n).data()), 0);
    EXPECT_GT(readFile(dir.file("k.dbf")).size(), before + 37 * 20000);
    EXPECT_EQ(readFile(dir.file("k.dbf"))[4], 3);
    ASSERT_EQ(t->flush(false), 0);
    std::string deleted = recordFor(777);
    deleted[0] = '*';
    ASSERT_EQ(t->write(777, deleted.data()), 0);
    t.reset();  // closing writes the change
    short err = 0;
    t = DbfTable::open(dir.file("k.dbf"), err);
    ASSERT_TRUE(t) << err;
    EXPECT_EQ(t->recordCount(), count);
    EXPECT_EQ(t->fieldOffset(t->findField("filter")), 27);
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        std::uint32_t n = i == 0 ? 777 : rng() % count + 1;
        ASSERT_EQ(t->read(n, rec.data()), 0);
        ASSERT_EQ(rec, n == 3 ? changed : n == 777 ? deleted : recordFor(n)) << n;
    }
    EXPECT_EQ(t->read(0, rec.data()), rc::kParameter);
    EXPECT_EQ(t->read(count + 1, rec.data()), rc::kParameter);
}

TEST(DbfTable, TrustsTheHeaderCountOfAFileLongerThanIt) {
    TempDir dir;
    makeTable(dir.file("k.dbf"), 5);
    std::string bytes = readFile(dir.file("k.dbf"));
    bytes[4] = 3;  // as after a crash between the records and the header
    writeFile(dir.file("k.dbf"), bytes);
    short err = 0;
    auto t = DbfTable::open(dir.file("k.dbf"), err);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->recordCount(), 3u);
    ASSERT_EQ(t->append(recordFor(99).data()), 0);
    ASSERT_EQ(t->flush(false), 0);
    std::string rec(37, '\0');
    ASSERT_EQ(t->read(4, rec.data()), 0);
    EXPECT_EQ(rec, recordFor(99));
}

TEST(DbfTable, RefusesDamagedAndForeignHeadersAndAcceptsPaddedOnes) {
    TempDir dir;
    makeTable(dir.file("good.dbf"), 4);
    const std::string good = readFile(dir.file("good.dbf"));
    const std::size_t headerLength = 161;
    auto patched = [&](std::size_t at, std::string bytes) {
        return good.substr(0, at) + bytes + good.substr(at + bytes.size());
    };
    const std::pair<const char*, std::string> damaged[] = {
        {"empty file", ""},
        {"cut inside the header", good.substr(0, 100)},
        {"cut inside the records", good.substr(0, headerLength + 37 * 2)},
        {"record length not the sum of the fields", patched(10, "\x24")},
        {"no terminator", patched(headerLength - 1, "X")},
        {"Visual FoxPro version", patched(0, "\x30")},
        {"unknown field type", patched(32 + 11, "Q")},
        {"zero field length", patched(32 + 32 + 16, std::string(1, '\0'))},
        {"header length too short", patched(8, std::string("\x14\0", 2))},
        {"absurd record count", patched(4, "\x7F\x00\x00\x7F")},
        {"nameless field", patched(32, std::string(1, '\0'))}};
    short err = 0;
    for (const auto& [what, bytes] : damaged) {
        writeFile(dir.file("bad.dbf"), bytes);
        EXPECT_FALSE(DbfTable::open(dir.file("bad.dbf"), err)) << what;
        EXPECT_EQ(err, rc::kData) << what;
    }
    EXPECT_FALSE(DbfTable::open(dir.file("missing.dbf"), err));
    EXPECT_EQ(err, rc::kOpen);

    // Other writers: a zero byte after the terminator, and code page mark 0.
    std::string padded = patched(29, std::string(1, '\0'));
    padded.insert(headerLength, 1, '\0');
    padded[8] = static_cast<char>(162);
    writeFile(dir.file("k.dbf"), padded);
    auto t = DbfTable::open(dir.file("k.dbf"), err);
    ASSERT_TRUE(t) << err;
    std::string rec(37, '\0');
    ASSERT_EQ(t->read(2, rec.data()), 0);
    EXPECT_EQ(rec, recordFor(2));
}

}  // namespace
}  // namespace xbase
