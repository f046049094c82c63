// Byte layout of a CDX file shared by the index's pieces: page size, node and
// header field offsets, and the little- and big-endian integer helpers.
#pragma once

#include <cstdint>
#include <cstring>

namespace xbase::cdx {

constexpr std::uint32_t kPageSize = 512;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;  // "no page" in root, sibling and child links
constexpr int kMaxKeyLength = 240;
constexpr int kMaxDepth = 32;  // deeper trees are damage (or a cycle of child links)

// Node header (every tree page).
constexpr int kNodeAttr = 0;   // u16: 0 interior, 1 interior root, 2 leaf, 3 leaf root
constexpr int kNodeKeys = 2;   // u16: number of keys
constexpr int kNodeLeft = 4;   // u32: left sibling
constexpr int kNodeRight = 8;  // u32: right sibling
constexpr int kNodeHeaderSize = 12;
constexpr std::uint16_t kAttrRoot = 1;
constexpr std::uint16_t kAttrLeaf = 2;

// Compact leaf header after the node header, and the entry area.
constexpr int kLeafFree = 12;
constexpr int kLeafRecMask = 14;
constexpr int kLeafDupMask = 18;
constexpr int kLeafTrailMask = 19;
constexpr int kLeafRecBits = 20;
constexpr int kLeafDupBits = 21;
constexpr int kLeafTrailBits = 22;
constexpr int kLeafEntryBytes = 23;
constexpr int kLeafDataStart = 24;
constexpr int kLeafSpace = 488;  // bytes 24..511 hold entries and key fragments

// Interior entries start after the node header: key, recno (BE), child (BE).
constexpr int kInteriorSpace = 500;

// Tag header (1024 bytes; the file header at offset 0 has the same layout).
constexpr int kHdrRoot = 0;
constexpr int kHdrFreeList = 4;  // only in the file header: first free page
constexpr int kHdrCounter = 8;   // change counter; only equality matters
constexpr int kHdrKeyLength = 12;
constexpr int kHdrOptions = 14;
constexpr int kHdrSignature = 15;
constexpr int kHdrOrder = 502;
constexpr int kHdrForStart = 504;
constexpr int kHdrForLength = 506;
constexpr int kHdrKeyStart = 508;
constexpr int kHdrKeyExprLength = 510;
constexpr int kHdrPool = 512;
constexpr int kHdrPoolSize = 512;
constexpr std::uint32_t kTagHeaderSize = 1024;

constexpr std::uint8_t kOptUnique = 0x01;
constexpr std::uint8_t kOptFor = 0x08;
constexpr std::uint8_t kOptCompact = 0x20;
constexpr std::uint8_t kOptCompound = 0x40;
constexpr std::uint8_t kOptDirectory = 0x80;

// Our flush marker in reserved bytes of the file header: "VMRK", a state byte
// (0 clean, 1 mid-flush), three zero bytes, the table's record count (LE).
constexpr int kMarkerOffset = 480;
constexpr int kMarkerSize = 12;
constexpr std::uint8_t kMarkerClean = 0;
constexpr std::uint8_t kMarkerDirty = 1;

// The index lock: one byte far past any data.
constexpr std::uint64_t kLockOffset = 0x7FFFFFFE;

inline std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint32_t be32(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
inline void putLe16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void putLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void putBe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

// Ascending (key, recno) order of every tag. A recno of 2^32 stands after
// every entry of its key, which is how a search steps past a whole key.
inline int compareEntry(const unsigned char* a, std::uint64_t aRec, const unsigned char* b,
                        std::uint64_t bRec, int keyLength) {
    int c = std::memcmp(a, b, static_cast<std::size_t>(keyLength));
    if (c != 0) return c;
    return aRec < bRec ? -1 : (aRec > bRec ? 1 : 0);
}

}  // namespace xbase::cdx
