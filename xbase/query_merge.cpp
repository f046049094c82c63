// The merge of a query relation: the runs of the plan's key ranges, each
// already in delivery order, merged through a heap. Used where a plan's
// ranges are made of a bounded number of runs (one per keyword, say).
//
// Design note. Invariants (beside those of query_cursor.cpp):
//  1. A run's first entries are kept when it is opened, and a run read past
//     them reads on through its own cursor a leaf batch at a time: both are
//     snapshots, their candidates carrying the tag's change count when read,
//     so a stale key is never trusted (the record is read instead).
//  2. The heap holds one entry per unfinished run, ordered by its head's
//     (sort key, recno); a run handed out moves on only when the next
//     candidate is asked for.
//  3. A group is passed unread only on a certain count: every entry counted
//     was read since its tag last changed, and the count ends at an entry
//     the run holds that is outside the group (or at the run's known end).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/cdx_leaf_batch.h"
#include "xbase/query_sources.h"

namespace xbase {

namespace {

// A walk over a tag range that reads its entries a leaf at a time: the
// scout with which a merge finds its runs.
class Scout {
  public:
    // Batches of a few entries: of a long group the scout reads only the
    // first ones before it skips past the rest.
    explicit Scout(CdxTag& tag) : cursor_(tag), batch_(tag, kBatch) {}

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
    // The cursor, which stands on the last entry read: in the leaf of the
    // current one or near it, so a run that resumes from a copy mostly
    // finds its place within that leaf.
    const CdxCursor& cursor() const { return cursor_; }

  private:
    static constexpr int kBatch = 16;

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
    // Read on past them up to a leaf's worth at a time: the more a batch
    // holds, the more small groups are passed without handing them out.
    static constexpr int kBatch = 64;

    CdxTag* tag = nullptr;
    const KeyRange* range = nullptr;
    const TagOrder* order = nullptr;
    std::string_view prefix;   // the group's key bytes, in the merge's key arena
    bool insideRange = false;  // every key with this prefix lies inside range
    // The sort key is the entry's STR(sort) text itself, read in place (head's
    // sortKey stays empty): every run of the merge reads one tag whose STR()
    // texts order like their values and are at most 16 bytes long.
    bool strText = false;
    std::size_t keptOffset = 0;  // of the kept keys in the arena, keyLength bytes each
    std::uint32_t keptRecnos[kKept] = {};
    int keptCount = 0;
    int keptNext = 0;
    bool more = false;             // entries follow the kept ones
    std::uint64_t keptChange = 0;  // the tag's change count when they were read
    // Past the kept entries: a cursor (a copy of the scout's for a range's
    // first run), and the entries it read ahead (a
    // snapshot too) with the tag's change count when they were read.
    std::unique_ptr<CdxCursor> cursor;
    std::unique_ptr<LeafBatch> batch;
    std::uint64_t batchChange = 0;
    // The entry the run stands on (head, or one stepped over since).
    std::string_view last;
    std::uint32_t lastRecno = 0;
    std::uint64_t lastChange = 0;
    Candidate head;

    bool inRun(std::string_view key) const {
        return sameShort(key.substr(0, prefix.size()), prefix) &&
               (insideRange || !keyAbove(key, *range));
    }

    // Moves to the run's next entry, which last names; false when the run is done.
    bool step(const std::string& arena) {
        const auto keyLength = static_cast<std::size_t>(tag->keyLength());
        if (keptNext < keptCount) {
            const int i = keptNext++;
            last = {arena.data() + keptOffset + static_cast<std::size_t>(i) * keyLength, keyLength};
            lastRecno = keptRecnos[i];
            lastChange = keptChange;
            return true;
        }
        if (!more) return false;
        if (!batch) {  // reopen after the last kept entry, or at its successor
            if (!cursor) cursor = std::make_unique<CdxCursor>(*tag);
            batch = std::make_unique<LeafBatch>(*tag, kBatch);
            batchChange = tag->changeCount();
            if (!batch->resumeAfter(*cursor, last, lastRecno)) return false;
        } else if (!batch->advance()) {
            batchChange = tag->changeCount();
            if (!batch->fill(*cursor)) return false;
        }
        if (!inRun(batch->key())) return false;
        last = batch->key();
        lastRecno = batch->recNo();
        lastChange = batchChange;
        return true;
    }

