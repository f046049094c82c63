// Compact leaf pages: decoding into whole keys, size bookkeeping for inserts
// and splits, and encoding with the widths and counts compatible writers use.
#include "xbase/cdx_leaf.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace xbase::cdx {
namespace {

constexpr std::size_t kGrowEntries = 8;

// The bit field of the entry at off of page, little-endian in its width
// bytes (one 8-byte load where the page allows).
std::uint64_t readEntry(const unsigned char* page, int off, int width) {
    if constexpr (std::endian::native == std::endian::little) {
        if (off + 8 <= static_cast<int>(kPageSize)) {
            std::uint64_t v = 0;
            std::memcpy(&v, page + off, sizeof v);
            return width == 8 ? v : v & ((std::uint64_t{1} << (8 * width)) - 1);
        }
    }
    std::uint64_t v = 0;
    for (int b = width - 1; b >= 0; --b)
        v = (v << 8) | page[off + b];
    return v;
}

void writeEntry(unsigned char* e, int width, std::uint64_t v) {
    for (int b = 0; b < width; ++b, v >>= 8)
        e[b] = static_cast<unsigned char>(v);
}

}  // namespace

LeafWidths leafWidths(int keyLength, std::uint32_t maxRecno) {
    LeafWidths w;
    w.dupBits = std::bit_width(static_cast<unsigned>(keyLength));
    int need = std::bit_width(maxRecno);
    w.entryBytes = 3;
    while (8 * w.entryBytes - 2 * w.dupBits < need)
        ++w.entryBytes;
    // The record mask field holds 32 bits; any surplus widens the trailing count.
    w.recBits = std::min(32, 8 * w.entryBytes - 2 * w.dupBits);
    w.trailBits = 8 * w.entryBytes - w.recBits - w.dupBits;
    return w;
}

LeafNode::LeafNode(int keyLength, char filler) : keyLength_(keyLength), filler_(filler) {}

int LeafNode::lowerBound(const unsigned char* k, std::uint64_t rec) const {
    int lo = 0;
    int hi = size();
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (compareEntryWords(key(mid), recno(mid), k, rec, keyLength_) < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

int LeafNode::trailOf(const unsigned char* k) const {
    int t = 0;
    const auto fill = static_cast<unsigned char>(filler_);
    while (t < keyLength_ && k[keyLength_ - 1 - t] == fill)
        ++t;
    return t;
}

int LeafNode::dupCount(const unsigned char* prev, int prevTrail, const unsigned char* k,
                       int trail) const {
    // The shared prefix never reaches into the trailing filler of either key.
    const int cap = keyLength_ - std::max(prevTrail, trail);
    int dup = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes at a time; the last, partial step compares the eight
        // bytes that end at cap (the bytes before dup are equal already).
        if (cap >= 8) {
            for (;; dup += 8) {
                const int at = std::min(dup, cap - 8);
                std::uint64_t a = 0;
                std::uint64_t b = 0;
                std::memcpy(&a, prev + at, sizeof a);
                std::memcpy(&b, k + at, sizeof b);
                if (a != b) return at + std::countr_zero(a ^ b) / 8;
                if (at + 8 == cap) return cap;
            }
        }
    }
    while (dup < cap && prev[dup] == k[dup])
        ++dup;
    return dup;
}

int LeafNode::fragmentAfter(const unsigned char* prev, const unsigned char* k) const {
    int trail = trailOf(k);
    if (prev == nullptr) return keyLength_ - trail;
    return keyLength_ - dupCount(prev, trailOf(prev), k, trail) - trail;
}

int LeafNode::usedBytes() const {
    counts();
    return size() * leafWidths(keyLength_, maxRecno_).entryBytes + fragBytes_;
}

void LeafNode::insert(int pos, const unsigned char* k, std::uint32_t rec) {
    counts();
    const unsigned char* prev = pos > 0 ? key(pos - 1) : nullptr;
    int delta = fragmentAfter(prev, k);
    if (pos < size()) delta += fragmentAfter(k, key(pos)) - fragmentAfter(prev, key(pos));
    auto at = static_cast<std::ptrdiff_t>(pos) * keyLength_;
    if (recnos_.size() == recnos_.capacity()) {
        // Grow by a few entries, not by doubling: cached leaves stay small.
        recnos_.reserve(recnos_.size() + kGrowEntries);
        keys_.reserve(keys_.size() + kGrowEntries * static_cast<std::size_t>(keyLength_));
    }
    keys_.insert(keys_.begin() + at, k, k + keyLength_);
    recnos_.insert(recnos_.begin() + pos, rec);
    fragBytes_ += delta;
    maxRecno_ = std::max(maxRecno_, rec);
}

void LeafNode::erase(int pos) {
    counts();
    const unsigned char* prev = pos > 0 ? key(pos - 1) : nullptr;
    int delta = -fragmentAfter(prev, key(pos));
    if (pos + 1 < size()) {
        delta += fragmentAfter(prev, key(pos + 1)) - fragmentAfter(key(pos), key(pos + 1));
    }
    std::uint32_t rec = recno(pos);
    auto at = static_cast<std::ptrdiff_t>(pos) * keyLength_;
    keys_.erase(keys_.begin() + at, keys_.begin() + at + keyLength_);
    recnos_.erase(recnos_.begin() + pos);
    fragBytes_ += delta;
    if (rec == maxRecno_) {
        maxRecno_ = recnos_.empty() ? 0 : *std::max_element(recnos_.begin(), recnos_.end());
    }
}

void LeafNode::assignRange(const LeafNode& src, int begin, int end) {
    keys_.assign(src.key(begin),
                 src.key(begin) + static_cast<std::ptrdiff_t>(end - begin) * keyLength_);
    recnos_.assign(src.recnos_.begin() + begin, src.recnos_.begin() + end);
    recount();
}

void LeafNode::truncate(int n) {
    if (counted_) {  // only the entries that go are counted (a split off tail is short)
        for (int i = n; i < size(); ++i)
            fragBytes_ -= fragmentAt(i);
    }
    keys_.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(keyLength_));
    recnos_.resize(static_cast<std::size_t>(n));
    maxRecno_ = recnos_.empty() ? 0 : *std::max_element(recnos_.begin(), recnos_.end());
}

