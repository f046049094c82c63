// Bulk loading of a CDX tree: one pass over sorted entries writes the leaves
// left to right, then each interior level is built from the one below.
#include "xbase/cdx_bulk_load.h"

#include <algorithm>
#include <cstring>

#include "xbase/cdx_interior.h"
#include "xbase/return_codes.h"

namespace xbase::cdx {
namespace {

constexpr int kLeafFill = kLeafSpace * 92 / 100;

// The last entry and page of each node of one level.
struct Level {
    explicit Level(int keyLength) : keyLength(keyLength) {}
    int keyLength;
    std::vector<unsigned char> keys;
    std::vector<std::uint32_t> recnos;
    std::vector<std::uint32_t> offsets;

    std::size_t size() const { return offsets.size(); }
    const unsigned char* key(std::size_t i) const {
        return keys.data() + i * static_cast<std::size_t>(keyLength);
    }
    void add(const unsigned char* key, std::uint32_t recno, std::uint32_t off) {
        keys.insert(keys.end(), key, key + keyLength);
        recnos.push_back(recno);
        offsets.push_back(off);
    }
};

short buildLeaves(Tree& tree, RebuildSort& sorted, Level& leaves,
                  const std::function<short()>& checkpoint) {
    PageCache& cache = tree.cache();
    short error = rc::kSuccess;
    LeafNode node(tree.keyLength(), tree.filler());
    std::uint32_t off = tree.freeList().allocate(error);
    if (off == kNone) return error;
    std::uint32_t prev = kNone;
    auto close = [&](std::uint32_t next) {
        node.attr = (prev == kNone && next == kNone) ? (kAttrLeaf | kAttrRoot) : kAttrLeaf;
        node.left = prev;
        node.right = next;
        node.encode(cache.pageOverwrite(off));
        if (node.size() > 0) {
            leaves.add(node.key(node.size() - 1), node.recno(node.size() - 1), off);
        } else {
            leaves.offsets.push_back(off);  // the empty tree: a root leaf with no keys
        }
        prev = off;
    };
    const unsigned char* k = nullptr;
    std::uint32_t recno = 0;
    while (sorted.next(k, recno)) {
        bool full = node.size() > 0 && node.usedBytes() >= kLeafFill;
        if (!full) {
            node.pushBack(k, recno);
            if (node.fits()) continue;
            node.erase(node.size() - 1);
        }
        std::uint32_t next = tree.freeList().allocate(error);
        if (next == kNone) return error;
        close(next);
        node.clear();
        node.pushBack(k, recno);
        off = next;
        if (leaves.size() % kCheckpointPages == 0) {
            if (short e = checkpoint()) return e;
        }
    }
    if (short e = sorted.error()) return e;
    close(kNone);
    return rc::kSuccess;
}

short buildLevel(Tree& tree, const Level& below, Level& above,
                 const std::function<short()>& checkpoint) {
    const int keyLength = tree.keyLength();
    const int capacity = interiorCapacity(keyLength);
    const std::size_t perNode = static_cast<std::size_t>(std::max(2, capacity - capacity / 10));
    const std::size_t count = (below.size() + perNode - 1) / perNode;
    std::vector<std::uint32_t> offsets(count);
    short error = rc::kSuccess;
    for (auto& off : offsets) {
        off = tree.freeList().allocate(error);
        if (off == kNone) return error;
    }
    // Spread the children evenly so no node is left with a single child.
    std::size_t begin = 0;
    for (std::size_t j = 0; j < count; ++j) {
        std::size_t end = begin + below.size() / count + (j < below.size() % count ? 1 : 0);
        InteriorEdit node(tree.cache().pageOverwrite(offsets[j]), keyLength);
        node.init(count == 1 ? kAttrRoot : 0, j > 0 ? offsets[j - 1] : kNone,
                  j + 1 < count ? offsets[j + 1] : kNone);
        for (std::size_t i = begin; i < end; ++i) {
            node.insert(static_cast<int>(i - begin), below.key(i), below.recnos[i],
                        below.offsets[i]);
        }
        above.add(below.key(end - 1), below.recnos[end - 1], offsets[j]);
        begin = end;
        if ((j + 1) % kCheckpointPages == 0) {
            if (short e = checkpoint()) return e;
        }
    }
    return rc::kSuccess;
}

}  // namespace

short bulkLoad(Tree& tree, RebuildSort& sorted, const std::function<short()>& checkpoint) {
    Level level(tree.keyLength());
    if (short e = buildLeaves(tree, sorted, level, checkpoint)) return e;
    while (level.size() > 1) {
        Level above(tree.keyLength());
        if (short e = buildLevel(tree, level, above, checkpoint)) return e;
        level = std::move(above);
    }
    return tree.setRoot(level.offsets.front());
}

}  // namespace xbase::cdx
