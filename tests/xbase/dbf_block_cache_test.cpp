// RecordBlockCache: right records under every access pattern with a cache far
// smaller than the file, few and small reads, writes, forgets and clears kept
// in step, and failed reads (a file growing under the cache: LockTable tests).
// Also the real file's scattered read the cache's runs use: the bytes land in
// their parts in order, however many parts (more than one system call takes)
// and empty ones among them, and a read that runs past the end of the file
// fails.
#include "xbase/dbf_block_cache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "table_test_util.h"

namespace xbase {
namespace {

constexpr int kRecordLength = 37;
constexpr std::uint64_t kDataStart = 161;

std::string recordText(std::uint32_t recno, char tag = 'r') {
    std::string text = " " + std::string(1, tag) + std::to_string(recno);
    text.resize(kRecordLength, '.');
    return text;
}

// A file in memory that counts its reads and can be told to fail them.
class MemoryFile : public File {
  public:
    // The file of a table of `records` records (recordText each).
    explicit MemoryFile(std::uint32_t records) : bytes(kDataStart, 'h') {
        for (std::uint32_t r = 1; r <= records; ++r)
            put(r, recordText(r));
    }
    void put(std::uint32_t recno, const std::string& text) {
        write(kDataStart + std::uint64_t(recno - 1) * kRecordLength, text.data(), text.size());
    }
    bool read(std::uint64_t off, void* buf, std::size_t n) override {
        ++reads;
        bytesRead += n;
        if (failReads || off + n > bytes.size()) return false;
        std::memcpy(buf, bytes.data() + off, n);
        return true;
    }
    // One read, as the real file makes one system call of it.
    bool readParts(std::uint64_t off, const ReadPart* parts, std::size_t count) override {
        std::size_t total = 0;
        for (std::size_t i = 0; i < count; ++i)
            total += parts[i].n;
        ++reads;
        bytesRead += total;
        if (failReads || off + total > bytes.size()) return false;
        for (std::size_t i = 0; i < count; off += parts[i].n, ++i)
            std::memcpy(parts[i].buf, bytes.data() + off, parts[i].n);
        return true;
    }
    long long readSome(std::uint64_t off, void* buf, std::size_t n) override {
        if (off >= bytes.size()) return 0;
        n = std::min<std::size_t>(n, bytes.size() - off);
        return read(off, buf, n) ? static_cast<long long>(n) : -1;
    }
    bool write(std::uint64_t off, const void* buf, std::size_t n) override {
        if (off + n > bytes.size()) bytes.resize(off + n);
        std::memcpy(bytes.data() + off, buf, n);
        return true;
    }
    long long size() override { return static_cast<long long>(bytes.size()); }
    bool truncate(std::uint64_t length) override {
        bytes.resize(length);
        return true;
    }
    bool sync() override { return true; }
    bool lock(std::uint64_t, std::uint64_t, LockKind, bool) override { return true; }
    bool unlock(std::uint64_t, std::uint64_t) override { return true; }

