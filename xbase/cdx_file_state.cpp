// The shared state of an open CDX file: early write-out, the flush marker and
// the change counter.
#include "xbase/cdx_file_state.h"

#include <cstring>

#include "xbase/return_codes.h"

namespace xbase::cdx {
namespace {

// Per index file: the keyword index of a large store keeps its hot leaves (the
// ends of the common words' groups) cached through a long load. More would
// take a process that holds a large table and its block cache besides past
// 100 MB.
constexpr std::size_t kCacheLimit = 24u << 20;
// Dirty pages held before they are written out ahead of the next flush.
constexpr std::size_t kSpillPages = 8192;
constexpr char kMagic[4] = {'V', 'M', 'R', 'K'};

}  // namespace

FileState::FileState(std::unique_ptr<File> f, bool canWrite)
    : file(std::move(f)), writable(canWrite), cache(*file, kCacheLimit), freeList(cache) {}

short FileState::afterChange() {
    changedSinceBump = true;
    if (cache.dirtyPages() > kSpillPages) {
        if (!marker || markerState != kMarkerDirty) {
            if (short e = writeMarker(kMarkerDirty, markerCount, false)) return e;
        }
        if (short e = cache.writeDirty()) return e;
    }
    cache.trim();
    return rc::kSuccess;
}

short FileState::writeMarker(std::uint8_t state, std::uint32_t count, bool sync) {
    unsigned char bytes[kMarkerSize] = {};
    std::memcpy(bytes, kMagic, sizeof kMagic);
    bytes[4] = state;
    putLe32(bytes + 8, count);
    if (!file->write(kMarkerOffset, bytes, sizeof bytes)) return rc::kWrite;
    if (sync && !file->sync()) return rc::kWrite;
    cache.patch(0, kMarkerOffset, bytes, sizeof bytes);
    marker = true;
    markerState = state;
    markerCount = count;
    return rc::kSuccess;
}

short FileState::readMarker() {
    // From the file, not the cached header: a writer marks the file clean
    // after it bumps the change counter, so a header read in between holds
    // a marker that no longer stands.
    unsigned char m[kMarkerSize];
    if (!file->read(kMarkerOffset, m, sizeof m)) return rc::kRead;
    adoptMarker(m);
    return rc::kSuccess;
}

short FileState::readCounterAndMarker(std::uint32_t& counter) {
    unsigned char bytes[kMarkerOffset + kMarkerSize - kHdrCounter];
    if (!file->read(kHdrCounter, bytes, sizeof bytes)) return rc::kRead;
    counter = le32(bytes);
    adoptMarker(bytes + (kMarkerOffset - kHdrCounter));
    return rc::kSuccess;
}

void FileState::adoptMarker(const unsigned char* m) {
    cache.patch(0, kMarkerOffset, m, kMarkerSize);
    marker = std::memcmp(m, kMagic, sizeof kMagic) == 0;
    markerState = marker && m[4] == kMarkerClean ? kMarkerClean : kMarkerDirty;
    markerCount = marker ? le32(m + 8) : 0;
}

short FileState::bumpCounter() {
    short error = rc::kSuccess;
    const unsigned char* header = cache.page(0, error);
    if (header == nullptr) return error;
    unsigned char bytes[4];
    putLe32(bytes, le32(header + kHdrCounter) + 1);
    if (!file->write(kHdrCounter, bytes, sizeof bytes)) return rc::kWrite;
    cache.patch(0, kHdrCounter, bytes, sizeof bytes);
    seenCounter = le32(bytes);
    changedSinceBump = false;
    return rc::kSuccess;
}

bool FileState::readCounter(std::uint32_t& value) {
    unsigned char bytes[4];
    if (!file->read(kHdrCounter, bytes, sizeof bytes)) return false;
    value = le32(bytes);
    return true;
}

}  // namespace xbase::cdx
