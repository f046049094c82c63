// The private state of a CdxTag, shared by the tag, the file that opens and
// creates tags, and the cursors that walk them.
#pragma once

#include <cstdint>
#include <string>

#include "xbase/cdx_file_state.h"
#include "xbase/cdx_index.h"
#include "xbase/cdx_tree.h"

namespace xbase {

struct CdxTag::Impl {
    Impl(cdx::FileState& f, std::uint32_t headerOffset, std::uint32_t root, int keyLength,
         char filler)
        : file(f), tree(f.cache, f.freeList, headerOffset, root, keyLength, filler) {}

    cdx::FileState& file;
    cdx::Tree tree;
    std::string name;  // upper case, without padding
    std::string keyExpr;
    std::string forExpr;
    bool unique = false;
    bool descending = false;
    std::uint64_t changeCount = 0;
    // What edgeKeys() read, and the change count it was read at.
    struct Edges {
        bool read = false;
        std::uint64_t change = 0;
        bool found = false;
        std::string first;
        std::string last;
    } edges;
};

}  // namespace xbase
