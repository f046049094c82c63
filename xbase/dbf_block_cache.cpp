// The bounded record-block read cache (see dbf_block_cache.h).
//
// Invariants:
//  1. byBlock_ maps exactly the slots in use (records > 0) to their blocks;
//     free_ lists the slots not in use.
//  2. A slot in use holds the first `records` records of its block as the
//     file had them when read, kept in step by update().
//  3. lastSlot_, when not -1, is the slot in use that holds lastBlock_.
#include "xbase/dbf_block_cache.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace xbase {
namespace {
constexpr std::size_t kBlockTarget = 512;     // bytes read for one scattered miss
constexpr std::size_t kRunBytes = 16u << 10;  // bytes read at once by an ascending walk
// A miss this many blocks or fewer past the end of the previous read counts
// as an ascending walk: a walk in record order, or in the order of a tag whose
// equal keys list records in ascending order, as a word's entries do.
constexpr std::uint32_t kAheadBlocks = 8;
}  // namespace

RecordBlockCache::RecordBlockCache(File& file, std::uint64_t dataStart, int recordLength,
                                   std::size_t maxBytes)
    : file_(file),
      dataStart_(dataStart),
      recordLength_(static_cast<std::size_t>(recordLength)),
      recordsPerBlock_(
          static_cast<std::uint32_t>(std::max<std::size_t>(1, kBlockTarget / recordLength_))),
      blockBytes_(recordsPerBlock_ * recordLength_),
      runBlocks_(static_cast<std::uint32_t>(std::max<std::size_t>(1, kRunBytes / blockBytes_))),
      maxSlots_(std::max<std::size_t>(2 * runBlocks_, maxBytes / blockBytes_)) {}

std::size_t RecordBlockCache::SlotIndex::home(std::uint32_t block) const {
    return static_cast<std::size_t>((block * 0x9E3779B97F4A7C15ull) >> shift_);
}

int RecordBlockCache::SlotIndex::find(std::uint32_t block) const {
    if (entries_.empty()) return -1;
    const std::size_t mask = entries_.size() - 1;
    for (std::size_t i = home(block);; i = (i + 1) & mask) {
        const Entry& e = entries_[i];
        if (e.slot < 0 || e.block == block) return e.slot;
    }
}

void RecordBlockCache::SlotIndex::grow() {
    std::vector<Entry> old = std::move(entries_);
    entries_.assign(old.empty() ? 64 : old.size() * 2, Entry{});
    shift_ = 64 - std::countr_zero(entries_.size());
    used_ = 0;
    for (const Entry& e : old)
        if (e.slot >= 0) insert(e.block, e.slot);
}

void RecordBlockCache::SlotIndex::insert(std::uint32_t block, int slot) {
    if (2 * (used_ + 1) > entries_.size()) grow();
    const std::size_t mask = entries_.size() - 1;
    std::size_t i = home(block);
    while (entries_[i].slot >= 0)
        i = (i + 1) & mask;
    entries_[i] = Entry{block, slot};
    ++used_;
}

void RecordBlockCache::SlotIndex::erase(std::uint32_t block) {
    if (entries_.empty()) return;
    const std::size_t mask = entries_.size() - 1;
    std::size_t hole = home(block);
    while (entries_[hole].slot >= 0 && entries_[hole].block != block)
        hole = (hole + 1) & mask;
    if (entries_[hole].slot < 0) return;
    // Moves back every later entry of the probe run that may fill the hole:
    // one whose home does not lie cyclically in (hole, at].
    for (std::size_t at = (hole + 1) & mask; entries_[at].slot >= 0; at = (at + 1) & mask) {
        const std::size_t want = home(entries_[at].block);
        const bool stays = hole <= at ? (hole < want && want <= at) : (hole < want || want <= at);
        if (!stays) {
            entries_[hole] = entries_[at];
            hole = at;
        }
    }
    entries_[hole].slot = -1;
    --used_;
}

void RecordBlockCache::SlotIndex::clear() {
    entries_.clear();
    used_ = 0;
    shift_ = 64;
}

int RecordBlockCache::find(std::uint32_t block) const {
    return byBlock_.find(block);
}

void RecordBlockCache::release(int slot) {
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    byBlock_.erase(s.block);
    s.records = 0;
    s.referenced = false;
    free_.push_back(slot);
    if (slot == lastSlot_) lastSlot_ = -1;
}

