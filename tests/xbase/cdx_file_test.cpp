// CDX files as a whole: the flush marker and its write order, damaged files
// refused or walked safely, and two handles sharing one file through the
// index lock and the change counter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/xbase/cdx_test_support.h"
#include "tests/xbase/recording_file_system.h"
#include "xbase/cdx_index.h"
#include "xbase/return_codes.h"

namespace {

using cdxtest::TempDir;
using xbase::CdxCursor;
using xbase::CdxFile;
using xbase::CdxTag;
using xbase::OpenMode;
using xbase_test::RecordingFileSystem;
namespace rc = xbase::rc;

using cdxtest::tagSpec;

std::string key(std::uint32_t n) {
    return cdxtest::padded("K" + std::to_string(n * 7919u % 100000u), 12);
}

// A file with one tag "T" of `count` entries, flushed.
void makeFile(const std::string& path, std::uint32_t count) {
    short error = 0;
    auto cdx = CdxFile::create(path, error);
    ASSERT_TRUE(cdx);
    CdxTag* tag = cdx->addTag(tagSpec("T", 12), error);
    ASSERT_TRUE(tag);
    for (std::uint32_t r = 1; r <= count; ++r)
        ASSERT_EQ(tag->insert(key(r), r), 0);
    ASSERT_EQ(cdx->flush(count, false), 0);
}

// The entries a walk visits, stopped at 100,000 (damaged files may loop).
std::size_t countWalk(CdxCursor& c, bool forward = true) {
    std::size_t n = 0;
    for (bool ok = forward ? c.first() : c.last(); ok && n < 100000;
         ok = forward ? c.next() : c.prev())
        ++n;
    return n;
}

std::size_t countForward(CdxTag& tag) {
    CdxCursor c(tag);
    return countWalk(c);
}

TEST(CdxFile, FlushWritesInSafeOrderAndAnInterruptedOneLeavesTheFileDirty) {
    TempDir dir;
    const std::string path = dir.file("t.cdx");
    makeFile(path, 10);
    short error = 0;
    std::uint32_t count = 0;
    {
        RecordingFileSystem fs;
        auto cdx = CdxFile::open(path, OpenMode::ReadWrite, error);
        ASSERT_TRUE(cdx);
        for (std::uint32_t r = 11; r <= 3000; ++r)
            ASSERT_EQ(cdx->tag("T")->insert(key(r), r), 0);
        fs.ops.clear();
        ASSERT_EQ(cdx->flush(3000, true), 0);
        // marker (dirty), sync, pages..., sync, marker (clean), sync
        std::string kinds;
        for (const auto& op : fs.ops)
            kinds += op.offset == 480 ? 'm' : op.kind;
        ASSERT_GE(kinds.size(), 6u);
        EXPECT_EQ(kinds, "ms" + std::string(kinds.size() - 5, 'w') + "sms");
        ASSERT_TRUE(cdx->cleanState(count));
        EXPECT_EQ(count, 3000u);
        // A flush that dies after its first write leaves the mid-flush marker.
        for (std::uint32_t r = 3001; r <= 3400; ++r)
            ASSERT_EQ(cdx->tag("T")->insert(key(r), r), 0);
        fs.writesLeft = 1;
        EXPECT_EQ(cdx->flush(3400, false), rc::kWrite);
    }
    auto after = CdxFile::open(path, OpenMode::ReadOnly, error);
    ASSERT_TRUE(after);
    EXPECT_TRUE(after->hasMarker());
    EXPECT_FALSE(after->cleanState(count));
}

TEST(CdxFile, DamagedFilesAreRefused) {
    TempDir dir;
    const std::string good = dir.file("good.cdx");
    makeFile(good, 2000);
    const std::vector<unsigned char> bytes = cdxtest::readFile(good);
    short error = 0;
    EXPECT_EQ(CdxFile::open(dir.file("missing.cdx"), OpenMode::ReadOnly, error), nullptr);
    EXPECT_EQ(error, rc::kOpen);

    auto refused = [&](std::vector<unsigned char> damaged, const char* what) {
        const std::string path = dir.file("bad.cdx");
        cdxtest::writeFile(path, damaged);
        short e = 0;
        EXPECT_EQ(CdxFile::open(path, OpenMode::ReadOnly, e), nullptr) << what;
        EXPECT_EQ(e, rc::kIndex) << what;
    };
    auto patched = [&](std::size_t at, std::vector<unsigned char> with) {
        std::vector<unsigned char> b = bytes;
        std::copy(with.begin(), with.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    refused({}, "empty file");
    refused(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 1000), "cut in the header");
    refused(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 2600), "cut in a root");
    refused(std::vector<unsigned char>(4096, 0xAB), "garbage");
    refused(patched(1536 + 12, {0x2C, 0x01}), "key length 300");
    refused(patched(1536, {0x01, 0x0A, 0, 0}), "root not on a page");
    refused(patched(1536, {0, 0, 0, 0x7F}), "root past the end");
    refused(patched(1024 + 24, {0xFF, 0xFF, 0xFF}), "directory names a header past the end");
    refused(patched(1024 + 2, {0xFF, 0x00}), "directory leaf with 255 keys");
    std::uint32_t root = bytes[1536] | (bytes[1537] << 8) | (bytes[1538] << 16);
    refused(patched(root, {0x09, 0x00}), "unknown node attributes");
    refused(patched(root + 2, {0x00, 0x00}), "interior root without keys");
}

// Child offsets of an interior page.
std::vector<std::uint32_t> children(const std::vector<unsigned char>& b, std::uint32_t page,
                                    int keyLength = 12) {
    std::vector<std::uint32_t> out;
    int n = b[page + 2] | (b[page + 3] << 8);
    for (int i = 0; i < n; ++i) {
        std::size_t e = page + 12 + static_cast<std::size_t>(i * (keyLength + 8) + keyLength + 4);
        out.push_back(std::uint32_t{b[e]} << 24 | b[e + 1] << 16 | b[e + 2] << 8 | b[e + 3]);
    }
    return out;
}

void put32(std::vector<unsigned char>& b, std::size_t at, std::uint32_t v, bool bigEndian) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] =
            static_cast<unsigned char>(v >> (bigEndian ? 24 - 8 * i : 8 * i));
}

