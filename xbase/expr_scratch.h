// Scratch memory for evaluating expressions: a per-thread bump allocator whose
// blocks are kept between evaluations, so that evaluating the same expression
// on record after record allocates nothing once the blocks have grown.
//
// Invariants: memory handed out never moves until it is released, so results
// may point at each other; release() is last-in first-out (ScratchScope), so
// an evaluation nested inside another cannot free its caller's results.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace xbase {

class ScratchArena {
  public:
    struct Mark {
        std::size_t block = 0;
        std::size_t used = 0;
    };

    // n bytes aligned for any scalar type; valid until release() of an earlier mark.
    void* allocate(std::size_t n);
    Mark mark() const { return Mark{current_, used_}; }
    // Frees everything allocated since m. Blocks stay for reuse, except
    // oversized ones (made for one huge memo), which are returned to the heap.
    void release(Mark m);

    // The calling thread's arena.
    static ScratchArena& local();

  private:
    struct Block {
        std::unique_ptr<unsigned char[]> data;
        std::size_t size = 0;
    };
    std::vector<Block> blocks_;
    std::size_t current_ = 0;  // block being filled; == blocks_.size() when none
    std::size_t used_ = 0;     // bytes used in blocks_[current_]
    bool oversized_ = false;   // some block is larger than the standard size
};

// Releases on scope exit what was allocated from the thread's arena after its start.
class ScratchScope {
  public:
    ScratchScope() : arena_(ScratchArena::local()), mark_(arena_.mark()) {}
    ~ScratchScope() { arena_.release(mark_); }
    ScratchScope(const ScratchScope&) = delete;
    ScratchScope& operator=(const ScratchScope&) = delete;
    ScratchArena& arena() { return arena_; }

  private:
    ScratchArena& arena_;
    ScratchArena::Mark mark_;
};

}  // namespace xbase
