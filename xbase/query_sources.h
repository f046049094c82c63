// What the candidate sources of a query relation share: the delivery order,
// and the merge (query_merge.cpp) the cursor may choose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "xbase/query_cursor.h"

namespace xbase {

// The big-endian value of eight bytes of a sort key.
std::uint64_t keyBits(const char* bytes);
// True when a comes before b in delivery order: ascending (sortKey, recno).
bool candidateBefore(const Candidate& a, const Candidate& b);
bool sameCandidate(const Candidate& a, const Candidate& b);

// A merge of the runs of the plan's ranges; nullptr when a tag's entries form
// no runs in the sort order or there are more runs than budget.
std::unique_ptr<CandidateSource> openMerge(const std::vector<PlanTag>& tags, const QueryPlan& plan,
                                           const SortPlan& sort, std::size_t budget);

}  // namespace xbase