TEST(CdxFile, CyclicLinksEndWalksWithAnError) {
    TempDir dir;
    const std::string path = dir.file("t.cdx");
    makeFile(path, 1000);
    std::vector<unsigned char> bytes = cdxtest::readFile(path);
    std::uint32_t root = bytes[1536] | (bytes[1537] << 8) | (bytes[1538] << 16);
    ASSERT_EQ(bytes[root], 1);  // an interior root over leaves
    std::vector<std::uint32_t> leaves = children(bytes, root);
    ASSERT_GE(leaves.size(), 3u);
    short error = 0;

    // The last leaf's right link points back to the first leaf; the first
    // leaf's left link to itself.
    std::vector<unsigned char> cyclic = bytes;
    put32(cyclic, leaves.back() + 8, leaves.front(), false);
    put32(cyclic, leaves.front() + 4, leaves.front(), false);
    cdxtest::writeFile(path, cyclic);
    auto cdx = CdxFile::open(path, OpenMode::ReadOnly, error);
    ASSERT_TRUE(cdx);
    CdxCursor c(*cdx->tag("T"));
    for (bool forward : {true, false}) {
        EXPECT_EQ(countWalk(c, forward), 1000u);
        EXPECT_EQ(c.error(), rc::kIndex);
    }

    // A child pointer back to the root: descents stop at the depth bound.
    std::vector<unsigned char> loop = bytes;
    put32(loop, root + 12 + (leaves.size() - 1) * 20 + 16, root, true);
    cdxtest::writeFile(path, loop);
    cdx = CdxFile::open(path, OpenMode::ReadWrite, error);
    ASSERT_TRUE(cdx);
    CdxCursor d(*cdx->tag("T"));
    EXPECT_FALSE(d.last());
    EXPECT_EQ(d.error(), rc::kIndex);
    EXPECT_FALSE(d.seekGE("ZZZ"));
    EXPECT_EQ(d.error(), rc::kIndex);
    EXPECT_EQ(cdx->tag("T")->insert(key(0).replace(0, 1, "Z"), 1), rc::kIndex);
}

