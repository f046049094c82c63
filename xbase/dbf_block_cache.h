// A bounded read cache of DBF record blocks: records are read from the file a
// small block of neighbours at a time (a power of two of them, up to 1 KB)
// and kept in slots, evicted by CLOCK. The slots live in fixed chunks of
// about 64 KB allocated as the cache fills, never moved or freed before the
// cache: memory grows with use (a small table costs one chunk, not the whole
// bound) and a record's bytes stay where they are while other blocks load.
// Reads go straight into the slots. A miss just after the previous read reads
// twice as many blocks as that read did (up to 16 KB), so walks in record
// order soon cost one read per run, while scattered reads (walks in index
// order) read the one block they need: one that only now and then lands just
// after the previous read brings in two blocks, not a run that would evict
// blocks still wanted. A hit touches the block index and the record's
// bytes and nothing else: a scattered walk over records the cache holds
// costs two memory lines per record, not a list splice.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "xbase/file_io.h"

namespace xbase {

class RecordBlockCache {
  public:
    // Records start at dataStart and are recordLength bytes each; the cache
    // holds at most maxBytes of them. file must outlive the cache. The
    // default holds a table of about 900,000 keyword records whole: a walk in
    // key order reads records in scattered order, and every record that does
    // not fit costs a system call when the walk comes back to its block.
    RecordBlockCache(File& file, std::uint64_t dataStart, int recordLength,
                     std::size_t maxBytes = 32u << 20);
    RecordBlockCache(const RecordBlockCache&) = delete;
    RecordBlockCache& operator=(const RecordBlockCache&) = delete;

    // The bytes of record recno (1 .. recordsInFile) in the cache; nullptr on
    // a read error. They hold the record until its block is evicted, forgotten
    // or cleared, and stay readable memory as long as the cache lives.
    const char* record(std::uint32_t recno, std::uint32_t recordsInFile);
    // Keeps a cached copy of recno in step with a write of the record.
    void update(std::uint32_t recno, const char* record);
    // Forgets the block of recno (another handle may have changed it).
    void forget(std::uint32_t recno);
    void clear();

  private:
    // Block number to slot and the count of the block's records read:
    // open addressing with linear probing, kept at most half full; erase
    // shifts the entries after a hole back, so no tombstones.
    class SlotIndex {
      public:
        static constexpr std::uint16_t kEmpty = 0xFFFF;
        struct Entry {
            std::uint32_t block = 0;
            std::uint16_t slot = kEmpty;
            std::uint16_t records = 0;
        };
        Entry* find(std::uint32_t block);
        Entry& insert(std::uint32_t block, std::uint16_t slot);  // block must not be present
        void erase(std::uint32_t block);
        void clear();

      private:
        std::size_t home(std::uint32_t block) const;
        void grow();
        std::vector<Entry> entries_;
        std::size_t used_ = 0;
        int shift_ = 64;
    };

    // Reads block (and, when reads run in order, the blocks after it); the
    // entry of block, or nullptr on a read error.
    SlotIndex::Entry* load(std::uint32_t block, std::uint32_t recordsInFile);
    // The entry of block with a slot: its own, a free one, or one evicted by
    // CLOCK, never one holding a block in [keepFirst, keepFirst + keepCount)
    // (keepCount at most half the slots). Its record count is 0 when the slot
    // is new to the block.
    SlotIndex::Entry& claim(std::uint32_t block, std::uint32_t keepFirst, std::uint32_t keepCount);
    void release(std::uint32_t block);
    void setReferenced(std::uint16_t slot, bool on);
    bool referenced(std::size_t slot) const { return (referenced_[slot / 64] >> (slot % 64)) & 1; }
    char* bytes(std::uint16_t slot) {
        return chunks_[slot >> chunkShift_].get() + (slot & chunkMask_) * blockBytes_;
    }
    // A new slot at the end, with a chunk for it when it starts one.
    std::uint16_t addSlot();

    File& file_;
    std::uint64_t dataStart_;
    std::size_t recordLength_;
    int blockShift_;  // records per block = 1 << blockShift_
    std::uint32_t recordsPerBlock_;
    std::size_t blockBytes_;
    std::uint32_t runBlocks_;  // blocks read at once by an ascending walk
    std::size_t maxSlots_;
    int chunkShift_;                               // slots per chunk = 1 << chunkShift_
    std::size_t chunkMask_;                        // slot within its chunk = slot & chunkMask_
    std::vector<std::unique_ptr<char[]>> chunks_;  // the slots' bytes, never moved
    std::vector<std::uint32_t> slotBlock_;         // the block each slot in use holds
    std::vector<std::uint64_t> referenced_;        // CLOCK bits, one per slot
    std::vector<std::uint16_t> free_;              // released slots
    SlotIndex index_;
    std::size_t hand_ = 0;           // CLOCK position
    std::uint32_t nextInOrder_ = 0;  // the block after the last one read
    std::uint32_t lastRun_ = 1;      // blocks the last read read
    // The last block found: the fast path of a walk that stays in one block.
    std::uint32_t lastBlock_ = 0;
    std::uint16_t lastSlot_ = SlotIndex::kEmpty;
    std::uint16_t lastRecords_ = 0;
    const char* lastBytes_ = nullptr;  // bytes(lastSlot_)
    std::vector<ReadPart> parts_;      // the slots a read fills, one per block
};

}  // namespace xbase
