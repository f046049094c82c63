// The lazy iterators of a query relation and the choice among them.
//
// Design note. Invariants:
//  1. Every source yields candidates in ascending (sort key, recno) order,
//     never a record twice, except that a merge over several tags may yield
//     one record once per tag; such copies are adjacent and QueryCursor drops
//     them.
//  2. A candidate is checked (QueryTable::matches) only when it is about to
//     be handed out, so a record changed during the walk is judged as it is
//     then. A candidate read from a tag entry keeps the entry's key until
//     the source is asked for the next one, so the check may read it.
//  3. Sources keep positions in tags only through CdxCursor, which finds its
//     place again after the tag changes; collected lists are snapshots of
//     record numbers, each still checked when handed out.
//  4. Work before the first record is bounded by the merge budget (one seek
//     per run) and, in a race, by the collection ratio: a query matching
//     millions of records walks the delivery order and stops as soon as the
//     caller stops asking.
#include "xbase/query_cursor.h"

#include "xbase/cdx_leaf_batch.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace xbase {

namespace {

// The big-endian value of eight bytes of a sort key.
std::uint64_t keyBits(const char* bytes) {
    std::uint64_t v = 0;
    std::memcpy(&v, bytes, sizeof v);
    if constexpr (std::endian::native == std::endian::little) {  // a byte swap
        v = (v & 0x00000000FFFFFFFFull) << 32 | (v & 0xFFFFFFFF00000000ull) >> 32;
        v = (v & 0x0000FFFF0000FFFFull) << 16 | (v & 0xFFFF0000FFFF0000ull) >> 16;
        v = (v & 0x00FF00FF00FF00FFull) << 8 | (v & 0xFF00FF00FF00FF00ull) >> 8;
    }
    return v;
}

bool before(const Candidate& a, const Candidate& b) {
    const std::size_t n = a.sortKey.size();
    if (n == b.sortKey.size() && n >= 8 && n <= 16) {
        // Numeric and date keys, and STR() texts: compared as words, the
        // first eight bytes and then the last eight, instead of by memcmp.
        const char *x = a.sortKey.data(), *y = b.sortKey.data();
        std::uint64_t p = keyBits(x), q = keyBits(y);
        if (p == q && n > 8) {
            p = keyBits(x + n - 8);
            q = keyBits(y + n - 8);
        }
        return p < q || (p == q && a.recno < b.recno);
    }
    const int c = a.sortKey.compare(b.sortKey);
    return c < 0 || (c == 0 && a.recno < b.recno);
}

bool same(const Candidate& a, const Candidate& b) {
    return a.recno == b.recno && a.sortKey == b.sortKey;
}

// The next key after every key that begins with prefix; false when none is.
bool prefixSuccessor(std::string& prefix) {
    while (!prefix.empty()) {
        auto& last = reinterpret_cast<unsigned char&>(prefix.back());
        if (last != 0xFF) {
            ++last;
            return true;
        }
        prefix.pop_back();
    }
    return false;
}

// The entries of one tag inside its ranges, in key order.
class RangeScan {
  public:
    RangeScan(CdxTag& tag, const TagRanges& scan, const TagOrder& order)
        : cursor_(tag), ranges_(scan.ranges), order_(order) {}

    bool next() {
        if (index_ >= ranges_.size()) return false;
        bool valid = started_ ? cursor_.next() : cursor_.seekGE(ranges_[index_].lo);
        started_ = true;
        while (valid) {
            const std::string_view key = cursor_.key();
            if (keyBelow(key, ranges_[index_])) {
                valid = cursor_.next();
                continue;
            }
            if (!keyAbove(key, ranges_[index_])) return true;
            if (++index_ >= ranges_.size()) return false;
            if (keyBelow(key, ranges_[index_])) valid = cursor_.seekGE(ranges_[index_].lo);
        }
        index_ = ranges_.size();
        return false;
    }
    std::uint32_t recno() const { return cursor_.recNo(); }
    std::string sortKey() const {
        std::string key;
        entrySortKey(order_, cursor_.key(), key);
        return key;
    }
    const TagOrder& order() const { return order_; }

