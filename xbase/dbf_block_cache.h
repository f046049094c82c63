// A bounded read cache of DBF record blocks: records are read from the file a
// small block of neighbours at a time and kept, least recently used first out.
// A miss right after the previous run of blocks reads a longer run at once, so
// walks in record order cost one read per run while random reads (walks in
// index order) copy little more than the record they need.
#pragma once

#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "xbase/file_io.h"

namespace xbase {

class RecordBlockCache {
  public:
    // Records start at dataStart and are recordLength bytes each; the cache
    // holds at most maxBytes of them. file must outlive the cache.
    RecordBlockCache(File& file, std::uint64_t dataStart, int recordLength,
                     std::size_t maxBytes = 4u << 20);
    RecordBlockCache(const RecordBlockCache&) = delete;
    RecordBlockCache& operator=(const RecordBlockCache&) = delete;

    // Copies record recno (1 .. recordsInFile) into out; false on a read error.
    bool read(std::uint32_t recno, std::uint32_t recordsInFile, char* out);
    // Keeps a cached copy of recno in step with a write of the record.
    void update(std::uint32_t recno, const char* record);
    // Forgets the block of recno (another handle may have changed it).
    void forget(std::uint32_t recno);
    void clear();

  private:
    struct Block {
        std::uint32_t index = 0;
        std::uint32_t records = 0;  // how many of the block's records were read
        std::vector<char> bytes;
    };
    Block* find(std::uint32_t index);
    // Reads block index (and, when reads run in order, the blocks after it).
    Block* load(std::uint32_t index, std::uint32_t recordsInFile);
    Block& slotFor(std::uint32_t index);

    File& file_;
    std::uint64_t dataStart_;
    std::size_t recordLength_;
    std::uint32_t recordsPerBlock_;
    std::size_t maxBlocks_;
    std::uint32_t nextInOrder_ = 0;  // the block a walk in record order asks for next
    std::vector<char> run_;          // scratch for reads of several blocks
    std::list<Block> blocks_;        // most recently used first
    std::unordered_map<std::uint32_t, std::list<Block>::iterator> byIndex_;
};

}  // namespace xbase
