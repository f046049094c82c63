// CdxCursor moves that only go forward (skipTo) and copies of cursors: the
// same entries a fresh seek finds, within a leaf, across leaves and after
// the tag changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "tests/xbase/cdx_test_support.h"
#include "xbase/cdx_index.h"

namespace {

using cdxtest::Entry;
using cdxtest::TempDir;
using xbase::CdxCursor;
using xbase::CdxTag;

constexpr int kKeyLength = 6;

std::string randomText(std::mt19937& rng, int maxLength) {
    std::uniform_int_distribution<int> length(1, maxLength);
    std::uniform_int_distribution<int> letter(0, 3);
    std::string text(static_cast<std::size_t>(length(rng)), ' ');
    for (char& c : text)
        c = static_cast<char>('A' + letter(rng));
    return text;
}

std::string padded(std::string key) {
    key.resize(kKeyLength, ' ');
    return key;
}

Entry at(const CdxCursor& c) {
    return c.valid() ? Entry{std::string(c.key()), c.recNo()} : Entry{"<end>", 0};
}

// Where skipTo(target) must land: the first entry seekGE finds, unless the
// cursor already stands at or after it.
Entry expected(CdxTag& tag, const CdxCursor& from, const std::string& target) {
    CdxCursor fresh(tag);
    const Entry sought = fresh.seekGE(target) ? at(fresh) : Entry{"<end>", 0};
    if (!from.valid() || sought.key == "<end>") return sought;
    return std::max(sought, at(from));
}

TEST(CdxCursorSkip, ForwardSeeksMatchFreshSeeksAndCopiesWalkAlike) {
    TempDir dir;
    short error = 0;
    auto cdx = xbase::CdxFile::create(dir.file("t.cdx"), error);
    xbase::CdxTagSpec spec;
    spec.name = "K";
    spec.keyExpr = "K";
    spec.keyLength = kKeyLength;
    CdxTag* tag = cdx->addTag(spec, error);
    ASSERT_TRUE(tag);
    std::mt19937 rng(5);
    for (std::uint32_t r = 1; r <= 6000; ++r)
        ASSERT_EQ(tag->insert(padded(randomText(rng, kKeyLength)), r), 0);

    for (int walk = 0; walk < 40; ++walk) {
        CdxCursor c(*tag);
        ASSERT_TRUE(c.first());
        for (int step = 0; step < 60 && c.valid(); ++step) {
            // Targets near the cursor (same leaf) and far ahead, some longer than a key.
            std::string target = step % 3 == 0
                                     ? randomText(rng, kKeyLength + 1)
                                     : std::string(c.key().substr(0, 3)) + randomText(rng, 2);
            if (step % 17 == 5) {
                ASSERT_EQ(tag->insert(padded(target), 9000 + step), 0);
            }
            const Entry want = expected(*tag, c, target);
            c.skipTo(target);
            ASSERT_EQ(at(c), want) << "target " << target;
            if (step % 10 == 0 && c.valid()) {
                CdxCursor copy(c);
                for (int i = 0; i < 50; ++i) {
                    const bool a = c.next(), b = copy.next();
                    ASSERT_EQ(a, b);
                    ASSERT_EQ(at(c), at(copy));
                }
            }
        }
    }
}

}  // namespace