  private:
    CdxCursor cursor_;
    const std::vector<KeyRange>& ranges_;
    const TagOrder& order_;
    std::size_t index_ = 0;
    bool started_ = false;
};

// Candidates from a finished list, sorted on construction.
class ListSource : public CandidateSource {
  public:
    explicit ListSource(std::vector<Candidate> list) : list_(std::move(list)) {
        std::sort(list_.begin(), list_.end(), before);
        list_.erase(std::unique(list_.begin(), list_.end(), same), list_.end());
    }
    const Candidate* next() override { return index_ < list_.size() ? &list_[index_++] : nullptr; }

  private:
    std::vector<Candidate> list_;
    std::size_t index_ = 0;
};

// Gathers the entries of a plan's ranges, up to a cap.
class Collector {
  public:
    enum class State { Running, Done, GaveUp };

    Collector(const std::vector<PlanTag>& tags, const QueryPlan& plan, const SortPlan& sort,
              std::size_t cap)
        : cap_(cap), sorted_(sort.sort != nullptr) {
        for (const TagRanges& scan : plan.scans) {
            const auto tag = static_cast<std::size_t>(scan.tag);
            scans_.push_back(
                std::make_unique<RangeScan>(*tags[tag].tag, scan, sort.tagOrders[tag]));
        }
    }

    // Collects up to n more entries.
    State step(std::size_t n) {
        for (; n > 0 && state_ == State::Running; --n) {
            if (current_ >= scans_.size()) {
                state_ = State::Done;
                break;
            }
            RangeScan& scan = *scans_[current_];
            if (!scan.next()) {
                ++current_;
                continue;
            }
            if (keyed_.size() + unkeyed_.size() >= cap_) {
                state_ = State::GaveUp;
                keyed_ = {};
                unkeyed_ = {};
                scans_.clear();
                break;
            }
            if (sorted_ && scan.order().from == TagOrder::SortKeyFrom::Nothing) {
                unkeyed_.push_back(scan.recno());
            } else {
                keyed_.push_back({scan.sortKey(), scan.recno()});
            }
        }
        return state_;
    }

    // The candidates after `after` (all when null), with the sort keys the
    // index could not give read from the table.
    std::vector<Candidate> take(QueryTable& table, const Candidate* after) {
        std::vector<Candidate> list = std::move(keyed_);
        for (std::uint32_t recno : unkeyed_)
            list.push_back({table.sortKey(recno), recno});
        if (after != nullptr) {
            std::erase_if(list, [&](const Candidate& c) { return !before(*after, c); });
        }
        return list;
    }

  private:
    std::size_t cap_;
    bool sorted_;
    std::vector<std::unique_ptr<RangeScan>> scans_;
    std::size_t current_ = 0;
    State state_ = State::Running;
    std::vector<Candidate> keyed_;
    std::vector<std::uint32_t> unkeyed_;
};

// Every record, in delivery order: the entries of the sort tag (tag, an index
// into the PlanTag list), or record numbers when tag is -1. Sort keys are
// filled in only when keepSortKeys asks (a race compares them). Tag entries
// are read a leaf's worth at a time; when the tag changes before they are
// all handed out, the walk finds the last one handed out again and goes on
// from there, as a cursor does.
class WalkSource : public CandidateSource {
  public:
    WalkSource(QueryTable& table, const std::vector<PlanTag>& tags, int tag, bool keepSortKeys)
        : table_(table), tagIndex_(tag), keepSortKeys_(keepSortKeys) {
        if (tag >= 0) {
            tag_ = tags[static_cast<std::size_t>(tag)].tag;
            cursor_ = std::make_unique<CdxCursor>(*tag_);
            batch_ = std::make_unique<LeafBatch>(*tag_);
        }
    }
    const Candidate* next() override {
        if (cursor_) {
            const bool onward = started_ && tag_->changeCount() == readChange_ && batch_->advance();
            if (!onward && !moveOn()) return nullptr;
            out_.key = batch_->key();
            out_.keyChange = readChange_;
            out_.tag = tagIndex_;
            if (keepSortKeys_) out_.sortKey.assign(out_.key);
            out_.recno = batch_->recNo();
            return &out_;
        }
        if (recno_ >= table_.recordCount()) return nullptr;
        out_.recno = ++recno_;
        return &out_;
    }

