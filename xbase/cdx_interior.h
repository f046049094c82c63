// Interior CDX pages, used in place: fixed-size entries of (key, record
// number, child offset), the number and child big-endian, one entry per
// child holding the last (greatest) entry of that child's subtree.
#pragma once

#include <cstdint>

#include "xbase/cdx_format.h"

namespace xbase::cdx {

// Entries an interior page holds for this key length.
inline int interiorCapacity(int keyLength) {
    return kInteriorSpace / (keyLength + 8);
}

// Read access to an interior page's bytes.
class InteriorView {
  public:
    InteriorView(const unsigned char* page, int keyLength) : page_(page), keyLength_(keyLength) {}

    std::uint16_t attr() const { return le16(page_ + kNodeAttr); }
    int size() const { return le16(page_ + kNodeKeys); }
    std::uint32_t left() const { return le32(page_ + kNodeLeft); }
    std::uint32_t right() const { return le32(page_ + kNodeRight); }
    const unsigned char* key(int i) const { return entry(i); }
    std::uint32_t recno(int i) const { return be32(entry(i) + keyLength_); }
    std::uint32_t child(int i) const { return be32(entry(i) + keyLength_ + 4); }
    // First entry whose (key, recno) is >= the target; size() when none.
    int lowerBound(const unsigned char* key, std::uint64_t recno) const;
    // Counts that fit the page and at least one child.
    bool plausible() const { return size() >= 1 && size() <= interiorCapacity(keyLength_); }

  protected:
    const unsigned char* entry(int i) const {
        return page_ + kNodeHeaderSize + i * (keyLength_ + 8);
    }
    const unsigned char* page_;
    int keyLength_;
};

// Write access: the caller has marked the page dirty.
class InteriorEdit : public InteriorView {
  public:
    InteriorEdit(unsigned char* page, int keyLength) : InteriorView(page, keyLength), mut_(page) {}

    // Turns the page into an empty interior node.
    void init(std::uint16_t attr, std::uint32_t left, std::uint32_t right);
    void setAttr(std::uint16_t a) { putLe16(mut_ + kNodeAttr, a); }
    void setLeft(std::uint32_t off) { putLe32(mut_ + kNodeLeft, off); }
    void setRight(std::uint32_t off) { putLe32(mut_ + kNodeRight, off); }
    void set(int i, const unsigned char* key, std::uint32_t recno, std::uint32_t child);
    void setLast(int i, const unsigned char* key, std::uint32_t recno);
    // Precondition: size() < interiorCapacity().
    void insert(int i, const unsigned char* key, std::uint32_t recno, std::uint32_t child);
    void erase(int i);
    // Appends entries [begin, end) of src after the entries held.
    void append(const InteriorView& src, int begin, int end);
    void truncate(int n);

  private:
    unsigned char* entryMut(int i) { return mut_ + kNodeHeaderSize + i * (keyLength_ + 8); }
    void setSize(int n) { putLe16(mut_ + kNodeKeys, static_cast<std::uint16_t>(n)); }
    unsigned char* mut_;
};

}  // namespace xbase::cdx