    std::string bytes;
    int reads = 0;
    std::size_t bytesRead = 0;
    bool failReads = false;
};

std::string recordAt(RecordBlockCache& cache, std::uint32_t recno, std::uint32_t count) {
    const char* bytes = cache.record(recno, count);
    return bytes ? std::string(bytes, kRecordLength) : "<none>";
}

TEST(RecordBlockCache, EveryAccessPatternReadsTheRightRecords) {
    const std::uint32_t count = 20000;  // 740 KB against a cache of 32 KB
    MemoryFile file(count);
    RecordBlockCache cache(file, kDataStart, kRecordLength, 32 << 10);
    std::vector<std::uint32_t> order;
    for (std::uint32_t r = 1; r <= count; ++r)
        order.push_back(r);  // forwards
    for (std::uint32_t r = count; r > 3; r -= 3)
        order.push_back(r);  // backwards
    for (std::uint32_t r = 1; r <= count; r += 29)
        order.push_back(r);  // ascending with gaps
    std::mt19937 random(11);
    for (int i = 0; i < 20000; ++i)
        order.push_back(random() % count + 1);
    for (std::uint32_t r : order)
        ASSERT_EQ(recordAt(cache, r, count), recordText(r)) << r;
    EXPECT_EQ(cache.record(0, count), nullptr);
    EXPECT_EQ(cache.record(count + 1, count), nullptr);

    // A write through the table reaches file and cache together; a change
    // made by another handle shows once the block is forgotten.
    file.put(50, recordText(50, 'w'));
    cache.update(50, recordText(50, 'w').data());
    EXPECT_EQ(recordAt(cache, 50, count), recordText(50, 'w'));
    ASSERT_EQ(recordAt(cache, 51, count), recordText(51));
    file.put(51, recordText(51, 'o'));
    EXPECT_EQ(recordAt(cache, 51, count), recordText(51)) << "still cached";
    cache.forget(51);
    EXPECT_EQ(recordAt(cache, 51, count), recordText(51, 'o'));
}

TEST(RecordBlockCache, ARunKeepsItsBlocksInACacheBarelyLargerThanIt) {
    // The smallest cache there is (two runs of blocks): ascending walks whose
    // runs meet blocks cached earlier, which the hand may stand next to. A
    // run's claims must not evict each other's blocks.
    const std::uint32_t count = 40000;
    MemoryFile file(count);
    RecordBlockCache cache(file, kDataStart, kRecordLength, 1);
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        const std::uint32_t start = random() % (count - 2000) + 1;
        for (int i = 0; i < 8; ++i) {  // cached blocks ahead of the walk
            const std::uint32_t r = start + random() % 2000;
            ASSERT_EQ(recordAt(cache, r, count), recordText(r)) << r;
        }
        for (std::uint32_t r = start; r < start + 2000; r += 16)
            ASSERT_EQ(recordAt(cache, r, count), recordText(r)) << r;
    }
}

TEST(RecordBlockCache, WalksReadRunsAndScatteredReadsReadSmallBlocks) {
    const std::uint32_t count = 20000;
    MemoryFile file(count);
    RecordBlockCache walk(file, kDataStart, kRecordLength);
    for (std::uint32_t r = 1; r <= count; ++r)
        ASSERT_NE(walk.record(r, count), nullptr);
    EXPECT_LE(file.reads, 60);  // 740 KB in runs of about 16 KB
    for (std::uint32_t r = 1; r <= count; ++r)
        ASSERT_NE(walk.record(r, count), nullptr);
    EXPECT_LE(file.reads, 60) << "a second walk is served from the cache";

    file.reads = 0;
    file.bytesRead = 0;
    RecordBlockCache scattered(file, kDataStart, kRecordLength);
    for (std::uint32_t r = count; r > 100; r -= 997)
        ASSERT_NE(scattered.record(r, count), nullptr);
    EXPECT_EQ(file.reads, 20);
    EXPECT_LE(file.bytesRead, 20u * 1024u);
}

TEST(RecordBlockCache, RecordBytesStayPutWhileOtherBlocksLoad) {
    // Callers hold a record's bytes while they read others (a relation judges
    // a record while its walk reads on): the slots must never move.
    const std::uint32_t count = 40000;  // 1.5 MB against a cache of 1 MB
    MemoryFile file(count);
    RecordBlockCache cache(file, kDataStart, kRecordLength, 1 << 20);
    const char* first = cache.record(1, count);
    const char* scattered = cache.record(count / 2, count);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(scattered, nullptr);
    for (std::uint32_t r = 2; r <= count / 2 + 1000; ++r)
        ASSERT_NE(cache.record(r, count), nullptr);
    EXPECT_EQ(std::string(first, kRecordLength), recordText(1));
    EXPECT_EQ(std::string(scattered, kRecordLength), recordText(count / 2));
    EXPECT_EQ(cache.record(1, count), first) << "still cached, in the same place";

    // Past the bound blocks are evicted and cleared, but what was handed out
    // stays readable memory (the sanitizer build checks this) and holds some
    // record, never a freed arena.
    for (std::uint32_t r = count / 2; r <= count; ++r)
        ASSERT_NE(cache.record(r, count), nullptr);
    file.put(count, recordText(count, 'c'));  // another handle's change: seen after a clear
    EXPECT_EQ(recordAt(cache, count, count), recordText(count)) << "still cached";
    cache.clear();
    EXPECT_EQ(first[0], ' ');
    EXPECT_EQ(recordAt(cache, count, count), recordText(count, 'c'));
}

TEST(RecordBlockCache, AFailedReadGivesNothingAndLeavesNoBlockBehind) {
    const std::uint32_t count = 1000;
    MemoryFile file(count);
    RecordBlockCache cache(file, kDataStart, kRecordLength);
    file.failReads = true;
    EXPECT_EQ(cache.record(500, count), nullptr);
    file.failReads = false;
    EXPECT_EQ(recordAt(cache, 500, count), recordText(500));
    // A file shorter than the count the caller believes in.
    EXPECT_EQ(cache.record(count + 5, count + 10), nullptr);
    EXPECT_EQ(recordAt(cache, 1, count), recordText(1));
}

TEST(FileIo, ScatteredReadsFillThePartsInOrderAndFailPastTheEnd) {
    xbase_test::TempDir dir;
    auto file = fileSystem().create(dir.file("data.bin"));
    ASSERT_NE(file, nullptr);
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += static_cast<char>('a' + i % 26 + (i / 26) % 7);
    ASSERT_TRUE(file->write(0, text.data(), text.size()));
    // 200 parts of 0 to 4 bytes: more than one preadv takes, empty ones included.
    std::vector<std::string> buffers;
    std::vector<ReadPart> parts;
    for (int i = 0; i < 200; ++i)
        buffers.emplace_back(static_cast<std::size_t>(i % 5), '?');
    for (std::string& b : buffers)
        parts.push_back(ReadPart{b.data(), b.size()});
    ASSERT_TRUE(file->readParts(123, parts.data(), parts.size()));
    std::string joined;
    for (const std::string& b : buffers)
        joined += b;
    EXPECT_EQ(joined, text.substr(123, joined.size()));
    EXPECT_EQ(joined.size(), 400u);

    std::string head(10, '?'), tail(20, '?');
    ReadPart two[] = {{head.data(), head.size()}, {tail.data(), tail.size()}};
    EXPECT_FALSE(file->readParts(text.size() - 25, two, 2));
    EXPECT_TRUE(file->readParts(text.size() - 30, two, 2));
    EXPECT_EQ(head + tail, text.substr(text.size() - 30));
    EXPECT_TRUE(file->readParts(text.size(), two, 0)) << "nothing to read";
}

}  // namespace
}  // namespace xbase