  private:
    // Makes the next entry current in the batch when it is not simply the
    // batch's next one; false at the end.
    bool moveOn() {
        const std::uint64_t change = tag_->changeCount();
        if (!started_) {
            started_ = true;
            readChange_ = change;
            return cursor_->first() && batch_->takeCursor(*cursor_);
        }
        if (change == readChange_) return batch_->fill(*cursor_);
        // The tag changed: the cursor stands on the last entry read, not
        // necessarily the last one handed out (the batch's current one).
        // Back to that, or to its successor when the change removed it (the
        // successor is then the next to hand out).
        readChange_ = change;
        if (batch_->atLast()) return batch_->fill(*cursor_);
        const std::string last(batch_->key());
        const std::uint32_t recno = batch_->recNo();
        if (!cursor_->seekEntry(last, recno)) return false;
        if (cursor_->key() == last && cursor_->recNo() == recno) return batch_->fill(*cursor_);
        return batch_->takeCursor(*cursor_);
    }

    QueryTable& table_;
    int tagIndex_;
    CdxTag* tag_ = nullptr;
    bool keepSortKeys_;
    std::unique_ptr<CdxCursor> cursor_;
    std::unique_ptr<LeafBatch> batch_;
    bool started_ = false;
    std::uint64_t readChange_ = 0;  // the tag's change count when the batch was read
    std::uint32_t recno_ = 0;
    Candidate out_;
};

// A walk over a tag range that reads its entries a leaf at a time: the
// scout with which a merge finds its runs.
class Scout {
  public:
    explicit Scout(CdxTag& tag) : cursor_(tag), batch_(tag) {}

    bool seekGE(std::string_view prefix) {
        return cursor_.seekGE(prefix) && batch_.takeCursor(cursor_);
    }
    bool next() { return batch_.advance() || batch_.fill(cursor_); }
    // The first entry whose key, in its first prefix.size() bytes, is at or
    // past prefix (the current one when it is); false when none is.
    bool skipTo(std::string_view prefix) {
        if (atOrPast(prefix)) return true;
        while (batch_.advance()) {
            if (atOrPast(prefix)) return true;
        }
        return cursor_.skipTo(prefix) && batch_.takeCursor(cursor_);
    }
    std::string_view key() const { return batch_.key(); }
    std::uint32_t recNo() const { return batch_.recNo(); }

  private:
    bool atOrPast(std::string_view prefix) const {
        return batch_.key().substr(0, prefix.size()) >= prefix;
    }

    CdxCursor cursor_;
    LeafBatch batch_;
};

// One run of a merge: the entries of a tag range that share their first
// groupLength key bytes, already in delivery order. The first entries of a
// run are kept when the merge opens it (a snapshot, like a collected list):
// most runs are short, and of a long one a search that stops early rarely
// reads more. Only a run read past what was kept opens a cursor, just after
// the last kept entry.
struct Run {
    static constexpr int kKept = 8;
    static constexpr int kBatch = 32;

