// What one open CDX file shares with its tags and cursors: the file, its page
// cache and free pages, the flush marker as it stands on disk, and the change
// counter other processes watch.
#pragma once

#include <cstdint>
#include <memory>

#include "xbase/cdx_free_list.h"
#include "xbase/cdx_page_cache.h"
#include "xbase/file_io.h"

namespace xbase::cdx {

struct FileState {
    FileState(std::unique_ptr<File> f, bool canWrite);

    // After every change: remember it for the change counter, write dirty
    // pages out early (behind a mid-flush marker) when too many pile up, and
    // trim the cache.
    short afterChange();
    // Between reads: keeps the cache within its limit.
    void afterRead() { cache.trim(); }
    // Writes our 12-byte marker through to the file (and the cached header).
    short writeMarker(std::uint8_t state, std::uint32_t count, bool sync);
    // Reads the marker from the file header page.
    short readMarker();
    // Reads the change counter and the marker in one read: for a holder of
    // the write lock, when no writer can come between the two.
    short readCounterAndMarker(std::uint32_t& counter);
    // Adds one to the change counter at offset 8, in the file and the cache.
    short bumpCounter();
    // The change counter as it is in the file now; false when unreadable.
    bool readCounter(std::uint32_t& value);

    std::unique_ptr<File> file;
    bool writable;
    PageCache cache;
    FreeList freeList;

    bool marker = false;  // the file carries our marker
    std::uint8_t markerState = kMarkerDirty;
    std::uint32_t markerCount = 0;
    std::uint32_t seenCounter = 0;  // the change counter as this handle last saw it
    bool changedSinceBump = false;
    bool locked = false;

  private:
    // Takes the 12 marker bytes as read from the file.
    void adoptMarker(const unsigned char* m);
};

}  // namespace xbase::cdx