    // Moves head to the run's next entry; false when the run is done.
    bool advance(const std::string& arena) {
        if (!step(arena)) return false;
        setHead(last, lastRecno, lastChange);
        return true;
    }

    // Moves head past the entries with its key (within a run, the entries
    // with its sort key); false when the run is done. skipped keeps the key,
    // which may view a batch that the steps read over.
    bool skipKey(const std::string& arena, std::string& skipped) {
        if (strText) return skipSortKey(arena);
        skipped.assign(head.key);
        while (step(arena)) {
            if (last != skipped) {
                setHead(last, lastRecno, lastChange);
                return true;
            }
            // Within a batch, on to the key's last entry at once.
            if (batch && keptNext == keptCount) batch->lastWith(skipped);
        }
        return false;
    }

    // skipKey for a strText run, whose entries share their bytes before the
    // sort key: the sort keys alone tell its keys apart, compared as words.
    bool skipSortKey(const std::string& arena) {
        char bytes[16];
        const std::string_view sort = sortBytes();
        std::memcpy(bytes, sort.data(), sort.size());
        const std::string_view skipped(bytes, sort.size());
        const auto offset = static_cast<std::size_t>(order->offset);
        while (step(arena)) {
            if (!sameShort(last.substr(offset), skipped)) {
                setHead(last, lastRecno, lastChange);
                return true;
            }
            // Within a batch, on to the key's last entry at once.
            if (batch && keptNext == keptCount) batch->lastWith(last);
        }
        return false;
    }

    // The entries from the head on that have the head's sort key, counted up
    // to limit, from what the run holds (strText runs only). certain is false
    // when the count may fall short: the run reads on past what it holds, or
    // an entry was read before its tag last changed.
    long countGroup(const std::string& arena, long limit, bool& certain) const {
        certain = false;
        const std::uint64_t now = tag->changeCount();
        if (!strText || head.keyChange != now) return 0;
        const auto offset = static_cast<std::size_t>(order->offset);
        const std::string_view group = head.key.substr(offset);
        // An entry ends the group when it has another sort key or lies outside the run.
        const auto ends = [&](std::string_view key) {
            return !sameShort(key.substr(offset), group) || !inRun(key);
        };
        long count = 1;
        if (!batch) {
            if (keptChange != now) return count;
            const auto keyLength = static_cast<std::size_t>(tag->keyLength());
            for (int i = keptNext; i < keptCount && count < limit; ++i, ++count) {
                const std::string_view key(
                    arena.data() + keptOffset + static_cast<std::size_t>(i) * keyLength, keyLength);
                if (ends(key)) {
                    certain = true;
                    return count;
                }
            }
            certain = !more && count < limit;
            return count;
        }
        if (batchChange != now) return count;
        for (int k = 1; k <= batch->ahead() && count < limit; ++k, ++count) {
            if (ends(batch->keyAhead(k))) {
                certain = true;
                return count;
            }
        }
        return count;  // the cursor may hold more of the group
    }

    // Passes whole groups of fewer than n entries from the head on while the
    // leaf batch holds each in full, with the entry that ends it, and their
    // sort key comes before bound (any, when bound is empty): the countGroup
    // rules, entry by entry in the batch. Returns the groups passed; done
    // when the run ended with the last of them.
    long passHeldGroups(long n, std::string_view bound, bool& done) {
        done = false;
        if (!strText || !batch || batchChange != tag->changeCount() ||
            head.keyChange != batchChange) {
            return 0;
        }
        const auto offset = static_cast<std::size_t>(order->offset);
        long passed = 0;
        for (;;) {
            const std::string_view group = head.key.substr(offset);
            if (!bound.empty() && !lessShort(group, bound)) return passed;
            int k = 1;
            while (k <= batch->ahead() && k < n) {
                const std::string_view key = batch->keyAhead(k);
                if (!sameShort(key.substr(offset), group) || !inRun(key)) break;
                ++k;
            }
            if (k > batch->ahead() || k >= n) return passed;  // not held in full, or not small
            batch->skip(k);
            ++passed;
            if (!inRun(batch->key())) {
                done = true;
                return passed;
            }
            last = batch->key();
            lastRecno = batch->recNo();
            lastChange = batchChange;
            setHead(last, lastRecno, lastChange);
        }
    }

