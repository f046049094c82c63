// The CDX page cache: loading, decoding, dirty tracking, write-back in runs
// and CLOCK eviction of clean pages.
#include "xbase/cdx_page_cache.h"

#include <algorithm>
#include <cstring>

#include "xbase/return_codes.h"

namespace xbase::cdx {
namespace {

// Rough heap cost of a slot beyond its decoded leaf: the allocation's own
// bookkeeping and the slot's entry in the page-number index.
constexpr std::size_t kSlotOverhead = 32;
// Evicted slots and decoded leaves kept for reuse, at most.
constexpr std::size_t kMaxSpare = 64;

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

PageCache::Slot* PageCache::at(std::uint32_t off) const {
    std::size_t page = off / kPageSize;
    return page < slots_.size() ? slots_[page].get() : nullptr;
}

PageCache::Slot* PageCache::find(std::uint32_t off) {
    Slot* s = at(off);
    if (s != nullptr) s->referenced = true;
    return s;
}

PageCache::Slot& PageCache::create(std::uint32_t off) {
    std::size_t page = off / kPageSize;
    if (page >= slots_.size()) slots_.resize(page + 1);
    if (spare_.empty()) {
        slots_[page] = std::make_unique<Slot>();
    } else {
        slots_[page] = std::move(spare_.back());
        spare_.pop_back();
        *slots_[page] = Slot();
    }
    Slot& s = *slots_[page];
    s.offset = off;
    s.cost = sizeof(Slot) + kSlotOverhead;
    total_ += s.cost;
    clockPushNewest(s);
    return s;
}

void PageCache::erase(std::uint32_t off) {
    Slot* s = at(off);
    if (s == nullptr) return;
    total_ -= s->cost;
    if (s->inClock) clockRemove(*s);
    releaseLeaf(*s);
    if (spare_.size() < kMaxSpare) {
        spare_.push_back(std::move(slots_[off / kPageSize]));
    } else {
        slots_[off / kPageSize].reset();
    }
}

void PageCache::releaseLeaf(Slot& s) {
    // A decoded leaf nobody else holds is kept to decode a later page into.
    if (s.leaf && s.leaf.use_count() == 1 && spareLeaves_.size() < kMaxSpare)
        spareLeaves_.push_back(std::move(s.leaf));
    s.leaf.reset();
}

PageCache::Slot* PageCache::load(std::uint32_t off, short& error) {
    if (off % kPageSize != 0 || std::uint64_t{off} + kPageSize > fileEnd_) {
        error = rc::kIndex;
        return nullptr;
    }
    if (Slot* s = find(off)) return s;
    Slot& s = create(off);
    long long got = file_.readSome(off, s.bytes.data(), kPageSize);
    if (got != static_cast<long long>(kPageSize)) {
        erase(off);
        error = got < 0 ? rc::kRead : rc::kIndex;  // a page cut short is damage
        return nullptr;
    }
    ++pagesRead_;
    return &s;
}

void PageCache::materialize(Slot& s) {
    if (!s.leafDirty) return;
    s.leaf->encode(s.bytes.data());
    s.leafDirty = false;
    s.encodedLeaf = true;
    s.encodedKeyLength = s.leaf->keyLength();
    s.encodedFiller = s.leaf->filler();
}

void PageCache::markDirty(Slot& s) {
    touched_.push_back(s.offset);
    if (s.dirty) return;
    s.dirty = true;
    if (s.inClock) clockRemove(s);
    dirty_.push_back(s.offset);
}

void PageCache::clockPushNewest(Slot& s) {
    s.older = clockNewest_;
    s.newer = nullptr;
    (clockNewest_ != nullptr ? clockNewest_->newer : clockOldest_) = &s;
    clockNewest_ = &s;
    s.inClock = true;
}

void PageCache::clockRemove(Slot& s) {
    (s.newer != nullptr ? s.newer->older : clockNewest_) = s.older;
    (s.older != nullptr ? s.older->newer : clockOldest_) = s.newer;
    s.newer = nullptr;
    s.older = nullptr;
    s.inClock = false;
}

const unsigned char* PageCache::page(std::uint32_t off, short& error) {
    Slot* s = load(off, error);
    if (s == nullptr) return nullptr;
    materialize(*s);
    return s->bytes.data();
}

unsigned char* PageCache::pageForWrite(std::uint32_t off, short& error) {
    Slot* s = load(off, error);
    if (s == nullptr) return nullptr;
    materialize(*s);
    s->leaf.reset();
    s->encodedLeaf = false;
    markDirty(*s);
    return s->bytes.data();
}

unsigned char* PageCache::pageOverwrite(std::uint32_t off) {
    ++layoutVersion_;
    Slot* s = find(off);
    if (s == nullptr) s = &create(off);
    s->bytes.fill(0);
    s->leaf.reset();
    s->leafDirty = false;
    s->encodedLeaf = false;
    markDirty(*s);
    return s->bytes.data();
}

bool PageCache::holdsDecoded(const Slot& s, int keyLength, char filler) const {
    return s.leaf && s.leaf->keyLength() == keyLength &&
           (s.leafDirty || s.leaf->filler() == filler);
}

bool PageCache::decodeLeaf(Slot& s, int keyLength, char filler, short& error) {
    materialize(s);
    std::uint16_t attr = le16(s.bytes.data() + kNodeAttr);
    std::shared_ptr<LeafNode> node;
    if (!spareLeaves_.empty() && spareLeaves_.back()->keyLength() == keyLength &&
        spareLeaves_.back()->filler() == filler) {
        node = std::move(spareLeaves_.back());
        spareLeaves_.pop_back();
    } else {
        node = std::make_shared<LeafNode>(keyLength, filler);
    }
    if (attr > (kAttrLeaf | kAttrRoot) || (attr & kAttrLeaf) == 0 ||
        !node->decode(s.bytes.data())) {
        error = rc::kIndex;
        return false;
    }
    s.leaf = std::move(node);
    // Bytes our encoder wrote for this tag encode the leaf read from them
    // again; bytes from the file may come from a writer that lays pages out
    // otherwise.
    s.encodedLeaf = s.encodedLeaf && s.encodedKeyLength == keyLength && s.encodedFiller == filler;
    touched_.push_back(s.offset);
    return true;
}

PageCache::Slot* PageCache::decoded(std::uint32_t off, int keyLength, char filler, short& error) {
    Slot* s = load(off, error);
    if (s == nullptr) return nullptr;
    if (holdsDecoded(*s, keyLength, filler) || decodeLeaf(*s, keyLength, filler, error)) return s;
    return nullptr;
}

bool PageCache::node(std::uint32_t off, int keyLength, char filler, const LeafNode*& leaf,
                     const unsigned char*& bytes, Slot*& slot, short& error) {
    leaf = nullptr;
    bytes = nullptr;
    slot = load(off, error);
    if (slot == nullptr) return false;
    if (holdsDecoded(*slot, keyLength, filler)) {
        leaf = slot->leaf.get();
        return true;
    }
    materialize(*slot);
    std::uint16_t attr = le16(slot->bytes.data() + kNodeAttr);
    if (attr > (kAttrLeaf | kAttrRoot)) {
        error = rc::kIndex;
        return false;
    }
    if ((attr & kAttrLeaf) == 0) {
        bytes = slot->bytes.data();
        return true;
    }
    if (!decodeLeaf(*slot, keyLength, filler, error)) return false;
    leaf = slot->leaf.get();
    return true;
}

const LeafNode* PageCache::leaf(std::uint32_t off, int keyLength, char filler, short& error) {
    Slot* s = decoded(off, keyLength, filler, error);
    return s ? s->leaf.get() : nullptr;
}

std::shared_ptr<const LeafNode> PageCache::leafShared(std::uint32_t off, int keyLength, char filler,
                                                      short& error) {
    Slot* s = decoded(off, keyLength, filler, error);
    return s ? s->leaf : nullptr;
}

LeafNode* PageCache::leafForWrite(Slot* slot) {
    slot->leafDirty = true;
    markDirty(*slot);
    return slot->leaf.get();
}

LeafNode* PageCache::insertIntoLeaf(Slot* slot, int pos, const unsigned char* key,
                                    std::uint32_t recno) {
    LeafNode& leaf = *slot->leaf;
    const bool bytesInStep = !slot->leafDirty && slot->encodedLeaf;
    leaf.insert(pos, key, recno);
    if (!bytesInStep || !leaf.fits() || !leaf.encodeInsert(slot->bytes.data(), pos))
        slot->leafDirty = true;
    markDirty(*slot);
    return &leaf;
}

LeafNode* PageCache::putLeaf(std::uint32_t off, LeafNode node) {
    ++layoutVersion_;
    Slot* s = find(off);
    if (s == nullptr) s = &create(off);
    s->leaf = std::make_shared<LeafNode>(std::move(node));
    s->leafDirty = true;
    markDirty(*s);
    return s->leaf.get();
}

LeafNode* PageCache::dirtyLeaf(std::uint32_t off) {
    Slot* s = at(off);
    return s && s->leafDirty ? s->leaf.get() : nullptr;
}

void PageCache::patch(std::uint32_t off, int where, const void* data, std::size_t n) {
    Slot* s = at(off);
    if (s == nullptr) return;
    materialize(*s);
    std::memcpy(s->bytes.data() + where, data, n);
    s->encodedLeaf = false;
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
    std::vector<unsigned char>& run = runBuffer_;
    run.clear();
    std::uint64_t runStart = 0;
    auto writeRun = [&]() {
        bool ok = run.empty() || file_.write(runStart, run.data(), run.size());
        run.clear();
        return ok;
    };
    for (std::uint32_t off : dirty_) {
        Slot& s = *at(off);
        materialize(s);
        if (!run.empty() && (off != runStart + run.size() || run.size() >= kMaxRun * kPageSize)) {
            if (!writeRun()) return rc::kWrite;
        }
        if (run.empty()) runStart = off;
        run.insert(run.end(), s.bytes.begin(), s.bytes.end());
    }
    if (!writeRun()) return rc::kWrite;
    for (std::uint32_t off : dirty_) {
        Slot& s = *at(off);
        s.dirty = false;
        clockPushNewest(s);
    }
    dirty_.clear();
    return rc::kSuccess;
}

void PageCache::trimTouched() {
    for (std::uint32_t off : touched_) {
        Slot* found = at(off);
        if (found == nullptr) continue;
        Slot& s = *found;
        total_ -= s.cost;
        s.cost = sizeof(Slot) + kSlotOverhead + (s.leaf ? s.leaf->memoryBytes() : 0);
        total_ += s.cost;
    }
    touched_.clear();
    // CLOCK: a page looked at since it was last passed gets a second chance.
    // One that was not first gives up its decoded leaf, which takes most of
    // its memory (decoding its bytes again costs far less than reading them),
    // and leaves on its next turn.
    while (total_ > limit_ && clockOldest_ != nullptr) {
        Slot* s = clockOldest_;
        if (s->referenced || s->leaf) {
            if (!s->referenced) {
                releaseLeaf(*s);
                total_ -= s->cost;
                s->cost = sizeof(Slot) + kSlotOverhead;
                total_ += s->cost;
            }
            s->referenced = false;
            clockRemove(*s);
            clockPushNewest(*s);
        } else {
            erase(s->offset);
        }
    }
}

void PageCache::dropClean() {
    ++layoutVersion_;
    while (clockOldest_ != nullptr)
        erase(clockOldest_->offset);
}

}  // namespace xbase::cdx
