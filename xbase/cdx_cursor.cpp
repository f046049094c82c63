// CdxCursor: a position in one tag that survives changes to the tag.
//
// The cursor keeps a copy of its entry (key, recno) and the leaf it came
// from. While the tag's change count is what it was at the last move, the
// leaf is still the tag's truth and next()/prev() step within it or along
// the sibling links. After any change the cursor first finds its entry again
// (or the first entry after it, if its entry was removed) and moves from
// there. Moves allocate nothing: the key copy lives in the cursor.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "xbase/cdx_tag_impl.h"
#include "xbase/key_words.h"
#include "xbase/return_codes.h"

namespace xbase {

namespace {

std::string_view view(const unsigned char* key, int length) {
    return {reinterpret_cast<const char*>(key), static_cast<std::size_t>(length)};
}

}  // namespace

struct CdxCursor::Impl {
    explicit Impl(CdxTag::Impl& t) : tag(t) {}

    // Takes the outcome of a tree move as the cursor's new state.
    bool settle(short e, bool found) {
        error = e;
        valid = e == rc::kSuccess && found;
        if (valid) {
            std::memcpy(key, pos.leaf->key(pos.index),
                        static_cast<std::size_t>(tag.tree.keyLength()));
            recno = pos.leaf->recno(pos.index);
        } else {
            pos.leaf.reset();
        }
        seenChange = tag.changeCount;
        tag.file.afterRead();
        return valid;
    }

    bool seek(std::uint64_t rec) {
        bool found = false;
        short e = tag.tree.seek(target, rec, pos, found);
        return settle(e, found);
    }

    // Fills target from prefix as seekGE reads it; the record number to seek with.
    std::uint64_t setTarget(std::string_view prefix) {
        const auto length = static_cast<std::size_t>(tag.tree.keyLength());
        const std::size_t n = std::min(prefix.size(), length);
        std::memcpy(target, prefix.data(), n);
        std::memset(target + n, 0, length - n);
        // A prefix longer than the key: keys equal to its first bytes are
        // shorter, so smaller; the search starts after all of them.
        return prefix.size() > length ? std::uint64_t{1} << 32 : 0;
    }

    // skipTo with target already set; rec as setTarget returned it.
    bool skipToTarget(std::uint64_t rec);

    bool move(int dir) {
        if (!valid) return false;
        bool found = false;
        if (tag.changeCount != seenChange) {
            // Find the remembered entry again, or the first one after it.
            const unsigned char* k = key;
            short e = tag.tree.seek(k, recno, pos, found);
            if (e != rc::kSuccess) return settle(e, false);
            if (!found) {
                if (dir > 0) return settle(rc::kSuccess, false);
                e = tag.tree.last(pos, found);
                return settle(e, found);
            }
            const bool same =
                cdx::compareEntry(pos.leaf->key(pos.index), pos.leaf->recno(pos.index), k, recno,
                                  tag.tree.keyLength()) == 0;
            if (!same && dir > 0) return settle(rc::kSuccess, true);  // the successor
        }
        short e = tag.tree.step(pos, dir, found);
        return settle(e, found);
    }

