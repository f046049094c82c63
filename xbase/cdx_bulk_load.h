// Bottom-up building of a whole CDX tree from sorted entries (reindex, pack).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "xbase/cdx_tree.h"

namespace xbase::cdx {

using Entries = std::vector<std::pair<std::string, std::uint32_t>>;

// Sorts entries by (key bytes, recno) and drops repeated pairs; with unique,
// keeps only the lowest record number of each key.
void sortEntries(Entries& entries, bool unique);

// Writes leaves filled to about 92% (so later inserts do not split at once),
// then interior levels, and points the tree at the new root. The tree's old
// pages are not touched. checkpoint runs every so many pages so the caller
// can write out dirty pages and keep memory bounded.
short bulkLoad(Tree& tree, const Entries& sorted, const std::function<short()>& checkpoint);

}  // namespace xbase::cdx
