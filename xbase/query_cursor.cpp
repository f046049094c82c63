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

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "xbase/cdx_leaf_batch.h"
#include "xbase/query_sources.h"

namespace xbase {

bool candidateBefore(const Candidate& a, const Candidate& b) {
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

bool sameCandidate(const Candidate& a, const Candidate& b) {
    return a.recno == b.recno && a.sortKey == b.sortKey;
}

namespace {

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
        std::sort(list_.begin(), list_.end(), candidateBefore);
        list_.erase(std::unique(list_.begin(), list_.end(), sameCandidate), list_.end());
    }
    const Candidate* next() override { return index_ < list_.size() ? &list_[index_++] : nullptr; }
    void skipGroup() override {
        if (index_ == 0) return;
        const std::string& group = list_[index_ - 1].sortKey;
        if (group.empty()) return;  // record-number order
        while (index_ < list_.size() && list_[index_].sortKey == group)
            ++index_;
    }

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
            std::erase_if(list, [&](const Candidate& c) { return !candidateBefore(*after, c); });
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
            if (skipping_) {
                skipping_ = false;
                if (!passGroup()) return nullptr;
            } else if (!(started_ && tag_->changeCount() == readChange_ && batch_->advance()) &&
                       !moveOn()) {
                return nullptr;
            }
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

    // The group is the entries with the key of the one handed out last (the
    // batch's current entry); the walk passes over them when the next
    // candidate is asked for.
    void skipGroup() override {
        if (!cursor_ || !started_) return;
        skipping_ = true;
    }

  private:
    // Makes the first entry past the group current: within the batch and
    // then the cursor's leaf while the tag is unchanged, else by a skip of
    // the cursor; false at the end.
    bool passGroup() {
        if (tag_->changeCount() == readChange_) {
            const std::string_view group = batch_->key();  // the batch stays as it advances
            while (batch_->advance()) {
                if (!sameShort(batch_->key(), group)) return true;
            }
            // The cursor stands on the batch's last entry, one of the group.
            return cursor_->nextKey() && batch_->takeCursor(*cursor_);
        }
        readChange_ = tag_->changeCount();
        group_.assign(batch_->key());
        return prefixSuccessor(group_) && cursor_->skipTo(group_) && batch_->takeCursor(*cursor_);
    }

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
        return batch_->resumeAfter(*cursor_, batch_->key(), batch_->recNo());
    }

    QueryTable& table_;
    int tagIndex_;
    CdxTag* tag_ = nullptr;
    bool keepSortKeys_;
    std::unique_ptr<CdxCursor> cursor_;
    std::unique_ptr<LeafBatch> batch_;
    bool started_ = false;
    std::uint64_t readChange_ = 0;  // the tag's change count when the batch was read
    bool skipping_ = false;         // the next candidate lies past the current entry's key
    std::string group_;             // that key, when the tag changed, kept for reuse
    std::uint32_t recno_ = 0;
    Candidate out_;
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
    void skipGroup() override {
        if (list_) return list_->skipGroup();
        walk_.skipGroup();
        // A list collected later starts after the whole group.
        lastWalked_.recno = UINT32_MAX;
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
    void skipGroup() override {}
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
        // An exact plan with a range of every key: the query holds for
        // whatever key a record has, so for every record.
        unchecked_ = (plan.optimized && plan.exact) || table.matchesEvery();
        source_ = std::make_unique<WalkSource>(table, tags, sortTag, false);
        return;
    }
    if (plan.optimized) {
        if (auto merge = openMerge(tags, plan, sort, tuning.mergeBudget)) {
            strategy_ = Strategy::Merge;
            source_ = std::move(merge);
            twice_ = plan.scans.size() > 1;
            exact_ = plan.exact;
            // An exact plan judges each candidate by its key's currency
            // alone; the query itself is looked at only for a stale key.
            unchecked_ = !twice_ && !exact_ && table.matchesEvery();
            return;
        }
    }
    strategy_ = walkable ? Strategy::Race : Strategy::Collect;
    unchecked_ = table.matchesEvery();
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

const Candidate* QueryCursor::nextChecked() {
    while (const Candidate* candidate = source_->next()) {
        if (twice_) {
            if (sameCandidate(*candidate, previous_)) continue;
            previous_.sortKey = candidate->sortKey;
            previous_.recno = candidate->recno;
        }
        if ((exact_ && table_.keyCurrent(*candidate)) || table_.matches(*candidate)) {
            return candidate;
        }
    }
    return nullptr;
}

}  // namespace xbase
