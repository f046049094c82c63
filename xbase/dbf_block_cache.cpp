// The bounded record-block read cache (see dbf_block_cache.h).
//
// Invariants:
//  1. index_ holds exactly the slots in use, each with the block slotBlock_
//     names for it; free_ lists the slots not in use. Every slot below
//     slotBlock_.size() is in one of the two.
//  2. A slot in use holds the first `records` (its index entry's count)
//     records of its block as the file had them when read, kept in step by
//     update().
//  3. lastSlot_, when not kEmpty, holds lastBlock_ with lastRecords_ records,
//     at lastBytes_.
//  4. chunks_ covers every slot below slotBlock_.size(). Chunks are only ever
//     added (clear() keeps them), so bytes handed out never move.
#include "xbase/dbf_block_cache.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace xbase {
namespace {
constexpr std::size_t kBlockLimit = 1024;     // most bytes read for one scattered miss
constexpr std::size_t kRunBytes = 16u << 10;  // most bytes read at once by an ascending walk
// A miss this many blocks or fewer past the end of the previous read counts
// as an ascending walk: a walk in record order, or in the order of a tag whose
// equal keys list records in ascending order, as a word's entries do.
constexpr std::uint32_t kAheadBlocks = 8;
constexpr std::size_t kMaxSlots = 0xFFFE;  // slot numbers fit 16 bits, kEmpty aside
// Bytes per arena chunk, at most: small enough that a table read a little
// costs little (and below the size where allocators map fresh pages), large
// enough that the chunk list stays a few hundred pointers at the bound.
constexpr std::size_t kChunkBytes = 64u << 10;
}  // namespace

RecordBlockCache::RecordBlockCache(File& file, std::uint64_t dataStart, int recordLength,
                                   std::size_t maxBytes)
    : file_(file),
      dataStart_(dataStart),
      recordLength_(static_cast<std::size_t>(recordLength)),
      blockShift_(
          std::countr_zero(std::bit_floor(std::max<std::size_t>(1, kBlockLimit / recordLength_)))),
      recordsPerBlock_(std::uint32_t{1} << blockShift_),
      blockBytes_(recordsPerBlock_ * recordLength_),
      runBlocks_(static_cast<std::uint32_t>(std::max<std::size_t>(1, kRunBytes / blockBytes_))),
      maxSlots_(std::clamp<std::size_t>(maxBytes / blockBytes_, 2 * runBlocks_, kMaxSlots)),
      chunkShift_(
          std::countr_zero(std::bit_floor(std::max<std::size_t>(1, kChunkBytes / blockBytes_)))),
      chunkMask_((std::size_t{1} << chunkShift_) - 1) {}

// --- SlotIndex -------------------------------------------------------------

std::size_t RecordBlockCache::SlotIndex::home(std::uint32_t block) const {
    return static_cast<std::size_t>((block * 0x9E3779B97F4A7C15ull) >> shift_);
}

RecordBlockCache::SlotIndex::Entry* RecordBlockCache::SlotIndex::find(std::uint32_t block) {
    if (entries_.empty()) return nullptr;
    const std::size_t mask = entries_.size() - 1;
    for (std::size_t i = home(block);; i = (i + 1) & mask) {
        Entry& e = entries_[i];
        if (e.slot == kEmpty) return nullptr;
        if (e.block == block) return &e;
    }
}

void RecordBlockCache::SlotIndex::grow() {
    std::vector<Entry> old = std::move(entries_);
    entries_.assign(old.empty() ? 64 : old.size() * 2, Entry{});
    shift_ = 64 - std::countr_zero(entries_.size());
    used_ = 0;
    for (const Entry& e : old)
        if (e.slot != kEmpty) insert(e.block, e.slot).records = e.records;
}

RecordBlockCache::SlotIndex::Entry& RecordBlockCache::SlotIndex::insert(std::uint32_t block,
                                                                        std::uint16_t slot) {
    if (2 * (used_ + 1) > entries_.size()) grow();
    const std::size_t mask = entries_.size() - 1;
    std::size_t i = home(block);
    while (entries_[i].slot != kEmpty)
        i = (i + 1) & mask;
    entries_[i] = Entry{block, slot, 0};
    ++used_;
    return entries_[i];
}

void RecordBlockCache::SlotIndex::erase(std::uint32_t block) {
    Entry* found = find(block);
    if (found == nullptr) return;
    const std::size_t mask = entries_.size() - 1;
    auto hole = static_cast<std::size_t>(found - entries_.data());
    // Moves back every later entry of the probe run that may fill the hole:
    // one whose home does not lie cyclically in (hole, at].
    for (std::size_t at = (hole + 1) & mask; entries_[at].slot != kEmpty; at = (at + 1) & mask) {
        const std::size_t want = home(entries_[at].block);
        const bool stays = hole <= at ? (hole < want && want <= at) : (hole < want || want <= at);
        if (!stays) {
            entries_[hole] = entries_[at];
            hole = at;
        }
    }
    entries_[hole].slot = kEmpty;
    --used_;
}

void RecordBlockCache::SlotIndex::clear() {
    entries_.clear();
    used_ = 0;
    shift_ = 64;
}

// --- Slots -----------------------------------------------------------------

void RecordBlockCache::setReferenced(std::uint16_t slot, bool on) {
    const std::uint64_t bit = std::uint64_t{1} << (slot % 64);
    if (on) {
        referenced_[slot / 64] |= bit;
    } else {
        referenced_[slot / 64] &= ~bit;
    }
}

void RecordBlockCache::release(std::uint32_t block) {
    SlotIndex::Entry* e = index_.find(block);
    if (e == nullptr) return;
    const std::uint16_t slot = e->slot;
    index_.erase(block);
    setReferenced(slot, false);
    free_.push_back(slot);
    if (slot == lastSlot_) lastSlot_ = SlotIndex::kEmpty;
}