TEST(CdxFile, TwoHandlesShareChangesThroughTheLock) {
    TempDir dir;
    const std::string path = dir.file("t.cdx");
    makeFile(path, 100);
    short error = 0;
    auto a = CdxFile::open(path, OpenMode::ReadWrite, error);
    auto b = CdxFile::open(path, OpenMode::ReadWrite, error);
    ASSERT_TRUE(a && b);
    CdxCursor onB(*b->tag("T"));
    ASSERT_TRUE(onB.first());
    const std::string firstKey(onB.key());

    ASSERT_EQ(a->lockForWrite(), 0);
    EXPECT_FALSE(b->file().lock(0x7FFFFFFE, 1, xbase::LockKind::Exclusive, false));
    for (std::uint32_t r = 101; r <= 2000; ++r)
        ASSERT_EQ(a->tag("T")->insert(key(r), r), 0);
    ASSERT_EQ(a->tag("T")->remove(firstKey, onB.recNo()), 0);
    ASSERT_EQ(a->flush(2000, false), 0);
    a->unlockWrite();

    ASSERT_EQ(b->lockForWrite(), 0);  // picks up a's changes
    EXPECT_EQ(countForward(*b->tag("T")), 1999u);
    // b's cursor stood on the entry a removed: it moves on to the successor.
    ASSERT_TRUE(onB.next());
    EXPECT_GT(std::string(onB.key()), firstKey);
    ASSERT_EQ(b->tag("T")->insert(key(5000), 5000), 0);
    ASSERT_EQ(b->flush(2000, false), 0);
    b->unlockWrite();

    a->refreshIfChanged();
    EXPECT_EQ(countForward(*a->tag("T")), 2000u);
    std::uint32_t count = 0;
    EXPECT_TRUE(a->cleanState(count));
    EXPECT_EQ(count, 2000u);
}

TEST(CdxFile, ManyTagsGrowTheDirectoryIntoATree) {
    TempDir dir;
    const std::string path = dir.file("t.cdx");
    short error = 0;
    auto cdx = CdxFile::create(path, error);
    for (int i = 0; i < 300; ++i) {
        CdxTag* tag = cdx->addTag(tagSpec("T" + std::to_string(i * 7 % 300), 12), error);
        ASSERT_TRUE(tag) << i;
        ASSERT_EQ(tag->insert(key(static_cast<std::uint32_t>(i)), 1), 0);
    }
    ASSERT_EQ(cdx->flush(1, false), 0);
    cdx.reset();
    std::vector<unsigned char> bytes = cdxtest::readFile(path);
    cdxtest::TagReport directory = cdxtest::TagReader(bytes, ' ', true).read(0);
    ASSERT_TRUE(directory.problems.empty()) << directory.problems.front();
    EXPECT_EQ(directory.entries.size(), 300u);
    EXPECT_GE(directory.depth, 2);

    cdx = CdxFile::open(path, OpenMode::ReadOnly, error);
    ASSERT_TRUE(cdx) << error;
    ASSERT_EQ(cdx->tags().size(), 300u);
    CdxCursor c(*cdx->tag("t14"));
    ASSERT_TRUE(c.first());
    EXPECT_EQ(c.key(), key(2));

    // A damaged directory leaf that is not the root still fails the open.
    std::uint32_t dirRoot = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16);
    std::uint32_t secondLeaf = children(bytes, dirRoot, 10)[1];
    bytes[secondLeaf + 23] = 9;  // entry width that does not match the bit counts
    cdxtest::writeFile(path, bytes);
    EXPECT_EQ(CdxFile::open(path, OpenMode::ReadOnly, error), nullptr);
    EXPECT_EQ(error, rc::kIndex);
}

TEST(CdxFile, ReadOnlyFilesRefuseChanges) {
    TempDir dir;
    const std::string path = dir.file("t.cdx");
    makeFile(path, 30);
    short error = 0;
    auto cdx = CdxFile::open(path, OpenMode::ReadOnly, error);
    ASSERT_TRUE(cdx);
    CdxTag* tag = cdx->tag("T");
    EXPECT_EQ(tag->insert(key(1), 9999), rc::kWrite);
    EXPECT_EQ(tag->remove(key(1), 1), rc::kWrite);
    EXPECT_EQ(cdxtest::rebuildFrom(*tag, {}), rc::kWrite);
    EXPECT_EQ(cdx->addTag(tagSpec("U", 4), error), nullptr);
    EXPECT_EQ(countForward(*tag), 30u);
}

}  // namespace
