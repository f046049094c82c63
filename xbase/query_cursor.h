// The lazy iterators behind a query relation. A QueryCursor hands out the
// records of a planned query one at a time, in delivery order, checking each
// candidate against the whole query just before it is handed out. It never
// moves the table: the relation makes the records handed out current.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xbase/query_plan.h"

namespace xbase {

// A record in delivery order: ascending (sortKey, recno); sortKey is empty in
// record-number order (and where no one reads it: a plain walk), and within a
// merge over one tag may be any text that orders like the sort key, or empty
// where the merge orders by the STR(sort) text in the key. A candidate
// read from a tag entry also carries the tag (an index into the PlanTag list),
// the entry's key, valid until its source moves on, and the tag's change count
// when the key was read: once the tag has changed, the key may be stale.
struct Candidate {
    Candidate() = default;
    Candidate(std::string sortKeyIn, std::uint32_t recnoIn)
        : sortKey(std::move(sortKeyIn)), recno(recnoIn) {}

    std::string sortKey;
    std::uint32_t recno = 0;
    int tag = -1;
    std::string_view key;
    std::uint64_t keyChange = 0;
};

// What the iterators need of the table they walk. None of it moves the table.
class QueryTable {
  public:
    virtual ~QueryTable() = default;
    virtual std::uint32_t recordCount() = 0;
    // True when the query holds for the candidate's record as it is now.
    virtual bool matches(const Candidate& candidate) = 0;
    // True when the candidate's key is its record's entry as the tag holds
    // it now (the tag has not changed since the key was read).
    virtual bool keyCurrent(const Candidate& candidate) const = 0;
    // True when the query holds for every record whatever it holds (a query
    // without fields that comes out true): candidates need no check.
    virtual bool matchesEvery() = 0;
    // The sort key (encodeKey of the sort value at the sort width) of recno.
    virtual std::string sortKey(std::uint32_t recno) = 0;
};

// A stream of unchecked candidates in delivery order.
class CandidateSource {
  public:
    virtual ~CandidateSource() = default;
    // The next candidate, valid until the next call; nullptr when there are no more.
    virtual const Candidate* next() = 0;
    // Passes over the rest of the group of the candidate handed out last: the
    // candidates with its sort key. In record-number order every record is
    // a group of its own.
    virtual void skipGroup() = 0;
    // Passes over the groups, from that of the candidate handed out last on,
    // that surely hold fewer than n candidates, where the source can count
    // them from what it has read without handing them out; true when it
    // passed any (the next candidate then begins a group). Counts are of
    // entries: the caller vouches that every entry is a match.
    virtual bool passSmallGroups(long /*n*/) { return false; }
};

// How a cursor produces its candidates:
//  Empty:   the plan admits no record.
//  Merge:   a k-way merge of tag runs that are each in delivery order.
//  Walk:    the delivery order itself (sort tag or record numbers), every
//           record a candidate; for plans that cover most of the table.
//  Race:    Walk, while the plan's ranges are collected on the side; when the
//           collection completes first, its sorted list takes over.
//  Collect: the plan's ranges (or the whole table) collected and sorted.
enum class Strategy { Empty, Merge, Walk, Race, Collect };

// Defaults measured on a 2,000,000-record keyword table: opening a run costs
// about one seek (1-2 us), collecting an entry about as much as walking and
// checking a record, so the two race one for one.
struct CursorTuning {
    std::size_t mergeBudget = 4096;     // most runs a merge may open
    std::size_t collectRatio = 1;       // range entries collected per walked record
    std::size_t collectCap = 1u << 18;  // most candidates a racing collection keeps
};

class QueryCursor {
  public:
    // table, tags, plan and sort must remain live while the cursor is used.
    QueryCursor(QueryTable& table, const std::vector<PlanTag>& tags, const QueryPlan& plan,
                const SortPlan& sort, CursorTuning tuning = {});
    ~QueryCursor();
    QueryCursor(const QueryCursor&) = delete;
    QueryCursor& operator=(const QueryCursor&) = delete;

    // The next matching record, valid until the next call; nullptr when
    // there are none left.
    const Candidate* next() { return unchecked_ ? source_->next() : nextChecked(); }
    // The first matching record whose sort key follows that of the record
    // handed out last; nullptr when there is none.
    const Candidate* nextGroup() {
        source_->skipGroup();
        return next();
    }
    // Passes over the groups, from that of the record handed out last on,
    // that surely hold fewer than n matching records, where the source can
    // count them without handing them out; true when it passed any (the
    // next record then begins a group).
    bool passSmallGroups(long n) {
        return (unchecked_ || exact_) && !twice_ && source_->passSmallGroups(n);
    }
    Strategy strategy() const { return strategy_; }

  private:
    const Candidate* nextChecked();

    QueryTable& table_;
    Strategy strategy_ = Strategy::Empty;
    std::unique_ptr<CandidateSource> source_;
    bool twice_ = false;      // a merge over several tags: one record may come once per tag
    bool unchecked_ = false;  // every candidate matches: the source's stream is the answer
    bool exact_ = false;      // a candidate with a current key matches (an exact plan's merge)
    Candidate previous_;      // with twice_, the last candidate met, to drop one met again
};

}  // namespace xbase
