// A compact CDX leaf page decoded into full keys, and its encoder.
//
// On disk a leaf packs one small bit field per entry (record number,
// duplicate count, trailing count) from byte 24 forward and the key fragments
// from the page end backward. In memory we keep the keys whole, so searches
// are binary and an insert or erase is a memmove; the page is encoded again
// only when it is written back.
//
// Invariants of a LeafNode:
//  - entries are in ascending (key, recno) order;
//  - once counted_, fragBytes_ is the sum of the fragment lengths our encoder
//    would write, maxRecno_ the largest record number, so usedBytes() is
//    exactly the space encode() fills (the page fits when usedBytes() <=
//    kLeafSpace). A decoded leaf counts them only when first asked.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "xbase/cdx_format.h"

namespace xbase::cdx {

// Bit widths of one compact leaf.
struct LeafWidths {
    int recBits = 0;
    int dupBits = 0;
    int trailBits = 0;
    int entryBytes = 0;
};

// compareEntry's order, comparing the keys eight bytes at a time (the binary
// searches of leaves and interior pages run it for every probe).
inline int compareEntryWords(const unsigned char* a, std::uint64_t aRec, const unsigned char* b,
                             std::uint64_t bRec, int keyLength) {
    auto bigEndian = [](const unsigned char* p) {
        std::uint64_t v = 0;
        std::memcpy(&v, p, sizeof v);
        if constexpr (std::endian::native == std::endian::little) {
#if defined(__GNUC__) || defined(__clang__)
            v = __builtin_bswap64(v);
#else
            std::uint64_t r = 0;
            for (int i = 0; i < 8; ++i, v >>= 8)
                r = (r << 8) | (v & 0xFF);
            v = r;
#endif
        }
        return v;
    };
    int i = 0;
    for (; i + 8 <= keyLength; i += 8) {
        const std::uint64_t x = bigEndian(a + i);
        const std::uint64_t y = bigEndian(b + i);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < keyLength && keyLength >= 8) {  // the last eight bytes, overlapping
        const std::uint64_t x = bigEndian(a + keyLength - 8);
        const std::uint64_t y = bigEndian(b + keyLength - 8);
        if (x != y) return x < y ? -1 : 1;
    } else {
        for (; i < keyLength; ++i)
            if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return aRec < bRec ? -1 : (aRec > bRec ? 1 : 0);
}

// The widths compatible writers choose: duplicate and trailing counts as wide
// as the key length needs, three-byte entries widened while maxRecno does
// not fit.
LeafWidths leafWidths(int keyLength, std::uint32_t maxRecno);

class LeafNode {
  public:
    LeafNode(int keyLength, char filler);

    std::uint16_t attr = kAttrLeaf;
    std::uint32_t left = kNone;
    std::uint32_t right = kNone;

    int size() const { return static_cast<int>(recnos_.size()); }
    int keyLength() const { return keyLength_; }
    char filler() const { return filler_; }
    const unsigned char* key(int i) const {
        return keys_.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(keyLength_);
    }
    std::uint32_t recno(int i) const { return recnos_[static_cast<std::size_t>(i)]; }
    // First position whose (key, recno) is >= the target; size() when none.
    int lowerBound(const unsigned char* key, std::uint64_t recno) const;

    // Bytes of entries and fragments encode() would write.
    int usedBytes() const;
    bool fits() const { return usedBytes() <= kLeafSpace; }

    void insert(int pos, const unsigned char* key, std::uint32_t recno);
    void erase(int pos);
    // Keeps entries [begin, end) of src (src may not be this node).
    void assignRange(const LeafNode& src, int begin, int end);
    // Keeps the first n entries.
    void truncate(int n);
    // Appends an entry that sorts after every entry already held.
    void pushBack(const unsigned char* key, std::uint32_t recno);
    void clear();

    // The split position k (entries [0,k) stay, [k,size) move to a new right
    // page) that balances the encoded bytes with both halves fitting; -1 when
    // no split can make both fit (fewer than two entries).
    int balancedSplit() const;

    // Reads a leaf page; false when its widths, counts or fragments are
    // damaged, or (with checkOrder) its keys are out of order. Keys read with
    // the wrong filler may look out of order, so checks made before the
    // filler is known leave the order alone.
    bool decode(const unsigned char* page, bool checkOrder = true);
    // Writes the whole page. Precondition: fits().
    void encode(unsigned char* page) const;
    // Brings page up to date after insert(pos, ...): page held encode()'s
    // bytes of this node without entry pos, and afterwards holds encode()'s
    // bytes of the node as it is, for the cost of moving the entries and
    // fragments that follow instead of encoding every entry again. False,
    // with page untouched, when the insert changed the leaf's bit widths.
    // Precondition: fits().
    bool encodeInsert(unsigned char* page, int pos) const;

    std::size_t memoryBytes() const;

  private:
    int trailOf(const unsigned char* key) const;
    int dupCount(const unsigned char* prev, int prevTrail, const unsigned char* key,
                 int trail) const;
    // Fragment length of key after prev (nullptr: the first key of a page).
    int fragmentAfter(const unsigned char* prev, const unsigned char* key) const;
    int fragmentAt(int i) const { return fragmentAfter(i == 0 ? nullptr : key(i - 1), key(i)); }
    void recount() const;
    void counts() const;  // recounts unless counted_

    int keyLength_;
    char filler_;
    std::vector<unsigned char> keys_;
    std::vector<std::uint32_t> recnos_;
    mutable int fragBytes_ = 0;
    mutable std::uint32_t maxRecno_ = 0;
    mutable bool counted_ = true;
};

}  // namespace xbase::cdx
