// A bounded read cache of DBF record blocks: records are read from the file a
// small block of neighbours at a time (about 512 bytes) and kept in one
// arena of slots, evicted by CLOCK. A miss just after the previous read
// reads a longer run at once, so walks in record order cost one read per run
// while scattered reads (walks in index order) read little more than the
// record they need, and a hit costs a table lookup, not a list splice.
#pragma once

#include <cstdint>
#include <vector>

#include "xbase/file_io.h"

namespace xbase {

class RecordBlockCache {
  public:
    // Records start at dataStart and are recordLength bytes each; the cache
    // holds at most maxBytes of them. file must outlive the cache.
    RecordBlockCache(File& file, std::uint64_t dataStart, int recordLength,
                     std::size_t maxBytes = 16u << 20);
    RecordBlockCache(const RecordBlockCache&) = delete;
    RecordBlockCache& operator=(const RecordBlockCache&) = delete;

    // The bytes of record recno (1 .. recordsInFile) in the cache; nullptr on
    // a read error. Valid until the next call of a non-const member.
    const char* record(std::uint32_t recno, std::uint32_t recordsInFile);
    // Keeps a cached copy of recno in step with a write of the record.
    void update(std::uint32_t recno, const char* record);
    // Forgets the block of recno (another handle may have changed it).
    void forget(std::uint32_t recno);
    void clear();

  private:
    struct Slot {
        std::uint32_t block = 0;
        std::uint32_t records = 0;  // how many of the block's records were read; 0: free
        bool referenced = false;
    };
    // Block number to slot: open addressing with linear probing, kept at most
    // half full; erase shifts the entries after a hole back, so no tombstones.
    class SlotIndex {
      public:
        int find(std::uint32_t block) const;
        void insert(std::uint32_t block, int slot);  // block must not be present
        void erase(std::uint32_t block);
        void clear();

      private:
        struct Entry {
            std::uint32_t block = 0;
            int slot = -1;  // -1: empty
        };
        std::size_t home(std::uint32_t block) const;
        void grow();
        std::vector<Entry> entries_;
        std::size_t used_ = 0;
        int shift_ = 64;
    };
    // The slot holding block, or -1.
    int find(std::uint32_t block) const;
    // Reads block (and, when reads run in order, the blocks after it);
    // the slot of block, or -1 on a read error.
    int load(std::uint32_t block, std::uint32_t recordsInFile);
    // A slot for block: its own, a free one, or one evicted by CLOCK.
    int claim(std::uint32_t block);
    void release(int slot);
    char* bytes(int slot) { return arena_.data() + static_cast<std::size_t>(slot) * blockBytes_; }

    File& file_;
    std::uint64_t dataStart_;
    std::size_t recordLength_;
    std::uint32_t recordsPerBlock_;
    std::size_t blockBytes_;
    std::uint32_t runBlocks_;  // blocks read at once by a walk in record order
    std::size_t maxSlots_;
    std::vector<char> arena_;  // slots_.size() blocks, grown up to maxSlots_
    std::vector<Slot> slots_;
    std::vector<int> free_;  // released slots
    SlotIndex byBlock_;
    std::size_t hand_ = 0;           // CLOCK position
    std::uint32_t nextInOrder_ = 0;  // the block after the last one read
    std::uint32_t lastBlock_ = 0;    // the block of the last hit, and its slot (-1: none)
    int lastSlot_ = -1;
    std::vector<char> run_;  // scratch for a read of runBlocks_ blocks
};

}  // namespace xbase