void LeafNode::pushBack(const unsigned char* k, std::uint32_t rec) {
    counts();
    fragBytes_ += fragmentAfter(size() > 0 ? key(size() - 1) : nullptr, k);
    keys_.insert(keys_.end(), k, k + keyLength_);
    recnos_.push_back(rec);
    maxRecno_ = std::max(maxRecno_, rec);
}

void LeafNode::clear() {
    keys_.clear();
    recnos_.clear();
    fragBytes_ = 0;
    maxRecno_ = 0;
    counted_ = true;
}

void LeafNode::recount() const {
    fragBytes_ = 0;
    for (int i = 0; i < size(); ++i)
        fragBytes_ += fragmentAt(i);
    maxRecno_ = recnos_.empty() ? 0 : *std::max_element(recnos_.begin(), recnos_.end());
    counted_ = true;
}

void LeafNode::counts() const {
    if (!counted_) recount();
}

int LeafNode::balancedSplit() const {
    const int n = size();
    if (n < 2) return -1;
    // frag[i]: fragment after entry i-1; whole[i]: fragment when i starts a page.
    std::vector<int> frag(static_cast<std::size_t>(n));
    std::vector<int> fragSum(static_cast<std::size_t>(n) + 1, 0);
    std::vector<std::uint32_t> maxRight(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 0; i < n; ++i) {
        frag[i] = fragmentAt(i);
        fragSum[i + 1] = fragSum[i] + frag[i];
    }
    for (int i = n - 1; i >= 0; --i)
        maxRight[i] = std::max(maxRight[i + 1], recno(i));
    int best = -1;
    int bestSize = 0;
    std::uint32_t maxLeft = recno(0);
    for (int k = 1; k < n; ++k) {
        int leftBytes = fragSum[k] + k * leafWidths(keyLength_, maxLeft).entryBytes;
        int rightBytes = (keyLength_ - trailOf(key(k))) + (fragSum[n] - fragSum[k + 1]) +
                         (n - k) * leafWidths(keyLength_, maxRight[k]).entryBytes;
        int worst = std::max(leftBytes, rightBytes);
        if (worst <= kLeafSpace && (best < 0 || worst < bestSize)) {
            best = k;
            bestSize = worst;
        }
        maxLeft = std::max(maxLeft, recno(k));
    }
    return best;
}

