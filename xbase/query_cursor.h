// The lazy iterators behind a query relation. A QueryCursor hands out the
// records of a planned query one at a time, in delivery order, checking each
// candidate against the whole query just before it is handed out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/query_plan.h"

namespace xbase {

// What the iterators need of the table they walk.
class QueryTable {
  public:
    virtual ~QueryTable() = default;
    virtual std::uint32_t recordCount() = 0;
    // Makes recno the current record; true when the query holds for it.
    virtual bool matches(std::uint32_t recno) = 0;
    // The sort key (encodeKey of the sort value at the sort width) of recno;
    // makes recno the current record.
    virtual std::string sortKey(std::uint32_t recno) = 0;
};

// A record in delivery order: ascending (sortKey, recno); sortKey is empty in
// record-number order.
struct Candidate {
    std::string sortKey;
    std::uint32_t recno = 0;
};

// A stream of unchecked candidates in delivery order.
class CandidateSource {
  public:
    virtual ~CandidateSource() = default;
    virtual bool next(Candidate& out) = 0;  // false when there are no more
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

    // The next matching record, made the table's current record; 0 when
    // there are none left.
    std::uint32_t next();
    Strategy strategy() const { return strategy_; }

  private:
    QueryTable& table_;
    Strategy strategy_ = Strategy::Empty;
    std::unique_ptr<CandidateSource> source_;
    Candidate previous_;  // the last candidate met, to drop one met twice
};

}  // namespace xbase
