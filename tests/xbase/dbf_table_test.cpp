// The files under the engine API. DbfTable: the header it writes, records
// through the cache and the append batch, and the damaged or foreign headers
// it refuses. FptFile: the header and block layout it writes, damaged block
// numbers that must read as empty text, and a stale header after a crash
// (rewrites in place and at the end are tested through the engine API in
// d4_pack_test). The field codec: what each field type stores for a text, and
// what it refuses.
#include "xbase/dbf_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "table_test_util.h"
#include "xbase/field_codec.h"
#include "xbase/fpt_memo.h"
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

// A memo is read with its header in one read when it is short; texts around
// and past that first read's size come back whole, and one whose length
// runs a byte past the end of the file reads as empty.
TEST(FptMemo, TextsOfEveryLengthReadBackWhole) {
    TempDir dir;
    auto f = makeMemo(dir.file("t.fpt"));
    std::vector<std::pair<std::uint32_t, std::string>> memos;
    for (const std::size_t length : {1u, 4087u, 4088u, 4089u, 4095u, 10000u}) {
        std::string text(length, 'a');
        for (std::size_t i = 0; i < length; ++i)
            text[i] = static_cast<char>('a' + i % 26);
        std::uint32_t block = 0;
        ASSERT_EQ(f->append(text, block), 0);
        memos.emplace_back(block, text);
    }
    ASSERT_EQ(f->flush(false), 0);
    std::string text;
    for (const auto& [block, want] : memos) {
        ASSERT_EQ(f->read(block, text), 0) << want.size();
        EXPECT_EQ(text, want);
    }
    // The last memo ends the file: a length one longer runs past it.
    std::string bytes = readFile(dir.file("t.fpt"));
    const std::size_t head = std::size_t{memos.back().first} * 64;
    bytes.resize(head + 8 + 10000);
    bytes[head + 6] = static_cast<char>(10001 >> 8);
    bytes[head + 7] = static_cast<char>(10001 & 0xFF);
    writeFile(dir.file("t.fpt"), bytes);
    short err = 0;
    auto cut = FptFile::open(dir.file("t.fpt"), err);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->read(memos.back().first, text), rc::kMemo);
    EXPECT_EQ(text, "");
    ASSERT_EQ(cut->read(memos[3].first, text), 0);
    EXPECT_EQ(text, memos[3].second);
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

TEST(DbfFieldCodec, EachTypeStoresOrRefusesATextAsTheFormatSays) {
    const FieldDesc c{"KEYS", 'C', 10, 0}, n{"ITEMS", 'N', 10, 0}, money{"AMOUNT", 'N', 8, 2},
        f{"RATE", 'F', 8, 3}, d{"DATE", 'D', 8, 0}, l{"DONE", 'L', 1, 0}, m{"TEXT", 'M', 10, 0};
    // cp1252 bytes are kept, halves round away from zero, a rounded zero has no minus sign.
    // clang-format off
    const struct {
        const FieldDesc& field;
        const char* text;
        const char* stored;  // nullptr: refused, the field unchanged
    } cases[] = {
        {c, "Hello ", "Hello     "}, {c, "Internationalisation", "Internatio"},
        {c, "", "          "}, {c, "\xE9t\xE9", "\xE9t\xE9       "},
        {n, "5", "         5"}, {n, "         5", "         5"}, {n, "-12", "       -12"},
        {n, "2.5", "         3"}, {n, "", "          "}, {n, "5x", nullptr},
        {n, "12345678901", nullptr}, {money, "3.5", "    3.50"}, {money, ".5", "    0.50"},
        {money, "-0.001", "    0.00"}, {money, "-1.125", "   -1.13"}, {f, "-0.125", "  -0.125"},
        {d, "20240229", "20240229"}, {d, "", "        "}, {d, "20230229", nullptr},
        {d, "2024-1-1", nullptr}, {d, "20241301", nullptr}, {l, "T", "T"}, {l, "y", "T"},
        {l, ".F.", "F"}, {l, "n", "F"}, {l, "", " "}, {l, "maybe", nullptr},
        {m, "memo text goes elsewhere", nullptr}};
    // clang-format on
    for (const auto& t : cases) {
        std::string dest(static_cast<std::size_t>(t.field.length), '#');
        EXPECT_EQ(storeFieldText(t.field, t.text, dest.data()), t.stored ? 0 : rc::kFieldType)
            << t.field.name << " " << t.text;
        EXPECT_EQ(dest, t.stored ? t.stored : std::string(dest.size(), '#')) << t.text;
    }
}