bool LeafNode::decode(const unsigned char* p, bool checkOrder) {
    attr = le16(p + kNodeAttr);
    const int n = le16(p + kNodeKeys);
    left = le32(p + kNodeLeft);
    right = le32(p + kNodeRight);
    const int recBits = p[kLeafRecBits];
    const int dupBits = p[kLeafDupBits];
    const int trailBits = p[kLeafTrailBits];
    const int entryBytes = p[kLeafEntryBytes];
    if (entryBytes < 1 || entryBytes > 8 || recBits > 32 || dupBits > 8 || trailBits > 8 ||
        recBits + dupBits + trailBits != 8 * entryBytes || n * entryBytes > kLeafSpace) {
        return false;
    }
    const std::uint64_t recMask = (std::uint64_t{1} << recBits) - 1;
    const std::uint64_t dupMask = (std::uint64_t{1} << dupBits) - 1;
    const std::uint64_t trailMask = (std::uint64_t{1} << trailBits) - 1;
    const std::size_t len = static_cast<std::size_t>(keyLength_);
    keys_.resize(static_cast<std::size_t>(n) * len);
    recnos_.resize(static_cast<std::size_t>(n));
    const int floor = kLeafDataStart + n * entryBytes;
    int pos = static_cast<int>(kPageSize);
    for (int i = 0; i < n; ++i) {
        const std::uint64_t v = readEntry(p, kLeafDataStart + i * entryBytes, entryBytes);
        int dup = i == 0 ? 0 : static_cast<int>((v >> recBits) & dupMask);
        int trail = static_cast<int>((v >> (recBits + dupBits)) & trailMask);
        if (dup + trail > keyLength_) return false;
        int fragment = keyLength_ - dup - trail;
        pos -= fragment;
        if (pos < floor) return false;
        unsigned char* dst = keys_.data() + static_cast<std::size_t>(i) * len;
        if (dup > 0) std::memcpy(dst, dst - len, static_cast<std::size_t>(dup));
        std::memcpy(dst + dup, p + pos, static_cast<std::size_t>(fragment));
        std::memset(dst + dup + fragment, static_cast<unsigned char>(filler_),
                    static_cast<std::size_t>(trail));
        recnos_[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(v & recMask);
        if (checkOrder && i > 0) {
            // The first dup bytes were copied from the previous key, so the
            // byte after them usually decides the order.
            const int c = dup < keyLength_ ? dst[dup] - dst[dup - static_cast<int>(len)] : 0;
            if (c < 0 || (c == 0 && compareEntry(dst - len, recnos_[i - 1], dst, recnos_[i],
                                                 keyLength_) >= 0))
                return false;
        }
    }
    counted_ = false;  // most decoded leaves are only read: count when asked
    return true;
}

void LeafNode::encode(unsigned char* p) const {
    counts();
    std::memset(p, 0, kPageSize);
    const LeafWidths w = leafWidths(keyLength_, maxRecno_);
    putLe16(p + kNodeAttr, attr);
    putLe16(p + kNodeKeys, static_cast<std::uint16_t>(size()));
    putLe32(p + kNodeLeft, left);
    putLe32(p + kNodeRight, right);
    putLe32(p + kLeafRecMask, static_cast<std::uint32_t>((std::uint64_t{1} << w.recBits) - 1));
    p[kLeafDupMask] = static_cast<unsigned char>((1u << w.dupBits) - 1);
    p[kLeafTrailMask] = static_cast<unsigned char>((1u << w.trailBits) - 1);
    p[kLeafRecBits] = static_cast<unsigned char>(w.recBits);
    p[kLeafDupBits] = static_cast<unsigned char>(w.dupBits);
    p[kLeafTrailBits] = static_cast<unsigned char>(w.trailBits);
    p[kLeafEntryBytes] = static_cast<unsigned char>(w.entryBytes);
    // Entries are gathered as whole little-endian words, each overlapping the
    // next, in a buffer with room for the last one's spare bytes.
    unsigned char entries[kLeafSpace + 8];
    int pos = static_cast<int>(kPageSize);
    int prevTrail = 0;
    for (int i = 0; i < size(); ++i) {
        const unsigned char* k = key(i);
        int trail = trailOf(k);
        int dup = i == 0 ? 0 : dupCount(key(i - 1), prevTrail, k, trail);
        int fragment = keyLength_ - dup - trail;
        pos -= fragment;
        std::memcpy(p + pos, k + dup, static_cast<std::size_t>(fragment));
        std::uint64_t v = recno(i) | (static_cast<std::uint64_t>(dup) << w.recBits) |
                          (static_cast<std::uint64_t>(trail) << (w.recBits + w.dupBits));
        unsigned char* e = entries + i * w.entryBytes;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(e, &v, sizeof v);
        } else {
            for (int b = 0; b < 8; ++b)
                e[b] = static_cast<unsigned char>(v >> (8 * b));
        }
        prevTrail = trail;
    }
    std::memcpy(p + kLeafDataStart, entries, static_cast<std::size_t>(size() * w.entryBytes));
    putLe16(p + kLeafFree,
            static_cast<std::uint16_t>(pos - (kLeafDataStart + size() * w.entryBytes)));
}