    CdxTag* tag = nullptr;
    const KeyRange* range = nullptr;
    const TagOrder* order = nullptr;
    std::string_view prefix;   // the group's key bytes, in the merge's key arena
    bool insideRange = false;  // every key with this prefix lies inside range
    // The sort key is the entry's STR(sort) text itself: every run of the
    // merge reads one tag whose STR() texts order like their values.
    bool strText = false;
    std::size_t keptOffset = 0;  // of the kept keys in the arena, keyLength bytes each
    std::uint32_t keptRecnos[kKept] = {};
    int keptCount = 0;
    int keptNext = 0;
    bool more = false;             // entries follow the kept ones
    std::uint64_t keptChange = 0;  // the tag's change count when they were read
    // Past the kept entries: a cursor, and the entries it read ahead (a
    // snapshot too) with the tag's change count when they were read.
    std::unique_ptr<CdxCursor> cursor;
    std::unique_ptr<LeafBatch> batch;
    std::uint64_t batchChange = 0;
    Candidate head;

    bool inRun(std::string_view key) const {
        return key.substr(0, prefix.size()) == prefix && (insideRange || !keyAbove(key, *range));
    }

    // Moves head to the run's next entry; false when the run is done.
    bool advance(const std::string& arena) {
        const auto keyLength = static_cast<std::size_t>(tag->keyLength());
        if (keptNext < keptCount) {
            const int i = keptNext++;
            setHead(
                {arena.data() + keptOffset + static_cast<std::size_t>(i) * keyLength, keyLength},
                keptRecnos[i], keptChange);
            return true;
        }
        if (!more) return false;
        if (!cursor) {  // reopen after the last kept entry, or at its successor
            cursor = std::make_unique<CdxCursor>(*tag);
            batch = std::make_unique<LeafBatch>(*tag, kBatch);
            batchChange = tag->changeCount();
            if (!cursor->seekEntry(head.key, head.recno)) return false;
            const bool same = cursor->key() == head.key && cursor->recNo() == head.recno;
            if (!(same ? batch->fill(*cursor) : batch->takeCursor(*cursor))) return false;
        } else if (!batch->advance()) {
            batchChange = tag->changeCount();
            if (!batch->fill(*cursor)) return false;
        }
        if (!inRun(batch->key())) return false;
        setHead(batch->key(), batch->recNo(), batchChange);
        return true;
    }

  private:
    void setHead(std::string_view key, std::uint32_t recno, std::uint64_t change) {
        if (strText) {
            head.sortKey.assign(key.substr(static_cast<std::size_t>(order->offset)));
        } else {
            entrySortKey(*order, key, head.sortKey);
        }
        head.recno = recno;
        head.key = key;
        head.keyChange = change;
    }
};

// True when every key that begins with prefix lies at or below the range's top.
bool prefixInside(std::string_view prefix, const KeyRange& range) {
    const std::string_view hi = range.hi;
    const int c = prefix.compare(hi.substr(0, prefix.size()));
    if (c != 0) return c < 0;
    return !range.hiOpen && hi.find_first_not_of('\xFF', prefix.size()) == std::string::npos;
}

class MergeSource : public CandidateSource {
  public:
    // Opens the runs of the plan; false when a tag's entries form no runs or
    // the runs exceed budget.
    bool open(const std::vector<PlanTag>& tags, const QueryPlan& plan, const SortPlan& sort,
              std::size_t budget) {
        for (const TagRanges& scan : plan.scans) {
            const auto tagIndex = static_cast<std::size_t>(scan.tag);
            const TagOrder& order = sort.tagOrders[tagIndex];
            if (order.groupLength < 0) return false;
            strText_ = plan.scans.size() == 1 && order.from == TagOrder::SortKeyFrom::StrSuffix;
            for (const KeyRange& range : scan.ranges) {
                if (!openRuns(*tags[tagIndex].tag, scan.tag, range, order, budget)) return false;
            }
        }
        // Heads are read only now: the arena they point into is complete.
        for (std::size_t i = 0; i < runs_.size(); ++i) {
            Run& run = runs_[i];
            run.prefix = std::string_view(arena_).substr(run.keptOffset, run.prefix.size());
            if (run.advance(arena_)) heap_.push_back(static_cast<std::uint32_t>(i));
        }
        std::make_heap(heap_.begin(), heap_.end(), Later{runs_});
        return true;
    }