    CdxTag::Impl& tag;
    cdx::LeafPos pos;
    bool valid = false;
    unsigned char key[cdx::kMaxKeyLength] = {};  // the entry's key, keyLength() bytes
    std::uint32_t recno = 0;
    std::uint64_t seenChange = 0;
    short error = rc::kSuccess;
    unsigned char target[cdx::kMaxKeyLength] = {};
};

CdxCursor::CdxCursor(CdxTag& tag) : impl_(std::make_unique<Impl>(*tag.impl_)) {}

CdxCursor::CdxCursor(const CdxCursor& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}

CdxCursor::~CdxCursor() = default;

bool CdxCursor::first() {
    bool found = false;
    short e = impl_->tag.tree.first(impl_->pos, found);
    return impl_->settle(e, found);
}

bool CdxCursor::last() {
    bool found = false;
    short e = impl_->tag.tree.last(impl_->pos, found);
    return impl_->settle(e, found);
}

bool CdxCursor::next() {
    return impl_->move(1);
}

int CdxCursor::nextEntries(unsigned char* keys, std::uint32_t* recnos, int max) {
    Impl& c = *impl_;
    if (max < 1 || !c.move(1)) return 0;
    const auto length = static_cast<std::size_t>(c.tag.tree.keyLength());
    const cdx::LeafNode& leaf = *c.pos.leaf;
    const int last = std::min(leaf.size() - 1, c.pos.index + max - 1);
    const int n = last - c.pos.index + 1;
    // A leaf holds its keys, and its record numbers, one after another.
    std::memcpy(keys, leaf.key(c.pos.index), static_cast<std::size_t>(n) * length);
    for (int i = 0; i < n; ++i)
        recnos[i] = leaf.recno(c.pos.index + i);
    if (last > c.pos.index) {
        c.pos.index = last;
        std::memcpy(c.key, leaf.key(last), length);
        c.recno = leaf.recno(last);
    }
    return n;
}

bool CdxCursor::prev() {
    return impl_->move(-1);
}

bool CdxCursor::seekGE(std::string_view prefix) {
    return impl_->seek(impl_->setTarget(prefix));
}

bool CdxCursor::skipTo(std::string_view prefix) {
    Impl& c = *impl_;
    return c.skipToTarget(c.setTarget(prefix));
}

bool CdxCursor::nextKey() {
    Impl& c = *impl_;
    if (!c.valid) return false;
    const int length = c.tag.tree.keyLength();
    // Within the leaf, while it is still the tag's truth: the entries with
    // the current key come first, so a gallop of equality tests finds where
    // they end for less than a search by order.
    if (c.pos.leaf && c.tag.changeCount == c.seenChange) {
        const cdx::LeafNode& leaf = *c.pos.leaf;
        const std::string_view current = view(c.key, length);
        const auto same = [&](int i) { return sameShort(view(leaf.key(i), length), current); };
        const int last = leaf.size() - 1;
        if (!same(last)) {
            int lo = c.pos.index;  // an entry with the key
            int hi = last;         // an entry with another key
            for (int step = 8; lo + step < hi; step *= 2) {
                if (!same(lo + step)) {
                    hi = lo + step;
                    break;
                }
                lo += step;
            }
            while (hi - lo > 1) {
                const int mid = lo + (hi - lo) / 2;
                (same(mid) ? lo : hi) = mid;
            }
            c.pos.index = hi;
            return c.settle(rc::kSuccess, true);
        }
    }
    // Else a skip to the key's successor: the key with its last byte below
    // 0xFF raised by one and the bytes after it zero.
    std::memcpy(c.target, c.key, static_cast<std::size_t>(length));
    int at = length - 1;
    while (at >= 0 && c.target[at] == 0xFF)
        c.target[at--] = 0;
    if (at < 0) return c.settle(rc::kSuccess, false);  // no key follows
    ++c.target[at];
    return c.skipToTarget(0);
}

bool CdxCursor::Impl::skipToTarget(std::uint64_t rec) {
    Impl& c = *this;
    const int length = c.tag.tree.keyLength();
    if (c.valid && cdx::compareEntry(c.key, c.recno, c.target, rec, length) >= 0) {
        if (c.tag.changeCount == c.seenChange) return true;  // already there
        std::memcpy(c.target, c.key, static_cast<std::size_t>(length));
        return c.seek(c.recno);  // its entry again, or the one after it
    }
    // Within the cursor's own leaf, while it is still the tag's truth, a
    // search of that leaf finds what a descent from the root would; so does
    // a search of the next leaf, which a walk skipping short runs of
    // entries reaches more often than any other.
    if (c.valid && c.pos.leaf && c.tag.changeCount == c.seenChange) {
        const cdx::LeafNode& leaf = *c.pos.leaf;
        const int last = leaf.size() - 1;
        if (cdx::compareEntry(leaf.key(last), leaf.recno(last), c.target, rec, length) >= 0) {
            c.pos.index = leaf.lowerBound(c.target, rec);
            return c.settle(rc::kSuccess, true);
        }
        cdx::LeafPos next = c.pos;
        next.index = last;
        bool found = false;
        if (c.tag.tree.step(next, 1, found) == rc::kSuccess && found) {
            const cdx::LeafNode& after = *next.leaf;
            const int end = after.size() - 1;
            if (cdx::compareEntry(after.key(end), after.recno(end), c.target, rec, length) >= 0) {
                next.index = after.lowerBound(c.target, rec);
                c.pos = std::move(next);
                return c.settle(rc::kSuccess, true);
            }
        }
    }
    return c.seek(rec);
}

bool CdxCursor::seekEntry(std::string_view key, std::uint32_t recno) {
    Impl& c = *impl_;
    const int length = c.tag.tree.keyLength();
    const std::size_t n = std::min(key.size(), static_cast<std::size_t>(length));
    std::memcpy(c.target, key.data(), n);
    std::memset(c.target + n, 0, static_cast<std::size_t>(length) - n);
    // An entry within the span of the cursor's own leaf, while that is still
    // the tag's truth, is found by a search of that leaf alone.
    if (c.valid && c.pos.leaf && c.tag.changeCount == c.seenChange) {
        const cdx::LeafNode& leaf = *c.pos.leaf;
        const int last = leaf.size() - 1;
        if (cdx::compareEntry(leaf.key(0), leaf.recno(0), c.target, recno, length) <= 0 &&
            cdx::compareEntry(leaf.key(last), leaf.recno(last), c.target, recno, length) >= 0) {
            c.pos.index = leaf.lowerBound(c.target, recno);
            return c.settle(rc::kSuccess, true);
        }
    }
    return c.seek(recno);
}

bool CdxCursor::valid() const {
    return impl_->valid;
}

std::string_view CdxCursor::key() const {
    if (!impl_->valid) return {};
    return {reinterpret_cast<const char*>(impl_->key),
            static_cast<std::size_t>(impl_->tag.tree.keyLength())};
}

std::uint32_t CdxCursor::recNo() const {
    return impl_->valid ? impl_->recno : 0;
}

short CdxCursor::error() const {
    return impl_->error;
}

}  // namespace xbase