bool LeafNode::encodeInsert(unsigned char* p, int pos) const {
    const LeafWidths w = leafWidths(keyLength_, maxRecno_);
    if (p[kLeafRecBits] != w.recBits || p[kLeafDupBits] != w.dupBits ||
        p[kLeafTrailBits] != w.trailBits || p[kLeafEntryBytes] != w.entryBytes) {
        return false;
    }
    const int n = size();
    const int width = w.entryBytes;
    unsigned char* entries = p + kLeafDataStart;
    const std::uint64_t dupMask = (std::uint64_t{1} << w.dupBits) - 1;
    const std::uint64_t trailMask = (std::uint64_t{1} << w.trailBits) - 1;
    // Counts of entry i of the page as it stands (before the insert).
    auto trailAt = [&](int i) {
        return static_cast<int>(
            (readEntry(p, kLeafDataStart + i * width, width) >> (w.recBits + w.dupBits)) &
            trailMask);
    };
    auto fragmentOn = [&](int i) {
        const std::uint64_t v = readEntry(p, kLeafDataStart + i * width, width);
        return keyLength_ - static_cast<int>((v >> w.recBits) & dupMask) -
               static_cast<int>((v >> (w.recBits + w.dupBits)) & trailMask);
    };

    // Fragments run down from the page end in entry order; those of the old
    // entries from pos on lie in [bottom, top). Sum the shorter side.
    const int bottom = kLeafDataStart + (n - 1) * width + le16(p + kLeafFree);
    int top = bottom;
    if (pos < (n - 1) / 2) {
        top = static_cast<int>(kPageSize);
        for (int i = 0; i < pos; ++i)
            top -= fragmentOn(i);
    } else {
        for (int i = pos; i < n - 1; ++i)
            top += fragmentOn(i);
    }

    const unsigned char* k = key(pos);
    const int trail = trailOf(k);
    const int dup = pos == 0 ? 0 : dupCount(key(pos - 1), trailOf(key(pos - 1)), k, trail);
    const int fragment = keyLength_ - dup - trail;
    // The entry that followed at pos now follows the new one: its shared
    // prefix, and so its fragment, changes.
    int oldNextFragment = 0;
    int nextDup = 0;
    int nextTrail = 0;
    int nextFragment = 0;
    if (pos + 1 < n) {
        oldNextFragment = fragmentOn(pos);
        nextTrail = trailAt(pos);
        nextDup = dupCount(k, trail, key(pos + 1), nextTrail);
        nextFragment = keyLength_ - nextDup - nextTrail;
    }
    // The two fragments together are never shorter than the one they replace
    // (keys in order share with a neighbour at least what they share with
    // the entry beyond it), so the fragments that follow only move down.
    const int newBottom = bottom - (fragment + nextFragment - oldNextFragment);
    std::memmove(p + newBottom, p + bottom,
                 static_cast<std::size_t>(top - oldNextFragment - bottom));
    std::memcpy(p + top - fragment, k + dup, static_cast<std::size_t>(fragment));
    if (nextFragment > 0) {
        std::memcpy(p + top - fragment - nextFragment, key(pos + 1) + nextDup,
                    static_cast<std::size_t>(nextFragment));
    }

    std::memmove(entries + (pos + 1) * width, entries + pos * width,
                 static_cast<std::size_t>((n - 1 - pos) * width));
    auto field = [&](int i, int d, int t) {
        return recno(i) | (static_cast<std::uint64_t>(d) << w.recBits) |
               (static_cast<std::uint64_t>(t) << (w.recBits + w.dupBits));
    };
    writeEntry(entries + pos * width, width, field(pos, dup, trail));
    if (pos + 1 < n)
        writeEntry(entries + (pos + 1) * width, width, field(pos + 1, nextDup, nextTrail));
    putLe16(p + kNodeKeys, static_cast<std::uint16_t>(n));
    putLe16(p + kLeafFree, static_cast<std::uint16_t>(newBottom - (kLeafDataStart + n * width)));
    return true;
}

std::size_t LeafNode::memoryBytes() const {
    return sizeof(LeafNode) + keys_.capacity() + recnos_.capacity() * sizeof(std::uint32_t);
}

}  // namespace xbase::cdx
