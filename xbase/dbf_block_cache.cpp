// The bounded record-block read cache (see dbf_block_cache.h).
#include "xbase/dbf_block_cache.h"

#include <algorithm>
#include <cstring>

namespace xbase {
namespace {
constexpr std::size_t kBlockBytes = 1024;  // a block: the records read for one random miss
constexpr std::uint64_t kRunBlocks = 32;   // blocks read at once by a walk in record order
}  // namespace

RecordBlockCache::RecordBlockCache(File& file, std::uint64_t dataStart, int recordLength,
                                   std::size_t maxBytes)
    : file_(file),
      dataStart_(dataStart),
      recordLength_(static_cast<std::size_t>(recordLength)),
      recordsPerBlock_(
          static_cast<std::uint32_t>(std::max<std::size_t>(1, kBlockBytes / recordLength_))),
      maxBlocks_(std::max<std::size_t>(2, maxBytes / (recordsPerBlock_ * recordLength_))) {}

RecordBlockCache::Block* RecordBlockCache::find(std::uint32_t index) {
    auto it = byIndex_.find(index);
    if (it == byIndex_.end()) return nullptr;
    if (it->second != blocks_.begin()) blocks_.splice(blocks_.begin(), blocks_, it->second);
    return &*it->second;
}

RecordBlockCache::Block& RecordBlockCache::slotFor(std::uint32_t index) {
    if (Block* block = find(index)) return *block;
    if (blocks_.size() >= maxBlocks_) {
        byIndex_.erase(blocks_.back().index);
        blocks_.splice(blocks_.begin(), blocks_, std::prev(blocks_.end()));
    } else {
        blocks_.emplace_front();
    }
    Block& block = blocks_.front();
    block.index = index;
    block.records = 0;
    byIndex_[index] = blocks_.begin();
    return block;
}

RecordBlockCache::Block* RecordBlockCache::load(std::uint32_t index, std::uint32_t recordsInFile) {
    const std::uint64_t first =
        std::uint64_t(index) * recordsPerBlock_;  // records before the block
    const std::uint64_t blocksLeft =
        (recordsInFile - first + recordsPerBlock_ - 1) / recordsPerBlock_;
    const std::uint64_t run =
        std::min<std::uint64_t>(index == nextInOrder_ ? kRunBlocks : 1, blocksLeft);
    const std::uint64_t records =
        std::min<std::uint64_t>(run * recordsPerBlock_, recordsInFile - first);
    run_.resize(records * recordLength_);
    if (!file_.read(dataStart_ + first * recordLength_, run_.data(), run_.size())) return nullptr;
    nextInOrder_ = static_cast<std::uint32_t>(index + run);
    // The blocks after the first go in before it, so the one asked for is the most recent.
    for (std::uint64_t i = run; i-- > 0;) {
        Block& block = slotFor(static_cast<std::uint32_t>(index + i));
        std::uint64_t from = i * recordsPerBlock_;
        auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(recordsPerBlock_, records - from));
        block.bytes.assign(
            run_.begin() + static_cast<std::ptrdiff_t>(from * recordLength_),
            run_.begin() + static_cast<std::ptrdiff_t>((from + count) * recordLength_));
        block.records = count;
    }
    return &blocks_.front();
}

bool RecordBlockCache::read(std::uint32_t recno, std::uint32_t recordsInFile, char* out) {
    if (recno < 1 || recno > recordsInFile) return false;
    std::uint32_t index = (recno - 1) / recordsPerBlock_;
    std::uint32_t slot = (recno - 1) % recordsPerBlock_;
    Block* block = find(index);
    if (!block || slot >= block->records) block = load(index, recordsInFile);
    if (!block) return false;
    std::memcpy(out, block->bytes.data() + slot * recordLength_, recordLength_);
    return true;
}

void RecordBlockCache::update(std::uint32_t recno, const char* record) {
    auto it = byIndex_.find((recno - 1) / recordsPerBlock_);
    if (it == byIndex_.end()) return;
    std::uint32_t slot = (recno - 1) % recordsPerBlock_;
    if (slot < it->second->records)
        std::memcpy(it->second->bytes.data() + slot * recordLength_, record, recordLength_);
}

void RecordBlockCache::forget(std::uint32_t recno) {
    auto it = byIndex_.find((recno - 1) / recordsPerBlock_);
    if (it == byIndex_.end()) return;
    blocks_.erase(it->second);
    byIndex_.erase(it);
}

void RecordBlockCache::clear() {
    blocks_.clear();
    byIndex_.clear();
}

}  // namespace xbase
