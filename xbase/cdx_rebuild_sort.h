// Sorting the entries of a tag rebuild in bounded memory: entries gather in
// one arena of fixed-length records; when the arena is full it is sorted and
// spilled as a run to a temporary file, and the runs are merged at the end.
//
// Design note. Invariants:
//  1. A record is the key (keyLength bytes) followed by the record number
//     big-endian, so comparing whole records byte by byte is the tag's
//     (key, recno) order.
//  2. The arena and its sort array together stay within the budget given at
//     construction (at least one entry); the merge's read buffers together
//     also stay within it (at least one record per run), and the arena is
//     freed before they are taken.
//  3. Runs lie one after another in the spill file, each sorted. The file
//     exists only while this object does: the destructor removes it (and one
//     a crashed process left), so a failed rebuild leaves nothing behind. It
//     goes through the engine's FileSystem like every engine file.
//  4. No spill file is made while the entries fit the budget: they are
//     sorted in place and handed out from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/file_io.h"

namespace xbase::cdx {

class RebuildSort {
  public:
    // keyLength bytes per key. With unique, only the lowest record number of
    // each key is handed out. spillPath names the temporary file for runs;
    // budget is the memory for entries in bytes.
    RebuildSort(int keyLength, bool unique, std::string spillPath, std::size_t budget);
    // Removes the spill file.
    ~RebuildSort();
    RebuildSort(const RebuildSort&) = delete;
    RebuildSort& operator=(const RebuildSort&) = delete;

    // Adds one entry (in any order); 0, or the error of a spill that failed.
    short add(const unsigned char* key, std::uint32_t recno);
    // Ends the adding and makes ready to hand out; 0 or the spill's error.
    short finish();
    // The next entry in ascending (key, recno) order, a repeated pair (with
    // unique: a repeated key) skipped; false at the end or on a read error
    // (see error()). key stays valid until the next call.
    bool next(const unsigned char*& key, std::uint32_t& recno);
    short error() const { return error_; }

  private:
    struct SortKey;
    // A sorted run in the spill file and the buffered part of it being merged.
    struct Run {
        std::uint64_t next = 0;  // file offset of the first record not yet buffered
        std::uint64_t end = 0;
        std::vector<unsigned char> buffer;
        std::size_t pos = 0;  // the current record
        std::size_t size = 0;
    };

    unsigned char* record(std::size_t i) const { return arena_.get() + i * width_; }
    void growArena();
    void sortArena();
    short spill();
    short startMerge();
    bool refill(Run& run);
    // The merge heap of runs, least current record on top.
    const unsigned char* current(std::size_t run) const;
    bool later(std::size_t a, std::size_t b) const;
    void pushRun(std::size_t run);
    std::size_t popRun();
    // The next record in order, repeats included; nullptr at the end or on error.
    const unsigned char* take();

    const std::size_t keyLength_;
    const std::size_t width_;  // keyLength_ + 4
    const bool unique_;
    const std::string spillPath_;
    const std::size_t budget_;
    const std::size_t capacity_;  // most entries the arena holds (the budget)

    std::unique_ptr<unsigned char[]> arena_;
    std::size_t allocated_ = 0;         // entries the arena has room for now
    std::unique_ptr<SortKey[]> order_;  // count_ entries, made by sortArena
    std::size_t count_ = 0;             // entries in the arena
    std::size_t taken_ = 0;             // entries handed out of the arena

    std::unique_ptr<File> file_;
    std::uint64_t fileEnd_ = 0;
    std::vector<Run> runs_;
    std::vector<std::size_t> heap_;  // runs with records left
    std::size_t advance_;            // the run whose current record was last taken

    std::vector<unsigned char> last_;  // the entry handed out last
    bool handedOut_ = false;
    short error_ = 0;
};

}  // namespace xbase::cdx
