// Bottom-up building of a whole CDX tree from sorted entries (reindex, pack).
#pragma once

#include <cstddef>
#include <functional>

#include "xbase/cdx_rebuild_sort.h"
#include "xbase/cdx_tree.h"

namespace xbase::cdx {

// Pages written between two checkpoints of a bulk load.
constexpr std::size_t kCheckpointPages = 1024;

// Writes leaves filled to about 92% (so later inserts do not split at once)
// from the entries sorted hands out, then interior levels, and points the
// tree at the new root. The tree's old pages are not touched. checkpoint runs
// every so many pages so the caller can write out dirty pages and keep memory
// bounded. A read error of sorted ends the load with its code.
short bulkLoad(Tree& tree, RebuildSort& sorted, const std::function<short()>& checkpoint);

}  // namespace xbase::cdx
