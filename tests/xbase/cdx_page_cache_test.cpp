// The CDX page cache under a tight limit: pages evicted and read again, and
// leaves decoded into nodes that earlier evictions gave back, must read
// exactly as a fresh decoding of the file's bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "tests/xbase/cdx_test_support.h"
#include "xbase/cdx_index.h"
#include "xbase/cdx_leaf.h"
#include "xbase/cdx_page_cache.h"
#include "xbase/file_io.h"

namespace {

using xbase::cdx::LeafNode;
using xbase::cdx::PageCache;

// Both leaves hold the same entries, links and byte count.
void expectSameLeaf(const LeafNode& got, const LeafNode& want, std::uint32_t off) {
    ASSERT_EQ(got.size(), want.size()) << off;
    EXPECT_EQ(got.attr, want.attr) << off;
    EXPECT_EQ(got.left, want.left) << off;
    EXPECT_EQ(got.right, want.right) << off;
    EXPECT_EQ(got.usedBytes(), want.usedBytes()) << off;
    for (int i = 0; i < want.size(); ++i) {
        EXPECT_EQ(std::memcmp(got.key(i), want.key(i), static_cast<std::size_t>(want.keyLength())),
                  0)
            << off << " entry " << i;
        EXPECT_EQ(got.recno(i), want.recno(i)) << off << " entry " << i;
    }
}

TEST(CdxPageCache, LeavesDecodedIntoReusedNodesReadAsFreshOnes) {
    cdxtest::TempDir dir;
    const std::string path = dir.file("t.cdx");
    short error = 0;
    {
        auto cdx = xbase::CdxFile::create(path, error);
        xbase::CdxTag* shortKeys = cdx->addTag(cdxtest::tagSpec("A", 10), error);
        xbase::CdxTag* longKeys = cdx->addTag(cdxtest::tagSpec("B", 20), error);
        ASSERT_TRUE(shortKeys && longKeys);
        std::mt19937 rng(5);
        for (std::uint32_t r = 1; r <= 6000; ++r) {
            std::string key = std::to_string(rng() % 100000);
            key.resize(10, ' ');
            ASSERT_EQ(shortKeys->insert(key, r), 0);
            key.resize(20, ' ');
            key.replace(12, 6, std::to_string(100000 + r % 7));
            ASSERT_EQ(longKeys->insert(key, r), 0);
        }
        ASSERT_EQ(cdx->flush(6000, false), 0);
    }
    auto file = xbase::fileSystem().open(path, xbase::OpenMode::ReadOnly);
    ASSERT_TRUE(file);
    PageCache cache(*file, 16 * 1024);  // a few pages: nearly every read evicts
    const auto end = static_cast<std::uint32_t>(cache.fileEnd());
    int leaves = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::uint32_t off = 1024; off < end; off += 512) {
            for (int keyLength : {10, 20}) {
                const unsigned char* bytes = cache.page(off, error);
                ASSERT_NE(bytes, nullptr) << off;
                LeafNode fresh(keyLength, ' ');
                const std::uint16_t attr = xbase::cdx::le16(bytes + xbase::cdx::kNodeAttr);
                const bool sound = attr <= (xbase::cdx::kAttrLeaf | xbase::cdx::kAttrRoot) &&
                                   (attr & xbase::cdx::kAttrLeaf) != 0 && fresh.decode(bytes);
                const LeafNode* cached = cache.leaf(off, keyLength, ' ', error);
                ASSERT_EQ(cached != nullptr, sound) << off << " as keys of " << keyLength;
                if (sound) {
                    expectSameLeaf(*cached, fresh, off);
                    ++leaves;
                }
                cache.trim();
            }
        }
    }
    EXPECT_GT(leaves, 100);
}

}  // namespace
