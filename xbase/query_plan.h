// The query planner: turns a parsed query into key ranges on a table's tags
// (.OR. unites, .AND. narrows) and tells, for the delivery order of a query
// relation, which runs of a tag's entries already come out in that order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/cdx_index.h"
#include "xbase/expr.h"

namespace xbase {

// A tag that can answer queries: it holds one entry per record (no FOR
// clause, not unique), keyed by the value of its key expression.
struct PlanTag {
    CdxTag* tag = nullptr;
    const Expression* key = nullptr;  // must remain live while the plan is used
    std::string_view normalizedKey;   // the key's normalizedSource()
};

// An interval of full-length keys (exactly keyLength bytes each): the keys k
// with lo <= k <= hi, where an open end excludes the bound itself.
struct KeyRange {
    std::string lo;
    std::string hi;
    bool loOpen = false;
    bool hiOpen = false;
};

bool keyBelow(std::string_view key, const KeyRange& range);  // before the range
bool keyAbove(std::string_view key, const KeyRange& range);  // past the range
// True when the range covers every key of its length.
bool wholeRange(const KeyRange& range);

// The ranges of one tag, sorted by lower bound and pairwise disjoint.
struct TagRanges {
    int tag = 0;  // index into the PlanTag list
    std::vector<KeyRange> ranges;
};

// What the tags say about the records a query can match. When optimized,
// every matching record has an entry in some range of `scans` (an empty list:
// no record can match); otherwise every record is a candidate.
struct QueryPlan {
    bool optimized = false;
    // Every key inside the ranges satisfies the query: an entry read from a
    // range whose key is still current needs no check.
    bool exact = false;
    std::vector<TagRanges> scans;  // sorted by tag, one entry per tag
};

// Plans query (a logical expression) over tags. src serves to evaluate the
// constant operands of comparisons; its current record is not read.
QueryPlan planQuery(const Expression& query, const std::vector<PlanTag>& tags,
                    const RecordSource& src);

// How a tag's entries relate to the delivery order. Entries that agree on
// their first groupLength key bytes come out of the tag in ascending
// (sort key, record number) order; -1: no such runs exist.
struct TagOrder {
    enum class SortKeyFrom { Nothing, WholeKey, StrSuffix };
    int groupLength = -1;
    SortKeyFrom from = SortKeyFrom::Nothing;  // how an entry's key gives its sort key
    int offset = 0;                           // StrSuffix: where STR(sort) starts in the key
};

// The delivery order of a relation: record-number order when sort is null,
// else ascending sort-expression value, ties by record number.
struct SortPlan {
    const Expression* sort = nullptr;
    int sortTag = -1;                 // a PlanTag whose key is the sort expression, -1: none
    int sortWidth = 0;                // bytes of a sort key (encodeKey of the sort value)
    std::vector<TagOrder> tagOrders;  // one per PlanTag
};

// Analyses the order for these tags (src gives the fields' types). It reads
// the first and last entry of the sort tag to learn whether STR(sort) texts
// order like the sort values.
SortPlan planSort(const Expression* sort, const std::vector<PlanTag>& tags,
                  const RecordSource& src);

// The sort key of a tag entry whose TagOrder has a SortKeyFrom other than
// Nothing, into out; empty for record-number order.
void entrySortKey(const TagOrder& order, std::string_view key, std::string& out);

}  // namespace xbase
