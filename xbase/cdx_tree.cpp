// The B+-tree of one CDX tag: bounded descents, sibling walks, and single
// entry inserts and removes with splits and separator updates.
#include "xbase/cdx_tree.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "xbase/cdx_interior.h"
#include "xbase/return_codes.h"

namespace xbase::cdx {

Tree::Tree(PageCache& cache, FreeList& freeList, std::uint32_t headerOffset, std::uint32_t root,
           int keyLength, char filler)
    : cache_(cache),
      freeList_(freeList),
      headerOffset_(headerOffset),
      root_(root),
      keyLength_(keyLength),
      filler_(filler) {}

bool Tree::nodeOffset(std::uint32_t off) const {
    return off % kPageSize == 0 && off >= kTagHeaderSize &&
           std::uint64_t{off} + kPageSize <= cache_.fileEnd();
}

EntryCopy Tree::copyEntry(const unsigned char* key, std::uint32_t recno) const {
    EntryCopy c;
    std::memcpy(c.key, key, static_cast<std::size_t>(keyLength_));
    c.recno = recno;
    return c;
}

short Tree::setRoot(std::uint32_t root) {
    short error = rc::kSuccess;
    unsigned char* header = cache_.pageForWrite(headerOffset_, error);
    if (header == nullptr) return error;
    putLe32(header + kHdrRoot, root);
    root_ = root;
    ++shape_;
    return rc::kSuccess;
}

short Tree::readNode(std::uint32_t off, const LeafNode*& leaf, const unsigned char*& interior,
                     PageCache::Slot*& slot) {
    if (!nodeOffset(off)) return rc::kIndex;
    short error = rc::kSuccess;
    if (!cache_.node(off, keyLength_, filler_, leaf, interior, slot, error)) return error;
    if (interior != nullptr && !InteriorView(interior, keyLength_).plausible()) return rc::kIndex;
    return rc::kSuccess;
}

short Tree::descend(const unsigned char* key, std::uint64_t recno, int edge, PathStep* path,
                    int& depth, LeafAt& at) {
    std::uint32_t off = root_;
    for (depth = 0;; ++depth) {
        const unsigned char* interior = nullptr;
        if (short e = readNode(off, at.leaf, interior, at.slot)) return e;
        if (at.leaf != nullptr) {
            at.offset = off;
            return rc::kSuccess;
        }
        if (depth + 1 >= kMaxDepth) return rc::kIndex;
        InteriorView node(interior, keyLength_);
        int i = edge < 0 ? 0 : node.size() - 1;
        if (edge == 0) i = std::min(node.lowerBound(key, recno), i);  // past the end: last child
        if (path != nullptr) path[depth] = {off, i};
        off = node.child(i);
    }
}

bool Tree::hinted(const unsigned char* key, std::uint32_t recno, PathStep* path, int& depth,
                  LeafAt& at) {
    if (!hint_.valid || hint_.shape != shape_ || hint_.layout != cache_.layoutVersion())
        return false;
    const unsigned char* interior = nullptr;
    if (readNode(hint_.leaf, at.leaf, interior, at.slot) != rc::kSuccess || at.leaf == nullptr)
        return false;
    const LeafNode& leaf = *at.leaf;
    const int last = leaf.size() - 1;
    if (last < 0 || compareEntry(leaf.key(0), leaf.recno(0), key, recno, keyLength_) >= 0 ||
        (leaf.right != kNone &&
         compareEntry(leaf.key(last), leaf.recno(last), key, recno, keyLength_) < 0))
        return false;
    at.offset = hint_.leaf;
    depth = hint_.depth;
    std::copy(hint_.path, hint_.path + depth, path);
    return true;
}

void Tree::remember(const PathStep* path, int depth, std::uint32_t leaf, bool lastOfLevel) {
    // Only the last leaf is worth remembering: runs of inserts in key order
    // end there, while a leaf inside the tree rarely gets the next insert.
    hint_.valid = lastOfLevel;
    hint_.shape = shape_;
    hint_.layout = cache_.layoutVersion();
    hint_.leaf = leaf;
    hint_.depth = depth;
    std::copy(path, path + depth, hint_.path);
}

short Tree::hop(std::uint32_t off, int dir, const LeafNode* from, int fromIndex, LeafPos& pos,
                bool& found) {
    found = false;
    const bool hasRef = from != nullptr && fromIndex >= 0 && fromIndex < from->size();
    EntryCopy ref{};
    if (hasRef) ref = copyEntry(from->key(fromIndex), from->recno(fromIndex));
    const std::uint64_t maxHops = cache_.fileEnd() / kPageSize;
    for (std::uint64_t hops = 0; off != kNone; ++hops) {
        if (hops > maxHops || !nodeOffset(off)) return rc::kIndex;
        short error = rc::kSuccess;
        std::shared_ptr<const LeafNode> leaf = cache_.leafShared(off, keyLength_, filler_, error);
        if (!leaf) return error;
        if (leaf->size() == 0) {
            off = dir > 0 ? leaf->right : leaf->left;
            continue;
        }
        int i = dir > 0 ? 0 : leaf->size() - 1;
        if (hasRef) {
            // Siblings must move strictly on in key order; anything else is a
            // damaged (perhaps cyclic) chain.
            int c = compareEntry(leaf->key(i), leaf->recno(i), ref.key, ref.recno, keyLength_);
            if (dir > 0 ? c <= 0 : c >= 0) return rc::kIndex;
        }
        pos.leaf = std::move(leaf);
        pos.offset = off;
        pos.index = i;
        found = true;
        return rc::kSuccess;
    }
    return rc::kSuccess;
}

short Tree::seek(const unsigned char* key, std::uint64_t recno, LeafPos& pos, bool& found) {
    found = false;
    int depth = 0;
    LeafAt at;
    if (short e = descend(key, recno, 0, nullptr, depth, at)) return e;
    short error = rc::kSuccess;
    std::shared_ptr<const LeafNode> leaf = cache_.leafShared(at.offset, keyLength_, filler_, error);
    if (!leaf) return error;
    int i = leaf->lowerBound(key, recno);
    if (i < leaf->size()) {
        pos.leaf = std::move(leaf);
        pos.offset = at.offset;
        pos.index = i;
        found = true;
        return rc::kSuccess;
    }
    return hop(leaf->right, 1, leaf.get(), leaf->size() - 1, pos, found);
}

short Tree::first(LeafPos& pos, bool& found) {
    found = false;
    int depth = 0;
    LeafAt at;
    if (short e = descend(nullptr, 0, -1, nullptr, depth, at)) return e;
    return hop(at.offset, 1, nullptr, -1, pos, found);
}

short Tree::last(LeafPos& pos, bool& found) {
    found = false;
    int depth = 0;
    LeafAt at;
    if (short e = descend(nullptr, 0, 1, nullptr, depth, at)) return e;
    return hop(at.offset, -1, nullptr, -1, pos, found);
}

short Tree::step(LeafPos& pos, int dir, bool& found) {
    found = false;
    if (!pos.leaf) return rc::kSuccess;
    int i = pos.index + dir;
    if (i >= 0 && i < pos.leaf->size()) {
        pos.index = i;
        found = true;
        return rc::kSuccess;
    }
    std::shared_ptr<const LeafNode> from = pos.leaf;
    return hop(dir > 0 ? from->right : from->left, dir, from.get(), pos.index, pos, found);
}

short Tree::checkRoot() {
    if (!nodeOffset(root_)) return rc::kIndex;
    short error = rc::kSuccess;
    const unsigned char* page = cache_.page(root_, error);
    if (page == nullptr) return error;
    const std::uint16_t attr = le16(page + kNodeAttr);
    if (attr > (kAttrLeaf | kAttrRoot) || (attr & kAttrRoot) == 0) return rc::kIndex;
    if (attr & kAttrLeaf) {
        LeafNode probe(keyLength_, filler_);
        return probe.decode(page, false) ? rc::kSuccess : rc::kIndex;
    }
    return InteriorView(page, keyLength_).plausible() ? rc::kSuccess : rc::kIndex;
}

short Tree::insert(const unsigned char* key, std::uint32_t recno, bool unique, Outcome& outcome) {
    outcome = Outcome::Unchanged;
    if (unique) {
        LeafPos pos;
        bool found = false;
        if (short e = seek(key, 0, pos, found)) return e;
        if (found &&
            std::memcmp(pos.leaf->key(pos.index), key, static_cast<std::size_t>(keyLength_)) == 0) {
            if (pos.leaf->recno(pos.index) != recno) outcome = Outcome::KeyTaken;
            return rc::kSuccess;
        }
    }
    PathStep path[kMaxDepth];
    int depth = 0;
    LeafAt at;
    if (!hinted(key, recno, path, depth, at)) {
        hint_.valid = false;
        if (short e = descend(key, recno, 0, path, depth, at)) return e;
    }
    int i = at.leaf->lowerBound(key, recno);
    if (i < at.leaf->size() &&
        compareEntry(at.leaf->key(i), at.leaf->recno(i), key, recno, keyLength_) == 0) {
        remember(path, depth, at.offset, at.leaf->right == kNone);
        return rc::kSuccess;
    }
    // Appending past the last entry of the tree: split off just the new
    // entry, so leaves filled in key order stay full.
    const bool atEnd = i == at.leaf->size();
    const bool append = atEnd && at.leaf->right == kNone && at.leaf->fits();
    LeafNode* leaf = cache_.insertIntoLeaf(at.slot, i, key, recno);
    outcome = Outcome::Changed;
    const std::uint64_t shape = shape_;
    const std::uint64_t layout = cache_.layoutVersion();
    hint_.valid = false;
    short error = settleLeaf(path, depth, at.offset, leaf, append ? leaf->size() - 1 : -1, atEnd);
    if (error == rc::kSuccess && shape == shape_ && layout == cache_.layoutVersion())
        remember(path, depth, at.offset, leaf->right == kNone);
    return error;
}

short Tree::remove(const unsigned char* key, std::uint32_t recno, Outcome& outcome) {
    outcome = Outcome::Unchanged;
    PathStep path[kMaxDepth];
    int depth = 0;
    LeafAt at;
    if (short e = descend(key, recno, 0, path, depth, at)) return e;
    int i = at.leaf->lowerBound(key, recno);
    if (i == at.leaf->size() ||
        compareEntry(at.leaf->key(i), at.leaf->recno(i), key, recno, keyLength_) != 0) {
        return rc::kSuccess;
    }
    LeafNode* leaf = cache_.leafForWrite(at.slot);
    leaf->erase(i);
    outcome = Outcome::Changed;
    if (leaf->size() == 0 && depth > 0) return removeNode(path, depth, at.offset, true);
    return settleLeaf(path, depth, at.offset, leaf, -1, i == leaf->size());
}

short Tree::settleLeaf(PathStep* path, int depth, std::uint32_t off, LeafNode* leaf, int splitAt,
                       bool lastChanged) {
    if (leaf->fits()) {
        if (!lastChanged || depth == 0 || leaf->size() == 0) return rc::kSuccess;
        int last = leaf->size() - 1;
        return fixSeparators(path, depth, copyEntry(leaf->key(last), leaf->recno(last)));
    }
    int k = splitAt > 0 ? splitAt : leaf->balancedSplit();
    if (k <= 0) return rc::kIndex;
    ++shape_;
    short error = rc::kSuccess;
    std::uint32_t newOff = freeList_.allocate(error);
    if (newOff == kNone) return error;
    LeafNode right(keyLength_, filler_);
    right.assignRange(*leaf, k, leaf->size());
    leaf->truncate(k);
    const std::uint32_t oldRight = leaf->right;
    right.attr = kAttrLeaf;
    right.left = off;
    right.right = oldRight;
    leaf->attr = kAttrLeaf;  // a split root is a root no more
    leaf->right = newOff;
    EntryCopy leftLast = copyEntry(leaf->key(leaf->size() - 1), leaf->recno(leaf->size() - 1));
    EntryCopy rightLast = copyEntry(right.key(right.size() - 1), right.recno(right.size() - 1));
    cache_.putLeaf(newOff, std::move(right));
    if (oldRight != kNone) {
        if (short e = setLink(oldRight, true, kNodeLeft, newOff)) return e;
    }
    return insertChild(path, depth, leftLast, off, rightLast, newOff);
}

short Tree::insertChild(PathStep* path, int depth, const EntryCopy& leftLast, std::uint32_t leftOff,
                        const EntryCopy& rightLast, std::uint32_t rightOff) {
    short error = rc::kSuccess;
    if (depth == 0) {  // the root split: the tree grows a level
        std::uint32_t newRoot = freeList_.allocate(error);
        if (newRoot == kNone) return error;
        unsigned char* page = cache_.pageForWrite(newRoot, error);
        if (page == nullptr) return error;
        InteriorEdit root(page, keyLength_);
        root.init(kAttrRoot, kNone, kNone);
        root.insert(0, leftLast.key, leftLast.recno, leftOff);
        root.insert(1, rightLast.key, rightLast.recno, rightOff);
        return setRoot(newRoot);
    }
    const PathStep& step = path[depth - 1];
    unsigned char* page = cache_.pageForWrite(step.offset, error);
    if (page == nullptr) return error;
    InteriorEdit node(page, keyLength_);
    node.setLast(step.index, leftLast.key, leftLast.recno);
    const int capacity = interiorCapacity(keyLength_);
    const int at = step.index + 1;
    if (node.size() < capacity) {
        node.insert(at, rightLast.key, rightLast.recno, rightOff);
        if (at == node.size() - 1) return fixSeparators(path, depth - 1, rightLast);
        return rc::kSuccess;
    }
    // The parent is full: split it too, then tell its own parent.
    std::vector<unsigned char> all(kPageSize + static_cast<std::size_t>(keyLength_) + 8);
    std::memcpy(all.data(), page, kPageSize);
    InteriorEdit combined(all.data(), keyLength_);
    combined.insert(at, rightLast.key, rightLast.recno, rightOff);
    const int total = capacity + 1;
    const std::uint32_t oldRight = node.right();
    const int k = (at == capacity && oldRight == kNone) ? capacity : (total + 1) / 2;
    std::uint32_t newOff = freeList_.allocate(error);
    if (newOff == kNone) return error;
    unsigned char* rightPage = cache_.pageForWrite(newOff, error);
    if (rightPage == nullptr) return error;
    InteriorEdit right(rightPage, keyLength_);
    right.init(0, step.offset, oldRight);
    right.append(combined, k, total);
    node.truncate(0);
    node.append(combined, 0, k);
    node.setAttr(0);
    node.setRight(newOff);
    if (oldRight != kNone) {
        if (short e = setLink(oldRight, false, kNodeLeft, newOff)) return e;
    }
    EntryCopy l = copyEntry(node.key(k - 1), node.recno(k - 1));
    EntryCopy r = copyEntry(right.key(right.size() - 1), right.recno(right.size() - 1));
    return insertChild(path, depth - 1, l, step.offset, r, newOff);
}

short Tree::removeNode(PathStep* path, int depth, std::uint32_t off, bool isLeaf) {
    ++shape_;
    short error = rc::kSuccess;
    std::uint32_t left = kNone;
    std::uint32_t right = kNone;
    if (isLeaf) {
        const LeafNode* leaf = cache_.leaf(off, keyLength_, filler_, error);
        if (leaf == nullptr) return error;
        left = leaf->left;
        right = leaf->right;
    } else {
        const unsigned char* page = cache_.page(off, error);
        if (page == nullptr) return error;
        InteriorView node(page, keyLength_);
        left = node.left();
        right = node.right();
    }
    if (left != kNone) {
        if (short e = setLink(left, isLeaf, kNodeRight, right)) return e;
    }
    if (right != kNone) {
        if (short e = setLink(right, isLeaf, kNodeLeft, left)) return e;
    }
    freeList_.release(off);
    const PathStep& step = path[depth - 1];
    unsigned char* page = cache_.pageForWrite(step.offset, error);
    if (page == nullptr) return error;
    InteriorEdit parent(page, keyLength_);
    const bool wasLast = step.index == parent.size() - 1;
    parent.erase(step.index);
    if (parent.size() == 0) {
        if (depth - 1 > 0) return removeNode(path, depth - 1, step.offset, false);
        // The root lost its last child: the tree is empty again.
        LeafNode empty(keyLength_, filler_);
        empty.attr = kAttrLeaf | kAttrRoot;
        cache_.putLeaf(root_, std::move(empty));
        return rc::kSuccess;
    }
    if (!wasLast) return rc::kSuccess;
    int last = parent.size() - 1;
    return fixSeparators(path, depth - 1, copyEntry(parent.key(last), parent.recno(last)));
}

short Tree::fixSeparators(const PathStep* path, int depth, const EntryCopy& last) {
    for (int level = depth - 1; level >= 0; --level) {
        const PathStep& step = path[level];
        short error = rc::kSuccess;
        const unsigned char* page = cache_.page(step.offset, error);
        if (page == nullptr) return error;
        InteriorView node(page, keyLength_);
        if (compareEntry(node.key(step.index), node.recno(step.index), last.key, last.recno,
                         keyLength_) == 0) {
            return rc::kSuccess;
        }
        const bool isLast = step.index == node.size() - 1;
        unsigned char* out = cache_.pageForWrite(step.offset, error);
        if (out == nullptr) return error;
        InteriorEdit(out, keyLength_).setLast(step.index, last.key, last.recno);
        if (!isLast) return rc::kSuccess;
    }
    return rc::kSuccess;
}

short Tree::setLink(std::uint32_t off, bool isLeaf, int field, std::uint32_t value) {
    if (!nodeOffset(off)) return rc::kIndex;
    if (isLeaf) {
        if (LeafNode* leaf = cache_.dirtyLeaf(off)) {
            (field == kNodeLeft ? leaf->left : leaf->right) = value;
            return rc::kSuccess;
        }
    }
    // Patch the bytes: a foreign leaf keeps its own encoding.
    short error = rc::kSuccess;
    unsigned char* page = cache_.pageForWrite(off, error);
    if (page == nullptr) return error;
    putLe32(page + field, value);
    return rc::kSuccess;
}

short Tree::collectPages(std::vector<std::uint32_t>& pages) {
    std::unordered_set<std::uint32_t> seen;
    std::vector<std::uint32_t> level{root_};
    for (int depth = 0; !level.empty(); ++depth) {
        if (depth >= kMaxDepth) return rc::kIndex;
        // Every page of a level is read and must be linked to its neighbours
        // of the level: a damaged tree may name pages of another tag (or
        // pages past a cut that the file has grown over since), and those
        // must never be handed out as free.
        bool leaves = false;
        for (std::size_t i = 0; i < level.size(); ++i) {
            const std::uint32_t off = level[i];
            if (!nodeOffset(off) || !seen.insert(off).second) return rc::kIndex;
            short error = rc::kSuccess;
            const unsigned char* page = cache_.page(off, error);
            if (page == nullptr) return error;
            const bool leaf = (le16(page + kNodeAttr) & kAttrLeaf) != 0;
            if (i == 0) leaves = leaf;
            const std::uint32_t left = i == 0 ? kNone : level[i - 1];
            const std::uint32_t right = i + 1 == level.size() ? kNone : level[i + 1];
            if (leaf != leaves || le32(page + kNodeLeft) != left ||
                le32(page + kNodeRight) != right)
                return rc::kIndex;
            pages.push_back(off);
        }
        // All leaves sit on one level: a level of leaves is the last one.
        if (leaves) break;
        std::vector<std::uint32_t> next;
        for (std::uint32_t off : level) {
            const LeafNode* leaf = nullptr;
            const unsigned char* interior = nullptr;
            PageCache::Slot* slot = nullptr;
            if (short e = readNode(off, leaf, interior, slot)) return e;
            if (leaf != nullptr) return rc::kIndex;
            InteriorView node(interior, keyLength_);
            for (int i = 0; i < node.size(); ++i)
                next.push_back(node.child(i));
        }
        level = std::move(next);
    }
    return rc::kSuccess;
}

}  // namespace xbase::cdx
