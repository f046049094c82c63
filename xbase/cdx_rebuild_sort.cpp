// The bounded-memory sort of a tag rebuild: an arena sorted through a small
// array of record prefixes, spilled in sorted runs, merged through a heap.
#include "xbase/cdx_rebuild_sort.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "xbase/return_codes.h"

namespace xbase::cdx {
namespace {

constexpr std::size_t kWriteBuffer = 256 * 1024;
constexpr std::size_t kMaxReadBuffer = 1024 * 1024;
constexpr std::size_t kNoRun = static_cast<std::size_t>(-1);

// The first n bytes of p (n <= 8) as a big-endian number, zeros after them.
std::uint64_t bigEndian(const unsigned char* p, std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i)
        v = (v << 8) | (i < n ? p[i] : 0u);
    return v;
}

}  // namespace

// An arena entry as the sort sees it: the first twelve bytes of its record
// as numbers (so most comparisons never touch the arena), and its place.
struct RebuildSort::SortKey {
    std::uint64_t head;
    std::uint32_t tail;
    std::uint32_t index;
};

RebuildSort::RebuildSort(int keyLength, bool unique, std::string spillPath, std::size_t budget)
    : keyLength_(static_cast<std::size_t>(keyLength)),
      width_(keyLength_ + 4),
      unique_(unique),
      spillPath_(std::move(spillPath)),
      budget_(budget),
      capacity_(std::clamp<std::size_t>(budget / (width_ + sizeof(SortKey)), 1,
                                        std::numeric_limits<std::uint32_t>::max())),
      advance_(kNoRun),
      last_(width_) {}

RebuildSort::~RebuildSort() {
    file_.reset();
    FileSystem& fs = fileSystem();
    if (fs.exists(spillPath_)) fs.remove(spillPath_);
}

short RebuildSort::add(const unsigned char* key, std::uint32_t recno) {
    if (count_ == capacity_) {
        if (short e = spill()) return e;
    }
    if (count_ == allocated_) growArena();
    unsigned char* r = record(count_++);
    std::memcpy(r, key, keyLength_);
    for (std::size_t i = 0; i < 4; ++i)
        r[keyLength_ + i] = static_cast<unsigned char>(recno >> (24 - 8 * i));
    return rc::kSuccess;
}

// The arena grows with the entries, up to the budget, so a small tag costs
// little (an allocation of the whole budget is also what the sanitizers pay
// for in full).
void RebuildSort::growArena() {
    constexpr std::size_t kFirstEntries = 4096;
    const std::size_t entries = std::min(capacity_, std::max(kFirstEntries, allocated_ * 2));
    auto grown = std::make_unique_for_overwrite<unsigned char[]>(entries * width_);
    if (count_ > 0) std::memcpy(grown.get(), arena_.get(), count_ * width_);
    arena_ = std::move(grown);
    allocated_ = entries;
}

void RebuildSort::sortArena() {
    order_ = std::make_unique_for_overwrite<SortKey[]>(count_);
    const std::size_t tailBytes = width_ > 8 ? std::min<std::size_t>(width_ - 8, 4) : 0;
    for (std::size_t i = 0; i < count_; ++i) {
        const unsigned char* r = record(i);
        order_[i] = {bigEndian(r, std::min<std::size_t>(width_, 8)),
                     static_cast<std::uint32_t>(bigEndian(r + 8, tailBytes) >> 32),
                     static_cast<std::uint32_t>(i)};
    }
    // Records no longer than twelve bytes are whole in their sort keys.
    const std::size_t rest = width_ > 12 ? width_ - 12 : 0;
    std::sort(order_.get(), order_.get() + count_, [&](const SortKey& a, const SortKey& b) {
        if (a.head != b.head) return a.head < b.head;
        if (a.tail != b.tail) return a.tail < b.tail;
        return rest > 0 && std::memcmp(record(a.index) + 12, record(b.index) + 12, rest) < 0;
    });
}

