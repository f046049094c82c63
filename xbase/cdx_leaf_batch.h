// Tag entries copied out a leaf at a time, for walks that read many entries
// in a row: stepping through the copies costs far less than a cursor step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "xbase/cdx_index.h"

namespace xbase {

class LeafBatch {
  public:
    // Up to size entries at a time.
    explicit LeafBatch(CdxTag& tag, int size = 64)
        : size_(size),
          length_(static_cast<std::size_t>(tag.keyLength())),
          // One block: the record numbers, then the keys.
          recnos_(new std::uint32_t[static_cast<std::size_t>(size) * (1 + (length_ + 3) / 4)]),
          keys_(reinterpret_cast<unsigned char*>(recnos_.get() + size)) {}

    // Reads the entries after the cursor's own (see CdxCursor::nextEntries);
    // the first of them is current. False past the last entry.
    bool fill(CdxCursor& cursor) {
        at_ = 0;
        count_ = cursor.nextEntries(keys_, recnos_.get(), size_);
        return count_ > 0;
    }
    // Makes the cursor's own entry the only one, current.
    bool takeCursor(const CdxCursor& cursor) {
        at_ = count_ = 0;
        if (!cursor.valid()) return false;
        std::memcpy(keys_, cursor.key().data(), length_);
        recnos_[0] = cursor.recNo();
        count_ = 1;
        return true;
    }
    // Reads on from the entry (key, recno) the cursor stood on before its tag
    // changed: the entries after it while it is still there, else from the
    // entry that took its place. False at the end. key may view this batch.
    bool resumeAfter(CdxCursor& cursor, std::string_view key, std::uint32_t recno) {
        if (!cursor.seekEntry(key, recno)) return false;
        if (cursor.key() == key && cursor.recNo() == recno) return fill(cursor);
        return takeCursor(cursor);
    }
    // Moves to the next entry read; false (and no entry current) when none is left.
    bool advance() {
        if (at_ + 1 >= count_) {
            at_ = count_;
            return false;
        }
        ++at_;
        return true;
    }
    // Moves k entries on; precondition: k <= ahead().
    void skip(int k) { at_ += k; }
    // The current entry is the last one read: the cursor that read it stands on it.
    bool atLast() const { return at_ + 1 == count_; }
    // Moves to the last entry read with key, which the current one has: the
    // entries with one key lie together, mostly a few of them, so a gallop
    // (1, 2, 4 ... entries on, then halving) finds it.
    void lastWith(std::string_view key) {
        int lo = at_;     // an entry with key
        int hi = count_;  // an entry without it, or past the last
        for (int step = 1; lo + step < hi; step *= 2) {
            if (keyAt(lo + step) != key) {
                hi = lo + step;
                break;
            }
            lo += step;
        }
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            (keyAt(mid) == key ? lo : hi) = mid;
        }
        at_ = lo;
    }

    std::string_view key() const { return keyAt(at_); }
    std::uint32_t recNo() const { return recnos_[static_cast<std::size_t>(at_)]; }
    // The entries read after the current one, and the key of the k-th of them (from 1).
    int ahead() const { return count_ - at_ - 1; }
    std::string_view keyAhead(int k) const { return keyAt(at_ + k); }

  private:
    std::string_view keyAt(int i) const {
        return {reinterpret_cast<const char*>(keys_) + static_cast<std::size_t>(i) * length_,
                length_};
    }

    int size_;
    std::size_t length_;
    // Left unset when made: only the entries read are ever looked at.
    std::unique_ptr<std::uint32_t[]> recnos_;
    unsigned char* keys_;  // in recnos_'s block: size_ keys of length_ bytes
    int count_ = 0;
    int at_ = 0;
};

}  // namespace xbase
