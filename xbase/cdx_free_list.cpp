// The chain of free CDX pages.
#include "xbase/cdx_free_list.h"

#include <unordered_set>

#include "xbase/return_codes.h"

namespace xbase::cdx {
namespace {

bool endOfChain(std::uint32_t off) {
    return off == 0 || off == kNone;
}

}  // namespace

bool FreeList::pageOffset(std::uint32_t off) const {
    return off % kPageSize == 0 && off >= kTagHeaderSize &&
           std::uint64_t{off} + kPageSize <= cache_.fileEnd();
}

void FreeList::enableReuse() {
    short error = rc::kSuccess;
    const unsigned char* header = cache_.page(0, error);
    if (header == nullptr) return;
    std::unordered_set<std::uint32_t> seen;
    std::uint32_t off = le32(header + kHdrFreeList);
    while (!endOfChain(off)) {
        if (!pageOffset(off) || !seen.insert(off).second) return;
        const unsigned char* page = cache_.page(off, error);
        if (page == nullptr) return;
        off = le32(page);
    }
    reuse_ = true;
}

std::uint32_t FreeList::allocate(short& error) {
    if (reuse_) {
        const unsigned char* header = cache_.page(0, error);
        if (header == nullptr) return kNone;
        std::uint32_t head = le32(header + kHdrFreeList);
        if (!endOfChain(head)) {
            const unsigned char* page = cache_.page(head, error);
            if (page == nullptr) return kNone;
            std::uint32_t next = le32(page);
            unsigned char* headerOut = cache_.pageForWrite(0, error);
            if (headerOut == nullptr) return kNone;
            putLe32(headerOut + kHdrFreeList, endOfChain(next) ? 0 : next);
            cache_.pageOverwrite(head);
            return head;
        }
    }
    std::uint32_t off = cache_.appendPage();
    if (off == kNone) error = rc::kWrite;
    return off;
}

void FreeList::release(std::uint32_t off) {
    if (!reuse_) return;
    short error = rc::kSuccess;
    unsigned char* header = cache_.pageForWrite(0, error);
    if (header == nullptr) return;
    std::uint32_t head = le32(header + kHdrFreeList);
    putLe32(cache_.pageOverwrite(off), endOfChain(head) ? 0 : head);
    putLe32(header + kHdrFreeList, off);
}

}  // namespace xbase::cdx
