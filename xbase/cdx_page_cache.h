// The page cache of one CDX file: 512-byte pages by file offset, with dirty
// flags, decoded leaves kept beside their bytes, and bounded memory.
//
// Design note. Every page the index touches lives in one entry of this cache.
// An entry holds the page bytes and, for a leaf someone has read as a leaf,
// the decoded LeafNode. Invariants:
//  1. When leafDirty is set the decoded leaf is the truth and the bytes are
//     stale; page() and pageForWrite() encode the leaf first.
//  2. Otherwise the bytes are the truth and a decoded leaf, if held, equals
//     their decoding. When encodedLeaf is set besides, the bytes are exactly
//     what encode() writes for that leaf, so an insert can update them in
//     place (insertIntoLeaf) and the leaf stays clean of leafDirty.
//  3. Dirty entries are never evicted; they leave the cache only through
//     writeDirty(). Clean entries sit in a CLOCK list (a lookup only sets a
//     reference bit) and trim(), while the cache holds more than its limit,
//     takes the decoded leaf from an unreferenced one and evicts one that
//     holds bytes alone. Up to 64 evicted slots and 64 decoded leaves
//     that no one else holds are kept aside (outside the limit) for reuse.
//  4. Pointers returned by page(), pageForWrite(), leaf(), node() and the
//     Slot handles stay valid until the next trim() or dropClean(); callers
//     trim only between whole operations. Shared leaves handed out with
//     leafShared() stay alive for their holder even after eviction.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "xbase/cdx_leaf.h"
#include "xbase/file_io.h"

namespace xbase::cdx {

class PageCache {
  public:
    PageCache(File& file, std::size_t limitBytes);
    PageCache(const PageCache&) = delete;
    PageCache& operator=(const PageCache&) = delete;

    // Bytes of the page at off (read from the file when not cached); nullptr
    // with error rc::kIndex for an offset outside the file or misaligned,
    // rc::kRead when the read fails.
    const unsigned char* page(std::uint32_t off, short& error);
    unsigned char* pageForWrite(std::uint32_t off, short& error);
    // A page whose old contents do not matter: zeroed, dirty, never read.
    unsigned char* pageOverwrite(std::uint32_t off);

    // One cached page; callers hold it only as a handle between node() and
    // leafForWrite() within one operation.
    struct Slot;

    // The tree node at off: a decoded leaf, or else the bytes of a page whose
    // attributes say interior. False with rc::kIndex for a damaged leaf or
    // unknown attributes.
    bool node(std::uint32_t off, int keyLength, char filler, const LeafNode*& leaf,
              const unsigned char*& bytes, Slot*& slot, short& error);
    // The page decoded as a compact leaf; nullptr with rc::kIndex when it is
    // not a sound leaf of this key length.
    const LeafNode* leaf(std::uint32_t off, int keyLength, char filler, short& error);
    std::shared_ptr<const LeafNode> leafShared(std::uint32_t off, int keyLength, char filler,
                                               short& error);
    // The leaf node() found in slot, marked changed.
    LeafNode* leafForWrite(Slot* slot);
    // Inserts the entry at pos of the leaf node() found in slot, marked
    // changed; the page bytes follow at once when they can (see invariant 2).
    LeafNode* insertIntoLeaf(Slot* slot, int pos, const unsigned char* key, std::uint32_t recno);
    // Makes node the page at off (a new or reused page), dirty.
    LeafNode* putLeaf(std::uint32_t off, LeafNode node);
    // The decoded leaf at off when it is held and is the truth of that page
    // (changed since it was read); edits to it need no other bookkeeping.
    LeafNode* dirtyLeaf(std::uint32_t off);

    // Copies bytes just written straight to the file into the cached page
    // at off, if it is cached, so the cache keeps matching the file.
    void patch(std::uint32_t off, int where, const void* data, std::size_t n);

    // A fresh zeroed page at the end of the file.
    std::uint32_t appendPage();
    std::uint64_t fileEnd() const { return fileEnd_; }
    // Re-reads the file length (after another process may have grown it).
    void syncFileEnd();

    // Writes every dirty page (contiguous runs in one write) and marks them
    // clean; rc::kWrite when a write fails.
    short writeDirty();
    std::size_t dirtyPages() const { return dirty_.size(); }
    // Evicts clean pages, least recently used first, down to the limit.
    void trim() {
        if (!touched_.empty() || total_ > limit_) trimTouched();
    }
    // Forgets every clean page (another process changed the file).
    void dropClean();

    std::uint64_t pagesRead() const { return pagesRead_; }
    // Changes whenever a page may have begun to mean something else: a page
    // overwritten or put anew (allocated, freed, split off) or clean pages
    // dropped for another process's changes. Facts learnt about the file's
    // layout (a tree's path to a leaf) hold while it stays the same.
    std::uint64_t layoutVersion() const { return layoutVersion_; }

  private:
    Slot* at(std::uint32_t off) const;
    Slot* find(std::uint32_t off);
    Slot* load(std::uint32_t off, short& error);
    Slot& create(std::uint32_t off);
    Slot* decoded(std::uint32_t off, int keyLength, char filler, short& error);
    bool holdsDecoded(const Slot& s, int keyLength, char filler) const;
    bool decodeLeaf(Slot& s, int keyLength, char filler, short& error);
    void materialize(Slot& s);
    void markDirty(Slot& s);
    void clockPushNewest(Slot& s);
    void clockRemove(Slot& s);
    void erase(std::uint32_t off);
    void releaseLeaf(Slot& s);
    void trimTouched();

    File& file_;
    std::size_t limit_;
    std::vector<std::unique_ptr<Slot>> slots_;            // by page number (offset / 512)
    std::vector<std::unique_ptr<Slot>> spare_;            // evicted slots, kept for reuse
    std::vector<std::shared_ptr<LeafNode>> spareLeaves_;  // evicted leaves, decoded into again
    // Clean entries in a list linked through the slots: newest first, the
    // next eviction candidate last.
    Slot* clockNewest_ = nullptr;
    Slot* clockOldest_ = nullptr;
    std::vector<std::uint32_t> dirty_;
    std::vector<std::uint32_t> touched_;    // entries whose cost may have changed
    std::vector<unsigned char> runBuffer_;  // writeDirty's pages of one write, kept for reuse
    std::size_t total_ = 0;
    std::uint64_t fileEnd_ = 0;
    std::uint64_t pagesRead_ = 0;
    std::uint64_t layoutVersion_ = 0;
};

struct PageCache::Slot {
    std::uint32_t offset = 0;
    std::array<unsigned char, kPageSize> bytes{};
    std::shared_ptr<LeafNode> leaf;
    bool leafDirty = false;
    // The bytes are what encode() wrote for a leaf of this key length and
    // filler (meaningful while !leafDirty).
    bool encodedLeaf = false;
    char encodedFiller = 0;
    int encodedKeyLength = 0;
    bool dirty = false;
    bool referenced = false;
    bool inClock = false;
    Slot* newer = nullptr;  // neighbours in the CLOCK list while inClock
    Slot* older = nullptr;
    std::size_t cost = 0;
};

}  // namespace xbase::cdx
