// Interior CDX pages: binary search and in-place entry edits.
#include "xbase/cdx_interior.h"

#include <cstring>

#include "xbase/cdx_leaf.h"

namespace xbase::cdx {

int InteriorView::lowerBound(const unsigned char* k, std::uint64_t rec) const {
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

void InteriorEdit::init(std::uint16_t attr, std::uint32_t left, std::uint32_t right) {
    std::memset(mut_, 0, kPageSize);
    setAttr(attr);
    setLeft(left);
    setRight(right);
}

void InteriorEdit::set(int i, const unsigned char* k, std::uint32_t rec, std::uint32_t child) {
    setLast(i, k, rec);
    putBe32(entryMut(i) + keyLength_ + 4, child);
}

void InteriorEdit::setLast(int i, const unsigned char* k, std::uint32_t rec) {
    unsigned char* e = entryMut(i);
    std::memmove(e, k, static_cast<std::size_t>(keyLength_));
    putBe32(e + keyLength_, rec);
}

void InteriorEdit::insert(int i, const unsigned char* k, std::uint32_t rec, std::uint32_t child) {
    const int n = size();
    const auto width = static_cast<std::size_t>(keyLength_ + 8);
    std::memmove(entryMut(i + 1), entryMut(i), static_cast<std::size_t>(n - i) * width);
    setSize(n + 1);
    set(i, k, rec, child);
}

void InteriorEdit::erase(int i) {
    const int n = size();
    const auto width = static_cast<std::size_t>(keyLength_ + 8);
    std::memmove(entryMut(i), entryMut(i + 1), static_cast<std::size_t>(n - i - 1) * width);
    std::memset(entryMut(n - 1), 0, width);
    setSize(n - 1);
}

void InteriorEdit::append(const InteriorView& src, int begin, int end) {
    const int n = size();
    const auto width = static_cast<std::size_t>(keyLength_ + 8);
    std::memcpy(entryMut(n), src.key(begin), static_cast<std::size_t>(end - begin) * width);
    setSize(n + end - begin);
}

void InteriorEdit::truncate(int n) {
    const int old = size();
    const auto width = static_cast<std::size_t>(keyLength_ + 8);
    std::memset(entryMut(n), 0, static_cast<std::size_t>(old - n) * width);
    setSize(n);
}

}  // namespace xbase::cdx