    // The head's sort key.
    std::string_view sortBytes() const {
        if (strText) return head.key.substr(static_cast<std::size_t>(order->offset));
        return head.sortKey;
    }

  private:
    void setHead(std::string_view key, std::uint32_t recno, std::uint64_t change) {
        if (!strText) entrySortKey(*order, key, head.sortKey);
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

// True when every key at or past prefix (in its first prefix.size() bytes)
// lies above the range's top: no seek need look for another group there.
bool beyond(std::string_view prefix, const KeyRange& range) {
    return prefix.compare(std::string_view(range.hi).substr(0, prefix.size())) > 0;
}

class MergeSource : public CandidateSource {
  public:
    // Opens the runs of the plan; false when a tag's entries form no runs or
    // the runs exceed budget.
    bool open(const std::vector<PlanTag>& tags, const QueryPlan& plan, const SortPlan& sort,
              std::size_t budget) {
        // Room for a few runs' kept keys and places, which most searches
        // (a keyword or three) do not outgrow.
        constexpr std::size_t kFewRuns = 4;
        runs_.reserve(std::min(budget, kFewRuns));
        heap_.reserve(std::min(budget, kFewRuns));
        if (!plan.scans.empty()) {
            const auto tag = static_cast<std::size_t>(plan.scans.front().tag);
            arena_.reserve(kFewRuns * Run::kKept *
                           static_cast<std::size_t>(tags[tag].tag->keyLength()));
        }
        for (const TagRanges& scan : plan.scans) {
            const auto tagIndex = static_cast<std::size_t>(scan.tag);
            const TagOrder& order = sort.tagOrders[tagIndex];
            if (order.groupLength < 0) return false;
            strText_ = plan.scans.size() == 1 && order.from == TagOrder::SortKeyFrom::StrSuffix &&
                       tags[tagIndex].tag->keyLength() - order.offset <= 16;
            for (const KeyRange& range : scan.ranges) {
                if (!openRuns(*tags[tagIndex].tag, scan.tag, range, order, budget)) return false;
            }
        }
        // Heads are read only now: the arena they point into is complete.
        for (std::size_t i = 0; i < runs_.size(); ++i) {
            Run& run = runs_[i];
            run.prefix = std::string_view(arena_).substr(run.keptOffset, run.prefix.size());
            if (run.advance(arena_)) heap_.push_back({0, 0, 0, static_cast<std::uint32_t>(i)});
        }
        packed_ = !heap_.empty();
        for (const HeapEntry& e : heap_) {
            const std::size_t n = runs_[e.run].sortBytes().size();
            packed_ = packed_ && n <= 16 && n == runs_[heap_.front().run].sortBytes().size();
        }
        for (HeapEntry& e : heap_)
            pack(e);
        std::make_heap(heap_.begin(), heap_.end(),
                       [this](const HeapEntry& a, const HeapEntry& b) { return later(a, b); });
        return true;
    }

    // The run handed out last (the heap's top) moves on only now, so its key
    // stays valid while the candidate is checked (invariant 2); then it sinks
    // to its place, or leaves the heap when it is done.
    const Candidate* next() override {
        if (handedOut_) {
            handedOut_ = false;
            moveTop();
        }
        if (heap_.empty()) return nullptr;
        handedOut_ = true;
        return &runs_[heap_.front().run].head;
    }

    // Moves every run on past the heads with the sort key handed out last.
    void skipGroup() override {
        if (!handedOut_) return;
        handedOut_ = false;
        const HeapEntry group = heap_.front();
        if (!packed_) group_.assign(runs_[group.run].head.sortKey);
        do {
            moveTop(true);
        } while (!heap_.empty() && inGroup(heap_.front(), group));
    }

    // Passes over groups that surely hold fewer than n entries, from that of
    // the candidate handed out last on, as long as the runs' own entries can
    // tell (invariant 1: only entries read since their tag last changed).
    bool passSmallGroups(long n) override {
        if (!handedOut_ || !strText_ || !packed_) return false;
        bool passed = false;
        while (!heap_.empty()) {
            if (sortsBefore(heap_.front(), runnerUp())) {
                if (!passSmallAlone(n)) break;
            } else if (smallTopGroup(n)) {
                dropTopGroup();
            } else {
                break;
            }
            passed = true;
        }
        if (passed) handedOut_ = false;  // the new top is handed out next, unmoved
        return passed;
    }

  private:
    // Passes the top run's small groups while its group lies in it alone,
    // and only then restores the heap order: a stretch of documents that
    // hold one keyword alone costs no heap step per document. False when the
    // first group is not surely small.
    bool passSmallAlone(long n) {
        const HeapEntry* next = runnerUp();
        HeapEntry& top = heap_.front();
        Run& run = runs_[top.run];
        bool passed = false;
        while (sortsBefore(top, next)) {
            bool done = false;
            if (run.passHeldGroups(n, next ? runs_[next->run].sortBytes() : std::string_view(),
                                   done) > 0) {
                passed = true;
                if (done) {
                    dropTop();
                    break;
                }
                pack(top);
                continue;
            }
            bool certain = false;
            const long count = run.countGroup(arena_, n, certain);
            if (!certain || count >= n) break;
            passed = true;
            if (!advanceTop(count)) break;
        }
        if (passed && !heap_.empty()) sinkTop();
        return passed;
    }

    // Moves the top run on by count entries; false when it ended and left
    // the heap. The heap order is restored by the caller.
    bool advanceTop(long count) {
        HeapEntry& top = heap_.front();
        for (long i = 0; i < count; ++i) {
            if (!runs_[top.run].advance(arena_)) {
                dropTop();
                return false;
            }
        }
        pack(top);
        return true;
    }

    // Takes the top run, which ended, out of the heap.
    void dropTop() {
        heap_.front() = heap_.back();
        heap_.pop_back();
    }

    // True when the group of the heap's top, which more than one run holds,
    // has fewer than n entries for certain; counted_ then holds each of its
    // runs with its count. The runs whose heads have the top's sort key form
    // a subtree at the heap's root.
    bool smallTopGroup(long n) {
        counted_.clear();
        stack_.assign(1, 0);
        long total = 0;
        while (!stack_.empty()) {
            const std::size_t at = stack_.back();
            stack_.pop_back();
            if (at >= heap_.size() || !inGroup(heap_[at], heap_.front())) continue;
            bool certain = false;
            const std::uint32_t run = heap_[at].run;
            const long count = runs_[run].countGroup(arena_, n - total, certain);
            total += count;
            if (!certain || total >= n) return false;
            counted_.push_back({run, count});
            stack_.push_back(2 * at + 1);
            stack_.push_back(2 * at + 2);
        }
        return true;
    }

    // Moves each run counted_ holds past its entries of the group. They stay
    // on top of the heap (ahead of every other run) until each has moved.
    void dropTopGroup() {
        for (std::size_t dropped = 0; dropped < counted_.size(); ++dropped) {
            HeapEntry& top = heap_.front();
            const auto it = counted_.size() == 1
                                ? counted_.begin()
                                : std::find_if(counted_.begin(), counted_.end(),
                                               [&](const auto& c) { return c.first == top.run; });
            advanceTop(it->second);
            if (!heap_.empty()) sinkTop();
        }
    }

    // Moves the top run on to its next entry (with pastKey, to its first
    // entry with another key), which sinks to its place, or out of the heap
    // when the run is done.
    void moveTop(bool pastKey = false) {
        HeapEntry& top = heap_.front();
        Run& run = runs_[top.run];
        if (pastKey ? run.skipKey(arena_, skipped_) : run.advance(arena_)) {
            pack(top);
        } else {
            dropTop();
        }
        if (!heap_.empty()) sinkTop();
    }

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
        const std::size_t firstRun = runs_.size();
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
                // The range's first run (often its only one: a keyword) reads
                // on from where the scout stands.
                if (&run == &runs_[firstRun])
                    run.cursor = std::make_unique<CdxCursor>(scout.cursor());
                if (groupLength == 0) return true;  // the whole range is one run
                past_.assign(prefixAt());
                if (!prefixSuccessor(past_) || beyond(past_, range)) return true;
                valid = scout.skipTo(past_);
                break;
            }
        }
        return true;
    }

