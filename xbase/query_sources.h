// What the candidate sources of a query relation share: the delivery order,
// and the merge (query_merge.cpp) the cursor may choose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/key_words.h"
#include "xbase/query_cursor.h"

namespace xbase {

// The next key after every key that begins with prefix; false when none is.
bool prefixSuccessor(std::string& prefix);

// True when a comes before b in delivery order: ascending (sortKey, recno).
bool candidateBefore(const Candidate& a, const Candidate& b);
bool sameCandidate(const Candidate& a, const Candidate& b);

// A merge of the runs of the plan's ranges; nullptr when a tag's entries form
// no runs in the sort order or there are more runs than budget.
std::unique_ptr<CandidateSource> openMerge(const std::vector<PlanTag>& tags, const QueryPlan& plan,
                                           const SortPlan& sort, std::size_t budget);

}  // namespace xbase
