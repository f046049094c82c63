// The CDX page cache: loading, decoding, dirty tracking, write-back in runs
// and LRU eviction of clean pages.
#include "xbase/cdx_page_cache.h"

#include <algorithm>
#include <cstring>

#include "xbase/return_codes.h"

namespace xbase::cdx {
namespace {

// Rough heap cost of an entry beyond its decoded leaf: the map node and LRU node.
constexpr std::size_t kEntryOverhead = 96;

}  // namespace

PageCache::PageCache(File& file, std::size_t limitBytes) : file_(file), limit_(limitBytes) {
    syncFileEnd();
}

void PageCache::syncFileEnd() {
    long long size = file_.size();
    if (size < 0) return;
    std::uint64_t end = (static_cast<std::uint64_t>(size) + kPageSize - 1) / kPageSize * kPageSize;
    fileEnd_ = std::max(fileEnd_, end);
}

PageCache::Entry* PageCache::find(std::uint32_t off) {
    auto it = entries_.find(off);
    if (it == entries_.end()) return nullptr;
    Entry& e = it->second;
    if (e.inLru && e.lruPos != lru_.begin()) lru_.splice(lru_.begin(), lru_, e.lruPos);
    return &e;
}

PageCache::Entry& PageCache::create(std::uint32_t off) {
    Entry& e = entries_[off];
    e.cost = sizeof(Entry) + kEntryOverhead;
    total_ += e.cost;
    lru_.push_front(off);
    e.lruPos = lru_.begin();
    e.inLru = true;
    return e;
}

void PageCache::erase(std::uint32_t off) {
    auto it = entries_.find(off);
    if (it == entries_.end()) return;
    total_ -= it->second.cost;
    if (it->second.inLru) lru_.erase(it->second.lruPos);
    entries_.erase(it);
}

PageCache::Entry* PageCache::load(std::uint32_t off, short& error) {
    if (off % kPageSize != 0 || std::uint64_t{off} + kPageSize > fileEnd_) {
        error = rc::kIndex;
        return nullptr;
    }
    if (Entry* e = find(off)) return e;
    Entry& e = create(off);
    long long got = file_.readSome(off, e.bytes.data(), kPageSize);
    if (got != static_cast<long long>(kPageSize)) {
        erase(off);
        error = got < 0 ? rc::kRead : rc::kIndex;  // a page cut short is damage
        return nullptr;
    }
    ++pagesRead_;
    return &e;
}

void PageCache::materialize(Entry& e) {
    if (!e.leafDirty) return;
    e.leaf->encode(e.bytes.data());
    e.leafDirty = false;
}

void PageCache::markDirty(std::uint32_t off, Entry& e) {
    touched_.push_back(off);
    if (e.dirty) return;
    e.dirty = true;
    if (e.inLru) {
        lru_.erase(e.lruPos);
        e.inLru = false;
    }
    dirty_.push_back(off);
}

const unsigned char* PageCache::page(std::uint32_t off, short& error) {
    Entry* e = load(off, error);
    if (e == nullptr) return nullptr;
    materialize(*e);
    return e->bytes.data();
}

unsigned char* PageCache::pageForWrite(std::uint32_t off, short& error) {
    Entry* e = load(off, error);
    if (e == nullptr) return nullptr;
    materialize(*e);
    e->leaf.reset();
    markDirty(off, *e);
    return e->bytes.data();
}

unsigned char* PageCache::pageOverwrite(std::uint32_t off) {
    Entry* e = find(off);
    if (e == nullptr) e = &create(off);
    e->bytes.fill(0);
    e->leaf.reset();
    e->leafDirty = false;
    markDirty(off, *e);
    return e->bytes.data();
}

bool PageCache::holdsDecoded(const Entry& e, int keyLength, char filler) const {
    return e.leaf && e.leaf->keyLength() == keyLength &&
           (e.leafDirty || e.leaf->filler() == filler);
}

bool PageCache::decodeLeaf(std::uint32_t off, Entry& e, int keyLength, char filler, short& error) {
    materialize(e);
    std::uint16_t attr = le16(e.bytes.data() + kNodeAttr);
    auto node = std::make_shared<LeafNode>(keyLength, filler);
    if (attr > (kAttrLeaf | kAttrRoot) || (attr & kAttrLeaf) == 0 ||
        !node->decode(e.bytes.data())) {
        error = rc::kIndex;
        return false;
    }
    e.leaf = std::move(node);
    touched_.push_back(off);
    return true;
}

PageCache::Entry* PageCache::decoded(std::uint32_t off, int keyLength, char filler, short& error) {
    Entry* e = load(off, error);
    if (e == nullptr) return nullptr;
    if (holdsDecoded(*e, keyLength, filler) || decodeLeaf(off, *e, keyLength, filler, error)) {
        return e;
    }
    return nullptr;
}

bool PageCache::node(std::uint32_t off, int keyLength, char filler, const LeafNode*& leaf,
                     const unsigned char*& bytes, short& error) {
    leaf = nullptr;
    bytes = nullptr;
    Entry* e = load(off, error);
    if (e == nullptr) return false;
    if (holdsDecoded(*e, keyLength, filler)) {
        leaf = e->leaf.get();
        return true;
    }
    materialize(*e);
    std::uint16_t attr = le16(e->bytes.data() + kNodeAttr);
    if (attr > (kAttrLeaf | kAttrRoot)) {
        error = rc::kIndex;
        return false;
    }
    if ((attr & kAttrLeaf) == 0) {
        bytes = e->bytes.data();
        return true;
    }
    if (!decodeLeaf(off, *e, keyLength, filler, error)) return false;
    leaf = e->leaf.get();
    return true;
}

const LeafNode* PageCache::leaf(std::uint32_t off, int keyLength, char filler, short& error) {
    Entry* e = decoded(off, keyLength, filler, error);
    return e ? e->leaf.get() : nullptr;
}

std::shared_ptr<const LeafNode> PageCache::leafShared(std::uint32_t off, int keyLength, char filler,
                                                      short& error) {
    Entry* e = decoded(off, keyLength, filler, error);
    return e ? e->leaf : nullptr;
}

LeafNode* PageCache::leafForWrite(std::uint32_t off, int keyLength, char filler, short& error) {
    Entry* e = decoded(off, keyLength, filler, error);
    if (e == nullptr) return nullptr;
    e->leafDirty = true;
    markDirty(off, *e);
    return e->leaf.get();
}

LeafNode* PageCache::putLeaf(std::uint32_t off, LeafNode node) {
    Entry* e = find(off);
    if (e == nullptr) e = &create(off);
    e->leaf = std::make_shared<LeafNode>(std::move(node));
    e->leafDirty = true;
    markDirty(off, *e);
    return e->leaf.get();
}

const LeafNode* PageCache::heldLeaf(std::uint32_t off) {
    Entry* e = find(off);
    return e ? e->leaf.get() : nullptr;
}

LeafNode* PageCache::dirtyLeaf(std::uint32_t off) {
    auto it = entries_.find(off);
    if (it == entries_.end() || !it->second.leafDirty) return nullptr;
    return it->second.leaf.get();
}

void PageCache::patch(std::uint32_t off, int at, const void* data, std::size_t n) {
    auto it = entries_.find(off);
    if (it == entries_.end()) return;
    materialize(it->second);
    std::memcpy(it->second.bytes.data() + at, data, n);
}

std::uint32_t PageCache::appendPage() {
    if (fileEnd_ + kPageSize > kNone) return kNone;  // offsets are 32 bits
    auto off = static_cast<std::uint32_t>(fileEnd_);
    fileEnd_ += kPageSize;
    pageOverwrite(off);
    return off;
}

short PageCache::writeDirty() {
    std::sort(dirty_.begin(), dirty_.end());
    constexpr std::size_t kMaxRun = 256;  // pages per write call
    std::vector<unsigned char> run;
    std::uint64_t runStart = 0;
    auto writeRun = [&]() {
        bool ok = run.empty() || file_.write(runStart, run.data(), run.size());
        run.clear();
        return ok;
    };
    for (std::uint32_t off : dirty_) {
        Entry& e = entries_.at(off);
        materialize(e);
        if (!run.empty() && (off != runStart + run.size() || run.size() >= kMaxRun * kPageSize)) {
            if (!writeRun()) return rc::kWrite;
        }
        if (run.empty()) runStart = off;
        run.insert(run.end(), e.bytes.begin(), e.bytes.end());
    }
    if (!writeRun()) return rc::kWrite;
    for (std::uint32_t off : dirty_) {
        Entry& e = entries_.at(off);
        e.dirty = false;
        lru_.push_front(off);
        e.lruPos = lru_.begin();
        e.inLru = true;
    }
    dirty_.clear();
    return rc::kSuccess;
}

void PageCache::trim() {
    for (std::uint32_t off : touched_) {
        auto it = entries_.find(off);
        if (it == entries_.end()) continue;
        Entry& e = it->second;
        total_ -= e.cost;
        e.cost = sizeof(Entry) + kEntryOverhead + (e.leaf ? e.leaf->memoryBytes() : 0);
        total_ += e.cost;
    }
    touched_.clear();
    while (total_ > limit_ && !lru_.empty())
        erase(lru_.back());
}

void PageCache::dropClean() {
    while (!lru_.empty())
        erase(lru_.back());
}

}  // namespace xbase::cdx