    // A run's place in the heap. With packed_, every head's sort key has one
    // length of at most 16 bytes and lies in hi and lo as big-endian words
    // (zero-padded), so the heap compares integers, not strings.
    struct HeapEntry {
        std::uint64_t hi = 0;
        std::uint64_t lo = 0;
        std::uint32_t recno = 0;
        std::uint32_t run = 0;
    };

    void pack(HeapEntry& e) const {
        const Run& run = runs_[e.run];
        e.recno = run.head.recno;
        if (!packed_) return;
        char bytes[16] = {};
        const std::string_view sort = run.sortBytes();
        std::memcpy(bytes, sort.data(), sort.size());
        e.hi = keyBits(bytes);
        e.lo = keyBits(bytes + 8);
    }

    // True when a's head comes after b's in delivery order.
    bool later(const HeapEntry& a, const HeapEntry& b) const {
        if (!packed_) return candidateBefore(runs_[b.run].head, runs_[a.run].head);
        if (a.hi != b.hi) return a.hi > b.hi;
        if (a.lo != b.lo) return a.lo > b.lo;
        return a.recno > b.recno;
    }

    // True when e's head has the sort key of group (whose key group_ holds
    // when the keys are not packed).
    bool inGroup(const HeapEntry& e, const HeapEntry& group) const {
        if (packed_) return e.hi == group.hi && e.lo == group.lo;
        return runs_[e.run].head.sortKey == group_;
    }

