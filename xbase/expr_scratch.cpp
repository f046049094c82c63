// The per-thread scratch arena of the expression evaluator.
#include "xbase/expr_scratch.h"

#include <algorithm>

namespace xbase {
namespace {

constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::size_t kAlign = alignof(std::max_align_t);

std::size_t alignUp(std::size_t n) {
    return (n + kAlign - 1) & ~(kAlign - 1);
}

}  // namespace

void* ScratchArena::allocate(std::size_t n) {
    n = alignUp(std::max<std::size_t>(n, 1));
    // Move on to the first later block with room, dropping none of them.
    while (current_ < blocks_.size() && blocks_[current_].size - used_ < n) {
        ++current_;
        used_ = 0;
    }
    if (current_ == blocks_.size()) {
        const std::size_t size = std::max(n, kBlockSize);
        blocks_.push_back(Block{std::make_unique<unsigned char[]>(size), size});
        oversized_ = oversized_ || size > kBlockSize;
        used_ = 0;
    }
    void* p = blocks_[current_].data.get() + used_;
    used_ += n;
    return p;
}

void ScratchArena::release(Mark m) {
    current_ = m.block;
    used_ = m.used;
    // Blocks after the mark's (and the mark's own when it is unused) are free
    // now; give back the oversized ones.
    if (!oversized_) return;
    const std::size_t firstFree = std::min(current_ + (used_ > 0 ? 1 : 0), blocks_.size());
    blocks_.erase(std::remove_if(blocks_.begin() + static_cast<std::ptrdiff_t>(firstFree),
                                 blocks_.end(), [](const Block& b) { return b.size > kBlockSize; }),
                  blocks_.end());
    oversized_ = std::any_of(blocks_.begin(), blocks_.end(),
                             [](const Block& b) { return b.size > kBlockSize; });
}

ScratchArena& ScratchArena::local() {
    thread_local ScratchArena arena;
    return arena;
}

}  // namespace xbase