int RecordBlockCache::claim(std::uint32_t block) {
    if (int own = find(block); own >= 0) return own;
    int slot;
    if (!free_.empty()) {
        slot = free_.back();
        free_.pop_back();
    } else if (slots_.size() < maxSlots_) {
        if (arena_.capacity() == 0) arena_.reserve(maxSlots_ * blockBytes_);
        slot = static_cast<int>(slots_.size());
        slots_.emplace_back();
        arena_.resize(arena_.size() + blockBytes_);
    } else {
        // CLOCK: the first slot not used since the hand last passed it.
        while (slots_[hand_].referenced) {
            slots_[hand_].referenced = false;
            hand_ = (hand_ + 1) % slots_.size();
        }
        slot = static_cast<int>(hand_);
        hand_ = (hand_ + 1) % slots_.size();
        byBlock_.erase(slots_[static_cast<std::size_t>(slot)].block);
        if (slot == lastSlot_) lastSlot_ = -1;
    }
    slots_[static_cast<std::size_t>(slot)] = Slot{block, 0, true};
    byBlock_.insert(block, slot);
    return slot;
}

int RecordBlockCache::load(std::uint32_t block, std::uint32_t recordsInFile) {
    const std::uint64_t first = std::uint64_t(block) * recordsPerBlock_;  // records before it
    const std::uint64_t blocksLeft =
        (recordsInFile - first + recordsPerBlock_ - 1) / recordsPerBlock_;
    const bool ascending = block >= nextInOrder_ && block - nextInOrder_ < kAheadBlocks;
    const std::uint64_t run = std::min<std::uint64_t>(ascending ? runBlocks_ : 1, blocksLeft);
    const std::uint64_t records =
        std::min<std::uint64_t>(run * recordsPerBlock_, recordsInFile - first);
    if (run_.empty()) run_.resize(std::size_t{runBlocks_} * blockBytes_);
    if (!file_.read(dataStart_ + first * recordLength_, run_.data(), records * recordLength_)) {
        if (int own = find(block); own >= 0) release(own);
        return -1;
    }
    nextInOrder_ = static_cast<std::uint32_t>(block + run);
    // The block asked for is claimed last, so the others cannot evict it.
    int slot = -1;
    for (std::uint64_t i = run; i-- > 0;) {
        slot = claim(static_cast<std::uint32_t>(block + i));
        const std::uint64_t from = i * recordsPerBlock_;
        const auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(recordsPerBlock_, records - from));
        std::memcpy(bytes(slot), run_.data() + from * recordLength_, count * recordLength_);
        slots_[static_cast<std::size_t>(slot)].records = count;
    }
    return slot;
}

const char* RecordBlockCache::record(std::uint32_t recno, std::uint32_t recordsInFile) {
    if (recno < 1 || recno > recordsInFile) return nullptr;
    const std::uint32_t block = (recno - 1) / recordsPerBlock_;
    const std::uint32_t index = (recno - 1) % recordsPerBlock_;
    int slot = lastSlot_ >= 0 && block == lastBlock_ ? lastSlot_ : find(block);
    if (slot < 0 || index >= slots_[static_cast<std::size_t>(slot)].records)
        slot = load(block, recordsInFile);
    if (slot < 0) return nullptr;
    slots_[static_cast<std::size_t>(slot)].referenced = true;
    lastBlock_ = block;
    lastSlot_ = slot;
    return bytes(slot) + index * recordLength_;
}

void RecordBlockCache::update(std::uint32_t recno, const char* record) {
    const int slot = find((recno - 1) / recordsPerBlock_);
    if (slot < 0) return;
    const std::uint32_t index = (recno - 1) % recordsPerBlock_;
    if (index < slots_[static_cast<std::size_t>(slot)].records)
        std::memcpy(bytes(slot) + index * recordLength_, record, recordLength_);
}

void RecordBlockCache::forget(std::uint32_t recno) {
    const int slot = find((recno - 1) / recordsPerBlock_);
    if (slot >= 0) release(slot);
}

void RecordBlockCache::clear() {
    byBlock_.clear();
    slots_.clear();
    free_.clear();
    arena_.clear();
    hand_ = 0;
    lastSlot_ = -1;
    nextInOrder_ = 0;
}

}  // namespace xbase