short RebuildSort::spill() {
    if (!file_ && !(file_ = fileSystem().create(spillPath_))) return rc::kCreate;
    sortArena();
    std::vector<unsigned char> out;
    out.reserve(std::max(kWriteBuffer / width_, std::size_t{1}) * width_);
    Run run;
    run.next = fileEnd_;
    for (std::size_t i = 0; i < count_; ++i) {
        const unsigned char* r = record(order_[i].index);
        out.insert(out.end(), r, r + width_);
        if (out.size() + width_ > out.capacity() || i + 1 == count_) {
            if (!file_->write(fileEnd_, out.data(), out.size())) return rc::kWrite;
            fileEnd_ += out.size();
            out.clear();
        }
    }
    run.end = fileEnd_;
    runs_.push_back(std::move(run));
    count_ = 0;
    return rc::kSuccess;
}

short RebuildSort::finish() {
    if (runs_.empty()) {
        sortArena();
        return rc::kSuccess;
    }
    if (count_ > 0) {
        if (short e = spill()) return e;
    }
    return startMerge();
}

short RebuildSort::startMerge() {
    arena_.reset();
    allocated_ = 0;
    order_.reset();
    const std::size_t share = std::min(budget_ / runs_.size(), kMaxReadBuffer);
    const std::size_t bytes = std::max<std::size_t>(1, share / width_) * width_;
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        runs_[i].buffer.resize(bytes);
        if (!refill(runs_[i])) return error_;
        pushRun(i);
    }
    return rc::kSuccess;
}

const unsigned char* RebuildSort::current(std::size_t run) const {
    return runs_[run].buffer.data() + runs_[run].pos;
}

bool RebuildSort::later(std::size_t a, std::size_t b) const {
    return std::memcmp(current(a), current(b), width_) > 0;
}

void RebuildSort::pushRun(std::size_t run) {
    heap_.push_back(run);
    std::push_heap(heap_.begin(), heap_.end(),
                   [this](std::size_t a, std::size_t b) { return later(a, b); });
}

std::size_t RebuildSort::popRun() {
    std::pop_heap(heap_.begin(), heap_.end(),
                  [this](std::size_t a, std::size_t b) { return later(a, b); });
    std::size_t run = heap_.back();
    heap_.pop_back();
    return run;
}

bool RebuildSort::refill(Run& run) {
    const auto n =
        static_cast<std::size_t>(std::min<std::uint64_t>(run.buffer.size(), run.end - run.next));
    if (!file_->read(run.next, run.buffer.data(), n)) {
        error_ = rc::kRead;
        return false;
    }
    run.next += n;
    run.pos = 0;
    run.size = n;
    return true;
}

const unsigned char* RebuildSort::take() {
    if (runs_.empty()) return taken_ < count_ ? record(order_[taken_++].index) : nullptr;
    // The run handed out last moves on only now: its record had to stay put.
    if (advance_ != kNoRun) {
        Run& run = runs_[advance_];
        run.pos += width_;
        if (run.pos == run.size && run.next < run.end && !refill(run)) return nullptr;
        if (run.pos < run.size) pushRun(advance_);
        advance_ = kNoRun;
    }
    if (heap_.empty()) return nullptr;
    advance_ = popRun();
    return current(advance_);
}

bool RebuildSort::next(const unsigned char*& key, std::uint32_t& recno) {
    const std::size_t same = unique_ ? keyLength_ : width_;
    while (const unsigned char* r = take()) {
        if (handedOut_ && std::memcmp(r, last_.data(), same) == 0) continue;
        std::memcpy(last_.data(), r, width_);
        handedOut_ = true;
        key = last_.data();
        recno = 0;
        for (std::size_t i = 0; i < 4; ++i)
            recno = (recno << 8) | last_[keyLength_ + i];
        return true;
    }
    return false;
}

}  // namespace xbase::cdx
