// The 1024-byte header of a CDX tag (the directory at offset 0 has the same
// layout): root offset, key length, options, order and the expression pool.
#pragma once

#include <cstdint>
#include <string>

namespace xbase::cdx {

struct TagHeader {
    std::uint32_t root = 0;
    int keyLength = 0;
    std::uint8_t options = 0;
    bool descending = false;
    std::string keyExpr;
    std::string forExpr;
};

// Reads the two header pages; false when a field is out of range (key length
// outside 1..240, a root outside the file or misaligned, not compact, an
// unterminated expression).
bool parseTagHeader(const unsigned char* first, const unsigned char* second, std::uint64_t fileEnd,
                    TagHeader& out);
// Writes the header fields into two zeroed pages. Precondition: both
// expressions and their terminators fit the 512-byte pool.
void writeTagHeader(const TagHeader& header, unsigned char* first, unsigned char* second);
// True when the expressions fit the pool.
bool expressionsFit(const std::string& keyExpr, const std::string& forExpr);

}  // namespace xbase::cdx
