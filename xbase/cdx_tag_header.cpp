// Tag headers: checked parsing and writing in the layout open engines use
// (FOR text right after the key text, 504 = its start, 508 = 0).
#include "xbase/cdx_tag_header.h"

#include <cstring>

#include "xbase/cdx_format.h"

namespace xbase::cdx {

bool parseTagHeader(const unsigned char* first, const unsigned char* second, std::uint64_t fileEnd,
                    TagHeader& out) {
    out.root = le32(first + kHdrRoot);
    out.keyLength = le16(first + kHdrKeyLength);
    out.options = first[kHdrOptions];
    out.descending = le16(first + kHdrOrder) != 0;
    if (out.keyLength < 1 || out.keyLength > kMaxKeyLength) return false;
    if ((out.options & kOptCompact) == 0) return false;
    if (out.root % kPageSize != 0 || out.root < kTagHeaderSize ||
        std::uint64_t{out.root} + kPageSize > fileEnd) {
        return false;
    }
    // The pool: key text, 0x00, FOR text, 0x00.
    const auto* pool = reinterpret_cast<const char*>(second);
    const void* keyEnd = std::memchr(pool, 0, kHdrPoolSize);
    if (keyEnd == nullptr) return false;
    const auto keyLength = static_cast<std::size_t>(static_cast<const char*>(keyEnd) - pool);
    out.keyExpr.assign(pool, keyLength);
    const char* forText = pool + keyLength + 1;
    const std::size_t rest = kHdrPoolSize - keyLength - 1;
    const void* forEnd = std::memchr(forText, 0, rest);
    out.forExpr.assign(
        forText,
        forEnd ? static_cast<std::size_t>(static_cast<const char*>(forEnd) - forText) : rest);
    return true;
}

bool expressionsFit(const std::string& keyExpr, const std::string& forExpr) {
    return keyExpr.size() + 1 + forExpr.size() + 1 <= static_cast<std::size_t>(kHdrPoolSize);
}

void writeTagHeader(const TagHeader& h, unsigned char* first, unsigned char* second) {
    putLe32(first + kHdrRoot, h.root);
    putLe16(first + kHdrKeyLength, static_cast<std::uint16_t>(h.keyLength));
    first[kHdrOptions] = h.options;
    first[kHdrSignature] = 1;
    putLe16(first + kHdrOrder, h.descending ? 1 : 0);
    const auto keyLen = static_cast<std::uint16_t>(h.keyExpr.size() + 1);
    const auto forLen = static_cast<std::uint16_t>(h.forExpr.size() + 1);
    putLe16(first + kHdrForStart, keyLen);
    putLe16(first + kHdrForLength, forLen);
    putLe16(first + kHdrKeyStart, 0);
    putLe16(first + kHdrKeyExprLength, keyLen);
    std::memcpy(second, h.keyExpr.data(), h.keyExpr.size());
    std::memcpy(second + keyLen, h.forExpr.data(), h.forExpr.size());
}

}  // namespace xbase::cdx