    // The run whose head comes next after the top's: the earlier of the
    // top's children; nullptr when the top run is the only one left.
    const HeapEntry* runnerUp() const {
        if (heap_.size() < 2) return nullptr;
        if (heap_.size() > 2 && later(heap_[1], heap_[2])) return &heap_[2];
        return &heap_[1];
    }

    // True when a's sort key comes before b's (before anything when b is
    // nullptr). Of the top and the runner-up: no other run holds entries of
    // the top's group.
    static bool sortsBefore(const HeapEntry& a, const HeapEntry* b) {
        return b == nullptr || a.hi < b->hi || (a.hi == b->hi && a.lo < b->lo);
    }

    // Restores the heap order after the top entry changed.
    void sinkTop() {
        const std::size_t n = heap_.size();
        const HeapEntry top = heap_.front();
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
    bool strText_ = false;         // see Run::strText
    std::string past_;             // the seek target past a long group, kept for reuse
    std::string group_;            // the sort key skipGroup passes over, when not packed_
    std::string skipped_;          // the key a run passes over, kept for reuse
    std::string arena_;            // the keys the runs kept, keyLength bytes each
    std::vector<HeapEntry> heap_;  // with handedOut_, the top run has not yet moved on
    std::vector<std::pair<std::uint32_t, long>> counted_;  // see smallTopGroup, kept for reuse
    std::vector<std::size_t> stack_;                       // heap places smallTopGroup visits
    bool packed_ = false;
    bool handedOut_ = false;
};

}  // namespace

std::unique_ptr<CandidateSource> openMerge(const std::vector<PlanTag>& tags, const QueryPlan& plan,
                                           const SortPlan& sort, std::size_t budget) {
    auto merge = std::make_unique<MergeSource>();
    if (!merge->open(tags, plan, sort, budget)) return nullptr;
    return merge;
}

}  // namespace xbase
