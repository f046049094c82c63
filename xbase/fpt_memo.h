// One FPT memo file: a 512-byte header naming the next free block and the
// block size, then memos of type 1 (text) each starting on a block boundary.
// Reads are bounds-checked; writes go in place when the text fits the blocks
// it had, else to the end of the file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "xbase/file_io.h"

namespace xbase {

class FptFile {
  public:
    // Opens and checks an existing memo file; nullptr with rc::kOpen or rc::kMemo.
    static std::unique_ptr<FptFile> open(const std::string& path, short& error);
    // Creates an empty memo file with this block size; nullptr with rc::kCreate or rc::kWrite.
    static std::unique_ptr<FptFile> create(const std::string& path, int blockSize, short& error);
    ~FptFile();
    FptFile(const FptFile&) = delete;
    FptFile& operator=(const FptFile&) = delete;

    int blockSize() const { return blockSize_; }
    std::uint32_t nextFree() const { return nextFree_; }

    // The text of the memo at block. A block outside the file, in the header,
    // or without a whole text memo reads as empty text with rc::kMemo.
    short read(std::uint32_t block, std::string& text);
    // Stores text for a field whose memo was at oldBlock (0: none): in place
    // when it needs no more blocks than the old one had, else at the end.
    // block receives where it went; empty text stores nothing and gives 0.
    short write(std::uint32_t oldBlock, std::string_view text, std::uint32_t& block);
    // Stores text at the end of the file (empty text: block 0).
    short append(std::string_view text, std::uint32_t& block);
    // Writes the next-free block number into the header.
    short flush(bool sync);
    // Re-reads the next-free block (another handle may have appended).
    short refresh();
    // Hands out no block below `block` from now on: records name memos there
    // that the file no longer holds, and a new memo there would read as theirs.
    void reserveBelow(std::uint32_t block) {
        reservedBelow_ = std::max(reservedBelow_, block);
        nextFree_ = std::max(nextFree_, block);
    }

    File& file() { return *file_; }

  private:
    FptFile() = default;
    std::uint32_t blocksFor(std::uint64_t textLength) const;
    std::uint32_t firstDataBlock() const;
    // The length of the text memo at block, or -1 when there is none.
    long long textLength(std::uint32_t block);
    short writeAt(std::uint32_t block, std::string_view text);

    std::unique_ptr<File> file_;
    int blockSize_ = 64;
    std::uint32_t nextFree_ = 0;
    std::uint32_t headerNextFree_ = 0;  // what the header on disk holds
    std::uint32_t reservedBelow_ = 0;   // blocks lost memos of records had
};

}  // namespace xbase