    // The run handed out last (the heap's top) moves on only now, so its key
    // stays valid while the candidate is checked (invariant 2); then it sinks
    // to its place, or leaves the heap when it is done.
    const Candidate* next() override {
        if (handedOut_) {
            handedOut_ = false;
            if (runs_[heap_.front()].advance(arena_)) {
                sinkTop();
            } else {
                std::pop_heap(heap_.begin(), heap_.end(), Later{runs_});
                heap_.pop_back();
            }
        }
        if (heap_.empty()) return nullptr;
        handedOut_ = true;
        return &runs_[heap_.front()].head;
    }

  private:
    // Opens a run at each new group of the range's entries. A scout walks
    // the range, keeping the first entries of each group for its run, and
    // reaches the next group by a seek past the prefix of a group longer
    // than that (in a warm cache a seek costs as much as some twenty steps,
    // and a step past a leaf's end may read a page the seek would skip).
    bool openRuns(CdxTag& tag, int tagIndex, const KeyRange& range, const TagOrder& order,
                  std::size_t budget) {
        const auto groupLength = static_cast<std::size_t>(order.groupLength);
        Scout scout(tag);
        bool valid = scout.seekGE(range.lo);
        while (valid && keyBelow(scout.key(), range))
            valid = scout.next();
        while (valid && !keyAbove(scout.key(), range)) {
            if (runs_.size() >= budget) return false;
            Run& run = runs_.emplace_back();
            run.tag = &tag;
            run.range = &range;
            run.order = &order;
            run.head.tag = tagIndex;
            run.strText = strText_;
            run.keptOffset = arena_.size();
            run.keptChange = tag.changeCount();
            arena_.append(scout.key());
            // The prefix is viewed in the arena, which may move as it grows.
            const auto prefixAt = [&] {
                return std::string_view(arena_).substr(run.keptOffset, groupLength);
            };
            run.prefix = prefixAt();
            run.insideRange = prefixInside(run.prefix, range);
            run.keptRecnos[run.keptCount++] = scout.recNo();
            while ((valid = scout.next()) && (run.prefix = prefixAt(), run.inRun(scout.key()))) {
                if (run.keptCount < Run::kKept) {
                    arena_.append(scout.key());
                    run.keptRecnos[run.keptCount++] = scout.recNo();
                    continue;
                }
                run.more = true;
                if (groupLength == 0) return true;  // the whole range is one run
                past_.assign(prefixAt());
                if (!prefixSuccessor(past_)) return true;
                valid = scout.skipTo(past_);
                break;
            }
        }
        return true;
    }

    // Heap order: the run whose head comes first in delivery order on top.
    struct Later {
        const std::vector<Run>& runs;
        bool operator()(std::uint32_t a, std::uint32_t b) const {
            return before(runs[b].head, runs[a].head);
        }
    };

    // Restores the heap order after the top run's head moved on.
    void sinkTop() {
        const Later later{runs_};
        const std::size_t n = heap_.size();
        const std::uint32_t top = heap_.front();
        std::size_t at = 0;
        for (std::size_t child = 1; child < n; child = 2 * at + 1) {
            if (child + 1 < n && later(heap_[child], heap_[child + 1])) ++child;
            if (!later(top, heap_[child])) break;
            heap_[at] = heap_[child];
            at = child;
        }
        heap_[at] = top;
    }

