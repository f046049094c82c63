// One B+-tree of a CDX file (a tag, or the directory of tags): search,
// ordered stepping along sibling links, single-entry insert and remove.
//
// Design note. Invariants the tree keeps after every change:
//  1. Each interior entry holds the last (greatest) (key, recno) of its
//     child's subtree; an insert or remove that changes a node's last entry
//     rewrites the entries above it, up to the root.
//  2. All nodes of a level are linked left and right; a split links the new
//     right node in, a removed node is unlinked.
//  3. The root has the root bit; an empty tree is a root leaf with no keys.
//  4. Leaves split when their encoded form would pass 488 bytes; a leaf
//     emptied by a remove is unlinked, released and dropped from its parent
//     (and so on up); other underfull nodes stay as they are.
//  5. The path of an insert into the last leaf is kept as a hint while
//     neither this tree's shape (root, splits, removed nodes, filler) nor the
//     cache's layout version has changed; an insert whose entry sorts after
//     the hinted leaf's first entry belongs in that leaf when it is still the
//     last of its level or the entry does not sort after its last one: a
//     descent would reach the same leaf along the same path.
// Reading never trusts the file: offsets are checked, descents are bounded
// by kMaxDepth, sibling walks must move strictly forward in key order and
// hop over at most as many empty leaves as the file has pages.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "xbase/cdx_free_list.h"
#include "xbase/cdx_page_cache.h"

namespace xbase::cdx {

// An entry of a leaf, held by readers between moves.
struct LeafPos {
    std::shared_ptr<const LeafNode> leaf;
    std::uint32_t offset = kNone;
    int index = 0;
};

// A full key and record number, copied out of a page.
struct EntryCopy {
    unsigned char key[kMaxKeyLength];
    std::uint32_t recno;
};

class Tree {
  public:
    // headerOffset: the tag header whose first four bytes hold the root.
    Tree(PageCache& cache, FreeList& freeList, std::uint32_t headerOffset, std::uint32_t root,
         int keyLength, char filler);

    std::uint32_t headerOffset() const { return headerOffset_; }
    std::uint32_t root() const { return root_; }
    // Points the tree and its header at a new root page.
    short setRoot(std::uint32_t root);
    // Takes the root another process wrote into the header.
    void adoptRoot(std::uint32_t root) {
        root_ = root;
        ++shape_;
    }
    // Reads the root page: a sound node carrying the root bit, else rc::kIndex.
    // The key order of a root leaf is left unchecked (the filler may not be
    // known yet).
    short checkRoot();
    int keyLength() const { return keyLength_; }
    char filler() const { return filler_; }
    void setFiller(char filler) {
        filler_ = filler;
        ++shape_;
    }
    PageCache& cache() { return cache_; }
    FreeList& freeList() { return freeList_; }

    // The first entry >= (key, recno); found false at the end of the tree.
    short seek(const unsigned char* key, std::uint64_t recno, LeafPos& pos, bool& found);
    short first(LeafPos& pos, bool& found);
    short last(LeafPos& pos, bool& found);
    // Moves pos one entry on (dir 1) or back (dir -1); found false past the end.
    short step(LeafPos& pos, int dir, bool& found);

    enum class Outcome { Changed, Unchanged, KeyTaken };
    // Unchanged when the entry was there already; KeyTaken (only with
    // unique) when the key was there for another record number.
    short insert(const unsigned char* key, std::uint32_t recno, bool unique, Outcome& outcome);
    // Unchanged when the entry was not there.
    short remove(const unsigned char* key, std::uint32_t recno, Outcome& outcome);

    // Every page of the tree, root first; rc::kIndex when the tree is not sound.
    short collectPages(std::vector<std::uint32_t>& pages);

  private:
    struct PathStep {
        std::uint32_t offset;
        int index;
    };

    // The leaf a descent ends in.
    struct LeafAt {
        std::uint32_t offset = kNone;
        const LeafNode* leaf = nullptr;
        PageCache::Slot* slot = nullptr;
    };

    // Where the last insert went (invariant 5).
    struct InsertHint {
        bool valid = false;
        std::uint64_t shape = 0;
        std::uint64_t layout = 0;
        std::uint32_t leaf = kNone;
        int depth = 0;
        PathStep path[kMaxDepth];
    };

    // Reads the node at off: a leaf (leaf set) or a checked interior page.
    short readNode(std::uint32_t off, const LeafNode*& leaf, const unsigned char*& interior,
                   PageCache::Slot*& slot);
    // Follows the first child whose last entry is >= the target (the last
    // child past the end), or with edge set the first (-1) or last (1) child.
    short descend(const unsigned char* key, std::uint64_t recno, int edge, PathStep* path,
                  int& depth, LeafAt& at);
    // The hinted leaf and its path when (key, recno) belongs there.
    bool hinted(const unsigned char* key, std::uint32_t recno, PathStep* path, int& depth,
                LeafAt& at);
    void remember(const PathStep* path, int depth, std::uint32_t leaf, bool lastOfLevel);
    short hop(std::uint32_t off, int dir, const LeafNode* from, int fromIndex, LeafPos& pos,
              bool& found);
    // After a leaf changed: split it if it no longer fits, else carry a new
    // last entry (lastChanged) up to the separators.
    short settleLeaf(PathStep* path, int depth, std::uint32_t off, LeafNode* leaf, int splitAt,
                     bool lastChanged);
    short insertChild(PathStep* path, int depth, const EntryCopy& leftLast, std::uint32_t leftOff,
                      const EntryCopy& rightLast, std::uint32_t rightOff);
    short removeNode(PathStep* path, int depth, std::uint32_t off, bool isLeaf);
    short fixSeparators(const PathStep* path, int depth, const EntryCopy& last);
    short setLink(std::uint32_t off, bool isLeaf, int field, std::uint32_t value);
    EntryCopy copyEntry(const unsigned char* key, std::uint32_t recno) const;
    bool nodeOffset(std::uint32_t off) const;

    PageCache& cache_;
    FreeList& freeList_;
    std::uint32_t headerOffset_;
    std::uint32_t root_;
    int keyLength_;
    char filler_;
    std::uint64_t shape_ = 0;
    InsertHint hint_;
};

}  // namespace xbase::cdx