TEST(DbfFieldCodec, NumberParsingAndMemoBlockNumbers) {
    EXPECT_EQ(parseLeadingNumber("   42abc"), 42);
    EXPECT_EQ(parseLeadingNumber("-3.5 "), -3.5);
    EXPECT_EQ(parseLeadingNumber("abc"), 0);
    double v = 0;
    EXPECT_TRUE(parseNumber(" 7 ", v));
    EXPECT_EQ(v, 7);
    for (const char* bad : {"7 7", "   ", "-"})
        EXPECT_FALSE(parseNumber(bad, v)) << bad;
    std::string out;
    EXPECT_TRUE(formatNumber(99999, 5, 0, out));
    EXPECT_FALSE(formatNumber(100000, 5, 0, out));
    EXPECT_FALSE(formatNumber(1.0 / 0.0, 10, 0, out));
    EXPECT_TRUE(formatNumber(-0.004, 6, 2, out));
    EXPECT_EQ(out, "  0.00");
    EXPECT_TRUE(formatNumber(-0.5, 3, 0, out));
    EXPECT_EQ(out, " -1");
    // Whole numbers written in place, as a walk fills a field from its key.
    char text[6] = {'#', '#', '#', '#', '#', '#'};
    EXPECT_TRUE(writeWholeNumber(-0.0, text, 6));
    EXPECT_EQ(std::string(text, 6), "     0");
    EXPECT_TRUE(writeWholeNumber(-12345, text, 6));
    EXPECT_EQ(std::string(text, 6), "-12345");
    for (const double other : {-123456.0, 2.5, 1e15, std::nan("")})
        EXPECT_FALSE(writeWholeNumber(other, text, 6)) << other;
    EXPECT_EQ(std::string(text, 6), "-12345");  // untouched

    // Whole numbers and short decimals are written without printf; both ways agree.
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const int decimals = i % 5 == 4 ? 15 : i % 5;
        const double magnitude = std::pow(10.0, static_cast<double>(random() % 18));
        const double value =
            (static_cast<double>(random() % 2000001) - 1000000.0) / 1e6 * magnitude;
        const double scale = std::pow(10.0, decimals);
        const int width = decimals == 15 ? 20 : 12;
        double rounded = std::round(value * scale) / scale;
        if (rounded == 0) rounded = 0;
        char expected[64];
        const int n = std::snprintf(expected, sizeof expected, "%*.*f", width, decimals, rounded);
        ASSERT_EQ(formatNumber(value, width, decimals, out), n <= width) << value;
        if (n <= width) {
            EXPECT_EQ(out, expected) << value << " with " << decimals;
        }
    }
    EXPECT_EQ(memoBlock("        12"), 12);
    EXPECT_EQ(memoBlock("0000000012"), 12);
    EXPECT_EQ(memoBlock("          "), 0);
    EXPECT_EQ(memoBlock("      12x "), -1);
    EXPECT_EQ(memoBlock("99999999999"), -1);
    char field[10];
    storeMemoBlock(730, field);
    EXPECT_EQ(std::string(field, 10), "       730");
    storeMemoBlock(0, field);
    EXPECT_EQ(std::string(field, 10), "          ");
}

}  // namespace
}  // namespace xbase
