// The search: the text of the search box as one query over the keyword
// table, the qualifying documents as the hit list, the first one shown.
#pragma once

#include "app/program.h"

namespace search {

// The most documents one search collects into the hit list.
inline constexpr int kMostHits = 100;

// Runs the search of txtSearch with the drawer of ComboFilter, the Top Only
// and High Tolerance check boxes and the header size. Refusals (empty string,
// more than 20 keywords, duplicates, a drawer name that cannot be quoted, no
// relation) show their box; finding nothing shows a notice in txtInput in the
// message colour; otherwise the hit list holds up to kMostHits document
// numbers and the first is on display with LabelRecNo "1".
void do_search(app::Program& program);

}  // namespace search
