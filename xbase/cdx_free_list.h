// Page allocation for one CDX file: released pages are chained through their
// first four bytes from the head at offset 4 of the file header and handed
// out again; otherwise a new page is appended at the end of the file.
#pragma once

#include <cstdint>

#include "xbase/cdx_page_cache.h"

namespace xbase::cdx {

class FreeList {
  public:
    explicit FreeList(PageCache& cache) : cache_(cache) {}

    // Turns reuse on for a file whose pages we trust (one we created, or one
    // whose last flush completed). The chain is walked first; a chain that
    // leaves the file, repeats or is misaligned turns reuse off instead.
    void enableReuse();
    // Stops reuse (the file's pages can no longer be trusted).
    void disableReuse() { reuse_ = false; }
    bool reuses() const { return reuse_; }

    // A zeroed dirty page; kNone with rc::kWrite when the file is full (4 GB).
    std::uint32_t allocate(short& error);
    // Puts a page no tree refers to any more on the chain. Without reuse the
    // page is simply left unused.
    void release(std::uint32_t off);

  private:
    bool pageOffset(std::uint32_t off) const;

    PageCache& cache_;
    bool reuse_ = false;
};

}  // namespace xbase::cdx
