// The bounded record-block read cache (see dbf_block_cache.h).
#include "xbase/dbf_block_cache.h"

#include <algorithm>
#include <cstring>

namespace xbase {
namespace {
constexpr std::size_t kBlockBytes = 16384;
}

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

RecordBlockCache::Block* RecordBlockCache::load(std::uint32_t index, std::uint32_t recordsInFile) {
    std::uint64_t first = std::uint64_t(index) * recordsPerBlock_;  // records before the block
    std::uint32_t count = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(recordsPerBlock_, recordsInFile - first));
    Block* block = find(index);
    if (!block) {
        if (blocks_.size() >= maxBlocks_) {
            byIndex_.erase(blocks_.back().index);
            blocks_.splice(blocks_.begin(), blocks_, std::prev(blocks_.end()));
        } else {
            blocks_.emplace_front();
        }
        block = &blocks_.front();
        block->index = index;
        block->records = 0;
        byIndex_[index] = blocks_.begin();
    }
    block->bytes.resize(count * recordLength_);
    if (!file_.read(dataStart_ + first * recordLength_, block->bytes.data(), block->bytes.size())) {
        byIndex_.erase(index);
        blocks_.pop_front();
        return nullptr;
    }
    block->records = count;
    return block;
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