std::uint16_t RecordBlockCache::addSlot() {
    const std::size_t slot = slotBlock_.size();
    if ((slot >> chunkShift_) == chunks_.size()) {
        // The last chunk holds only the slots left below the bound.
        const std::size_t slots = std::min(chunkMask_ + 1, maxSlots_ - slot);
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(slots * blockBytes_));
    }
    slotBlock_.push_back(0);
    referenced_.resize((slotBlock_.size() + 63) / 64, 0);
    return static_cast<std::uint16_t>(slot);
}

RecordBlockCache::SlotIndex::Entry& RecordBlockCache::claim(std::uint32_t block,
                                                            std::uint32_t keepFirst,
                                                            std::uint32_t keepCount) {
    if (SlotIndex::Entry* own = index_.find(block)) return *own;
    std::uint16_t slot;
    if (!free_.empty()) {
        slot = free_.back();
        free_.pop_back();
    } else if (slotBlock_.size() < maxSlots_) {
        slot = addSlot();
    } else {
        // CLOCK: the first slot not used since the hand last passed it, and
        // not one of the blocks kept. At least half the slots are not kept,
        // so the second pass finds one.
        while (referenced(hand_) || slotBlock_[hand_] - keepFirst < keepCount) {
            setReferenced(static_cast<std::uint16_t>(hand_), false);
            hand_ = (hand_ + 1) % slotBlock_.size();
        }
        slot = static_cast<std::uint16_t>(hand_);
        hand_ = (hand_ + 1) % slotBlock_.size();
        index_.erase(slotBlock_[slot]);
        if (slot == lastSlot_) lastSlot_ = SlotIndex::kEmpty;
    }
    slotBlock_[slot] = block;
    setReferenced(slot, true);
    return index_.insert(block, slot);
}

RecordBlockCache::SlotIndex::Entry* RecordBlockCache::load(std::uint32_t block,
                                                           std::uint32_t recordsInFile) {
    const std::uint64_t first = std::uint64_t{block} << blockShift_;  // records before it
    const std::uint64_t blocksLeft =
        ((recordsInFile - first) + recordsPerBlock_ - 1) >> blockShift_;
    const bool ascending = block >= nextInOrder_ && block - nextInOrder_ < kAheadBlocks;
    const std::uint64_t run =
        std::min<std::uint64_t>(ascending ? std::min(2 * lastRun_, runBlocks_) : 1, blocksLeft);
    const std::uint64_t records =
        std::min<std::uint64_t>(run << blockShift_, recordsInFile - first);
    // The file is read straight into the slots, which the run's claims do
    // not evict from each other. Claims move index entries about, so only
    // slots are held on to until the read is done.
    parts_.resize(run);
    for (std::uint64_t i = 0; i < run; ++i) {
        const std::uint16_t slot =
            claim(static_cast<std::uint32_t>(block + i), block, static_cast<std::uint32_t>(run))
                .slot;
        const std::uint64_t count =
            std::min<std::uint64_t>(recordsPerBlock_, records - (i << blockShift_));
        parts_[i] = ReadPart{bytes(slot), count * recordLength_};
    }
    const std::uint64_t off = dataStart_ + first * recordLength_;
    if (!file_.readParts(off, parts_.data(), parts_.size())) {
        for (std::uint64_t i = 0; i < run; ++i)  // a failed read may have torn any of them
            release(static_cast<std::uint32_t>(block + i));
        return nullptr;
    }
    nextInOrder_ = static_cast<std::uint32_t>(block + run);
    lastRun_ = static_cast<std::uint32_t>(run);
    SlotIndex::Entry* e = nullptr;
    for (std::uint64_t i = run; i-- > 0;) {  // ends with the block asked for
        e = index_.find(static_cast<std::uint32_t>(block + i));
        e->records = static_cast<std::uint16_t>(parts_[i].n / recordLength_);
    }
    return e;
}

// --- Public calls -------------------------------------------------------------

const char* RecordBlockCache::record(std::uint32_t recno, std::uint32_t recordsInFile) {
    if (recno < 1 || recno > recordsInFile) return nullptr;
    const std::uint32_t block = (recno - 1) >> blockShift_;
    const std::uint32_t at = (recno - 1) & (recordsPerBlock_ - 1);
    if (lastSlot_ == SlotIndex::kEmpty || block != lastBlock_ || at >= lastRecords_) {
        SlotIndex::Entry* e = index_.find(block);
        if (e == nullptr || at >= e->records) e = load(block, recordsInFile);
        if (e == nullptr) return nullptr;
        lastBlock_ = block;
        lastSlot_ = e->slot;
        lastRecords_ = e->records;
        lastBytes_ = bytes(e->slot);
    }
    setReferenced(lastSlot_, true);
    return lastBytes_ + at * recordLength_;
}

void RecordBlockCache::update(std::uint32_t recno, const char* record) {
    const SlotIndex::Entry* e = index_.find((recno - 1) >> blockShift_);
    const std::uint32_t at = (recno - 1) & (recordsPerBlock_ - 1);
    if (e != nullptr && at < e->records)
        std::memcpy(bytes(e->slot) + at * recordLength_, record, recordLength_);
}

void RecordBlockCache::forget(std::uint32_t recno) {
    release((recno - 1) >> blockShift_);
}

void RecordBlockCache::clear() {
    index_.clear();
    slotBlock_.clear();
    referenced_.clear();
    free_.clear();
    hand_ = 0;
    lastSlot_ = SlotIndex::kEmpty;
    nextInOrder_ = 0;
    lastRun_ = 1;
}

}  // namespace xbase