    std::vector<Run> runs_;
    bool strText_ = false;             // see Run::strText
    std::string past_;                 // the seek target past a long group, kept for reuse
    std::string arena_;                // the keys the runs kept, keyLength bytes each
    std::vector<std::uint32_t> heap_;  // with handedOut_, the top run has not yet moved on
    bool handedOut_ = false;
};

// Walks the delivery order while collecting the plan's ranges on the side.
class RaceSource : public CandidateSource {
  public:
    RaceSource(QueryTable& table, const std::vector<PlanTag>& tags, int sortTag,
               std::unique_ptr<Collector> collector, std::size_t ratio)
        : table_(table),
          walk_(table, tags, sortTag, true),
          collector_(std::move(collector)),
          ratio_(ratio) {}

    const Candidate* next() override {
        if (list_) return list_->next();
        if (collector_) {
            const Collector::State state = collector_->step(ratio_);
            if (state == Collector::State::Done) {
                list_ = std::make_unique<ListSource>(
                    collector_->take(table_, walked_ ? &lastWalked_ : nullptr));
                collector_.reset();
                return list_->next();
            }
            if (state == Collector::State::GaveUp) collector_.reset();
        }
        const Candidate* walked = walk_.next();
        if (walked == nullptr) return nullptr;
        lastWalked_.sortKey = walked->sortKey;
        lastWalked_.recno = walked->recno;
        walked_ = true;
        return walked;
    }

  private:
    QueryTable& table_;
    WalkSource walk_;
    std::unique_ptr<Collector> collector_;
    std::size_t ratio_;
    std::unique_ptr<ListSource> list_;
    Candidate lastWalked_;
    bool walked_ = false;
};

class EmptySource : public CandidateSource {
  public:
    const Candidate* next() override { return nullptr; }
};

}  // namespace

QueryCursor::QueryCursor(QueryTable& table, const std::vector<PlanTag>& tags, const QueryPlan& plan,
                         const SortPlan& sort, CursorTuning tuning)
    : table_(table) {
    const int sortTag = sort.sortTag;
    const bool walkable = sort.sort == nullptr || sortTag >= 0;
    bool coversAll = !plan.optimized;
    for (const TagRanges& scan : plan.scans) {
        coversAll = coversAll || std::any_of(scan.ranges.begin(), scan.ranges.end(), wholeRange);
    }

    if (plan.optimized && plan.scans.empty()) {
        strategy_ = Strategy::Empty;
        source_ = std::make_unique<EmptySource>();
        return;
    }
    if (coversAll && walkable) {
        strategy_ = Strategy::Walk;
        source_ = std::make_unique<WalkSource>(table, tags, sortTag, false);
        return;
    }
    if (plan.optimized) {
        auto merge = std::make_unique<MergeSource>();
        if (merge->open(tags, plan, sort, tuning.mergeBudget)) {
            strategy_ = Strategy::Merge;
            source_ = std::move(merge);
            twice_ = plan.scans.size() > 1;
            return;
        }
    }
    strategy_ = walkable ? Strategy::Race : Strategy::Collect;
    if (walkable) {
        source_ = std::make_unique<RaceSource>(
            table, tags, sortTag, std::make_unique<Collector>(tags, plan, sort, tuning.collectCap),
            tuning.collectRatio);
        return;
    }
    std::vector<Candidate> list;
    if (plan.optimized) {
        Collector collector(tags, plan, sort, SIZE_MAX);
        while (collector.step(4096) == Collector::State::Running) {
        }
        list = collector.take(table, nullptr);
    } else {
        const std::uint32_t count = table.recordCount();
        list.reserve(count);
        for (std::uint32_t recno = 1; recno <= count; ++recno) {
            list.push_back({table.sortKey(recno), recno});
        }
    }
    source_ = std::make_unique<ListSource>(std::move(list));
}

QueryCursor::~QueryCursor() = default;

const Candidate* QueryCursor::next() {
    while (const Candidate* candidate = source_->next()) {
        if (twice_) {
            if (same(*candidate, previous_)) continue;
            previous_.sortKey = candidate->sortKey;
            previous_.recno = candidate->recno;
        }
        if (table_.matches(*candidate)) return candidate;
    }
    return nullptr;
}

}  // namespace xbase
